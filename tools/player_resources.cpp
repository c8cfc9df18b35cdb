#include "tools/player_resources.h"

#include <stdexcept>
#include <string>

#include "flashrt/pe_resource_writer.h"
#include "flashrt/pe_resources.h"

namespace {

using flashrt::pe::ResourceItem;
using flashrt::pe::ResourceName;

constexpr uint16_t kUsEnglish = 0x0409;
constexpr uint16_t kUnicodeCodePage = 1200;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void Align4(std::vector<uint8_t>& out) {
  while (out.size() % 4) out.push_back(0);
}

// One node of a version resource: key, value (text in UTF-16 or binary), children.
struct VersionNode {
  std::u16string key;
  std::vector<uint8_t> value;
  uint16_t valueLength = 0;  // characters for text (with the terminator), bytes for binary
  bool text = false;
  std::vector<VersionNode> children;
};

void Write(std::vector<uint8_t>& out, const VersionNode& node) {
  Align4(out);
  const size_t start = out.size();
  Put16(out, 0);  // length, filled in below
  Put16(out, node.valueLength);
  Put16(out, node.text ? 1 : 0);
  for (char16_t c : node.key) Put16(out, uint16_t(c));
  Put16(out, 0);
  if (!node.value.empty()) {
    Align4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
  }
  for (const VersionNode& child : node.children) Write(out, child);
  const size_t length = out.size() - start;
  out[start] = uint8_t(length);
  out[start + 1] = uint8_t(length >> 8);
}

// Counted strings hold single-byte (Latin-1) characters: each widens to one UTF-16 unit.
std::u16string Widen(const std::string& latin1) {
  std::u16string wide;
  for (unsigned char c : latin1) wide.push_back(char16_t(c));
  return wide;
}

VersionNode TextNode(const std::u16string& key, const std::u16string& value) {
  VersionNode node{key, {}, uint16_t(value.size() + 1), true, {}};
  for (char16_t c : value) Put16(node.value, uint16_t(c));
  Put16(node.value, 0);
  return node;
}

std::string Field(std::span<const uint8_t> field) { return CountedString(field); }

// "1.2.3.4", "2.0" or "7" as four numbers; nothing when the text is anything else.
std::optional<std::array<uint16_t, 4>> ParseVersion(const std::string& text) {
  std::array<uint16_t, 4> parts{};
  size_t part = 0, digits = 0;
  uint32_t value = 0;
  for (char c : text + ".") {
    if (c >= '0' && c <= '9') {
      value = value * 10 + uint32_t(c - '0');
      if (++digits > 5 || value > 0xFFFF) return std::nullopt;
    } else if (c == '.' && digits && part < 4) {
      parts[part++] = uint16_t(value);
      value = 0;
      digits = 0;
    } else {
      return std::nullopt;
    }
  }
  return parts;
}

}  // namespace

std::vector<uint8_t> VersionResource(const PlayerSettings& s) {
  std::array<uint16_t, 4> file{};
  for (size_t i = 0; i < 4; ++i) file[i] = uint16_t(s.FileVersion[i]);
  const std::string productText = Field(s.ProductVersion);
  const std::array<uint16_t, 4> product = ParseVersion(productText).value_or(file);
  const std::string fileText = std::to_string(file[0]) + "." + std::to_string(file[1]) + "." +
                               std::to_string(file[2]) + "." + std::to_string(file[3]);

  VersionNode root{u"VS_VERSION_INFO", {}, 52, false, {}};
  Put32(root.value, 0xFEEF04BD);  // signature
  Put32(root.value, 0x00010000);  // structure version
  Put32(root.value, uint32_t(file[0]) << 16 | file[1]);
  Put32(root.value, uint32_t(file[2]) << 16 | file[3]);
  Put32(root.value, uint32_t(product[0]) << 16 | product[1]);
  Put32(root.value, uint32_t(product[2]) << 16 | product[3]);
  Put32(root.value, 0x3F);      // flags mask
  Put32(root.value, 0);         // flags
  Put32(root.value, 0x40004);   // VOS_NT_WINDOWS32
  Put32(root.value, 1);         // VFT_APP
  Put32(root.value, 0);         // subtype
  Put32(root.value, 0);         // date, high
  Put32(root.value, 0);         // date, low

  VersionNode table{u"040904B0", {}, 0, true, {}};
  const std::pair<const char16_t*, std::string> strings[] = {
      {u"Comments", Field(s.Comments)},
      {u"CompanyName", Field(s.CompanyName)},
      {u"FileDescription", Field(s.Title)},
      {u"FileVersion", fileText},
      {u"LegalCopyright", Field(s.LegalCopyright)},
      {u"LegalTrademarks", Field(s.LegalTrademarks)},
      {u"OriginalFilename", Field(s.OriginalFilename)},
      {u"ProductName", Field(s.ProductName)},
      {u"ProductVersion", productText.empty() ? fileText : productText},
  };
  for (const auto& [key, value] : strings)
    if (!value.empty()) table.children.push_back(TextNode(key, Widen(value)));
  root.children.push_back(VersionNode{u"StringFileInfo", {}, 0, true, {table}});

  VersionNode translation{u"Translation", {}, 4, false, {}};
  Put16(translation.value, kUsEnglish);
  Put16(translation.value, kUnicodeCodePage);
  root.children.push_back(VersionNode{u"VarFileInfo", {}, 0, true, {translation}});

  std::vector<uint8_t> out;
  Write(out, root);
  return out;
}

IconResources IconResourcesFromFile(std::span<const uint8_t> ico) {
  auto u16 = [&](size_t at) { return uint16_t(ico[at] | ico[at + 1] << 8); };
  auto u32 = [&](size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
  if (ico.size() < 6 || u16(0) != 0 || u16(2) != 1 || u16(4) == 0) throw std::runtime_error("icon is not a Windows icon file");
  const size_t count = u16(4);
  if (ico.size() < 6 + 16 * count) throw std::runtime_error("icon file is cut short in its directory");
  IconResources out;
  Put16(out.group, 0);
  Put16(out.group, 1);
  Put16(out.group, uint16_t(count));
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const uint32_t size = u32(entry + 8), offset = u32(entry + 12);
    if (size == 0 || offset > ico.size() || size > ico.size() - offset)
      throw std::runtime_error("icon image " + std::to_string(i + 1) + " lies outside the icon file");
    // Width, height, colours, reserved, planes, bit count, size: as in the file; then the image's number.
    out.group.insert(out.group.end(), ico.begin() + entry, ico.begin() + entry + 12);
    Put16(out.group, uint16_t(i + 1));
    out.images.emplace_back(ico.begin() + offset, ico.begin() + offset + size);
  }
  return out;
}

std::vector<uint8_t> BrandPlayer(std::span<const uint8_t> base, const std::optional<std::vector<uint8_t>>& icon,
                                 const PlayerSettings& settings) {
  try {
    std::vector<ResourceItem> items = flashrt::pe::ReadResourceItems(base);
    auto isType = [](const ResourceItem& item, uint16_t type) { return !item.type.IsText() && item.type.id == type; };
    uint16_t language = kUsEnglish;
    for (const ResourceItem& item : items)
      if (isType(item, flashrt::pe::kResourceVersion)) language = item.language;
    std::erase_if(items, [&](const ResourceItem& item) { return isType(item, flashrt::pe::kResourceVersion); });
    items.push_back({{flashrt::pe::kResourceVersion, {}}, {1, {}}, language, 0, VersionResource(settings)});

    if (icon) {
      const IconResources icons = IconResourcesFromFile(*icon);
      ResourceName groupName{1, {}};
      uint16_t iconLanguage = kUsEnglish;
      for (const ResourceItem& item : items)
        if (isType(item, flashrt::pe::kResourceGroupIcon)) {
          groupName = item.name;
          iconLanguage = item.language;
          break;
        }
      std::erase_if(items, [&](const ResourceItem& item) {
        return isType(item, flashrt::pe::kResourceGroupIcon) || isType(item, flashrt::pe::kResourceIcon);
      });
      items.push_back({{flashrt::pe::kResourceGroupIcon, {}}, groupName, iconLanguage, 0, icons.group});
      for (size_t i = 0; i < icons.images.size(); ++i)
        items.push_back({{flashrt::pe::kResourceIcon, {}}, {uint16_t(i + 1), {}}, iconLanguage, 0, icons.images[i]});
    }
    return flashrt::pe::ReplaceResources(base, items);
  } catch (const flashrt::pe::PeError& e) {
    throw std::runtime_error(std::string("base player cannot take the icon and version: ") + e.what());
  }
}
