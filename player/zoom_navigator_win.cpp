#include "player/zoom_navigator_win.h"

#include <cstring>
#include <stdexcept>

#include "player/move_selection_thread.h"
#include "player/swf_plr_main_win.h"
#include "toolkit/application_win.h"
#include "winbase/handles_win.h"

using namespace swfp::tk;

namespace {

// The Flash window's own command that leaves the whole movie in view.
constexpr WPARAM kShowAllCommand = 20034;
// The dimming colour of the shade layer and the picture's background.
constexpr uint32_t kShadeColour = 7308177;
constexpr uint8_t kShadeMasterAlpha = 192;
// A glide's placement, sent from its worker; lParam points at the centre.
constexpr UINT kPlaceMessage = WM_APP + 0x2A1;
constexpr wchar_t kSyncClass[] = L"SwfpZoomNavigatorSync";

ATOM RegisterSyncClass(WNDPROC proc)
{
    static const ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kSyncClass;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

RECT ToRect(const TwipsRect& r) { return {r.left, r.top, r.right, r.bottom}; }
TwipsRect ToTwips(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A top-down 32-bit DIB selected into a memory DC. The bitmap is deselected
// before it is deleted, and deleted before its DC (members go in reverse order).
class DibCanvas {
public:
    DibCanvas(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows, as Bitmap32 keeps them
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_.reset(CreateCompatibleDC(nullptr));
        if (dc_)
            bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        if (!bitmap_ || !bits_)
            throw std::runtime_error("No drawing surface for the navigator's snapshot");
        previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~DibCanvas()
    {
        if (previous_)
            SelectObject(dc_.get(), previous_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    const uint32_t* Bits() const { return static_cast<const uint32_t*>(bits_); }

private:
    swfp::win::UniqueDC dc_;
    swfp::win::UniqueGdiObject<HBITMAP> bitmap_;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

void PaintWindowTo(HWND window, Bitmap32& target)
{
    if (target.Empty() || !window)
        return;
    DibCanvas canvas(target.Width(), target.Height());
    // Controls that print themselves answer WM_PRINT; the default handling
    // turns it into an erase and WM_PRINTCLIENT.
    SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    GdiFlush();
    const uint32_t* source = canvas.Bits();
    auto& pixels = target.Pixels();
    // GDI leaves the alpha byte undefined: the snapshot is an opaque picture.
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = source[i] | 0xFF000000u;
}

// ---------------------------------------------------------------- set-up

TZoomNavigator::TZoomNavigator(TComponent* owner, TfrmPlr& form) : TComponent(owner), form_(form)
{
    SetName("ZoomNavigator");
    RegisterSyncClass(&SyncWindowProc);
    syncWindow_.reset(CreateWindowExW(0, kSyncClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    if (!syncWindow_)
        throw std::runtime_error("The zoom navigator could not create its message window");
    SetWindowLongPtrW(syncWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    form_.Navigator.Refresh = [this] { Refresh(); };
    form_.Navigator.ZoomIn = [this] { ZoomIn(); };
    form_.Navigator.ZoomOut = [this] { ZoomOut(); };
    form_.Navigator.ZoomAll = [this] { ZoomAll(); };
    form_.image->OnMouseDown = [this](TComponent&, MouseButton, ShiftState, int x, int y) { MouseDown(x, y); };
    form_.image->OnMouseMove = [this](TComponent&, ShiftState, int x, int y) { MouseMove(x, y); };
    form_.image->OnMouseUp = [this](TComponent&, MouseButton, ShiftState, int, int) { MouseUp(); };
    // The window's destruction ends a running glide before the layers and the
    // window go: a placement must never reach a half-destroyed window.
    auto destroy = std::move(form_.OnDestroy);
    form_.OnDestroy = [this, destroy](TComponent& sender) {
        windowGoing_ = true;
        StopAnimations();
        if (destroy)
            destroy(sender);
    };
}

TZoomNavigator::~TZoomNavigator()
{
    // The window's destruction has normally stopped every glide already; the
    // window's own fields are gone by now and are not touched.
    StopAnimations();
}

TZoomNavigator& InstallZoomNavigator(TfrmPlr& form) { return form.Make<TZoomNavigator>(form); }

// ---------------------------------------------------------------- refresh

void TZoomNavigator::Refresh()
{
    flashhost::TkxSWFPlayer2& plr = form_.Player();
    const RECT& movie = form_.MovieRect;
    plr.SetZoomRect(movie.left, movie.top, movie.right, movie.bottom);
    if (form_.Snapshot) {
        // The resize handler keeps the snapshot at the control's size; before
        // the first resize it is still empty and is given that size here.
        if (form_.Snapshot->Empty())
            form_.Snapshot->SetSize(plr.Width(), plr.Height());
        PaintWindowTo(plr.Handle(), *form_.Snapshot);
        RefitSelection(*form_.Snapshot);
    }
    ComputeZoomRect();
    const RECT& zoom = form_.ZoomRect;
    if (ToTwips(zoom) == ToTwips(movie))
        SendMessageW(plr.Handle(), WM_COMMAND, kShowAllCommand, 0);
    else
        plr.SetZoomRect(zoom.left, zoom.top, zoom.right, zoom.bottom);
}

void TZoomNavigator::RefitSelection(const Bitmap32& snapshot)
{
    // Without a picture there is no view to select from; the selection stays
    // as it is and the zoom rectangle comes out as the whole movie.
    if (snapshot.Empty())
        return;
    TBitmapLayer& selection = *form_.SelectionLayer;
    TBitmapLayer& shade = *form_.ShadeLayer;

    form_.image->SetPicture(snapshot);
    const IntRect r = form_.image->GetBitmapRect();
    view_ = {r.left, r.top, r.width(), r.height()};
    Aspect = double(snapshot.Height()) / snapshot.Width();

    shade.Bitmap.SetSize(view_.width, view_.height);
    shade.Location = {double(r.left), double(r.top), double(r.right), double(r.bottom)};
    shade.Bitmap.ResetAlpha(255);
    shade.Bitmap.MasterAlpha = kShadeMasterAlpha;
    shade.Bitmap.CanvasFillRect({0, 0, view_.width, view_.height});

    const NavPoint centre = SelectionCentre({SelWidth, SelHeight}, selection.Location.left, selection.Location.top);
    const SelectionSize size = SelectionSizeFor(view_.width, form_.zoom_slider->Position(), Aspect);
    SelWidth = size.width;
    SelHeight = size.height;
    selection.Bitmap.SetSize(SelWidth, SelHeight);
    selection.Bitmap.CanvasFrameRect({0, 0, SelWidth, SelHeight});
    PlaceSelection(centre.x - SelWidth / 2, centre.y - SelHeight / 2);
}

void TZoomNavigator::ComputeZoomRect()
{
    const TBitmapLayer& selection = *form_.SelectionLayer;
    form_.ZoomRect = ToRect(ZoomRectFor(ToTwips(form_.MovieRect), view_, {SelWidth, SelHeight},
                                        selection.Location.left, selection.Location.top));
}

void TZoomNavigator::PlaceSelection(int x, int y)
{
    TBitmapLayer& selection = *form_.SelectionLayer;
    TBitmapLayer& shade = *form_.ShadeLayer;
    const NavPoint p = ClampSelection({x, y}, view_, {SelWidth, SelHeight});
    selection.Location = {double(p.x), double(p.y), double(p.x + SelWidth), double(p.y + SelHeight)};
    selection.Bitmap.CanvasFrameRect({0, 0, SelWidth, SelHeight});

    shade.Bitmap.Canvas.BrushColor = kShadeColour;
    shade.Bitmap.ResetAlpha(255);
    shade.Bitmap.MasterAlpha = kShadeMasterAlpha;
    const int l = p.x - view_.left, t = p.y - view_.top;
    shade.Bitmap.SetAlphaRect({l, t, l + SelWidth, t + SelHeight}, 0);
    form_.image->Changed();
}

// ---------------------------------------------------------------- commands

void TZoomNavigator::ZoomIn()
{
    form_.zoom_slider->SetPosition(form_.zoom_slider->Position() + 20);
    ComputeZoomRect();
}

void TZoomNavigator::ZoomOut()
{
    form_.zoom_slider->SetPosition(form_.zoom_slider->Position() - 20);
    ComputeZoomRect();
}

void TZoomNavigator::ZoomAll()
{
    form_.zoom_slider->SetPosition(0);
    ComputeZoomRect();
}

// ---------------------------------------------------------------- mouse

NavPoint TZoomNavigator::SelectionTopLeft() const
{
    return {RoundHalfEven(form_.SelectionLayer->Location.left), RoundHalfEven(form_.SelectionLayer->Location.top)};
}

void TZoomNavigator::MouseDown(int x, int y)
{
    const FloatRect& at = form_.SelectionLayer->Location;
    const NavMouseAction action = mouse_.Down({x, y}, at.left, at.top, {SelWidth, SelHeight}, view_);
    if (action.stopGlide)
        StopGlide();
    if (action.kind == NavMouseAction::Kind::StartGlide)
        StartGlide(action.glideStart, action.point);
}

void TZoomNavigator::MouseMove(int x, int y)
{
    const FloatRect& at = form_.SelectionLayer->Location;
    const NavMouseAction action = mouse_.Move({x, y}, at.left, at.top, {SelWidth, SelHeight});
    if (action.stopGlide)
        StopGlide();
    if (action.kind == NavMouseAction::Kind::PlaceSelection)
        PlaceSelection(action.point.x, action.point.y);
    else if (action.kind == NavMouseAction::Kind::StartGlide)
        StartGlide(action.glideStart, action.point);
}

void TZoomNavigator::MouseUp() { mouse_.Up(); }

// ---------------------------------------------------------------- glides

void TZoomNavigator::StartGlide(NavPoint from, NavPoint to)
{
    if (closing_ || windowGoing_)
        return;
    ReapEndedGlides();
    const HWND sync = syncWindow_.get();
    auto glide = std::make_unique<TMoveSelectionThread>(from, to, [sync](NavPoint centre) {
        // Waits until the window's thread has placed the selection.
        SendMessageW(sync, kPlaceMessage, 0, reinterpret_cast<LPARAM>(&centre));
    });
    moveThread_ = glide.get();
    glides_.push_back(std::move(glide));
}

const TMoveSelectionThread* TZoomNavigator::MoveThread() const
{
    // An animation that has ended is no longer the running one.
    return moveThread_ && !moveThread_->Finished() ? moveThread_ : nullptr;
}

void TZoomNavigator::StopGlide()
{
    if (moveThread_)
        moveThread_->Terminate();
}

void TZoomNavigator::ReapEndedGlides()
{
    std::erase_if(glides_, [this](const std::unique_ptr<TMoveSelectionThread>& g) {
        if (!g->Finished())
            return false;
        if (g.get() == moveThread_)
            moveThread_ = nullptr;
        g->Join();
        return true;
    });
}

void TZoomNavigator::StopAnimations()
{
    closing_ = true;
    for (auto& g : glides_)
        g->Terminate();
    // A worker may be waiting in SendMessage for this thread: serve sent
    // messages while waiting, or both would wait for ever.
    for (auto& g : glides_) {
        while (!g->Finished()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
            MSG m;
            PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        g->Join();
    }
    glides_.clear();
    moveThread_ = nullptr;
    closing_ = false;
}

void TZoomNavigator::PlaceCentre(NavPoint centre)
{
    // Placements still in flight while the navigator is stopping are dropped.
    if (closing_ || windowGoing_)
        return;
    PlaceSelection(centre.x - SelWidth / 2, centre.y - SelHeight / 2);
}

LRESULT CALLBACK TZoomNavigator::SyncWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kPlaceMessage) {
        auto* self = reinterpret_cast<TZoomNavigator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            try {
                self->PlaceCentre(*reinterpret_cast<const NavPoint*>(lParam));
            } catch (...) {
                Application().HandleException(std::current_exception());
            }
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
