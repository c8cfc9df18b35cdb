#include "player/navigator_math.h"

#include <cmath>
#include <cstdlib>

int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

SelectionSize SelectionSizeFor(int viewWidth, int sliderPosition, double aspect)
{
    SelectionSize size;
    size.width = (viewWidth * 100) / (sliderPosition + 100);
    size.height = RoundHalfEven(size.width * aspect);
    return size;
}

NavPoint SelectionCentre(SelectionSize size, double layerLeft, double layerTop)
{
    return {RoundHalfEven(size.width / 2.0 + layerLeft), RoundHalfEven(size.height / 2.0 + layerTop)};
}

NavPoint ClampSelection(NavPoint p, const NavView& view, SelectionSize size)
{
    if (p.x < view.left)
        p.x = view.left;
    if (p.x + size.width > view.left + view.width)
        p.x = view.left + view.width - size.width;
    if (p.y < view.top)
        p.y = view.top;
    if (p.y + size.height > view.top + view.height)
        p.y = view.top + view.height - size.height;
    return p;
}

TwipsRect ZoomRectFor(const TwipsRect& movie, const NavView& view, SelectionSize size, double layerLeft, double layerTop)
{
    if (view.width <= 0 || view.height <= 0)
        return movie;
    const int32_t mw = movie.right - movie.left;
    const int32_t mh = movie.bottom - movie.top;
    // 32-bit products, wrapping as the original integer arithmetic did
    const auto product = [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<int64_t>(a) * b); };
    const int w = RoundHalfEven(double(product(mw, size.width)) / view.width);
    const int h = RoundHalfEven(double(product(mh, size.height)) / view.height);
    const int l = RoundHalfEven((layerLeft - view.left) * mw / view.width);
    const int t = RoundHalfEven((layerTop - view.top) * mh / view.height);
    return {l, t, l + w, t + h};
}

NavPoint SelectionGlide::Step()
{
    if (dx_ > 0)
        current_.x += (target_.x - current_.x) / dx_;
    if (dy_ > 0)
        current_.y += (target_.y - current_.y) / dy_;
    if (dx_ > std::abs(target_.x - current_.x))
        --dx_;
    if (dy_ > std::abs(target_.y - current_.y))
        --dy_;
    return current_;
}

NavMouseAction NavigatorMouse::Down(NavPoint at, double selLeft, double selTop, SelectionSize size, const NavView& view)
{
    const bool onSelection = at.x >= selLeft && at.x < selLeft + size.width && at.y >= selTop && at.y < selTop + size.height;
    if (onSelection) {
        following_ = false;
        dragging_ = true;
        dragOffset_ = {at.x - RoundHalfEven(selLeft), at.y - RoundHalfEven(selTop)};
        return {NavMouseAction::Kind::Nothing, {}, {}, true};
    }
    const bool inView = at.x >= view.left && at.x < view.left + view.width && at.y >= view.top && at.y < view.top + view.height;
    if (!inView)
        return {};
    following_ = true;
    return {NavMouseAction::Kind::StartGlide, at, SelectionCentre(size, selLeft, selTop), true};
}

NavMouseAction NavigatorMouse::Move(NavPoint at, double selLeft, double selTop, SelectionSize size)
{
    if (dragging_)
        return {NavMouseAction::Kind::PlaceSelection, {at.x - dragOffset_.x, at.y - dragOffset_.y}, {}, false};
    if (following_)
        return {NavMouseAction::Kind::StartGlide, at, SelectionCentre(size, selLeft, selTop), true};
    return {};
}

void NavigatorMouse::Up()
{
    dragging_ = false;
    following_ = false;
}
