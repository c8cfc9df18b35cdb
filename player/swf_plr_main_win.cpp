#include "player/swf_plr_main_win.h"

#include <stdexcept>

#include "app/instance_name.h"
#include "app/package_reader_win.h"
#include "app/swf_plr_globals.h"
#include "app/swf_plr_globals_win.h"
#include "flashrt/import_hooks_win.h"
#include "flashrt/stream_adapter.h"
#include "player/byte_size.h"
#include "player/fs_commands.h"
#include "player/playback_rules.h"
#include "player/swf_plr_about_win.h"
#include "player/tray_icon_win.h"
#include "player/window_placement.h"
#include "player/window_position_win.h"
#include "player/zoom_navigator_win.h"
#include "toolkit/application_win.h"
#include "winbase/text_win.h"

using namespace swfp;
using namespace swfp::tk;
using swfp::win::AnsiToWide;
using swfp::win::WideToAnsi;

namespace {

constexpr WPARAM kPrintCommand = 20054;
constexpr int kCustomCursor = 1;

char UserDecimalSeparator()
{
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) > 1)
        return text[0];
    return '.';
}

bool IsExistingFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes the player control the layout asks for, with its stored properties,
// and binds its own events (it keeps them apart from the toolkit's).
layouts::ControlFactory PlayerFactory()
{
    return [](TForm& form, const layouts::ComponentLayout&, const layouts::Handlers& handlers) -> TControl& {
        auto& player = form.Make<flashhost::TkxSWFPlayer2>();
        // Every stored property, in the layout's order, reaches the object before any window exists.
        player.SetFrameNum(-1);
        player.SetPlaying(false);
        player.SetQuality(1);
        player.SetScaleMode(0);
        player.SetAlignMode(0);
        player.SetBackgroundColor(-1);
        player.SetLoop(false);
        player.SetWMode(L"Window");
        player.SetMenu(false);
        player.SetScale(L"ShowAll");
        player.SetDeviceFont(false);
        player.SetEmbedMovie(false);
        player.SetQuality2(L"High");
        player.SetAllowScriptAccess(L"always");
        player.MouseInteract = false;
        player.KeybInteract = false;
        if (auto down = handlers.mouse.find("plrMouseDown"); down != handlers.mouse.end())
            player.OnMouseDown = down->second;
        // The window is still being built: the handler is looked up when the event comes.
        auto* window = static_cast<layouts::TfrmPlrBase*>(&form);
        player.OnFSCommand = [window](flashhost::TFlashPlayerControl& sender, const std::wstring& command,
                                      const std::wstring& args) { window->plrFSCommand(sender, command, args); };
        return player;
    };
}

// Moves a slider without raising its change event; the event comes back also when moving fails.
class SliderChangeDetached {
public:
    explicit SliderChangeDetached(TDIBSlider& slider) : slider_(slider), saved_(std::move(slider.OnChange))
    {
        slider_.OnChange = nullptr;
    }
    ~SliderChangeDetached() { slider_.OnChange = std::move(saved_); }
    SliderChangeDetached(const SliderChangeDetached&) = delete;
    SliderChangeDetached& operator=(const SliderChangeDetached&) = delete;

private:
    TDIBSlider& slider_;
    NotifyEvent saved_;
};

}  // namespace

TfrmPlr::TfrmPlr(TComponent* owner, std::wstring executablePath)
    : TfrmPlrBase(owner, PlayerFactory()),
      executablePath_(std::move(executablePath)),
      executablePathAnsi_(WideToAnsi(executablePath_))
{
    player_ = dynamic_cast<flashhost::TkxSWFPlayer2*>(plr);
    if (!player_)
        throw std::logic_error("The player window's layout made no player control");
    OpenWithShell = [this](const std::string& path) {
        ShellExecuteA(Handle(), "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    InstallZoomNavigator(*this);
    DoCreate();
}

TfrmPlr::~TfrmPlr() { DoDestroy(); }

void TfrmPlr::MakeCreateParams(CreateParams& p)
{
    TfrmPlrBase::MakeCreateParams(p);
    p.className = L"TfrmPlr";
}

void TfrmPlr::WndProc(Message& m)
{
    if (m.msg == kTrayCallbackMessage) {
        TrayMessage(m.lParam);
        m.result = 0;
        return;
    }
    TfrmPlrBase::WndProc(m);
    // Dragging by the body: an uncovered part of the client area acts as the caption.
    if (m.msg == WM_NCHITTEST && g_PlayerSettings.DragAnywhere && m.result == HTCLIENT)
        m.result = HTCAPTION;
}

// ---------------------------------------------------------------- life cycle

void TfrmPlr::FormCreate(TComponent&)
{
    const PlayerSettings& s = g_PlayerSettings;
    HandleNeeded();
    if (HICON big = ApplicationIcon(false))
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, LPARAM(big));
    if (HICON small = ApplicationIcon(true))
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, LPARAM(small));

    ApplyCursor();                                                                      // 1
    // The movie stays in the file: the runtime reads it from there as it binds.
    LoadPackagedMovie(executablePath_, [this](std::unique_ptr<flashrt::TStream> movie) { // 2
        try {
            player_->LoadMovieFromStreamNoCopy(std::move(movie));
        } catch (const flashhost::EOleError&) {
            // Without a Flash runtime the movie cannot be handed on; its
            // information is read all the same and the window opens empty.
            if (player_->HasOleObject())
                throw;
        }
    });
    if (const std::string title = CountedString(s.Title); !title.empty()) {            // 3
        SetCaption(AnsiToWide(title));
        Application().SetTitle(AnsiToWide(title));
    }
    if (s.SingleInstance) {                                                             // 4
        // Deliberately never closed: it refuses further starts of this file name
        // until the process ends.
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024,
                           InstanceMappingName(executablePath_).c_str());
    }
    if (s.ShowTrayIcon)                                                                 // 5
        SetUpTrayIcon();
    player_->KeybInteract = s.KeybInteract != 0;                                        // 6
    player_->MouseInteract = s.MouseInteract != 0;
    pnControls->SetVisible(s.ShowControls != 0);                                        // 7

    SelectionLayer = &image->AddLayer();                                                // 8
    SelectionLayer->Bitmap.Mode = DrawMode::Blend;
    SelectionLayer->Bitmap.Canvas.BrushColor = 0xFFFFFF;
    SelectionLayer->Bitmap.Canvas.PenColor = 0xFFFFFF;
    ShadeLayer = &image->AddLayer();
    ShadeLayer->Bitmap.Canvas.BrushColor = 7308177;
    ShadeLayer->Bitmap.Mode = DrawMode::Blend;
    ShadeLayer->Bitmap.ResetAlpha(255);
    ShadeLayer->Bitmap.MasterAlpha = 192;

    SetMenu(s.ShowMainMenu ? mnMain : nullptr);                                         // 9
    player_->SetPopupMenu(s.ShowPopupMenu ? mnPopup : nullptr);
    pnControls->SetPopupMenu(s.ShowPopupMenu ? mnPopup : nullptr);

    actSound->SetChecked(flashrt::GetFlashSoundEnabled());                             // 10
    actLoop->SetChecked(s.Loop != 0);
    actPlay->SetChecked(s.AutoPlay != 0);

    ApplyVisibility();                                                                  // 11 to 13
    ScreenSnap = s.ScreenSnap != 0;                                                     // 14
    SnapBuffer = s.SnapBuffer;
    ApplyWindowStyle();                                                                 // 15
    PlaceWindow();                                                                      // 16

    MovieRect = {0, 0, player_->MovieWidth() * 20, player_->MovieHeight() * 20};        // 17
    ZoomRect = MovieRect;
    Snapshot = std::make_unique<Bitmap32>();                                            // 18
    if (const std::string name = CountedString(s.MovieName); !name.empty())             // 19
        lblMovieName->SetCaption(AnsiToWide(name));
    FillInformationLabels();                                                            // 20

    // 21. Without a runtime there is no object to call: the window opens without a movie.
    if (!player_->HasOleObject())
        return;
    player_->Rewind();
    player_->Stop();
    player_->SetLoop(actLoop->Checked());
    if (actPlay->Checked())
        player_->Play();
}

void TfrmPlr::ApplyCursor()
{
    if (!g_PlayerSettings.UseCustomCursor) {
        player_->SetCursor(crDefault);
        return;
    }
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TControl*>(component.get()))
            control->SetCursor(kCustomCursor);
    SetCursor(kCustomCursor);
}

void TfrmPlr::ApplyVisibility()
{
    const uint16_t bits = g_PlayerSettings.VisibleCommands;
    const std::pair<TAction*, PlayerCommand> commands[] = {
        {actZoomIn, PlayerCommand::ZoomIn},   {actZoomOut, PlayerCommand::ZoomOut}, {actZoomAll, PlayerCommand::ZoomAll},
        {actPlay, PlayerCommand::Play},       {actStop, PlayerCommand::Stop},       {actLoop, PlayerCommand::Loop},
        {actRewind, PlayerCommand::Rewind},   {actForward, PlayerCommand::Forward}, {actBack, PlayerCommand::Back},
        {actEnd, PlayerCommand::End},         {actPrint, PlayerCommand::Print},     {actSound, PlayerCommand::Sound},
        {actClose, PlayerCommand::Close},     {actAbout, PlayerCommand::About},
    };
    for (const auto& [action, command] : commands)
        action->SetVisible(CommandVisible(bits, command));
    const bool quality = CommandVisible(bits, PlayerCommand::QualityMenus);
    for (const char* name : {"mnQuality1", "mnQuality2"})
        if (TMenuItem* item = MenuItem(name))
            item->SetVisible(quality);

    // The control panel always shows its full set of buttons; only the menus follow the bits.
    for (TDIBButton* button : {btnPlay, btnPause, btnStop, btnForward, btnBack, btnRewind, btnEnd, btnSoundOn})
        button->SetVisible(true);

    // A top-level menu stays when one of its items is enabled and visible (separators count).
    for (const char* name : {"mnFile", "mnView", "mnControl", "mnHelp"}) {
        TMenuItem* menu = mnMain->Find(name);
        if (!menu)
            continue;
        menu->SetVisible(false);
        // The toolkit keeps separators disabled (they cannot be chosen); they still count here.
        for (const auto& item : menu->Items())
            if ((item->Enabled() || item->IsSeparator()) && item->Visible()) {
                menu->SetVisible(true);
                break;
            }
    }
}

void TfrmPlr::ApplyWindowStyle()
{
    HWND hwnd = Handle();
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (g_PlayerSettings.Resizable)
        style |= WS_THICKFRAME;
    else
        style &= ~WS_THICKFRAME;
    if (g_PlayerSettings.CaptionMode == 1)
        style &= ~WS_CAPTION;
    else if (g_PlayerSettings.CaptionMode == 2)
        style &= ~(WS_CAPTION | WS_THICKFRAME);
    SetWindowLongA(hwnd, GWL_STYLE, style);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TfrmPlr::PlaceWindow()
{
    const PlayerSettings& s = g_PlayerSettings;
    APPBARDATA taskbar{};
    taskbar.cbSize = sizeof taskbar;
    SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar);

    PlacementInput in;
    in.windowMode = s.WindowMode;
    in.windowPosition = s.WindowPosition;
    in.rememberPosition = s.RememberPosition != 0;
    in.controlsVisible = pnControls->Visible();
    in.windowLeft = s.WindowLeft;
    in.windowTop = s.WindowTop;
    in.windowWidth = s.WindowWidth;
    in.windowHeight = s.WindowHeight;
    in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    in.taskbarHeight = taskbar.rc.bottom - taskbar.rc.top;
    in.left = Left();
    in.top = Top();
    in.width = Width();
    in.height = Height();
    if (in.rememberPosition)
        if (const auto stored = LoadWindowPosition(executablePathAnsi_)) {
            in.storedLeft = stored->left;
            in.storedTop = stored->top;
        }

    const PlacementResult out = ::PlaceWindow(in);
    if (out.playerMinWidth) {
        SizeConstraints c = pnPlayer->Constraints();
        c.minWidth = *out.playerMinWidth;
        pnPlayer->SetConstraints(c);
    }
    if (out.windowMinWidth) {
        SizeConstraints c = Constraints();
        c.minWidth = *out.windowMinWidth;
        SetConstraints(c);
    }
    if (out.maximiseWithoutBorder) {
        HWND hwnd = Handle();
        SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~(WS_CAPTION | WS_THICKFRAME | WS_BORDER));
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        maximise_ = true;
        return;
    }
    SetBounds(out.left, out.top, out.width, out.height);
}

void TfrmPlr::SetVisible(bool v)
{
    TfrmPlrBase::SetVisible(v);
    if (v && maximise_)
        ShowWindow(Handle(), SW_MAXIMIZE);
}

void TfrmPlr::FillInformationLabels()
{
    const char separator = UserDecimalSeparator();
    auto text = [](const std::string& s) { return AnsiToWide(s); };
    lblMovieSize->SetCaption(
        text(std::to_string(player_->MovieWidth()) + " x " + std::to_string(player_->MovieHeight()) + " px"));
    lblMovieFilesize->SetCaption(text(FormatByteSize(player_->MovieSize(), separator)));
    const long totalFrames = player_->TotalFrames();
    lblMovieFrames->SetCaption(text(FrameCounterText(0, int(totalFrames))));
    {
        SliderChangeDetached detached(*ProgressSlider);
        ProgressSlider->SetMax(int(totalFrames) - 1);
    }
    lblMovieFPS->SetCaption(text(FormatFixed2(player_->MovieFPS(), separator)));
    lblMovieVer->SetCaption(text(std::to_string(int(player_->MovieFlashVersion()))));
    lblMovieCompressed->SetCaption(player_->Compressed() ? L"True" : L"False");
}

void TfrmPlr::FormShow(TComponent&)
{
    if (g_PlayerSettings.HideTaskbarButton)
        ShowWindow(Application().Handle(), SW_HIDE);
}

void TfrmPlr::FormActivate(TComponent&)
{
    if (g_PlayerSettings.StayOnTop)
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

void TfrmPlr::FormResize(TComponent&)
{
    const int minHeight = pnPlayer->Constraints().minHeight;
    if (pnControls->Visible() && pnPlayer->Height() <= minHeight)
        pnPlayer->SetHeight(minHeight);
    if (Snapshot)
        Snapshot->SetSize(player_->Width(), player_->Height());
}

void TfrmPlr::FormCloseQuery(TComponent&, bool& canClose)
{
    tmrRefresher->SetEnabled(false);
    canClose = true;
}

void TfrmPlr::FormDestroy(TComponent&)
{
    // Removed whether or not it was added; the shell ignores an unknown icon.
    Shell_NotifyIconA(NIM_DELETE, &iconData_);
    trayAdded_ = false;
    if (g_PlayerSettings.RememberPosition) {
        SaveWindowPosition(executablePathAnsi_, PositionOnScreen());
    }
    Snapshot.reset();
}

// ---------------------------------------------------------------- commands

void TfrmPlr::ActionList1Update(TAction&, bool& handled)
{
    actPlay->SetChecked(player_->Playing());
    btnPlay->SetVisible(!actPlay->Checked());
    btnPause->SetVisible(actPlay->Checked());
    handled = true;
}

void TfrmPlr::actPlayExecute(TAction&) { player_->SetPlaying(!player_->Playing()); }

void TfrmPlr::actStopExecute(TAction&)
{
    if (!player_->HasOleObject())
        return;
    player_->Rewind();
    player_->StopPlay();
}

// The control's methods raise without a Flash object; with no runtime the commands do nothing.
void TfrmPlr::actRewindExecute(TAction&)
{
    if (player_->HasOleObject())
        player_->Rewind();
}

void TfrmPlr::actForwardExecute(TAction&)
{
    if (player_->HasOleObject())
        player_->Forward();
}

void TfrmPlr::actBackExecute(TAction&)
{
    if (player_->HasOleObject())
        player_->Back();
}

void TfrmPlr::actEndExecute(TAction&)
{
    if (player_->HasOleObject())
        player_->GotoFrame(player_->TotalFrames() - 1);
}
void TfrmPlr::actLoopExecute(TAction&) { player_->SetLoop(actLoop->Checked()); }

void TfrmPlr::actSoundExecute(TAction&)
{
    flashrt::SetFlashSoundEnabled(actSound->Checked());
    btnSoundOn->SetVisible(actSound->Checked());
    btnSoundOff->SetVisible(!actSound->Checked());
}

void TfrmPlr::actLowQExecute(TAction&) { player_->SetQuality(0); }
void TfrmPlr::actMedQExecute(TAction&) { player_->SetQuality(1); }
// The same value as Medium: the control has no higher setting the player uses.
void TfrmPlr::actHighQExecute(TAction&) { player_->SetQuality(1); }

void TfrmPlr::actPrintExecute(TAction&) { SendMessageW(player_->Handle(), WM_COMMAND, kPrintCommand, 0); }

void TfrmPlr::actCloseExecute(TAction&) { Close(); }

void TfrmPlr::actAboutExecute(TAction&)
{
    TfrmAbout about(this);
    about.ShowModal();
}

void TfrmPlr::actZoomInExecute(TAction&)
{
    if (!player_->HasOleObject())
        return;
    if (pnControls->Visible() && Navigator.ZoomIn)
        Navigator.ZoomIn();
    else if (!pnControls->Visible())
        player_->Zoom(80);
}

void TfrmPlr::actZoomOutExecute(TAction&)
{
    if (!player_->HasOleObject())
        return;
    if (pnControls->Visible() && Navigator.ZoomOut)
        Navigator.ZoomOut();
    else if (!pnControls->Visible())
        player_->Zoom(120);
}

void TfrmPlr::actZoomAllExecute(TAction&)
{
    if (!player_->HasOleObject())
        return;
    if (pnControls->Visible() && Navigator.ZoomAll)
        Navigator.ZoomAll();
    else if (!pnControls->Visible())
        player_->SetZoomRect(MovieRect.left, MovieRect.top, MovieRect.right, MovieRect.bottom);
}

void TfrmPlr::ProgressSliderChange(TComponent&) { player_->SetFrameNum(ProgressSlider->Position()); }

void TfrmPlr::tmrRefresherTimer(TComponent&)
{
    // The navigator shows the Flash object's picture; without one there is nothing to refresh.
    if (pnControls->Visible() && Navigator.Refresh && player_->HasOleObject())
        Navigator.Refresh();
    lblMovieFrames->SetCaption(AnsiToWide(FrameCounterText(int(player_->FrameNum()), int(player_->TotalFrames()))));
    {
        SliderChangeDetached detached(*ProgressSlider);
        // The runtime loads asynchronously: the frame count may arrive after the window was set up.
        const int last = int(player_->TotalFrames()) - 1;
        if (ProgressSlider->Max() != last) ProgressSlider->SetMax(last);
        ProgressSlider->SetPosition(int(player_->FrameNum()));
    }
    if (ShouldRestartLoop(int(player_->FrameNum()), int(player_->TotalFrames()), player_->Loop() ? -1 : 0,
                          player_->Playing() ? -1 : 0)) {
        if (player_->HasOleObject()) {
            player_->Rewind();
            player_->Play();
        }
    }
}

// ---------------------------------------------------------------- movie commands

void TfrmPlr::plrFSCommand(TComponent&, const std::wstring& command, const std::wstring& args)
{
    const FsCommandAction action = DecideFsCommand(command, WideToAnsi(args), CompanionFolder(executablePathAnsi_));
    switch (action.kind) {
    case FsCommandAction::Kind::OpenFile:
        if (IsExistingFile(action.path) && OpenWithShell)
            OpenWithShell(action.path);
        break;
    case FsCommandAction::Kind::Close:
        Close();
        break;
    case FsCommandAction::Kind::Nothing:
        break;
    }
}

// ---------------------------------------------------------------- dragging and tray

void TfrmPlr::StartDrag()
{
    if (g_PlayerSettings.DragAnywhere)
        SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void TfrmPlr::plrMouseDown(TComponent&, MouseButton, ShiftState, int, int)
{
    if (pnControls->Visible())
        ReleaseCapture();
    StartDrag();
}

void TfrmPlr::imgDetailsBottomMouseDown(TComponent&, MouseButton, ShiftState, int, int)
{
    ReleaseCapture();
    StartDrag();
}

void TfrmPlr::SetUpTrayIcon()
{
    HICON icon = ApplicationIcon(true) ? ApplicationIcon(true) : Application().Icon();
    iconData_ = MakeNotifyIconData(Handle(), icon, g_PlayerSettings, WideToAnsi(Application().Title()));
    trayAdded_ = Shell_NotifyIconA(NIM_ADD, &iconData_) != FALSE;
}

// Where the window really is (the user or another program may have moved it),
// in its normal state when it is minimised or maximised.
StoredPosition TfrmPlr::PositionOnScreen()
{
    RECT r{Left(), Top(), 0, 0};
    if (!HandleAllocated())
        return {r.left, r.top};
    GetWindowRect(WindowHandle(), &r);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetWindowPlacement(WindowHandle(), &placement) ||
        !GetMonitorInfoW(MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST), &monitor))
        return {r.left, r.top};
    // Work-area coordinates count from the work area's corner, screen ones from the monitor's.
    const StoredPosition origin{monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top};
    return PositionToRemember(IsIconic(WindowHandle()) || IsZoomed(WindowHandle()), {r.left, r.top},
                              {placement.rcNormalPosition.left, placement.rcNormalPosition.top}, origin);
}

void TfrmPlr::TrayMessage(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        switch (TrayRestoreFor(IsWindowVisible(WindowHandle()) != FALSE, IsIconic(WindowHandle()) != FALSE)) {
        case TrayRestore::Restore:
            ShowWindow(WindowHandle(), SW_RESTORE);
            break;
        case TrayRestore::Show:
            Show();
            break;
        case TrayRestore::Nothing:
            break;
        }
        SetForegroundWindow(Handle());
    } else if (mouseMessage == WM_RBUTTONUP) {
        SetForegroundWindow(Handle());
        POINT at{};
        GetCursorPos(&at);
        if (TPopupMenu* menu = player_->PopupMenu())
            menu->Popup(at.x, at.y);
    }
}
