#pragma once
// The About dialog: the program's icon in a silver frame, the movie title or
// the credit line, the company and copyright line and the version.
#include <string>

#include "layouts/frm_about_win.h"
#include "toolkit/bitmap32.h"

class TfrmAbout : public swfp::layouts::TfrmAboutBase {
public:
    explicit TfrmAbout(swfp::tk::TComponent* owner);
    ~TfrmAbout() override;
    void FormCreate(swfp::tk::TComponent&) override;
};

// The 48 x 48 picture of the dialog: a white square with a silver frame and
// the shell's large icon of `executablePath` drawn over it from (1, 1); only
// the frame when the shell has no icon.
swfp::tk::Bitmap32 FramedShellIcon(const std::string& executablePathAnsi);
