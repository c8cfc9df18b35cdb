// The log text of the container's window messages and the stock events mouse input raises.
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

TEST(InputLog, MouseMessagesBecomeStockEventsWithButtonsShiftAndPoint) {
  auto down = StockMouseEvent(0x0204, 0x0004 | 0x0008, 3, -4, true);  // right press, shift + control, alt
  ASSERT_TRUE(down);
  EXPECT_EQ(down->dispid, -605);
  EXPECT_EQ(down->argCount, 4);
  EXPECT_EQ(down->args[0], 2);
  EXPECT_EQ(down->args[1], 1 | 2 | 4);
  EXPECT_EQ(down->args[3], -4);
  auto move = StockMouseEvent(0x0200, 0x0001 | 0x0010, 0, 0, false);  // left and middle held
  ASSERT_TRUE(move);
  EXPECT_EQ(move->dispid, -606);
  EXPECT_EQ(move->args[0], 1 | 4);
  EXPECT_EQ(StockMouseEvent(0x0203, 0, 0, 0, false)->dispid, -601);  // double click
  EXPECT_FALSE(StockMouseEvent(0x02A3, 0, 0, 0, false));
  EXPECT_FALSE(StockKeyEvent(0x0200, 0, 0));
}
