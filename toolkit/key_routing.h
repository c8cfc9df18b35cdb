// Which keyboard messages the message loop hands to the toolkit's controls
// before the focused window sees them.
//
// Every key message (WM_KEYDOWN .. WM_KEYLAST) is first offered to the control
// that owns the target window, reflected into the control range (message plus
// kKeyReflectionBase): a control that hosts foreign content (an embedded
// object) can translate its accelerators there. The navigation keys of a
// dialog (Tab, arrows, Enter, Escape, Cancel) are then offered to the form and
// its controls, unless the focused window asked for them itself through its
// dialog code.
#pragma once

#include <cstdint>

namespace swfp::tk {

constexpr uint32_t kKeyReflectionBase = 0xBC00;
constexpr uint32_t kKeyMessageFirst = 0x0100;  // WM_KEYDOWN
constexpr uint32_t kKeyMessageLast = 0x0109;   // WM_UNICHAR, the last keyboard message

constexpr bool IsKeyMessage(uint32_t message) { return message >= kKeyMessageFirst && message <= kKeyMessageLast; }

// Dialog codes a window answers to WM_GETDLGCODE (the values are the platform's).
enum DialogCode : uint32_t {
  kWantArrows = 0x0001,
  kWantTab = 0x0002,
  kWantAllKeys = 0x0004,
};

// True when a key-down of `virtualKey` on a window that answered `dialogCode`
// is one the form's dialog handling gets to see.
bool IsDialogKey(uint32_t virtualKey, uint32_t dialogCode);

}  // namespace swfp::tk
