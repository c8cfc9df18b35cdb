#include "flashrt/pe_resources.h"

namespace flashrt::pe {

namespace {

struct Entry {
    uint32_t name;
    uint32_t target;
};

// Calls visit on each entry of the directory at offset until it returns true.
template <typename Visit>
std::optional<Entry> FindEntry(std::span<const uint8_t> dir, uint32_t offset, Visit visit)
{
    CheckRange(offset, 16, dir.size(), "resource directory");
    const uint32_t count = uint32_t(ReadU16(dir, offset + 12, "resource directory")) +
                           ReadU16(dir, offset + 14, "resource directory");
    CheckRange(offset + 16ull, 8ull * count, dir.size(), "resource directory entries");
    for (uint32_t i = 0; i < count; ++i) {
        Entry e{ReadU32(dir, offset + 16ull + 8ull * i, "resource entry"),
                ReadU32(dir, offset + 20ull + 8ull * i, "resource entry")};
        if (visit(e)) return e;
    }
    return std::nullopt;
}

uint32_t Subdirectory(const Entry& e)
{
    if (!(e.target & 0x80000000u)) throw PeError("resource entry " + Hex(e.name) + " is not a directory");
    return e.target & 0x7FFFFFFFu;
}

}  // namespace

std::optional<std::span<const uint8_t>> FindResource(const PeHeaders& h, std::span<const uint8_t> image,
                                                     uint16_t type, uint16_t id, LanguageChoice language)
{
    const DataDirectory& d = h.Directory(kResourceDirectory);
    if (d.empty()) return std::nullopt;
    CheckRange(d.rva, d.size, image.size(), "resource directory");
    const auto dir = image.subspan(d.rva, d.size);

    auto unnamed = [](uint16_t wanted) {
        return [wanted](const Entry& e) { return !(e.name & 0x80000000u) && (e.name & 0xFFFF) == wanted; };
    };
    const auto typeEntry = FindEntry(dir, 0, unnamed(type));
    if (!typeEntry) return std::nullopt;
    const auto idEntry = FindEntry(dir, Subdirectory(*typeEntry), unnamed(id));
    if (!idEntry) return std::nullopt;
    const auto langEntry = FindEntry(dir, Subdirectory(*idEntry), [language](const Entry& e) {
        if (language == LanguageChoice::First) return true;
        const uint16_t lang = e.name & 0xFFFF;
        return !(e.name & 0x80000000u) && (lang == 0x409 || lang == 0);
    });
    if (!langEntry) return std::nullopt;
    if (langEntry->target & 0x80000000u) throw PeError("resource language entry is a directory, not data");
    const uint32_t data = langEntry->target;
    CheckRange(data, 16, dir.size(), "resource data entry");
    const uint32_t rva = ReadU32(dir, data, "resource data entry");
    const uint32_t size = ReadU32(dir, data + 4, "resource data entry");
    CheckRange(rva, size, image.size(), "resource data");
    return image.subspan(rva, size);
}

std::optional<std::span<const uint8_t>> FindModuleResource(std::span<const uint8_t> image, uint16_t type, uint16_t id)
{
    const PeHeaders h = ParseHeaders(image, Layout::Mapped);
    return FindResource(h, image, type, id, LanguageChoice::UsEnglishOrNeutral);
}

}  // namespace flashrt::pe
