#pragma once
// Walking the import descriptors of a mapped image: each import is offered first
// to a hook, then to a resolver, and the answer is written into the address table.
#include <cstdint>
#include <span>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

struct ImportedName {
    const char* name = nullptr;  // inside the image; nullptr for an import by ordinal
    uint16_t ordinal = 0;
    bool ByOrdinal() const { return name == nullptr; }
};

class ImportBinder {
public:
    virtual ~ImportBinder() = default;
    // Once per descriptor, before its imports.
    virtual void BeginLibrary(const char* libraryName) = 0;
    // A replacement address, or 0 to go on to Resolve.
    virtual uint64_t Hook(const char* libraryName, const ImportedName& import) = 0;
    // The address in the library last begun (0 when unknown).
    virtual uint64_t Resolve(const char* libraryName, const ImportedName& import) = 0;
};

// Descriptors are read until one whose Name is 0. A descriptor with a non-zero
// TimeDateStamp takes the names from OriginalFirstThunk (the address table may hold
// bound addresses), one with 0 from FirstThunk itself.
void BindImports(const PeHeaders& headers, std::span<uint8_t> image, ImportBinder& binder);

}  // namespace flashrt::pe
