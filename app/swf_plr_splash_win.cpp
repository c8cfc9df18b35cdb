#include "app/swf_plr_splash_win.h"

#include <cstring>
#include <memory>

#include "toolkit/application_win.h"
#include "winbase/text_win.h"

using namespace swfp::tk;

namespace {

std::unique_ptr<TfrmSplash> g_Splash;

} // namespace

TfrmSplash::TfrmSplash(TComponent* owner) : TfrmSplashBase(owner) {}

void TfrmSplash::MakeCreateParams(CreateParams& p)
{
    TfrmSplashBase::MakeCreateParams(p);
    p.className = L"TfrmSplash";
    p.exStyle |= WS_EX_TOOLWINDOW; // no taskbar button of its own
}

void TfrmSplash::SetPicture(const BgraImage& picture)
{
    // The decoder's rows are blue, green, red, alpha: the toolkit's pixel layout.
    Bitmap32 bitmap(picture.width, picture.height);
    if (!picture.pixels.empty())
        std::memcpy(bitmap.Pixels().data(), picture.pixels.data(), picture.pixels.size());
    imgSplash->SetPicture(std::move(bitmap));
}

void TfrmSplash::FormShow(TComponent&)
{
    // Above other windows, also when another program is activated.
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void ShowSplash(std::span<const uint8_t> jpeg, HWND owner)
{
    BgraImage picture;
    try {
        picture = DecodeJpeg(jpeg);
    } catch (const EJpegDecode& e) {
        // A picture the player cannot show must not keep the movie from starting.
        const std::wstring text = L"The splash picture of this player cannot be shown; the player starts without it.\n\n" +
                                  swfp::win::Utf8ToWide(e.what());
        MessageBoxW(owner, text.c_str(), L"Splash picture", MB_ICONWARNING | MB_OK);
        return;
    }
    g_Splash = std::make_unique<TfrmSplash>(nullptr);
    g_Splash->SetPicture(picture);
    g_Splash->Show();
    g_Splash->Update();
    Application().ProcessMessages();
}

bool SplashShown() { return g_Splash != nullptr; }

void EndSplash()
{
    if (!g_Splash)
        return;
    Sleep(3000);
    g_Splash.reset();
}

void DismissSplash() { g_Splash.reset(); }
