#include "app/player_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

void PutLE32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PlayerSettings, StoredBytesLandInTheNamedFields) {
  std::vector<uint8_t> payload(kPlayerSettingsSize, 0);
  payload[0] = 5;
  std::memcpy(&payload[1], "Hello", 5);
  payload[307] = 1;                       // UseCustomCursor
  payload[563] = 3;                       // CompanyName
  std::memcpy(&payload[564], "ACME", 4);  // one byte beyond the length: ignored
  PutLE32(payload, 812, 1);
  PutLE32(payload, 816, 2);
  PutLE32(payload, 820, 3);
  PutLE32(payload, 824, 0xFFFFFFFF);      // -1
  payload[831] = 7;                       // ShowTrayIcon, any non-zero
  payload[1804] = 0x34;
  payload[1805] = 0x12;                   // VisibleCommands 0x1234
  PutLE32(payload, 2092, 12);             // SnapBuffer
  payload[2096] = 9;                      // WindowPosition
  PutLE32(payload, 2100, static_cast<uint32_t>(-40));
  PutLE32(payload, 2104, static_cast<uint32_t>(-2));
  payload[2109] = 3;                      // WindowMode
  PutLE32(payload, 2112, 800);
  PutLE32(payload, 2116, 600);
  payload[2121] = 2;                      // CaptionMode
  payload[2122] = 1;                      // DragAnywhere

  PlayerSettings s{};
  LoadPlayerSettings(payload, s);
  EXPECT_EQ(CountedString(s.Title), "Hello");
  EXPECT_TRUE(Flag(s.UseCustomCursor));
  EXPECT_EQ(CountedString(s.CompanyName), "ACM");
  EXPECT_EQ(s.FileVersion[0], 1);
  EXPECT_EQ(s.FileVersion[1], 2);
  EXPECT_EQ(s.FileVersion[2], 3);
  EXPECT_EQ(s.FileVersion[3], -1);
  EXPECT_TRUE(Flag(s.ShowTrayIcon));
  EXPECT_FALSE(Flag(s.SingleInstance));
  EXPECT_EQ(s.VisibleCommands, 0x1234);
  EXPECT_EQ(s.SnapBuffer, 12);
  EXPECT_EQ(s.WindowPosition, 9);
  EXPECT_EQ(s.WindowLeft, -40);
  EXPECT_EQ(s.WindowTop, -2);
  EXPECT_EQ(s.WindowMode, 3);
  EXPECT_EQ(s.WindowWidth, 800);
  EXPECT_EQ(s.WindowHeight, 600);
  EXPECT_EQ(s.CaptionMode, 2);
  EXPECT_TRUE(Flag(s.DragAnywhere));
  EXPECT_FALSE(Flag(s.Resizable));
}

TEST(PlayerSettings, ShortPayloadFillsOnlyItsOwnLength) {
  PlayerSettings s;
  std::memset(&s, 0xAB, sizeof s);
  std::vector<uint8_t> payload(829, 0);  // reaches SingleInstance (828), not StayOnTop (829)
  payload[828] = 1;
  LoadPlayerSettings(payload, s);
  EXPECT_EQ(s.Title[0], 0);
  EXPECT_EQ(s.FileVersion[3], 0);
  EXPECT_EQ(s.SingleInstance, 1);
  EXPECT_EQ(s.StayOnTop, 0xAB);
  EXPECT_EQ(s.Align2124[3], 0xAB);

  LoadPlayerSettings({}, s);  // an empty payload changes nothing
  EXPECT_EQ(s.SingleInstance, 1);
}

TEST(PlayerSettings, LongPayloadIsCutAtTheRecordSize) {
  std::vector<uint8_t> payload(kPlayerSettingsSize + 100, 0x11);
  PlayerSettings s{};
  LoadPlayerSettings(payload, s);  // ASan reports any write past the record
  EXPECT_EQ(s.Align2124[3], 0x11);
  EXPECT_EQ(s.Title[0], 0x11);
}

TEST(CountedString, ReadsWithinCapacityAndWritesOnlyWhatFits) {
  uint8_t field[31];
  std::memset(field, 'x', sizeof field);
  const struct { uint8_t length; std::string expected; } reads[] = {
      {0, ""}, {2, "xx"}, {30, std::string(30, 'x')}, {200, std::string(30, 'x')} /* stops at the field's end */};
  for (const auto& r : reads) {
    field[0] = r.length;
    EXPECT_EQ(CountedString(field), r.expected) << int{r.length};
  }
  EXPECT_EQ(CountedString(std::span<const uint8_t>{}), "");

  PlayerSettings s{};
  std::memset(s.CompanyName, 'z', sizeof s.CompanyName);
  SetCountedString(s.CompanyName, std::string(30, 'c'));
  EXPECT_THROW(SetCountedString(s.CompanyName, std::string(31, 'c')), std::length_error);
  EXPECT_EQ(CountedString(s.CompanyName), std::string(30, 'c')) << "a refused write leaves the field alone";
  SetCountedString(s.CompanyName, "Co");
  EXPECT_EQ(CountedString(s.CompanyName), "Co");
  EXPECT_EQ(s.CompanyName[3], 0) << "the writer clears the tail";
  EXPECT_EQ(s.LegalCopyright[0], 0) << "nothing beyond the field is written";
  EXPECT_THROW(SetCountedString(std::span<uint8_t>{}, ""), std::invalid_argument);
}

TEST(PlayerSettings, FieldTableMatchesTheRecord) {
  const auto fields = PlayerSettingsFields();
  std::set<std::string_view> names;
  size_t previousEnd = 0;
  for (const SettingsField& f : fields) {
    EXPECT_TRUE(names.insert(f.name).second) << "duplicate " << f.name;
    EXPECT_GE(f.offset, previousEnd) << f.name << " overlaps its predecessor";
    EXPECT_LE(f.offset + f.size, kPlayerSettingsSize) << f.name;
    previousEnd = f.offset + f.size;
  }
  auto find = [&](std::string_view name) -> const SettingsField* {
    for (const auto& f : fields)
      if (f.name == name) return &f;
    return nullptr;
  };
  ASSERT_NE(find("TrayTip"), nullptr);
  EXPECT_EQ(find("TrayTip")->offset, 832u);
  EXPECT_EQ(find("TrayTip")->size, 129u);
  ASSERT_NE(find("VisibleCommands"), nullptr);
  EXPECT_EQ(find("VisibleCommands")->type, SettingsFieldType::UInt16);
  ASSERT_NE(find("FileVersion"), nullptr);
  EXPECT_EQ(find("FileVersion")->size, 16u);
  EXPECT_EQ(find("Reserved2123"), nullptr) << "unnamed ranges are not listed";
}

}  // namespace
