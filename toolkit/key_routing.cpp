#include "toolkit/key_routing.h"

namespace swfp::tk {

namespace {
// Virtual-key codes of the navigation keys (the platform's values).
constexpr uint32_t kCancel = 0x03, kTab = 0x09, kReturn = 0x0D, kEscape = 0x1B, kLeft = 0x25, kUp = 0x26,
                   kRight = 0x27, kDown = 0x28, kExecute = 0x2B;
}  // namespace

bool IsDialogKey(uint32_t virtualKey, uint32_t dialogCode) {
  uint32_t wanted;  // the dialog code that keeps this key with the focused window
  switch (virtualKey) {
    case kTab:
      wanted = kWantTab | kWantAllKeys;
      break;
    case kLeft:
    case kUp:
    case kRight:
    case kDown:
      wanted = kWantArrows | kWantAllKeys;
      break;
    case kReturn:
    case kExecute:
    case kEscape:
    case kCancel:
      wanted = kWantAllKeys;
      break;
    default:
      return false;
  }
  return (dialogCode & wanted) == 0;
}

}  // namespace swfp::tk
