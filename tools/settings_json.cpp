#include "tools/settings_json.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(std::string_view field, const std::string& problem) {
  throw std::runtime_error("settings: " + std::string(field) + ": " + problem);
}

template <typename T>
T StoredInt(const PlayerSettings& s, size_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const uint8_t*>(&s) + offset, sizeof value);
  return value;
}

template <typename T>
void StoreInt(PlayerSettings& s, size_t offset, T value) {
  std::memcpy(reinterpret_cast<uint8_t*>(&s) + offset, &value, sizeof value);
}

int64_t IntegerIn(const SettingsJson& value, std::string_view field, int64_t low, int64_t high) {
  if (!value.is_number_integer()) Fail(field, "expected an integer, got " + std::string(value.type_name()));
  int64_t v;
  if (value.is_number_unsigned()) {
    const uint64_t u = value.get<uint64_t>();
    if (u > static_cast<uint64_t>(high)) Fail(field, std::to_string(u) + " is out of range " + std::to_string(low) + ".." + std::to_string(high));
    v = static_cast<int64_t>(u);
  } else {
    v = value.get<int64_t>();
  }
  if (v < low || v > high)
    Fail(field, std::to_string(v) + " is out of range " + std::to_string(low) + ".." + std::to_string(high));
  return v;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8, std::string_view what) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    // Only two-byte sequences can encode U+0080..U+00FF.
    if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const unsigned code = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      if (code >= 0x80 && code <= 0xFF) {
        out += static_cast<char>(code);
        i += 2;
        continue;
      }
    }
    Fail(what, "character at byte " + std::to_string(i) + " is not in the single-byte (Latin-1) character set");
  }
  return out;
}

PlayerSettings DefaultPlayerSettings() {
  PlayerSettings s{};
  s.FileVersion[0] = 1;
  s.KeybInteract = 1;
  s.MouseInteract = 1;
  s.ShowControls = 1;
  s.AutoPlay = 1;
  s.Loop = 1;
  s.ShowMainMenu = 1;
  s.ShowPopupMenu = 1;
  s.VisibleCommands = kVisibleAllCommands;
  s.ScreenSnap = 1;
  s.SnapBuffer = 10;
  s.WindowPosition = 4;  // centred
  s.WindowWidth = 640;
  s.WindowHeight = 480;
  s.Resizable = 1;
  return s;
}

SettingsJson SettingsToJson(const PlayerSettings& s) {
  SettingsJson json = SettingsJson::object();
  const auto* bytes = reinterpret_cast<const uint8_t*>(&s);
  for (const SettingsField& f : PlayerSettingsFields()) {
    const std::string name(f.name);
    switch (f.type) {
      case SettingsFieldType::CountedString:
        json[name] = Latin1ToUtf8(CountedString(std::span(bytes + f.offset, f.size)));
        break;
      case SettingsFieldType::Boolean: json[name] = Flag(bytes[f.offset]); break;
      case SettingsFieldType::Byte: json[name] = bytes[f.offset]; break;
      case SettingsFieldType::UInt16: json[name] = StoredInt<uint16_t>(s, f.offset); break;
      case SettingsFieldType::Int32: json[name] = StoredInt<int32_t>(s, f.offset); break;
      case SettingsFieldType::Int32x4: {
        SettingsJson array = SettingsJson::array();
        for (size_t i = 0; i < 4; ++i) array.push_back(StoredInt<int32_t>(s, f.offset + 4 * i));
        json[name] = array;
        break;
      }
    }
  }
  return json;
}

PlayerSettings SettingsFromJson(const SettingsJson& json, PlayerSettings s) {
  if (!json.is_object()) throw std::runtime_error("settings: expected a JSON object of PlayerSettings fields");
  auto* bytes = reinterpret_cast<uint8_t*>(&s);
  const auto fields = PlayerSettingsFields();
  for (const auto& [key, value] : json.items()) {
    const SettingsField* field = nullptr;
    for (const SettingsField& f : fields)
      if (f.name == key) field = &f;
    if (!field) Fail(key, "unknown field (keys are the PlayerSettings field names)");
    switch (field->type) {
      case SettingsFieldType::CountedString: {
        if (!value.is_string()) Fail(key, "expected a string, got " + std::string(value.type_name()));
        const std::string text = Utf8ToLatin1(value.get<std::string>(), key);
        if (text.size() > field->size - 1)
          Fail(key, "text of " + std::to_string(text.size()) + " characters is longer than the field's " +
                        std::to_string(field->size - 1));
        SetCountedString(std::span(bytes + field->offset, field->size), text);
        break;
      }
      case SettingsFieldType::Boolean:
        if (!value.is_boolean()) Fail(key, "expected true or false, got " + std::string(value.type_name()));
        bytes[field->offset] = value.get<bool>() ? 1 : 0;
        break;
      case SettingsFieldType::Byte:
        bytes[field->offset] = static_cast<uint8_t>(IntegerIn(value, key, 0, 255));
        break;
      case SettingsFieldType::UInt16:
        StoreInt(s, field->offset, static_cast<uint16_t>(IntegerIn(value, key, 0, 65535)));
        break;
      case SettingsFieldType::Int32:
        StoreInt(s, field->offset,
                 static_cast<int32_t>(IntegerIn(value, key, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max())));
        break;
      case SettingsFieldType::Int32x4: {
        if (!value.is_array() || value.size() != 4) Fail(key, "expected an array of four integers");
        for (size_t i = 0; i < 4; ++i)
          StoreInt(s, field->offset + 4 * i,
                   static_cast<int32_t>(IntegerIn(value[i], key, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max())));
        break;
      }
    }
  }
  return s;
}
