#include "flashrt/pe_image.h"

#include <cstring>

namespace flashrt::pe {

std::string Hex(uint64_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return "0x" + text;
}

void CheckRange(uint64_t offset, uint64_t length, uint64_t size, const char* what)
{
    // Written so that no sum can wrap: offset and length come from the image.
    if (offset > size || length > size - offset)
        throw PeError(std::string(what) + " at " + Hex(offset) + " (" + std::to_string(length) +
                      " bytes) lies outside the image");
}

template <typename T>
static T ReadLE(std::span<const uint8_t> bytes, uint64_t offset, const char* what)
{
    CheckRange(offset, sizeof(T), bytes.size(), what);
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(bytes[offset + i]) << (8 * i);
    return value;
}

uint16_t ReadU16(std::span<const uint8_t> b, uint64_t o, const char* w) { return ReadLE<uint16_t>(b, o, w); }
uint32_t ReadU32(std::span<const uint8_t> b, uint64_t o, const char* w) { return ReadLE<uint32_t>(b, o, w); }
uint64_t ReadU64(std::span<const uint8_t> b, uint64_t o, const char* w) { return ReadLE<uint64_t>(b, o, w); }

template <typename T>
static void WriteLE(std::span<uint8_t> bytes, uint64_t offset, T value, const char* what)
{
    CheckRange(offset, sizeof(T), bytes.size(), what);
    for (size_t i = 0; i < sizeof(T); ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void WriteU32(std::span<uint8_t> b, uint64_t o, uint32_t v, const char* w) { WriteLE(b, o, v, w); }
void WriteU64(std::span<uint8_t> b, uint64_t o, uint64_t v, const char* w) { WriteLE(b, o, v, w); }

const char* ReadCString(std::span<const uint8_t> bytes, uint64_t offset, const char* what)
{
    if (offset >= bytes.size())
        throw PeError(std::string(what) + " at " + Hex(offset) + " lies outside the image");
    const void* end = std::memchr(bytes.data() + offset, 0, bytes.size() - offset);
    if (!end) throw PeError(std::string(what) + " at " + Hex(offset) + " is not terminated inside the image");
    return reinterpret_cast<const char*>(bytes.data() + offset);
}

static const char* DirectoryName(size_t index)
{
    static const char* const names[16] = {
        "export directory", "import directory", "resource directory", "exception directory",
        "security directory", "relocation directory", "debug directory", "architecture directory",
        "global pointer directory", "TLS directory", "load configuration directory", "bound import directory",
        "import address table directory", "delay import directory", "COM descriptor directory", "reserved directory"};
    return names[index];
}

PeHeaders ParseHeaders(std::span<const uint8_t> bytes, Layout layout)
{
    PeHeaders h;
    if (bytes.size() < 0x40) throw PeError("truncated DOS header: the image is " + std::to_string(bytes.size()) + " bytes long");
    if (bytes[0] != 'M' || bytes[1] != 'Z') throw PeError("missing MZ signature in the DOS header");

    h.ntOffset = ReadU32(bytes, 0x3C, "e_lfanew");
    const uint64_t nt = h.ntOffset;
    CheckRange(nt, 24, bytes.size(), "NT headers");
    if (ReadU32(bytes, nt, "PE signature") != 0x00004550) throw PeError("missing PE signature at " + Hex(nt));

    h.machine = ReadU16(bytes, nt + 4, "machine");
    const uint16_t sectionCount = ReadU16(bytes, nt + 6, "NumberOfSections");
    const uint16_t optionalSize = ReadU16(bytes, nt + 20, "SizeOfOptionalHeader");
    h.fileCharacteristics = ReadU16(bytes, nt + 22, "file characteristics");

    const uint64_t opt = nt + 24;
    CheckRange(opt, optionalSize, bytes.size(), "optional header");
    if (optionalSize < 2) throw PeError("optional header too small: " + std::to_string(optionalSize) + " bytes");
    const uint16_t magic = ReadU16(bytes, opt, "optional header magic");
    if (magic == 0x20B) h.is64 = true;
    else if (magic != 0x10B) throw PeError("unknown optional header magic " + Hex(magic));

    const uint32_t fixedSize = h.is64 ? 112 : 96;  // up to and including NumberOfRvaAndSizes
    if (optionalSize < fixedSize)
        throw PeError("optional header too small: " + std::to_string(optionalSize) + " bytes");

    h.entryPoint = ReadU32(bytes, opt + 16, "AddressOfEntryPoint");
    h.imageBase = h.is64 ? ReadU64(bytes, opt + 24, "ImageBase") : ReadU32(bytes, opt + 28, "ImageBase");
    h.sizeOfImage = ReadU32(bytes, opt + 56, "SizeOfImage");
    h.sizeOfHeaders = ReadU32(bytes, opt + 60, "SizeOfHeaders");
    const uint32_t directoryCount = ReadU32(bytes, opt + fixedSize - 4, "NumberOfRvaAndSizes");

    if (h.sizeOfImage == 0) throw PeError("SizeOfImage is 0");
    if (h.sizeOfImage > kMaxImageSize) throw PeError("SizeOfImage " + Hex(h.sizeOfImage) + " is too large");
    if (h.sizeOfHeaders > h.sizeOfImage) throw PeError("SizeOfHeaders exceeds SizeOfImage");
    if (layout == Layout::File && h.sizeOfHeaders > bytes.size())
        throw PeError("SizeOfHeaders runs past the end of the file");
    if (layout == Layout::Mapped && bytes.size() < h.sizeOfImage)
        throw PeError("mapped image is shorter than SizeOfImage");
    if (h.entryPoint >= h.sizeOfImage) throw PeError("entry point " + Hex(h.entryPoint) + " lies outside the image");

    if (directoryCount > 16 || fixedSize + uint64_t(directoryCount) * 8 > optionalSize)
        throw PeError("data directories (" + std::to_string(directoryCount) + ") exceed the optional header");
    for (uint32_t i = 0; i < directoryCount; ++i) {
        DataDirectory& d = h.directories[i];
        d.rva = ReadU32(bytes, opt + fixedSize + i * 8, "data directory");
        d.size = ReadU32(bytes, opt + fixedSize + i * 8 + 4, "data directory");
        // The security directory holds a file offset, not an address in the image.
        if (i == kSecurityDirectory || d.empty()) continue;
        if (uint64_t(d.rva) + d.size > h.sizeOfImage)
            throw PeError(std::string("the ") + DirectoryName(i) + " lies outside the image");
    }

    const uint64_t table = opt + optionalSize;
    CheckRange(table, uint64_t(sectionCount) * 40, bytes.size(), "section table");
    h.sections.reserve(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t at = table + uint64_t(i) * 40;
        Section s;
        const char* raw = reinterpret_cast<const char*>(bytes.data() + at);
        s.name.assign(raw, strnlen(raw, 8));
        s.virtualSize = ReadU32(bytes, at + 8, "section");
        s.virtualAddress = ReadU32(bytes, at + 12, "section");
        s.sizeOfRawData = ReadU32(bytes, at + 16, "section");
        s.pointerToRawData = ReadU32(bytes, at + 20, "section");
        s.characteristics = ReadU32(bytes, at + 36, "section");
        if (uint64_t(s.virtualAddress) + s.virtualSize > h.sizeOfImage)
            throw PeError("section " + s.name + " lies outside the image");
        if (layout == Layout::File && s.CopiedSize() != 0 &&
            uint64_t(s.pointerToRawData) + s.CopiedSize() > bytes.size())
            throw PeError("raw data of section " + s.name + " lies outside the file");
        h.sections.push_back(std::move(s));
    }
    return h;
}

}  // namespace flashrt::pe
