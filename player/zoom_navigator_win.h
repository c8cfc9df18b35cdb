#pragma once
// The zoom navigator of the control panel: a snapshot of the whole movie in
// the picture control `image`, a bright selection over a dimmed picture, the
// zoom slider sizing the selection, drags and glides moving it, and on every
// refresher tick the Flash control told to show exactly the selected part.
#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "player/navigator_math.h"
#include "toolkit/bitmap32.h"
#include "toolkit/component.h"

class TfrmPlr;
class TMoveSelectionThread;

class TZoomNavigator : public swfp::tk::TComponent {
public:
    // Installs itself into the window's navigator hooks, the mouse events of
    // `image` and the window's destruction (which ends a running glide first).
    TZoomNavigator(swfp::tk::TComponent* owner, TfrmPlr& form);
    ~TZoomNavigator() override;

    // One refresher tick while the control panel shows: the whole movie is
    // painted into the snapshot, the selection refitted and the zoom applied.
    void Refresh();
    // The selection refitted to a snapshot and the zoom slider.
    void RefitSelection(const swfp::tk::Bitmap32& snapshot);
    // The window's zoom rectangle from the selection (not applied here).
    void ComputeZoomRect();
    // The selection with its top-left corner at (x, y), kept inside the view.
    void PlaceSelection(int x, int y);

    void ZoomIn();
    void ZoomOut();
    void ZoomAll();

    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();

    // Asks every glide to stop and waits until all have ended.
    void StopAnimations();

    const NavView& View() const { return view_; }
    SelectionSize Selection() const { return {SelWidth, SelHeight}; }
    // The glide running at the moment, or none.
    const TMoveSelectionThread* MoveThread() const;
    const NavigatorMouse& Mouse() const { return mouse_; }

    int SelWidth = 0, SelHeight = 0;
    double Aspect = 0;

private:
    friend class TMoveSelectionThread;
    static LRESULT CALLBACK SyncWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void StartGlide(NavPoint from, NavPoint to);
    void StopGlide();
    void ReapEndedGlides();
    // Runs on the window's thread: the selection centred on a glide's point.
    void PlaceCentre(NavPoint centre);
    NavPoint SelectionTopLeft() const;

    TfrmPlr& form_;
    NavView view_;
    NavigatorMouse mouse_;
    TMoveSelectionThread* moveThread_ = nullptr;
    // Every glide not yet joined: one that was asked to stop may finish its step.
    std::vector<std::unique_ptr<TMoveSelectionThread>> glides_;
    // A message-only window: glides run their placements through it on this thread.
    struct WindowCloser {
        void operator()(HWND window) const { DestroyWindow(window); }
    };
    std::unique_ptr<std::remove_pointer_t<HWND>, WindowCloser> syncWindow_;
    bool closing_ = false;      // glides are being stopped and joined
    bool windowGoing_ = false;  // the window is being destroyed: no new glides
};

// Creates the navigator of a player window; the window owns it.
TZoomNavigator& InstallZoomNavigator(TfrmPlr& form);

// Paints a window's client area into a 32-bit bitmap of the bitmap's size
// (opaque pixels), the way a control paints itself for printing.
void PaintWindowTo(HWND window, swfp::tk::Bitmap32& target);
