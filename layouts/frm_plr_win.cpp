#include "layouts/frm_plr_win.h"

namespace swfp::layouts {

using namespace swfp::tk;

TfrmPlrBase::TfrmPlrBase(TComponent* owner, ControlFactory plrFactory) : TForm(owner) {
  MakeHandlers();
  LayoutBuilder builder(handlers_);
  builder.RegisterKind("TkxSWFPlayer2", plrFactory ? std::move(plrFactory)
                                                   : ControlFactory([](TForm& form, const ComponentLayout&, const Handlers&) -> TControl& {
                                                       return form.Make<TPanel>();
                                                     }));
  builder.Build(*this, FrmPlrLayout());
  FindComponents();
}

TMenuItem* TfrmPlrBase::MenuItem(const std::string& name) const {
  if (TMenuItem* i = mnMain->Find(name)) return i;
  return mnPopup->Find(name);
}

void TfrmPlrBase::MakeHandlers() {
  Handlers& h = handlers_;
  h.notify["FormCreate"] = [this](TComponent& s) { FormCreate(s); };
  h.notify["FormShow"] = [this](TComponent& s) { FormShow(s); };
  h.notify["FormActivate"] = [this](TComponent& s) { FormActivate(s); };
  h.notify["FormResize"] = [this](TComponent& s) { FormResize(s); };
  h.notify["FormDestroy"] = [this](TComponent& s) { FormDestroy(s); };
  h.closeQuery["FormCloseQuery"] = [this](TComponent& s, bool& can) { FormCloseQuery(s, can); };
  h.actionListUpdate["ActionList1Update"] = [this](TAction& a, bool& handled) { ActionList1Update(a, handled); };
  using Exec = void (TfrmPlrBase::*)(TAction&);
  const std::pair<const char*, Exec> actions[] = {
      {"actCloseExecute", &TfrmPlrBase::actCloseExecute},     {"actPrintExecute", &TfrmPlrBase::actPrintExecute},
      {"actAboutExecute", &TfrmPlrBase::actAboutExecute},     {"actZoomInExecute", &TfrmPlrBase::actZoomInExecute},
      {"actZoomOutExecute", &TfrmPlrBase::actZoomOutExecute}, {"actZoomAllExecute", &TfrmPlrBase::actZoomAllExecute},
      {"actLowQExecute", &TfrmPlrBase::actLowQExecute},       {"actMedQExecute", &TfrmPlrBase::actMedQExecute},
      {"actHighQExecute", &TfrmPlrBase::actHighQExecute},     {"actPlayExecute", &TfrmPlrBase::actPlayExecute},
      {"actSoundExecute", &TfrmPlrBase::actSoundExecute},     {"actLoopExecute", &TfrmPlrBase::actLoopExecute},
      {"actRewindExecute", &TfrmPlrBase::actRewindExecute},   {"actForwardExecute", &TfrmPlrBase::actForwardExecute},
      {"actBackExecute", &TfrmPlrBase::actBackExecute},       {"actStopExecute", &TfrmPlrBase::actStopExecute},
      {"actEndExecute", &TfrmPlrBase::actEndExecute},
  };
  for (const auto& [name, fn] : actions) h.action[name] = [this, fn](TAction& a) { (this->*fn)(a); };
  h.notify["tmrRefresherTimer"] = [this](TComponent& s) { tmrRefresherTimer(s); };
  h.notify["ProgressSliderChange"] = [this](TComponent& s) { ProgressSliderChange(s); };
  h.mouse["imgDetailsBottomMouseDown"] = [this](TComponent& s, MouseButton b, ShiftState sh, int x, int y) {
    imgDetailsBottomMouseDown(s, b, sh, x, y);
  };
  h.mouse["imageMouseDown"] = [this](TComponent& s, MouseButton b, ShiftState sh, int x, int y) {
    imageMouseDown(s, b, sh, x, y);
  };
  h.mouse["imageMouseUp"] = [this](TComponent& s, MouseButton b, ShiftState sh, int x, int y) {
    imageMouseUp(s, b, sh, x, y);
  };
  h.mouseMove["imageMouseMove"] = [this](TComponent& s, ShiftState sh, int x, int y) { imageMouseMove(s, sh, x, y); };
  h.mouse["plrMouseDown"] = [this](TComponent& s, MouseButton b, ShiftState sh, int x, int y) {
    plrMouseDown(s, b, sh, x, y);
  };
}

void TfrmPlrBase::FindComponents() {
  ani_images = &Component<TDIBImageList>(*this, "ani_images");
  slider_images = &Component<TDIBImageList>(*this, "slider_images");
  animator = &Component<TAnimationManager>(*this, "animator");
  ActionList1 = &Component<TActionList>(*this, "ActionList1");
  auto act = [this](const char* n) { return &Component<TAction>(*this, n); };
  actClose = act("actClose");
  actPrint = act("actPrint");
  actAbout = act("actAbout");
  actZoomIn = act("actZoomIn");
  actZoomOut = act("actZoomOut");
  actZoomAll = act("actZoomAll");
  actLowQ = act("actLowQ");
  actMedQ = act("actMedQ");
  actHighQ = act("actHighQ");
  actPlay = act("actPlay");
  actSound = act("actSound");
  actLoop = act("actLoop");
  actRewind = act("actRewind");
  actForward = act("actForward");
  actBack = act("actBack");
  actStop = act("actStop");
  actEnd = act("actEnd");
  pnPlayer = &Component<TPanel>(*this, "pnPlayer");
  plr = &Component<TControl>(*this, "plr");
  pnControls = &Component<TDIBImageAnimContainer>(*this, "pnControls");
  auto img = [this](const char* n) { return &Component<TDIBImage>(*this, n); };
  imgLeftBottom = img("imgLeftBottom");
  imgControlsBottom = img("imgControlsBottom");
  imgSeparatorBottom = img("imgSeparatorBottom");
  imgDetailsBottom = img("imgDetailsBottom");
  imgRightBottom = img("imgRightBottom");
  auto btn = [this](const char* n) { return &Component<TDIBButton>(*this, n); };
  btnRewind = btn("btnRewind");
  btnBack = btn("btnBack");
  btnStop = btn("btnStop");
  btnPlay = btn("btnPlay");
  btnPause = btn("btnPause");
  btnForward = btn("btnForward");
  btnEnd = btn("btnEnd");
  btnSoundOn = btn("btnSoundOn");
  btnSoundOff = btn("btnSoundOff");
  ProgressSlider = &Component<TDIBSlider>(*this, "ProgressSlider");
  zoom_slider = &Component<TDIBSlider>(*this, "zoom_slider");
  image = &Component<TImage32>(*this, "image");
  DIBAnimContainer1 = &Component<TDIBAnimContainer>(*this, "DIBAnimContainer1");
  auto lbl = [this](const char* n) { return &Component<TLabel>(*this, n); };
  Label1 = lbl("Label1");
  Label2 = lbl("Label2");
  Label3 = lbl("Label3");
  Label4 = lbl("Label4");
  Label5 = lbl("Label5");
  Label6 = lbl("Label6");
  lblMovieFrames = lbl("lblMovieFrames");
  lblMovieFPS = lbl("lblMovieFPS");
  lblMovieSize = lbl("lblMovieSize");
  lblMovieFilesize = lbl("lblMovieFilesize");
  lblMovieVer = lbl("lblMovieVer");
  lblMovieCompressed = lbl("lblMovieCompressed");
  lblMovieName = lbl("lblMovieName");
  mnMain = &Component<TMainMenu>(*this, "mnMain");
  mnPopup = &Component<TPopupMenu>(*this, "mnPopup");
  tmrRefresher = &Component<TTimer>(*this, "tmrRefresher");
}

}  // namespace swfp::layouts
