#include "toolkit/hint_tip_win.h"

#include <commctrl.h>

namespace swfp::tk {

namespace {
constexpr UINT_PTR kToolId = 1;
}

THintTip::THintTip(HWND window) : window_(window) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, GetModuleHandleW(nullptr), nullptr);
}

THintTip::~THintTip() {
  if (tip_) DestroyWindow(tip_);
}

TOOLINFOW THintTip::Tool() {
  TOOLINFOW tool{};
  // The older record size: every version of the common controls takes it.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = kToolId;
  return tool;
}

void THintTip::Show(const RECT& area, const std::wstring& text) {
  if (!tip_) return;
  Hide();
  text_ = text;
  TOOLINFOW tool = Tool();
  tool.rect = area;
  tool.lpszText = text_.data();
  hasTool_ = SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void THintTip::Hide() {
  if (!tip_ || !hasTool_) return;
  TOOLINFOW tool = Tool();
  SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  hasTool_ = false;
}

}  // namespace swfp::tk
