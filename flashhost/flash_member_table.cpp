#include "flashhost/flash_member_table.h"

#include <array>

namespace {

constexpr unsigned V(int version) { return 1u << version; }
constexpr unsigned kV3to8 = V(3) | V(4) | V(5) | V(6) | V(7) | V(8);

struct Row {
    FlashMember member;
    std::string_view name;
    unsigned versions;  // bit n set: forwarded to major version n
    int getter;
    int setter;
};

// The first row that names the member and lists the version applies.
constexpr std::array kRows = {
    Row{FlashMember::ReadyState, "ReadyState", kV3to8, 7, -1},
    Row{FlashMember::TotalFrames, "TotalFrames", kV3to8, 8, -1},
    Row{FlashMember::Playing, "Playing", kV3to8, 9, 10},
    Row{FlashMember::Quality, "Quality", kV3to8, 11, 12},
    Row{FlashMember::ScaleMode, "ScaleMode", kV3to8, 13, 14},
    Row{FlashMember::AlignMode, "AlignMode", kV3to8, 15, 16},
    Row{FlashMember::BackgroundColor, "BackgroundColor", kV3to8, 17, 18},
    Row{FlashMember::Loop, "Loop", kV3to8, 19, 20},
    Row{FlashMember::Movie, "Movie", kV3to8, 21, 22},
    Row{FlashMember::FrameNum, "FrameNum", kV3to8, 23, 24},
    Row{FlashMember::WMode, "WMode", kV3to8, 40, 41},
    Row{FlashMember::SAlign, "SAlign", kV3to8, 42, 43},
    Row{FlashMember::Menu, "Menu", kV3to8, 44, 45},
    Row{FlashMember::Base, "Base", kV3to8, 46, 47},
    Row{FlashMember::Scale, "Scale", kV3to8, 48, 49},
    Row{FlashMember::DeviceFont, "DeviceFont", kV3to8, 50, 51},
    Row{FlashMember::EmbedMovie, "EmbedMovie", kV3to8, 52, 53},
    Row{FlashMember::BGColor, "BGColor", kV3to8, 54, 55},
    Row{FlashMember::Quality2, "Quality2", kV3to8, 56, 57},
    Row{FlashMember::TGetPropertyAsNumber, "TGetPropertyAsNumber", V(7), 73, -1},
    Row{FlashMember::SWRemote, "SWRemote", V(4) | V(5), 73, 74},
    Row{FlashMember::SWRemote, "SWRemote", V(7) | V(8), 74, 75},
    Row{FlashMember::Stacking, "Stacking", V(5), 75, 76},
    Row{FlashMember::FlashVars, "FlashVars", V(7) | V(8), 76, 77},
    Row{FlashMember::AllowScriptAccess, "AllowScriptAccess", V(7) | V(8), 78, 79},
    Row{FlashMember::MovieData, "MovieData", V(7), 80, 81},
};

}  // namespace

int FlashLayoutVersion(long flashVersion)
{
    const int major = static_cast<int>((static_cast<unsigned long>(flashVersion) >> 16) & 0xFF);
    return major > 8 ? 8 : major;
}

std::optional<FlashMemberSlots> FlashMemberSlotsFor(FlashMember member, int layoutVersion)
{
    if (layoutVersion < 0 || layoutVersion > 8) return std::nullopt;
    for (const Row& row : kRows)
        if (row.member == member && (row.versions & V(layoutVersion)))
            return FlashMemberSlots{row.getter, row.setter};
    return std::nullopt;
}

std::string_view FlashMemberName(FlashMember member)
{
    for (const Row& row : kRows)
        if (row.member == member) return row.name;
    return {};
}
