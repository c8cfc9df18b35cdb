// The tooltip of one window for its graphic children: one tool over the
// rectangle of the child under the mouse. The tooltip control watches the
// window's mouse messages itself (TTF_SUBCLASS), so it keeps the platform's
// delays and hides when the pointer leaves the rectangle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace swfp::tk {

class THintTip {
 public:
  explicit THintTip(HWND window);
  ~THintTip();
  THintTip(const THintTip&) = delete;
  THintTip& operator=(const THintTip&) = delete;

  // Puts the one tool over `area` (client coordinates of the window) with `text`.
  void Show(const RECT& area, const std::wstring& text);
  // Removes the tool: nothing shows until the next Show.
  void Hide();
  HWND Handle() const { return tip_; }

 private:
  TOOLINFOW Tool();
  HWND window_;
  HWND tip_ = nullptr;
  bool hasTool_ = false;
  std::wstring text_;
};

}  // namespace swfp::tk
