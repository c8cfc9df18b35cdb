#include "app/swf_plr_globals_win.h"

#include <map>

namespace {

using swfp::win::UniqueCursor;
using swfp::win::UniqueIcon;

struct IconPair {
    UniqueIcon large, small;
};
IconPair& AppIcons()
{
    static IconPair icons;
    return icons;
}

std::map<int, UniqueCursor>& Cursors()
{
    static std::map<int, UniqueCursor> cursors;
    return cursors;
}

} // namespace

HICON ApplicationIcon(bool small) { return small ? AppIcons().small.get() : AppIcons().large.get(); }

void SetApplicationIcon(UniqueIcon large, UniqueIcon small)
{
    AppIcons().large = std::move(large);
    AppIcons().small = std::move(small);
}

HCURSOR CustomCursor(int number)
{
    const auto found = Cursors().find(number);
    if (found != Cursors().end() && found->second)
        return found->second.get();
    return LoadCursorW(nullptr, IDC_ARROW);
}

void SetCustomCursor(int number, HCURSOR cursor) { Cursors()[number].reset(cursor); }
