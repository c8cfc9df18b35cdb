#include "app/player_settings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

std::string CountedString(std::span<const uint8_t> field) {
  if (field.empty()) return {};
  const size_t capacity = field.size() - 1;
  const size_t length = std::min<size_t>(field[0], capacity);
  return std::string(reinterpret_cast<const char*>(field.data() + 1), length);
}

void SetCountedString(std::span<uint8_t> field, std::string_view text) {
  if (field.empty()) throw std::invalid_argument("counted string field has no room for its length byte");
  const size_t capacity = field.size() - 1;
  if (text.size() > capacity)
    throw std::length_error("text of " + std::to_string(text.size()) + " characters exceeds the field's " +
                            std::to_string(capacity));
  field[0] = static_cast<uint8_t>(text.size());
  std::memcpy(field.data() + 1, text.data(), text.size());
  std::fill(field.begin() + 1 + static_cast<std::ptrdiff_t>(text.size()), field.end(), uint8_t{0});
}

void LoadPlayerSettings(std::span<const uint8_t> payload, PlayerSettings& into) {
  const size_t count = std::min(payload.size(), kPlayerSettingsSize);
  if (count) std::memcpy(&into, payload.data(), count);
}

std::span<const uint8_t, kPlayerSettingsSize> SettingsBytes(const PlayerSettings& settings) {
  return std::span<const uint8_t, kPlayerSettingsSize>(reinterpret_cast<const uint8_t*>(&settings),
                                                       kPlayerSettingsSize);
}

namespace {
#define SWFP_FIELD(name, type) \
  SettingsField { #name, SettingsFieldType::type, offsetof(PlayerSettings, name), sizeof(PlayerSettings::name) }

constexpr std::array kFields{
    SWFP_FIELD(Title, CountedString),
    SWFP_FIELD(IconFile, CountedString),
    SWFP_FIELD(UseCustomCursor, Boolean),
    SWFP_FIELD(CompanyName, CountedString),
    SWFP_FIELD(LegalCopyright, CountedString),
    SWFP_FIELD(LegalTrademarks, CountedString),
    SWFP_FIELD(MovieName, CountedString),
    SWFP_FIELD(OriginalFilename, CountedString),
    SWFP_FIELD(ProductName, CountedString),
    SWFP_FIELD(ProductVersion, CountedString),
    SWFP_FIELD(Comments, CountedString),
    SWFP_FIELD(FileVersion, Int32x4),
    SWFP_FIELD(SingleInstance, Boolean),
    SWFP_FIELD(StayOnTop, Boolean),
    SWFP_FIELD(HideTaskbarButton, Boolean),
    SWFP_FIELD(ShowTrayIcon, Boolean),
    SWFP_FIELD(TrayTip, CountedString),
    SWFP_FIELD(SplashFile, CountedString),
    SWFP_FIELD(ShowTrayBalloon, Boolean),
    SWFP_FIELD(BalloonTitle, CountedString),
    SWFP_FIELD(BalloonText, CountedString),
    SWFP_FIELD(KeybInteract, Boolean),
    SWFP_FIELD(MouseInteract, Boolean),
    SWFP_FIELD(ShowControls, Boolean),
    SWFP_FIELD(AutoPlay, Boolean),
    SWFP_FIELD(Loop, Boolean),
    SWFP_FIELD(ShowMainMenu, Boolean),
    SWFP_FIELD(ShowPopupMenu, Boolean),
    SWFP_FIELD(VisibleCommands, UInt16),
    SWFP_FIELD(ScreenSnap, Boolean),
    SWFP_FIELD(SnapBuffer, Int32),
    SWFP_FIELD(WindowPosition, Byte),
    SWFP_FIELD(WindowLeft, Int32),
    SWFP_FIELD(WindowTop, Int32),
    SWFP_FIELD(RememberPosition, Boolean),
    SWFP_FIELD(WindowMode, Byte),
    SWFP_FIELD(WindowWidth, Int32),
    SWFP_FIELD(WindowHeight, Int32),
    SWFP_FIELD(Resizable, Boolean),
    SWFP_FIELD(CaptionMode, Byte),
    SWFP_FIELD(DragAnywhere, Boolean),
};
#undef SWFP_FIELD
}  // namespace

std::span<const SettingsField> PlayerSettingsFields() { return kFields; }
