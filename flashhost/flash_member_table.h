#pragma once
// Which Flash objects each property of the control is forwarded to, and where the
// getter and setter sit in the scripting interface of that version. The layout after
// the common part differs by major version, so the gating is one table of rows
// rather than conditions spread over the accessors.

#include <cstdint>
#include <optional>
#include <string_view>

enum class FlashMember {
    // properties (getter and setter)
    Movie, FrameNum, Playing, Quality, ScaleMode, AlignMode, BackgroundColor, Loop,
    WMode, SAlign, Menu, Base, Scale, DeviceFont, EmbedMovie, BGColor, Quality2,
    SWRemote, Stacking, FlashVars, AllowScriptAccess, MovieData,
    // read-only values and the gated method
    ReadyState, TotalFrames, TGetPropertyAsNumber,
};

// Positions count the interface's methods from 0 (IUnknown and IDispatch first).
struct FlashMemberSlots {
    int Getter = -1;  // the method's position when the member is a method
    int Setter = -1;  // -1 when there is none
    bool operator==(const FlashMemberSlots&) const = default;
};

// The major version that picks the layout: bits 16 to 23 of FlashVersion, capped at
// 8 because later versions present the version 8 layout.
int FlashLayoutVersion(long flashVersion);

// The slots of member for an object of the given (capped) major version, or nothing
// when the member is not forwarded to that version.
std::optional<FlashMemberSlots> FlashMemberSlotsFor(FlashMember member, int layoutVersion);

std::string_view FlashMemberName(FlashMember member);
