#include "flashrt/pe_exports.h"

#include <charconv>

namespace flashrt::pe {

Forwarder ParseForwarder(std::string_view text)
{
    // Library names may hold dots themselves; the entry name never does.
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size())
        throw PeError("malformed export forwarder \"" + std::string(text) + "\"");
    Forwarder f;
    f.library = std::string(text.substr(0, dot));
    const std::string_view entry = text.substr(dot + 1);
    if (entry[0] == '#') {
        unsigned value = 0;
        const auto digits = entry.substr(1);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value > 0xFFFF)
            throw PeError("malformed export forwarder \"" + std::string(text) + "\"");
        f.ordinal = static_cast<uint16_t>(value);
    } else {
        f.name = std::string(entry);
    }
    return f;
}

std::optional<ExportTarget> FindExport(const PeHeaders& h, std::span<const uint8_t> image, std::string_view name)
{
    const DataDirectory& dir = h.Directory(kExportDirectory);
    if (dir.empty()) return std::nullopt;
    CheckRange(dir.rva, 40, image.size(), "export directory");
    const uint32_t functionCount = ReadU32(image, dir.rva + 20, "export directory");
    const uint32_t nameCount = ReadU32(image, dir.rva + 24, "export directory");
    const uint32_t functions = ReadU32(image, dir.rva + 28, "export directory");
    const uint32_t names = ReadU32(image, dir.rva + 32, "export directory");
    const uint32_t ordinals = ReadU32(image, dir.rva + 36, "export directory");
    if (nameCount == 0) return std::nullopt;
    CheckRange(functions, uint64_t(functionCount) * 4, image.size(), "export address table");
    CheckRange(names, uint64_t(nameCount) * 4, image.size(), "export name table");
    CheckRange(ordinals, uint64_t(nameCount) * 2, image.size(), "export ordinal table");

    for (uint32_t i = 0; i < nameCount; ++i) {
        const char* candidate = ReadCString(image, ReadU32(image, names + 4ull * i, "export name"), "export name");
        if (name != candidate) continue;
        const uint16_t index = ReadU16(image, ordinals + 2ull * i, "export ordinal");
        if (index >= functionCount)
            throw PeError("export " + std::string(name) + " has ordinal index " + std::to_string(index) +
                          " beyond the address table");
        const uint32_t rva = ReadU32(image, functions + 4ull * index, "export address");
        if (rva == 0) return std::nullopt;
        if (rva >= image.size() || rva >= h.sizeOfImage)
            throw PeError("export " + std::string(name) + " points outside the image");
        ExportTarget target;
        target.rva = rva;
        // An address inside the export directory is the text of a forwarder.
        if (rva >= dir.rva && rva - dir.rva < dir.size)
            target.forwarder = ParseForwarder(ReadCString(image, rva, "export forwarder"));
        return target;
    }
    return std::nullopt;
}

}  // namespace flashrt::pe
