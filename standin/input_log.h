// What the runtime's window writes to its observation log for the messages a
// container sends it, and which stock event real input becomes. Portable: the
// message numbers are the platform's, spelled out here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

// The log text of a window message from the container ("window WM_LBUTTONDOWN 10 20",
// "window WM_SIZE 300 200", "window WM_MOUSELEAVE", "window WM_SETFOCUS",
// "window WM_COMMAND 20034"), or nothing for messages that are not logged.
std::optional<std::string> DescribeWindowMessage(unsigned message, uint64_t wparam, int64_t lparam);

// A stock event of the control (dispatch ids -600 to -607) and its arguments.
struct StockEvent {
  int dispid = 0;
  const char* name = "";
  // Mouse: button (1 left, 2 right, 4 middle), shift (1 shift, 2 control, 4 alt), x, y.
  // Keys: key code or character, and for key down/up the shift state.
  int args[4] = {0, 0, 0, 0};
  int argCount = 0;
};

// The stock event a mouse message raises (none for other messages). `keys` is
// the message's wParam key state; `alt` whether Alt is held.
std::optional<StockEvent> StockMouseEvent(unsigned message, uint64_t keys, int x, int y, bool alt);
// Key down/up and character messages; `shift` is the shift state as above.
std::optional<StockEvent> StockKeyEvent(unsigned message, uint64_t code, int shift);

}  // namespace standin
