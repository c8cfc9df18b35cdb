#include "flashrt/pe_tls.h"

namespace flashrt::pe {

namespace {

// An address held by the directory as the offset it has in the image; length
// bytes from there must lie inside it too.
uint32_t OffsetInImage(uint64_t address, uint64_t length, uint64_t base, uint64_t imageSize, const char* what)
{
    if (address < base) throw PeError(std::string(what) + " " + Hex(address) + " lies before the image");
    CheckRange(address - base, length, imageSize, what);
    return static_cast<uint32_t>(address - base);
}

}  // namespace

std::optional<TlsLayout> ReadTlsDirectory(const PeHeaders& h, std::span<const uint8_t> image, uint64_t base)
{
    const DataDirectory& dir = h.Directory(kTlsDirectory);
    if (dir.empty()) return std::nullopt;
    const uint32_t width = h.PointerSize();
    // StartAddressOfRawData, EndAddressOfRawData, AddressOfIndex, AddressOfCallBacks
    // (pointers), then SizeOfZeroFill and Characteristics (32 bits each).
    const uint32_t needed = 4 * width + 8;
    if (dir.size < needed) throw PeError("the TLS directory is " + std::to_string(dir.size) + " bytes long");
    CheckRange(dir.rva, needed, image.size(), "TLS directory");
    const auto pointer = [&](uint32_t i) {
        return width == 8 ? ReadU64(image, dir.rva + 8 * i, "TLS directory") : ReadU32(image, dir.rva + 4 * i, "TLS directory");
    };
    const uint64_t start = pointer(0), end = pointer(1), index = pointer(2), callbacks = pointer(3);
    const uint32_t zeroFill = ReadU32(image, dir.rva + 4 * width, "TLS directory");
    const uint32_t characteristics = ReadU32(image, dir.rva + 4 * width + 4, "TLS directory");

    TlsLayout tls;
    if (end < start) throw PeError("the TLS template ends before it starts");
    if (end - start > kMaxTlsBlock || zeroFill > kMaxTlsBlock - (end - start))
        throw PeError("the TLS block of " + Hex(end - start) + " + " + Hex(zeroFill) + " bytes is too large");
    tls.templateSize = static_cast<uint32_t>(end - start);
    tls.zeroFill = zeroFill;
    tls.templateRva = tls.templateSize ? OffsetInImage(start, tls.templateSize, base, image.size(), "TLS template") : 0;
    tls.indexRva = OffsetInImage(index, 4, base, image.size(), "TLS index");
    // Bits 20 to 23 hold the alignment as a section's characteristics do.
    const uint32_t alignCode = (characteristics >> 20) & 0xF;
    if (alignCode > 14) throw PeError("the TLS alignment code " + std::to_string(alignCode) + " is invalid");
    tls.alignment = alignCode ? 1u << (alignCode - 1) : 1u;

    if (callbacks != 0) {
        uint32_t at = OffsetInImage(callbacks, width, base, image.size(), "TLS callback list");
        for (;; at += width) {
            const uint64_t callback = width == 8 ? ReadU64(image, at, "TLS callback list") : ReadU32(image, at, "TLS callback list");
            if (callback == 0) break;
            if (tls.callbackRvas.size() == kMaxTlsCallbacks) throw PeError("the TLS callback list has no end");
            tls.callbackRvas.push_back(OffsetInImage(callback, 1, base, image.size(), "TLS callback"));
        }
    }
    return tls;
}

}  // namespace flashrt::pe
