#include "flashrt/pe_imports.h"

namespace flashrt::pe {

void BindImports(const PeHeaders& h, std::span<uint8_t> image, ImportBinder& binder)
{
    const DataDirectory& dir = h.Directory(kImportDirectory);
    if (dir.empty()) return;
    const uint64_t width = h.PointerSize();
    const uint64_t ordinalFlag = h.is64 ? (1ull << 63) : (1ull << 31);
    // The directory's size is often not exact, so the walk is bounded by the image.
    for (uint64_t at = dir.rva;; at += 20) {
        CheckRange(at, 20, image.size(), "import descriptor");
        const uint32_t originalFirstThunk = ReadU32(image, at, "import descriptor");
        const uint32_t timeDateStamp = ReadU32(image, at + 4, "import descriptor");
        const uint32_t nameRva = ReadU32(image, at + 12, "import descriptor");
        const uint32_t firstThunk = ReadU32(image, at + 16, "import descriptor");
        if (nameRva == 0) break;
        const char* library = ReadCString(image, nameRva, "import library name");
        if (firstThunk == 0) throw PeError(std::string("import descriptor of ") + library + " has no address table");
        binder.BeginLibrary(library);

        // A non-zero stamp without a lookup table (some old linkers) still has its
        // names in the address table: reading address 0 would read the headers.
        const uint32_t names = (timeDateStamp != 0 && originalFirstThunk != 0) ? originalFirstThunk : firstThunk;
        for (uint64_t i = 0;; ++i) {
            const uint64_t entryAt = names + i * width;
            const uint64_t entry = h.is64 ? ReadU64(image, entryAt, "import lookup table")
                                          : ReadU32(image, entryAt, "import lookup table");
            if (entry == 0) break;
            ImportedName import;
            if (entry & ordinalFlag) {
                import.ordinal = static_cast<uint16_t>(entry & 0xFFFF);
            } else {
                if (entry > 0x7FFFFFFF) throw PeError("import name address " + Hex(entry) + " is out of range");
                import.name = ReadCString(image, entry + 2, "import name");
            }
            uint64_t address = binder.Hook(library, import);
            if (address == 0) address = binder.Resolve(library, import);
            const uint64_t slot = firstThunk + i * width;
            if (h.is64) WriteU64(image, slot, address, "import address table");
            else WriteU32(image, slot, static_cast<uint32_t>(address), "import address table");
        }
    }
}

}  // namespace flashrt::pe
