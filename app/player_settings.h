// The player settings record: a fixed 2128-byte layout that travels as the
// settings block of the player package and is copied byte for byte into
// memory. The struct below *is* the stored layout; every field sits at its
// fixed offset (checked at compile time), so the record can be copied
// straight from the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <bit>

// Every multi-byte field happens to sit on its natural alignment, so no
// packing is needed; the static_asserts below keep it that way.
struct PlayerSettings {
  uint8_t Title[51];               // counted string[50]
  uint8_t IconFile[256];           // counted string[255], not read by the player
  uint8_t UseCustomCursor;
  uint8_t Unused308[255];
  uint8_t CompanyName[31];
  uint8_t LegalCopyright[31];
  uint8_t LegalTrademarks[31];
  uint8_t MovieName[31];
  uint8_t OriginalFilename[31];
  uint8_t ProductName[31];
  uint8_t ProductVersion[31];
  uint8_t Comments[31];
  uint8_t Align811;
  int32_t FileVersion[4];          // major, minor, release, build
  uint8_t SingleInstance;
  uint8_t StayOnTop;
  uint8_t HideTaskbarButton;
  uint8_t ShowTrayIcon;
  uint8_t TrayTip[129];
  uint8_t SplashFile[256];
  uint8_t ShowTrayBalloon;
  uint8_t BalloonTitle[65];
  uint8_t BalloonText[256];
  uint8_t Unused1539;
  uint8_t Unused1540[256];
  uint8_t KeybInteract;
  uint8_t MouseInteract;
  uint8_t ShowControls;
  uint8_t AutoPlay;
  uint8_t Loop;
  uint8_t ShowMainMenu;
  uint8_t ShowPopupMenu;
  uint8_t Align1803;
  uint16_t VisibleCommands;        // bit mask, see kVisible* below
  uint8_t Unused1806[282];
  uint8_t ScreenSnap;
  uint8_t Align2089[3];
  int32_t SnapBuffer;
  uint8_t WindowPosition;          // 0..9, other values keep the designed position
  uint8_t Align2097[3];
  int32_t WindowLeft;
  int32_t WindowTop;
  uint8_t RememberPosition;
  uint8_t WindowMode;              // 0..3, other values apply nothing
  uint8_t Align2110[2];
  int32_t WindowWidth;
  int32_t WindowHeight;
  uint8_t Resizable;
  uint8_t CaptionMode;             // 0 standard, 1 no caption, 2 no caption and no sizing border
  uint8_t DragAnywhere;
  uint8_t Reserved2123;
  uint8_t Align2124[4];
};

inline constexpr size_t kPlayerSettingsSize = 2128;

// The record is used in place, so its integers must be stored as the machine keeps them.
static_assert(std::endian::native == std::endian::little);

static_assert(std::is_trivially_copyable_v<PlayerSettings>);
static_assert(std::is_standard_layout_v<PlayerSettings>);
static_assert(sizeof(PlayerSettings) == kPlayerSettingsSize);
static_assert(offsetof(PlayerSettings, Title) == 0);
static_assert(offsetof(PlayerSettings, IconFile) == 51);
static_assert(offsetof(PlayerSettings, UseCustomCursor) == 307);
static_assert(offsetof(PlayerSettings, Unused308) == 308);
static_assert(offsetof(PlayerSettings, CompanyName) == 563);
static_assert(offsetof(PlayerSettings, LegalCopyright) == 594);
static_assert(offsetof(PlayerSettings, LegalTrademarks) == 625);
static_assert(offsetof(PlayerSettings, MovieName) == 656);
static_assert(offsetof(PlayerSettings, OriginalFilename) == 687);
static_assert(offsetof(PlayerSettings, ProductName) == 718);
static_assert(offsetof(PlayerSettings, ProductVersion) == 749);
static_assert(offsetof(PlayerSettings, Comments) == 780);
static_assert(offsetof(PlayerSettings, Align811) == 811);
static_assert(offsetof(PlayerSettings, FileVersion) == 812);
static_assert(offsetof(PlayerSettings, SingleInstance) == 828);
static_assert(offsetof(PlayerSettings, StayOnTop) == 829);
static_assert(offsetof(PlayerSettings, HideTaskbarButton) == 830);
static_assert(offsetof(PlayerSettings, ShowTrayIcon) == 831);
static_assert(offsetof(PlayerSettings, TrayTip) == 832);
static_assert(offsetof(PlayerSettings, SplashFile) == 961);
static_assert(offsetof(PlayerSettings, ShowTrayBalloon) == 1217);
static_assert(offsetof(PlayerSettings, BalloonTitle) == 1218);
static_assert(offsetof(PlayerSettings, BalloonText) == 1283);
static_assert(offsetof(PlayerSettings, Unused1539) == 1539);
static_assert(offsetof(PlayerSettings, Unused1540) == 1540);
static_assert(offsetof(PlayerSettings, KeybInteract) == 1796);
static_assert(offsetof(PlayerSettings, MouseInteract) == 1797);
static_assert(offsetof(PlayerSettings, ShowControls) == 1798);
static_assert(offsetof(PlayerSettings, AutoPlay) == 1799);
static_assert(offsetof(PlayerSettings, Loop) == 1800);
static_assert(offsetof(PlayerSettings, ShowMainMenu) == 1801);
static_assert(offsetof(PlayerSettings, ShowPopupMenu) == 1802);
static_assert(offsetof(PlayerSettings, Align1803) == 1803);
static_assert(offsetof(PlayerSettings, VisibleCommands) == 1804);
static_assert(offsetof(PlayerSettings, Unused1806) == 1806);
static_assert(offsetof(PlayerSettings, ScreenSnap) == 2088);
static_assert(offsetof(PlayerSettings, Align2089) == 2089);
static_assert(offsetof(PlayerSettings, SnapBuffer) == 2092);
static_assert(offsetof(PlayerSettings, WindowPosition) == 2096);
static_assert(offsetof(PlayerSettings, Align2097) == 2097);
static_assert(offsetof(PlayerSettings, WindowLeft) == 2100);
static_assert(offsetof(PlayerSettings, WindowTop) == 2104);
static_assert(offsetof(PlayerSettings, RememberPosition) == 2108);
static_assert(offsetof(PlayerSettings, WindowMode) == 2109);
static_assert(offsetof(PlayerSettings, Align2110) == 2110);
static_assert(offsetof(PlayerSettings, WindowWidth) == 2112);
static_assert(offsetof(PlayerSettings, WindowHeight) == 2116);
static_assert(offsetof(PlayerSettings, Resizable) == 2120);
static_assert(offsetof(PlayerSettings, CaptionMode) == 2121);
static_assert(offsetof(PlayerSettings, DragAnywhere) == 2122);
static_assert(offsetof(PlayerSettings, Reserved2123) == 2123);
static_assert(offsetof(PlayerSettings, Align2124) == 2124);

// VisibleCommands bits: a set bit makes the command (and its menu items and
// buttons) visible. Bits 14 and 15 are unused.
inline constexpr uint16_t kVisibleZoomIn = 0x0001;   // actZoomIn
inline constexpr uint16_t kVisibleZoomOut = 0x0002;  // actZoomOut
inline constexpr uint16_t kVisibleZoomAll = 0x0004;  // actZoomAll
inline constexpr uint16_t kVisibleQuality = 0x0008;  // mnQuality1 and mnQuality2 (menus, not an action)
inline constexpr uint16_t kVisiblePlay = 0x0010;     // actPlay; actStop follows it
inline constexpr uint16_t kVisibleLoop = 0x0020;     // actLoop
inline constexpr uint16_t kVisibleRewind = 0x0040;   // actRewind
inline constexpr uint16_t kVisibleForward = 0x0080;  // actForward
inline constexpr uint16_t kVisibleBack = 0x0100;     // actBack
inline constexpr uint16_t kVisibleEnd = 0x0200;      // actEnd
inline constexpr uint16_t kVisiblePrint = 0x0400;    // actPrint
inline constexpr uint16_t kVisibleSound = 0x0800;    // actSound
inline constexpr uint16_t kVisibleClose = 0x1000;    // actClose
inline constexpr uint16_t kVisibleAbout = 0x2000;    // actAbout
inline constexpr uint16_t kVisibleAllCommands = 0x3FFF;

// A stored Boolean byte: any non-zero value is true.
constexpr bool Flag(uint8_t stored) { return stored != 0; }

// Reads a counted string field (length byte, then single-byte characters).
// The length is capped at the field's capacity (field size - 1); bytes behind
// the length are ignored. An empty span gives an empty string.
std::string CountedString(std::span<const uint8_t> field);

// Writes a counted string: length byte, the characters, and zeros behind
// them. Throws std::length_error when text does not fit the field's capacity
// (never truncates) and std::invalid_argument for an empty field.
void SetCountedString(std::span<uint8_t> field, std::string_view text);

// Copies min(payload.size(), 2128) bytes into the record; bytes the payload
// does not reach keep their value.
void LoadPlayerSettings(std::span<const uint8_t> payload, PlayerSettings& into);

// The record's stored bytes, for writing a settings block.
std::span<const uint8_t, kPlayerSettingsSize> SettingsBytes(const PlayerSettings& settings);

// Named fields of the record, in layout order, for tools that show or edit
// the record by name (the unnamed ranges are not listed).
enum class SettingsFieldType { CountedString, Boolean, Byte, UInt16, Int32, Int32x4 };
struct SettingsField {
  std::string_view name;
  SettingsFieldType type;
  size_t offset;
  size_t size;  // bytes in the record (for strings: capacity + 1)
};
std::span<const SettingsField> PlayerSettingsFields();
