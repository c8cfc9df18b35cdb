#pragma once
// Checks a candidate runtime module completely, without running it: headers,
// sections, relocations, imports and the class-object export.
#include <cstdint>
#include <optional>
#include <span>

#include "flashrt/pe_version.h"

namespace flashrt::pe {

struct RuntimeModuleInfo {
    unsigned bits = 0;  // 32 or 64
    uint16_t machine = 0;
    uint64_t fileSize = 0;
    uint32_t sizeOfImage = 0;
    std::optional<ProductVersion> productVersion;
};

// Throws PeError with a one-line reason when file is not a well-formed DLL for
// x86 or x86-64 that exports DllGetClassObject.
RuntimeModuleInfo InspectRuntimeModule(std::span<const uint8_t> file);

}  // namespace flashrt::pe
