// The settings record as JSON: one key per named field of PlayerSettings,
// exactly its field name. Counted strings are JSON strings (their bytes are
// single-byte Latin-1 characters), Booleans are true/false, bytes and
// integers are numbers, FileVersion is an array of four numbers.
#pragma once

#include <nlohmann/json.hpp>

#include "app/player_settings.h"

using SettingsJson = nlohmann::ordered_json;

// The record swfpack writes when no settings file is given: every command,
// menus, control panel, auto-play and loop on, centred, resizable.
PlayerSettings DefaultPlayerSettings();

SettingsJson SettingsToJson(const PlayerSettings& settings);

// Applies the keys of a JSON object onto base. Throws std::runtime_error with
// a one-line message for an unknown key, a wrong type, a number out of its
// field's range, or a string longer than its field or outside Latin-1.
PlayerSettings SettingsFromJson(const SettingsJson& json, PlayerSettings base);

// Latin-1 bytes <-> UTF-8 text (the settings record's strings are single-byte).
std::string Latin1ToUtf8(std::string_view latin1);
std::string Utf8ToLatin1(std::string_view utf8, std::string_view what);
