#include "flashrt/pe_mapping.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace flashrt::pe {

namespace {
// The image is little-endian; so is every host this builds for, but say so once.
constexpr bool kBigEndianHost = std::endian::native == std::endian::big;
uint16_t LittleEndian16(uint16_t v) { return kBigEndianHost ? uint16_t(v >> 8 | v << 8) : v; }
uint32_t LittleEndian32(uint32_t v) { return kBigEndianHost ? __builtin_bswap32(v) : v; }
uint64_t LittleEndian64(uint64_t v) { return kBigEndianHost ? __builtin_bswap64(v) : v; }
}  // namespace

void CopyHeadersAndSections(const PeHeaders& h, std::span<const uint8_t> file, std::span<uint8_t> image)
{
    if (image.size() < h.sizeOfImage) throw PeError("image region is smaller than SizeOfImage");
    CheckRange(0, h.sizeOfHeaders, file.size(), "headers");
    std::memcpy(image.data(), file.data(), h.sizeOfHeaders);
    for (const Section& s : h.sections) {
        // Sizes compare unsigned: a raw size with its top bit set must not turn
        // into a negative count that copies nothing or everything. Only the part
        // the copy leaves is zeroed: touching every page twice costs time.
        const uint32_t copied = s.CopiedSize();
        if (copied != 0) {
            CheckRange(s.pointerToRawData, copied, file.size(), "raw data of a section");
            std::memcpy(image.data() + s.virtualAddress, file.data() + s.pointerToRawData, copied);
        }
        std::memset(image.data() + s.virtualAddress + copied, 0, s.virtualSize - copied);
    }
}

std::vector<uint8_t> MapToBuffer(const PeHeaders& h, std::span<const uint8_t> file)
{
    std::vector<uint8_t> image(h.sizeOfImage);
    CopyHeadersAndSections(h, file, image);
    return image;
}

namespace {

enum RelocationType : uint16_t {
    kRelAbsolute = 0,
    kRelHigh = 1,
    kRelLow = 2,
    kRelHighLow = 3,
    kRelHighAdj = 4,
    kRelDir64 = 10,
};

// Bytes a fix-up of the type writes; 0 for types the system loader refuses.
uint32_t FixupWidth(uint16_t type)
{
    switch (type) {
    case kRelHigh:
    case kRelLow:
    case kRelHighAdj: return 2;
    case kRelHighLow: return 4;
    case kRelDir64: return 8;
    default: return 0;
    }
}

template <typename T>
T Load(const uint8_t* at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    if constexpr (sizeof(T) == 2) return T(LittleEndian16(uint16_t(v)));
    else if constexpr (sizeof(T) == 4) return T(LittleEndian32(uint32_t(v)));
    else return T(LittleEndian64(uint64_t(v)));
}

template <typename T>
void Store(uint8_t* at, T v)
{
    if constexpr (sizeof(T) == 2) v = T(LittleEndian16(uint16_t(v)));
    else if constexpr (sizeof(T) == 4) v = T(LittleEndian32(uint32_t(v)));
    else v = T(LittleEndian64(uint64_t(v)));
    std::memcpy(at, &v, sizeof v);
}

}  // namespace

size_t ApplyRelocations(const PeHeaders& h, std::span<uint8_t> image, uint64_t delta)
{
    const DataDirectory& dir = h.Directory(kRelocationDirectory);
    if (dir.size == 0) return 0;
    CheckRange(dir.rva, dir.size, image.size(), "relocation directory");
    const uint64_t end = uint64_t(dir.rva) + dir.size;
    // The 16- and 32-bit kinds add parts of the delta as the system loader
    // truncates it; a 64-bit word gets the whole of it.
    const uint32_t delta32 = uint32_t(delta);
    size_t changed = 0;
    uint64_t block = dir.rva;
    while (block < end) {
        if (end - block < 8) throw PeError("relocation block header at " + Hex(block) + " runs past its directory");
        const uint32_t page = ReadU32(image, block, "relocation block");
        const uint32_t blockSize = ReadU32(image, block + 4, "relocation block");
        if (blockSize < 8)
            throw PeError("relocation block at " + Hex(block) + " has size " + std::to_string(blockSize));
        if (blockSize > end - block) throw PeError("relocation block at " + Hex(block) + " runs past its directory");
        const uint32_t count = (blockSize - 8) / 2;
        // When every possible target of the block lies inside the image the
        // words are patched without a check each: large modules carry millions.
        const bool wholePageInside = uint64_t(page) + 0xFFF + 8 <= image.size();
        const uint8_t* entries = image.data() + block + 8;
        for (uint32_t i = 0; i < count; ++i) {
            const uint16_t entry = Load<uint16_t>(entries + 2 * i);
            const uint16_t type = entry >> 12;
            if (type == kRelAbsolute) continue;
            const uint64_t target = uint64_t(page) + (entry & 0xFFF);
            const uint32_t width = FixupWidth(type);
            if (width == 0) throw PeError("unsupported relocation type " + std::to_string(type) + " at " + Hex(target));
            if (!wholePageInside) CheckRange(target, width, image.size(), "relocation target");
            uint8_t* word = image.data() + target;
            // HIGHADJ carries the low half of its 32-bit address in the next
            // entry, which is consumed with it.
            int16_t lowHalf = 0;
            if (type == kRelHighAdj) {
                if (++i == count)
                    throw PeError("HIGHADJ relocation at " + Hex(target) + " lacks its second entry");
                lowHalf = int16_t(Load<uint16_t>(entries + 2 * i));
            }
            ++changed;
            // At the preferred base the table is still checked, but no page is touched.
            if (delta == 0) continue;
            switch (type) {
            case kRelHighLow: Store<uint32_t>(word, Load<uint32_t>(word) + delta32); break;
            case kRelDir64: Store<uint64_t>(word, Load<uint64_t>(word) + delta); break;
            case kRelHigh: Store<uint16_t>(word, uint16_t(Load<uint16_t>(word) + (delta32 >> 16))); break;
            case kRelLow: Store<uint16_t>(word, uint16_t(Load<uint16_t>(word) + delta32)); break;
            case kRelHighAdj: {
                // The full address is high << 16 plus the signed low half; the
                // result's high half is rounded by the low half's carry.
                const uint32_t full = (uint32_t(Load<uint16_t>(word)) << 16) + uint32_t(int32_t(lowHalf)) + delta32;
                Store<uint16_t>(word, uint16_t((full + 0x8000) >> 16));
                break;
            }
            }
        }
        block += 8 + 2 * uint64_t(count);
    }
    return changed;
}

uint32_t SectionProtection(uint32_t c)
{
    // Indexed by execute, read, write.
    static const uint32_t table[2][2][2] = {
        {{0x01, 0x08}, {0x02, 0x04}},
        {{0x10, 0x80}, {0x20, 0x40}},
    };
    uint32_t p = table[(c & kSectionExecute) ? 1 : 0][(c & kSectionRead) ? 1 : 0][(c & kSectionWrite) ? 1 : 0];
    if (c & kSectionNotCached) p |= kPageNoCache;
    return p;
}

}  // namespace flashrt::pe
