// The log text of the container's window messages, which the product's input tests look for.
#include <gtest/gtest.h>

#include "standin/input_log.h"

using namespace standin;

TEST(InputLog, WindowMessagesAreNamedWithTheirSignedPointOrSize) {
  const struct {
    unsigned message;
    uint64_t wparam;
    int64_t lparam;
    const char* text;  // nullptr: not logged
  } cases[] = {
      {0x0201, 1, 0xFFFB000A, "window WM_LBUTTONDOWN 10 -5"},
      {0x0204, 2, 0x00080007, "window WM_RBUTTONDOWN 7 8"},
      {0x02A3, 0, 0, "window WM_MOUSELEAVE"},
      {0x0005, 0, 0x01DC028A, "window WM_SIZE 650 476"},
      {0x0007, 0, 0, "window WM_SETFOCUS"},
      {0x0111, 0x00014E42, 0, "window WM_COMMAND 20034"},
      {0x000F, 0, 0, nullptr},  // painting is the runtime's own business
  };
  for (const auto& c : cases) {
    auto text = DescribeWindowMessage(c.message, c.wparam, c.lparam);
    EXPECT_EQ(text.value_or("(none)"), c.text ? c.text : "(none)");
  }
}
