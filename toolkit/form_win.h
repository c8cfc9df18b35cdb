// Top-level windows: caption, border, client size, main menu, stay-on-top,
// placement, edge snapping, modal showing and the life-cycle events.
#pragma once

#include <functional>

#include "toolkit/control_win.h"

namespace swfp::tk {

class TMainMenu;

enum class BorderStyle { None, Single, Sizeable, Dialog };
enum class FormPosition { Designed, ScreenCenter, OwnerFormCenter };

enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TForm : public TCustomControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  BorderStyle GetBorderStyle() const { return border_; }
  void SetBorderStyle(BorderStyle b);
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool v);
  FormPosition Position = FormPosition::Designed;

  // The client area's size; the window's size follows from border and menu.
  void SetClientSize(int width, int height);
  Size ClientSize() const override;

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  // Screen-edge snapping: within `buffer` pixels of an edge of the work area the window jumps to it.
  bool ScreenSnap = false;
  int SnapBuffer = 10;

  NotifyEvent OnCreate;
  NotifyEvent OnShow;
  NotifyEvent OnActivate;
  std::function<void(TComponent& sender, bool& canClose)> OnCloseQuery;
  NotifyEvent OnDestroy;

  void Show();
  void Hide() { SetVisible(false); }
  // Asks the close query; a main window ends the application, others hide
  // (or end their modal loop).
  void Close();
  bool CloseQuery();
  // A navigation key that the window `target` left to its form: the form's
  // controls are asked first; then a dialog closes on Escape and presses the
  // focused button on Enter. The message loop asks before translating; true
  // when handled.
  bool ProcessDialogKey(HWND target, UINT key, LPARAM keyData);
  // Runs a modal loop with the owner windows disabled; returns the modal result.
  int ShowModal();
  int ModalResultValue = mrNone;

  // Raises OnCreate (the layout builder calls it once the components exist).
  void DoCreate();
  // Raises OnDestroy once. A derived form whose handlers are its own virtual
  // members must call it at the start of its destructor: once the derived
  // part is gone those handlers can no longer be called.
  void DoDestroy();

 protected:
  void MakeCreateParams(CreateParams& p) override;
  void CreateWnd() override;
  bool Dispatch(Message& m) override;
  void UpdateBounds(const Bounds& b) override;
  void SetVisible(bool v) override;

 private:
  void PlaceOnShow();
  // The control after (or before) the one with window `from` in tab order,
  // going round; the first (or last) when `from` is none of them.
  TWinControl* NextTabStop(HWND from, bool forward) const;
  BorderStyle border_ = BorderStyle::Sizeable;
  bool stayOnTop_ = false;
  TMainMenu* menu_ = nullptr;
  Size clientSize_;
  bool destroyed_ = false;
  bool inModal_ = false;
};

// Snaps one edge coordinate: returns the edge when `pos` is within `buffer` of it.
int SnapCoordinate(int pos, int edge, int buffer);

}  // namespace swfp::tk
