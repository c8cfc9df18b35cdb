// The player window as its stored layout makes it: every component as a
// named member and every handler the layout names as a virtual member with
// an empty body. The player window class derives from it and fills in the
// handlers; the layout binds them by name.
//
// A derived class calls DoCreate() at the end of its own constructor (so
// FormCreate runs with the whole object in place) and DoDestroy() at the
// start of its destructor.
#pragma once

#include <string>

#include "layouts/layout_builder_win.h"
#include "toolkit/dib_win.h"
#include "toolkit/form_win.h"
#include "toolkit/image32_win.h"
#include "toolkit/menu_win.h"
#include "toolkit/stdctrls_win.h"

namespace swfp::layouts {

class TfrmPlrBase : public tk::TForm {
 public:
  // `plrFactory` makes the player control `plr`; without one a plain panel
  // stands in for it (tests, or a machine without the control).
  TfrmPlrBase(tk::TComponent* owner, ControlFactory plrFactory = {});
  // Raises the destroy event while the handlers still exist.
  ~TfrmPlrBase() override { DoDestroy(); }

  // Components, by their layout names.
  tk::TDIBImageList* ani_images = nullptr;
  tk::TDIBImageList* slider_images = nullptr;
  tk::TAnimationManager* animator = nullptr;
  tk::TActionList* ActionList1 = nullptr;
  tk::TAction *actClose = nullptr, *actPrint = nullptr, *actAbout = nullptr, *actZoomIn = nullptr,
              *actZoomOut = nullptr, *actZoomAll = nullptr, *actLowQ = nullptr, *actMedQ = nullptr,
              *actHighQ = nullptr, *actPlay = nullptr, *actSound = nullptr, *actLoop = nullptr,
              *actRewind = nullptr, *actForward = nullptr, *actBack = nullptr, *actStop = nullptr,
              *actEnd = nullptr;
  tk::TPanel* pnPlayer = nullptr;
  tk::TControl* plr = nullptr;  // the player control made by the factory
  tk::TDIBImageAnimContainer* pnControls = nullptr;
  tk::TDIBImage *imgLeftBottom = nullptr, *imgControlsBottom = nullptr, *imgSeparatorBottom = nullptr,
                *imgDetailsBottom = nullptr, *imgRightBottom = nullptr;
  tk::TDIBButton *btnRewind = nullptr, *btnBack = nullptr, *btnStop = nullptr, *btnPlay = nullptr,
                 *btnPause = nullptr, *btnForward = nullptr, *btnEnd = nullptr, *btnSoundOn = nullptr,
                 *btnSoundOff = nullptr;
  tk::TDIBSlider *ProgressSlider = nullptr, *zoom_slider = nullptr;
  tk::TImage32* image = nullptr;
  tk::TDIBAnimContainer* DIBAnimContainer1 = nullptr;
  tk::TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
             *Label6 = nullptr, *lblMovieFrames = nullptr, *lblMovieFPS = nullptr, *lblMovieSize = nullptr,
             *lblMovieFilesize = nullptr, *lblMovieVer = nullptr, *lblMovieCompressed = nullptr,
             *lblMovieName = nullptr;
  tk::TMainMenu* mnMain = nullptr;
  tk::TPopupMenu* mnPopup = nullptr;
  // Menu items by name (mnFile, mnQuality1, Sound1, ...).
  tk::TMenuItem* MenuItem(const std::string& name) const;
  tk::TTimer* tmrRefresher = nullptr;

  // Handlers (the bodies belong to the player window).
  virtual void FormCreate(tk::TComponent&) {}
  virtual void FormShow(tk::TComponent&) {}
  virtual void FormActivate(tk::TComponent&) {}
  virtual void FormResize(tk::TComponent&) {}
  virtual void FormCloseQuery(tk::TComponent&, bool& canClose) { (void)canClose; }
  virtual void FormDestroy(tk::TComponent&) {}
  virtual void ActionList1Update(tk::TAction&, bool& handled) { (void)handled; }
  virtual void actCloseExecute(tk::TAction&) {}
  virtual void actPrintExecute(tk::TAction&) {}
  virtual void actAboutExecute(tk::TAction&) {}
  virtual void actZoomInExecute(tk::TAction&) {}
  virtual void actZoomOutExecute(tk::TAction&) {}
  virtual void actZoomAllExecute(tk::TAction&) {}
  virtual void actLowQExecute(tk::TAction&) {}
  virtual void actMedQExecute(tk::TAction&) {}
  virtual void actHighQExecute(tk::TAction&) {}
  virtual void actPlayExecute(tk::TAction&) {}
  virtual void actSoundExecute(tk::TAction&) {}
  virtual void actLoopExecute(tk::TAction&) {}
  virtual void actRewindExecute(tk::TAction&) {}
  virtual void actForwardExecute(tk::TAction&) {}
  virtual void actBackExecute(tk::TAction&) {}
  virtual void actStopExecute(tk::TAction&) {}
  virtual void actEndExecute(tk::TAction&) {}
  virtual void tmrRefresherTimer(tk::TComponent&) {}
  virtual void ProgressSliderChange(tk::TComponent&) {}
  virtual void imgDetailsBottomMouseDown(tk::TComponent&, tk::MouseButton, tk::ShiftState, int, int) {}
  virtual void imageMouseDown(tk::TComponent&, tk::MouseButton, tk::ShiftState, int, int) {}
  virtual void imageMouseMove(tk::TComponent&, tk::ShiftState, int, int) {}
  virtual void imageMouseUp(tk::TComponent&, tk::MouseButton, tk::ShiftState, int, int) {}
  virtual void plrMouseDown(tk::TComponent&, tk::MouseButton, tk::ShiftState, int, int) {}
  // The player control's factory binds this to the control's command event.
  virtual void plrFSCommand(tk::TComponent&, const std::wstring& command, const std::wstring& args) {
    (void)command;
    (void)args;
  }

  // The handler table the layout binds from (every name above).
  const Handlers& HandlerTable() const { return handlers_; }

 private:
  void MakeHandlers();
  void FindComponents();
  Handlers handlers_;
};

}  // namespace swfp::layouts
