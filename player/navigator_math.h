#pragma once
// The zoom navigator's arithmetic: the selection's size from the zoom slider,
// its clamped placement in the view, the zoom rectangle it stands for, the
// eased glide towards a clicked point, and the mouse states. Pure functions;
// the window owns the layers and applies the results.
#include <cstdint>

struct TwipsRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TwipsRect&) const = default;
};

struct NavPoint {
    int x = 0, y = 0;
    bool operator==(const NavPoint&) const = default;
};

// Where the navigator picture draws the movie, in its own pixels.
struct NavView {
    int left = 0, top = 0, width = 0, height = 0;
};

struct SelectionSize {
    int width = 0, height = 0;
};

// Round to nearest, halves to the even neighbour (the rounding the navigator
// has always used; it decides single pixels at the edges).
int RoundHalfEven(double value);

// Selection size for a slider position 0..300: the view's width divided by the
// magnification (position + 100) / 100, the height following the snapshot's aspect.
SelectionSize SelectionSizeFor(int viewWidth, int sliderPosition, double aspect);

// The selection's centre from its size and the layer's location.
NavPoint SelectionCentre(SelectionSize size, double layerLeft, double layerTop);

// Top-left corner of the selection kept inside the view.
NavPoint ClampSelection(NavPoint topLeft, const NavView& view, SelectionSize size);

// The part of the movie the selection stands for. Products in 32-bit integers,
// quotients in floating point. A view without area shows the whole movie.
TwipsRect ZoomRectFor(const TwipsRect& movie, const NavView& view, SelectionSize size, double layerLeft, double layerTop);

// One glide of the selection's centre towards a target: each step covers a
// tenth of the remaining distance, easing in with shrinking divisors so that
// the last steps land exactly on the target.
class SelectionGlide {
public:
    SelectionGlide(NavPoint start, NavPoint target) : current_(start), target_(target) {}
    // Advances one step and returns the new centre.
    NavPoint Step();
    bool Arrived() const { return current_ == target_; }
    NavPoint Current() const { return current_; }

private:
    NavPoint current_, target_;
    int dx_ = 10, dy_ = 10;
};

// What a press, a move or a release on the navigator asks for.
struct NavMouseAction {
    enum class Kind { Nothing, PlaceSelection, StartGlide } kind = Kind::Nothing;
    NavPoint point;       // PlaceSelection: the top-left corner; StartGlide: the target
    NavPoint glideStart;  // StartGlide: the selection's present centre
    bool stopGlide = false;
};

class NavigatorMouse {
public:
    // `selection` is the layer's location; `view` the picture's rectangle.
    NavMouseAction Down(NavPoint at, double selLeft, double selTop, SelectionSize size, const NavView& view);
    NavMouseAction Move(NavPoint at, double selLeft, double selTop, SelectionSize size);
    void Up();
    bool Dragging() const { return dragging_; }
    bool Following() const { return following_; }

private:
    bool dragging_ = false, following_ = false;
    NavPoint dragOffset_;
};
