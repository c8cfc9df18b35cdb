// The About window as its stored layout makes it.
#pragma once

#include "layouts/layout_builder_win.h"
#include "toolkit/form_win.h"
#include "toolkit/stdctrls_win.h"

namespace swfp::layouts {

class TfrmAboutBase : public tk::TForm {
 public:
  explicit TfrmAboutBase(tk::TComponent* owner);
  tk::TImage* imgIcon = nullptr;
  tk::TLabel *lblApplication = nullptr, *lblCompanyInfo = nullptr, *lblFileVer = nullptr;
  tk::TButton* Button1 = nullptr;
  virtual void FormCreate(tk::TComponent&) {}

 private:
  Handlers handlers_;
};

}  // namespace swfp::layouts
