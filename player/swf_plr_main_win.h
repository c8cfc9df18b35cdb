#pragma once
// The player window: the stored layout adapted to the player settings, the
// movie handed to the player control, every user command, the refresh timer,
// the movie's commands to its host, dragging by the body and the tray icon.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "flashhost/kxSWFPlayer2_win.h"
#include "layouts/frm_plr_win.h"
#include "player/window_position.h"
#include "toolkit/bitmap32.h"
#include "toolkit/image32_win.h"

// The zoom navigator plugs in here; without it the zoom commands fall back on
// the Flash control's own zoom and the timer has no navigator step.
struct ZoomNavigatorHooks {
    std::function<void()> Refresh;  // once per timer tick while the control panel shows
    std::function<void()> ZoomIn, ZoomOut, ZoomAll;  // the commands while the control panel shows
};

class TfrmPlr : public swfp::layouts::TfrmPlrBase {
public:
    // `executablePath` is the player file that carries the package (and names
    // the stored position and the companion folder).
    TfrmPlr(swfp::tk::TComponent* owner, std::wstring executablePath);
    ~TfrmPlr() override;

    flashhost::TkxSWFPlayer2& Player() const { return *player_; }

    // Set by FormCreate.
    RECT MovieRect{};
    RECT ZoomRect{};
    std::unique_ptr<swfp::tk::Bitmap32> Snapshot;
    swfp::tk::TBitmapLayer* SelectionLayer = nullptr;
    swfp::tk::TBitmapLayer* ShadeLayer = nullptr;
    const NOTIFYICONDATAA& NotifyIconData() const { return iconData_; }
    bool TrayIconAdded() const { return trayAdded_; }

    ZoomNavigatorHooks Navigator;

    // Handlers bound by the layout.
    void FormCreate(swfp::tk::TComponent&) override;
    void FormShow(swfp::tk::TComponent&) override;
    void FormActivate(swfp::tk::TComponent&) override;
    void FormResize(swfp::tk::TComponent&) override;
    void FormCloseQuery(swfp::tk::TComponent&, bool& canClose) override;
    void FormDestroy(swfp::tk::TComponent&) override;
    void ActionList1Update(swfp::tk::TAction&, bool& handled) override;
    void actCloseExecute(swfp::tk::TAction&) override;
    void actPrintExecute(swfp::tk::TAction&) override;
    void actAboutExecute(swfp::tk::TAction&) override;
    void actZoomInExecute(swfp::tk::TAction&) override;
    void actZoomOutExecute(swfp::tk::TAction&) override;
    void actZoomAllExecute(swfp::tk::TAction&) override;
    void actLowQExecute(swfp::tk::TAction&) override;
    void actMedQExecute(swfp::tk::TAction&) override;
    void actHighQExecute(swfp::tk::TAction&) override;
    void actPlayExecute(swfp::tk::TAction&) override;
    void actSoundExecute(swfp::tk::TAction&) override;
    void actLoopExecute(swfp::tk::TAction&) override;
    void actRewindExecute(swfp::tk::TAction&) override;
    void actForwardExecute(swfp::tk::TAction&) override;
    void actBackExecute(swfp::tk::TAction&) override;
    void actStopExecute(swfp::tk::TAction&) override;
    void actEndExecute(swfp::tk::TAction&) override;
    void tmrRefresherTimer(swfp::tk::TComponent&) override;
    void ProgressSliderChange(swfp::tk::TComponent&) override;
    void imgDetailsBottomMouseDown(swfp::tk::TComponent&, swfp::tk::MouseButton, swfp::tk::ShiftState, int,
                                   int) override;
    void plrMouseDown(swfp::tk::TComponent&, swfp::tk::MouseButton, swfp::tk::ShiftState, int, int) override;
    void plrFSCommand(swfp::tk::TComponent&, const std::wstring& command, const std::wstring& args) override;

    // Opens a file through the shell (a seam for tests).
    std::function<void(const std::string& path)> OpenWithShell;

protected:
    void MakeCreateParams(swfp::tk::CreateParams& p) override;
    void WndProc(swfp::tk::Message& m) override;
    void SetVisible(bool v) override;

private:
    void ApplyCursor();
    void ApplyVisibility();
    void ApplyWindowStyle();
    void PlaceWindow();
    void FillInformationLabels();
    void SetUpTrayIcon();
    void TrayMessage(LPARAM mouseMessage);
    StoredPosition PositionOnScreen();
    void StartDrag();

    std::wstring executablePath_;
    std::string executablePathAnsi_;
    flashhost::TkxSWFPlayer2* player_ = nullptr;
    NOTIFYICONDATAA iconData_{};
    bool trayAdded_ = false;
    bool maximise_ = false;  // window mode 2: shown maximised without border
};
