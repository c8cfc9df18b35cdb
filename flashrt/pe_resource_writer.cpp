#include "flashrt/pe_resource_writer.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "flashrt/pe_mapping.h"

namespace flashrt::pe {

namespace {

constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr uint32_t kNamedEntry = 0x80000000u;
constexpr uint32_t kResourceSectionCharacteristics = 0x40000040u;  // initialised data, readable
constexpr size_t kMaxResourceItems = 65536;

ResourceName ReadName(std::span<const uint8_t> dir, uint32_t stored)
{
    ResourceName name;
    if (!(stored & kNamedEntry)) {
        name.id = stored & 0xFFFF;
        return name;
    }
    const uint32_t offset = stored & ~kNamedEntry;
    const uint16_t length = ReadU16(dir, offset, "resource name");
    CheckRange(offset + 2ull, 2ull * length, dir.size(), "resource name");
    for (uint32_t i = 0; i < length; ++i) name.text.push_back(char16_t(ReadU16(dir, offset + 2ull + 2ull * i, "resource name")));
    if (name.text.empty()) throw PeError("empty resource name at " + Hex(offset));
    return name;
}

struct RawEntry {
    uint32_t name;
    uint32_t target;
};

std::vector<RawEntry> ReadDirectory(std::span<const uint8_t> dir, uint32_t offset, bool wantSubdirectories)
{
    CheckRange(offset, 16, dir.size(), "resource directory");
    const uint32_t count = uint32_t(ReadU16(dir, offset + 12, "resource directory")) + ReadU16(dir, offset + 14, "resource directory");
    CheckRange(offset + 16ull, 8ull * count, dir.size(), "resource directory entries");
    std::vector<RawEntry> entries;
    for (uint32_t i = 0; i < count; ++i) {
        RawEntry e{ReadU32(dir, offset + 16ull + 8ull * i, "resource entry"), ReadU32(dir, offset + 20ull + 8ull * i, "resource entry")};
        if (bool(e.target & kSubdirectory) != wantSubdirectories)
            throw PeError("resource entry at " + Hex(offset + 16ull + 8ull * i) + " is at the wrong level of the tree");
        e.target &= ~kSubdirectory;
        entries.push_back(e);
    }
    return entries;
}

// Text names first, by code unit, then numbers ascending: the loader searches each level in that order.
bool NameBefore(const ResourceName& a, const ResourceName& b)
{
    if (a.IsText() != b.IsText()) return a.IsText();
    return a.IsText() ? a.text < b.text : a.id < b.id;
}

struct NameLess {
    bool operator()(const ResourceName& a, const ResourceName& b) const { return NameBefore(a, b); }
};

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

bool PowerOfTwo(uint32_t v) { return v && !(v & (v - 1)); }

}  // namespace

std::vector<ResourceItem> ReadResourceItems(std::span<const uint8_t> file)
{
    const PeHeaders h = ParseHeaders(file, Layout::File);
    const DataDirectory& d = h.Directory(kResourceDirectory);
    std::vector<ResourceItem> items;
    if (d.empty()) return items;
    const std::vector<uint8_t> image = MapToBuffer(h, file);
    CheckRange(d.rva, d.size, image.size(), "resource directory");
    const std::span<const uint8_t> dir = std::span(image).subspan(d.rva, d.size);
    uint64_t total = 0;
    // Three levels: type, name, language; the fixed depth also stops a looping tree.
    for (const RawEntry& type : ReadDirectory(dir, 0, true))
        for (const RawEntry& name : ReadDirectory(dir, type.target, true))
            for (const RawEntry& language : ReadDirectory(dir, name.target, false)) {
                ResourceItem item;
                item.type = ReadName(dir, type.name);
                item.name = ReadName(dir, name.name);
                item.language = uint16_t(language.name & 0xFFFF);
                CheckRange(language.target, 16, dir.size(), "resource data entry");
                const uint32_t rva = ReadU32(dir, language.target, "resource data entry");
                const uint32_t size = ReadU32(dir, language.target + 4, "resource data entry");
                item.codePage = ReadU32(dir, language.target + 8, "resource data entry");
                CheckRange(rva, size, image.size(), "resource data");
                if ((total += size) > kMaxImageSize) throw PeError("the resources are too large for an image");
                item.data.assign(image.begin() + rva, image.begin() + rva + size);
                items.push_back(std::move(item));
                // Entries may share subdirectories; a tree that multiplies them is damaged.
                if (items.size() > kMaxResourceItems) throw PeError("the resource tree holds too many entries");
            }
    return items;
}

std::vector<uint8_t> BuildResourceSection(const std::vector<ResourceItem>& items, uint32_t sectionRva)
{
    using Languages = std::map<uint16_t, const ResourceItem*>;
    using Names = std::map<ResourceName, Languages, NameLess>;
    std::map<ResourceName, Names, NameLess> tree;
    for (const ResourceItem& item : items) {
        if (!tree[item.type][item.name].emplace(item.language, &item).second)
            throw PeError("two resources share type, name and language " + Hex(item.language));
    }

    // Directory tables in breadth order (root, types, names), then the data
    // entries, the name texts and, 8-byte aligned, the data.
    size_t tables = 16 + 8 * tree.size();
    for (const auto& [type, names] : tree) {
        tables += 16 + 8 * names.size();
        for (const auto& [name, languages] : names) tables += 16 + 8 * languages.size();
    }
    size_t texts = 0;
    auto textSize = [](const ResourceName& n) { return n.IsText() ? 2 + 2 * n.text.size() : 0; };
    for (const auto& [type, names] : tree) {
        texts += textSize(type);
        for (const auto& [name, languages] : names) texts += textSize(name);
    }
    const size_t dataEntries = tables;
    const size_t textStart = dataEntries + 16 * items.size();
    size_t dataStart = AlignUp(textStart + texts, 8);
    size_t total = dataStart;
    for (const ResourceItem& item : items) total = AlignUp(total + item.data.size(), 8);
    if (total > kMaxImageSize) throw PeError("the resources are too large for an image");

    std::vector<uint8_t> out(total, 0);
    size_t nextTable = 0, nextEntry = dataEntries, nextText = textStart, nextData = dataStart;
    auto writeName = [&](const ResourceName& n) -> uint32_t {
        if (!n.IsText()) return n.id;
        const size_t at = nextText;
        Put16(out, at, uint16_t(n.text.size()));
        for (size_t i = 0; i < n.text.size(); ++i) Put16(out, at + 2 + 2 * i, uint16_t(n.text[i]));
        nextText += textSize(n);
        return kNamedEntry | uint32_t(at);
    };
    // Reserves a table; returns its offset. Entries are filled by the caller.
    auto newTable = [&](size_t named, size_t numbered) {
        const size_t at = nextTable;
        Put16(out, at + 12, uint16_t(named));
        Put16(out, at + 14, uint16_t(numbered));
        nextTable += 16 + 8 * (named + numbered);
        return at;
    };
    auto countNamed = [](const auto& level) {
        return size_t(std::count_if(level.begin(), level.end(), [](const auto& e) { return e.first.IsText(); }));
    };

    const size_t root = newTable(countNamed(tree), tree.size() - countNamed(tree));
    std::vector<size_t> typeTables;
    for (const auto& [type, names] : tree) typeTables.push_back(newTable(countNamed(names), names.size() - countNamed(names)));
    size_t typeIndex = 0;
    for (const auto& [type, names] : tree) {
        const size_t typeTable = typeTables[typeIndex];
        Put32(out, root + 16 + 8 * typeIndex, writeName(type));
        Put32(out, root + 20 + 8 * typeIndex, kSubdirectory | uint32_t(typeTable));
        size_t nameIndex = 0;
        for (const auto& [name, languages] : names) {
            const size_t nameTable = newTable(0, languages.size());
            Put32(out, typeTable + 16 + 8 * nameIndex, writeName(name));
            Put32(out, typeTable + 20 + 8 * nameIndex, kSubdirectory | uint32_t(nameTable));
            size_t languageIndex = 0;
            for (const auto& [language, item] : languages) {
                Put32(out, nameTable + 16 + 8 * languageIndex, language);
                Put32(out, nameTable + 20 + 8 * languageIndex, uint32_t(nextEntry));
                Put32(out, nextEntry, sectionRva + uint32_t(nextData));
                Put32(out, nextEntry + 4, uint32_t(item->data.size()));
                Put32(out, nextEntry + 8, item->codePage);
                if (!item->data.empty()) std::memcpy(&out[nextData], item->data.data(), item->data.size());
                nextData = AlignUp(nextData + item->data.size(), 8);
                nextEntry += 16;
                ++languageIndex;
            }
            ++nameIndex;
        }
        ++typeIndex;
    }
    return out;
}

std::vector<uint8_t> ReplaceResources(std::span<const uint8_t> file, const std::vector<ResourceItem>& items)
{
    const PeHeaders h = ParseHeaders(file, Layout::File);
    std::vector<uint8_t> out(file.begin(), file.end());
    const uint64_t nt = h.ntOffset;
    const uint64_t opt = nt + 24;
    const uint64_t directories = opt + (h.is64 ? 112 : 96);
    if (ReadU32(file, directories - 4, "NumberOfRvaAndSizes") <= kSecurityDirectory)
        throw PeError("the image has no room for a resource directory");
    const uint32_t sectionAlignment = ReadU32(file, opt + 32, "SectionAlignment");
    const uint32_t fileAlignment = ReadU32(file, opt + 36, "FileAlignment");
    if (!PowerOfTwo(sectionAlignment) || !PowerOfTwo(fileAlignment))
        throw PeError("section or file alignment is not a power of two");

    // A signature over the old bytes would no longer match: drop it.
    const DataDirectory& security = h.Directory(kSecurityDirectory);
    if (!security.empty()) {
        if (uint64_t(security.rva) + security.size == out.size()) out.resize(security.rva);
        WriteU64(out, directories + 8 * kSecurityDirectory, 0, "security directory");
    }

    const uint64_t table = opt + ReadU16(file, nt + 20, "SizeOfOptionalHeader");
    const uint64_t header = table + 40ull * h.sections.size();
    uint64_t firstRaw = h.sizeOfHeaders;
    for (const Section& s : h.sections)
        if (s.sizeOfRawData) firstRaw = std::min<uint64_t>(firstRaw, s.pointerToRawData);
    if (header + 40 > firstRaw)
        throw PeError("the headers leave no room for another section header");
    for (uint64_t i = header; i < header + 40; ++i)
        if (out[i]) throw PeError("the space after the section table is in use");

    uint64_t imageEnd = h.sizeOfImage;
    for (const Section& s : h.sections)
        imageEnd = std::max<uint64_t>(imageEnd, uint64_t(s.virtualAddress) + std::max(s.virtualSize, s.sizeOfRawData));
    const uint64_t rva = AlignUp(imageEnd, sectionAlignment);
    const std::vector<uint8_t> section = BuildResourceSection(items, uint32_t(rva));
    const uint64_t newImageSize = AlignUp(rva + section.size(), sectionAlignment);
    if (newImageSize > kMaxImageSize) throw PeError("the image would grow too large");
    const uint64_t raw = AlignUp(out.size(), fileAlignment);
    const uint64_t rawSize = AlignUp(section.size(), fileAlignment);
    out.resize(raw);
    out.insert(out.end(), section.begin(), section.end());
    out.resize(raw + rawSize, 0);

    // The section that held the old tree keeps its bytes under another name.
    const DataDirectory& old = h.Directory(kResourceDirectory);
    for (size_t i = 0; i < h.sections.size(); ++i)
        if (!old.empty() && h.sections[i].name == ".rsrc" && h.sections[i].virtualAddress <= old.rva &&
            old.rva < uint64_t(h.sections[i].virtualAddress) + h.sections[i].virtualSize)
            std::memcpy(&out[table + 40 * i], ".oldrsrc", 8);

    std::memcpy(&out[header], ".rsrc\0\0\0", 8);
    WriteU32(out, header + 8, uint32_t(section.size()), "section");
    WriteU32(out, header + 12, uint32_t(rva), "section");
    WriteU32(out, header + 16, uint32_t(rawSize), "section");
    WriteU32(out, header + 20, uint32_t(raw), "section");
    WriteU32(out, header + 36, kResourceSectionCharacteristics, "section");
    const uint16_t sections = uint16_t(h.sections.size() + 1);
    out[nt + 6] = uint8_t(sections);
    out[nt + 7] = uint8_t(sections >> 8);
    WriteU32(out, opt + 8, ReadU32(out, opt + 8, "SizeOfInitializedData") + uint32_t(rawSize), "SizeOfInitializedData");
    WriteU32(out, opt + 56, uint32_t(newImageSize), "SizeOfImage");
    WriteU32(out, directories + 8 * kResourceDirectory, uint32_t(rva), "resource directory");
    WriteU32(out, directories + 8 * kResourceDirectory + 4, uint32_t(section.size()), "resource directory");
    WriteU32(out, opt + 64, 0, "CheckSum");
    return out;
}

namespace {
uint64_t ChecksumOffset(std::span<const uint8_t> file)
{
    const uint64_t nt = ReadU32(file, 0x3C, "e_lfanew");
    if (ReadU32(file, nt, "PE signature") != 0x00004550) throw PeError("missing PE signature at " + Hex(nt));
    CheckRange(nt + 24 + 64, 4, file.size(), "CheckSum");
    return nt + 24 + 64;
}
}  // namespace

uint32_t PeChecksum(std::span<const uint8_t> file)
{
    const uint64_t field = ChecksumOffset(file);
    uint64_t sum = 0;
    for (uint64_t i = 0; i < file.size(); i += 2) {
        if (i == field || i == field + 2) continue;
        const uint32_t word = file[i] | (i + 1 < file.size() ? uint32_t(file[i + 1]) << 8 : 0u);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + file.size());
}

void WritePeChecksum(std::span<uint8_t> file) { WriteU32(file, ChecksumOffset(file), PeChecksum(file), "CheckSum"); }

}  // namespace flashrt::pe
