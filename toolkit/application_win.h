// The application object: the message loop with its idle handling, the
// default error report, the title and icon, and the hidden application
// window that carries the taskbar button (the main window is owned by it).
// The screen object keeps the numbered cursors.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace swfp::tk {

class TForm;

class TApplication {
 public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // The hidden top-level window that owns the forms and shows the taskbar button.
  HWND Handle();
  const std::wstring& Title() const { return title_; }
  void SetTitle(const std::wstring& title);
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);  // not owned

  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Shows the main form and runs the message loop until Terminate or the main form closes.
  void Run();
  // Handles every waiting message, then returns.
  void ProcessMessages();
  // Handles one message; false when the queue was empty.
  bool HandleMessage();
  // Runs the idle handlers (the action lists' updates first).
  void Idle();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Handlers run when the queue is empty. Returns an id for RemoveIdleHandler.
  int AddIdleHandler(std::function<void()> handler);
  void RemoveIdleHandler(int id);

  // Reports an exception that reached the top of a message: OnException when
  // assigned, otherwise a message box with the exception's text.
  void HandleException(std::exception_ptr e);
  std::function<void(std::exception_ptr)> OnException;
  static std::wstring ExceptionText(std::exception_ptr e);

  // Messages pass here before translation; return true to drop one.
  std::function<bool(MSG&)> OnMessage;

 private:
  // Offers a key message to the control of its window, reflected into the
  // control range; true when the control took it.
  static bool ReflectKey(const MSG& msg);
  // Offers a navigation key the focused window does not want to its form.
  static bool OfferDialogKey(const MSG& msg);
  static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  std::wstring title_;
  HICON icon_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  int nextIdleId_ = 1;
  std::vector<std::pair<int, std::function<void()>>> idle_;
};

TApplication& Application();

class TScreen {
 public:
  // Cursor number 0 is the arrow; others are installed by the program.
  HCURSOR Cursor(int index) const;
  void SetCursor(int index, HCURSOR cursor);  // not owned

 private:
  std::map<int, HCURSOR> cursors_;
};

TScreen& Screen();

}  // namespace swfp::tk
