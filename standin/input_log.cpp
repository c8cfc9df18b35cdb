#include "standin/input_log.h"

#include <cstdio>

namespace standin {
namespace {

// The platform's message numbers (winuser.h).
enum : unsigned {
  kSetFocus = 0x0007, kKillFocus = 0x0008, kSize = 0x0005, kCommand = 0x0111,
  kKeyDown = 0x0100, kKeyUp = 0x0101, kChar = 0x0102,
  kMouseMove = 0x0200, kLButtonDown = 0x0201, kLButtonUp = 0x0202, kLButtonDblClk = 0x0203,
  kRButtonDown = 0x0204, kRButtonUp = 0x0205, kRButtonDblClk = 0x0206,
  kMButtonDown = 0x0207, kMButtonUp = 0x0208, kMButtonDblClk = 0x0209,
  kMouseWheel = 0x020A, kMouseLeave = 0x02A3, kQueryNewPalette = 0x030F, kPaletteChanged = 0x0311,
};
// Key-state bits of a mouse message's wParam.
enum : uint64_t { kMkLButton = 0x1, kMkRButton = 0x2, kMkShift = 0x4, kMkControl = 0x8, kMkMButton = 0x10 };

struct Named {
  unsigned message;
  const char* name;
};
constexpr Named kMouse[] = {
    {kMouseMove, "WM_MOUSEMOVE"},       {kLButtonDown, "WM_LBUTTONDOWN"}, {kLButtonUp, "WM_LBUTTONUP"},
    {kLButtonDblClk, "WM_LBUTTONDBLCLK"}, {kRButtonDown, "WM_RBUTTONDOWN"}, {kRButtonUp, "WM_RBUTTONUP"},
    {kRButtonDblClk, "WM_RBUTTONDBLCLK"}, {kMButtonDown, "WM_MBUTTONDOWN"}, {kMButtonUp, "WM_MBUTTONUP"},
    {kMButtonDblClk, "WM_MBUTTONDBLCLK"}, {kMouseWheel, "WM_MOUSEWHEEL"},
};

int Low(int64_t v) { return static_cast<int16_t>(v & 0xFFFF); }
int High(int64_t v) { return static_cast<int16_t>((v >> 16) & 0xFFFF); }

std::string Format(const char* format, int a, int b) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

std::optional<std::string> DescribeWindowMessage(unsigned message, uint64_t wparam, int64_t lparam) {
  for (const Named& m : kMouse)
    if (m.message == message) return std::string("window ") + m.name + Format(" %d %d", Low(lparam), High(lparam));
  switch (message) {
    case kMouseLeave: return std::string("window WM_MOUSELEAVE");
    case kSize: return Format("window WM_SIZE %d %d", Low(lparam) & 0xFFFF, High(lparam) & 0xFFFF);
    case kSetFocus: return std::string("window WM_SETFOCUS");
    case kKillFocus: return std::string("window WM_KILLFOCUS");
    case kCommand: return "window WM_COMMAND " + std::to_string(wparam & 0xFFFF);
    case kQueryNewPalette: return std::string("window WM_QUERYNEWPALETTE");
    case kPaletteChanged: return std::string("window WM_PALETTECHANGED");
    default: return std::nullopt;
  }
}

std::optional<StockEvent> StockMouseEvent(unsigned message, uint64_t keys, int x, int y, bool alt) {
  StockEvent e;
  int button = 0;
  switch (message) {
    case kLButtonDown: e = {-605, "MouseDown"}; button = 1; break;
    case kRButtonDown: e = {-605, "MouseDown"}; button = 2; break;
    case kMButtonDown: e = {-605, "MouseDown"}; button = 4; break;
    case kLButtonUp: e = {-607, "MouseUp"}; button = 1; break;
    case kRButtonUp: e = {-607, "MouseUp"}; button = 2; break;
    case kMButtonUp: e = {-607, "MouseUp"}; button = 4; break;
    case kMouseMove:
      e = {-606, "MouseMove"};
      button = (keys & kMkLButton ? 1 : 0) | (keys & kMkRButton ? 2 : 0) | (keys & kMkMButton ? 4 : 0);
      break;
    case kLButtonDblClk: e = {-601, "DblClick"}; return e;
    default: return std::nullopt;
  }
  const int shift = (keys & kMkShift ? 1 : 0) | (keys & kMkControl ? 2 : 0) | (alt ? 4 : 0);
  e.args[0] = button;
  e.args[1] = shift;
  e.args[2] = x;
  e.args[3] = y;
  e.argCount = 4;
  return e;
}

std::optional<StockEvent> StockKeyEvent(unsigned message, uint64_t code, int shift) {
  StockEvent e;
  switch (message) {
    case kKeyDown: e = {-602, "KeyDown"}; break;
    case kKeyUp: e = {-604, "KeyUp"}; break;
    case kChar:
      e = {-603, "KeyPress"};
      e.args[0] = static_cast<int>(code & 0xFFFF);
      e.argCount = 1;
      return e;
    default: return std::nullopt;
  }
  e.args[0] = static_cast<int>(code & 0xFFFF);
  e.args[1] = shift;
  e.argCount = 2;
  return e;
}

}  // namespace standin
