#include "toolkit/application_win.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "toolkit/action.h"
#include "toolkit/form_win.h"
#include "toolkit/graphics_win.h"
#include "toolkit/key_routing.h"
#include "winbase/text_win.h"

namespace swfp::tk {

TApplication& Application() {
  static TApplication app;
  return app;
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

HCURSOR TScreen::Cursor(int index) const {
  auto it = cursors_.find(index);
  if (it != cursors_.end()) return it->second;
  return index == 0 ? LoadCursorW(nullptr, IDC_ARROW) : nullptr;
}

void TScreen::SetCursor(int index, HCURSOR cursor) { cursors_[index] = cursor; }

TApplication::TApplication() {
  wchar_t path[MAX_PATH]{};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  if (auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.resize(dot);
  title_ = name;
  icon_ = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  if (!icon_) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
}

TApplication::~TApplication() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND TApplication::Handle() {
  if (hwnd_) return hwnd_;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(inst, L"SwfpApplication", &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TApplication::AppWndProc;
    wc.hInstance = inst;
    wc.hIcon = icon_;
    wc.lpszClassName = L"SwfpApplication";
    if (!RegisterClassExW(&wc)) throw std::runtime_error("Could not register the application window class");
  }
  // A zero-sized window in the middle of the screen: invisible, but it gives
  // the program its taskbar button and lets the main window be hidden from it.
  const int cx = GetSystemMetrics(SM_CXSCREEN) / 2, cy = GetSystemMetrics(SM_CYSCREEN) / 2;
  hwnd_ = CreateWindowExW(0, L"SwfpApplication", title_.c_str(),
                          WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, cx, cy, 0, 0,
                          nullptr, nullptr, inst, nullptr);
  if (!hwnd_) throw std::runtime_error("Could not create the application window");
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  return hwnd_;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TApplication& app = Application();
  switch (msg) {
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      // Activation through the taskbar button goes on to the main window.
      if (msg == WM_SETFOCUS || LOWORD(wParam) != WA_INACTIVE) {
        if (app.mainForm_ && app.mainForm_->HandleAllocated() && IsWindowEnabled(app.mainForm_->WindowHandle()))
          SetFocus(app.mainForm_->WindowHandle());
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE && app.mainForm_) {
        app.mainForm_->Close();
        return 0;
      }
      if ((wParam & 0xFFF0) == SC_RESTORE) {
        // Restoring the taskbar button brings the owned main window back with it.
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        if (app.mainForm_ && app.mainForm_->HandleAllocated()) SetForegroundWindow(app.mainForm_->WindowHandle());
        return r;
      }
      break;
    case WM_CLOSE:
      if (app.mainForm_) app.mainForm_->Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void TApplication::SetTitle(const std::wstring& title) {
  title_ = title;
  if (hwnd_) SetWindowTextW(hwnd_, title.c_str());
}

void TApplication::SetIcon(HICON icon) {
  icon_ = icon;
  if (hwnd_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

int TApplication::AddIdleHandler(std::function<void()> handler) {
  idle_.emplace_back(nextIdleId_, std::move(handler));
  return nextIdleId_++;
}

void TApplication::RemoveIdleHandler(int id) {
  std::erase_if(idle_, [id](const auto& h) { return h.first == id; });
}

void TApplication::Idle() {
  try {
    TActionList::UpdateAll();
    auto handlers = idle_;
    for (auto& h : handlers) h.second();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

bool TApplication::ReflectKey(const MSG& msg) {
  // A window of no control of ours (a part of a native control) is served by its parent's control.
  HWND target = msg.hwnd;
  if (!TWinControl::FindControl(target)) target = GetParent(target);
  if (!TWinControl::FindControl(target)) return false;
  return SendMessageW(target, msg.message + kKeyReflectionBase, msg.wParam, msg.lParam) != 0;
}

bool TApplication::OfferDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !msg.hwnd) return false;
  const auto key = static_cast<UINT>(msg.wParam);
  const auto code = static_cast<uint32_t>(SendMessageW(msg.hwnd, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)));
  if (!IsDialogKey(key, code)) return false;
  auto* form = dynamic_cast<TForm*>(TWinControl::FindControl(GetAncestor(msg.hwnd, GA_ROOT)));
  return form && form->ProcessDialogKey(msg.hwnd, key, msg.lParam);
}

bool TApplication::HandleMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (OnMessage && OnMessage(msg)) return true;
  if (IsKeyMessage(msg.message) && (ReflectKey(msg) || OfferDialogKey(msg))) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::ProcessMessages() {
  while (HandleMessage()) {
  }
}

void TApplication::Run() {
  terminated_ = false;
  if (mainForm_) mainForm_->Show();
  while (!terminated_) {
    if (!HandleMessage()) {
      Idle();
      if (terminated_) break;
      WaitMessage();
    }
  }
  // The loop may have ended on the flag alone: take the quit message along,
  // so that a later modal loop or message pump does not end at once.
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  terminated_ = false;
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

std::wstring TApplication::ExceptionText(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& ex) {
    return swfp::win::Utf8ToWide(ex.what());
  } catch (...) {
    return L"Unknown error";
  }
}

void TApplication::HandleException(std::exception_ptr e) {
  if (!e) return;
  if (OnException) {
    OnException(e);
    return;
  }
  HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->WindowHandle() : nullptr;
  MessageBoxW(owner, ExceptionText(e).c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

}  // namespace swfp::tk
