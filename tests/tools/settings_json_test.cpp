#include "tools/settings_json.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool SameBytes(const PlayerSettings& a, const PlayerSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(SettingsJson, EveryNamedFieldRoundTrips) {
  PlayerSettings s = DefaultPlayerSettings();
  SetCountedString(s.Title, "Caf\xE9 \xA9 2026");  // Latin-1 bytes
  SetCountedString(s.BalloonText, std::string(255, 'b'));
  s.FileVersion[0] = 2;
  s.FileVersion[3] = -7;
  s.VisibleCommands = 0x2A55;
  s.WindowLeft = INT32_MIN;
  s.WindowTop = INT32_MAX;
  s.WindowPosition = 255;
  s.CaptionMode = 2;
  s.StayOnTop = 1;
  const SettingsJson json = SettingsToJson(s);
  EXPECT_EQ(json["Title"], "Caf\u00e9 \u00a9 2026");
  EXPECT_EQ(json["FileVersion"], SettingsJson({2, 0, 0, -7}));
  EXPECT_EQ(json["StayOnTop"], true);
  EXPECT_EQ(json.size(), PlayerSettingsFields().size());
  EXPECT_TRUE(SameBytes(SettingsFromJson(json, PlayerSettings{}), s));
}

TEST(SettingsJson, NonCanonicalBooleanBytesReadAsTrue) {
  PlayerSettings s{};
  s.Loop = 0x80;
  EXPECT_EQ(SettingsToJson(s)["Loop"], true);
}

TEST(SettingsJson, MissingKeysKeepTheBaseRecord) {
  const PlayerSettings base = DefaultPlayerSettings();
  const PlayerSettings s = SettingsFromJson(SettingsJson::parse(R"({"Title": "T", "Loop": false})"), base);
  EXPECT_EQ(CountedString(s.Title), "T");
  EXPECT_EQ(s.Loop, 0);
  EXPECT_EQ(s.VisibleCommands, base.VisibleCommands);
  EXPECT_EQ(s.AutoPlay, base.AutoPlay);
}

TEST(SettingsJson, BadValuesAreErrorsNamingTheField) {
  struct Case { const char* json; const char* field; } cases[] = {
      {R"({"Titel": "x"})", "Titel"},
      {R"({"Title": 5})", "Title"},
      {R"({"Loop": 1})", "Loop"},
      {R"({"WindowPosition": 256})", "WindowPosition"},
      {R"({"WindowPosition": -1})", "WindowPosition"},
      {R"({"VisibleCommands": 65536})", "VisibleCommands"},
      {R"({"SnapBuffer": 2147483648})", "SnapBuffer"},
      {R"({"SnapBuffer": 1.5})", "SnapBuffer"},
      {R"({"FileVersion": [1, 2, 3]})", "FileVersion"},
      {R"({"FileVersion": [1, 2, 3, "4"]})", "FileVersion"},
      {R"({"CompanyName": "0123456789012345678901234567890"})", "CompanyName"},
      {R"({"Title": "\u20ac"})", "Title"},
  };
  for (const Case& c : cases) {
    try {
      SettingsFromJson(SettingsJson::parse(c.json), PlayerSettings{});
      ADD_FAILURE() << "accepted " << c.json;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.field), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
    }
  }
  EXPECT_THROW(SettingsFromJson(SettingsJson::array(), PlayerSettings{}), std::runtime_error);
}

TEST(SettingsJson, StringsAtCapacityAreAccepted) {
  const std::string thirty(30, 'x');
  const PlayerSettings s =
      SettingsFromJson(SettingsJson{{"CompanyName", thirty}, {"LegalCopyright", "\u00ff"}}, PlayerSettings{});
  EXPECT_EQ(CountedString(s.CompanyName), thirty);
  EXPECT_EQ(CountedString(s.LegalCopyright), "\xFF");
}

TEST(SettingsJson, Latin1Conversion) {
  EXPECT_EQ(Latin1ToUtf8("a\xE9\xFF"), "a\u00e9\u00ff");
  EXPECT_EQ(Utf8ToLatin1("a\u00e9\u00ff", "x"), "a\xE9\xFF");
  EXPECT_THROW(Utf8ToLatin1("\xC3", "x"), std::runtime_error) << "cut sequence";
  EXPECT_THROW(Utf8ToLatin1("\xC1\x81", "x"), std::runtime_error) << "overlong encoding of 'A'";
  EXPECT_THROW(Utf8ToLatin1("\xE2\x82\xAC", "x"), std::runtime_error) << "euro sign";
}

}  // namespace
