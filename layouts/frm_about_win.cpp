#include "layouts/frm_about_win.h"

namespace swfp::layouts {

TfrmAboutBase::TfrmAboutBase(tk::TComponent* owner) : TForm(owner) {
  handlers_.notify["FormCreate"] = [this](tk::TComponent& s) { FormCreate(s); };
  LayoutBuilder builder(handlers_);
  builder.Build(*this, FrmAboutLayout());
  imgIcon = &Component<tk::TImage>(*this, "imgIcon");
  lblApplication = &Component<tk::TLabel>(*this, "lblApplication");
  lblCompanyInfo = &Component<tk::TLabel>(*this, "lblCompanyInfo");
  lblFileVer = &Component<tk::TLabel>(*this, "lblFileVer");
  Button1 = &Component<tk::TButton>(*this, "Button1");
}

}  // namespace swfp::layouts
