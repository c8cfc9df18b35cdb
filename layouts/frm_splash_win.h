// The splash window as its stored layout makes it: borderless, always on
// top, centred on the screen, one picture showing its image centred and unscaled.
#pragma once

#include "layouts/layout_builder_win.h"
#include "toolkit/form_win.h"
#include "toolkit/stdctrls_win.h"

namespace swfp::layouts {

class TfrmSplashBase : public tk::TForm {
 public:
  explicit TfrmSplashBase(tk::TComponent* owner);
  tk::TImage* imgSplash = nullptr;
  virtual void FormShow(tk::TComponent&) {}

 private:
  Handlers handlers_;
};

}  // namespace swfp::layouts
