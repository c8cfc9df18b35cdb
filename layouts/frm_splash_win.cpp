#include "layouts/frm_splash_win.h"

namespace swfp::layouts {

TfrmSplashBase::TfrmSplashBase(tk::TComponent* owner) : TForm(owner) {
  handlers_.notify["FormShow"] = [this](tk::TComponent& s) { FormShow(s); };
  LayoutBuilder builder(handlers_);
  builder.Build(*this, FrmSplashLayout());
  imgSplash = &Component<tk::TImage>(*this, "imgSplash");
  imgSplash->Background = tk::clBtnFace;
}

}  // namespace swfp::layouts
