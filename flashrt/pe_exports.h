#pragma once
// Looking up an export of a mapped image by its exact name.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

// "LIB.Name" or "LIB.#ordinal": the export lives in another library.
struct Forwarder {
    std::string library;
    std::string name;  // empty when forwarded by ordinal
    uint16_t ordinal = 0;
    bool ByOrdinal() const { return name.empty(); }
};

struct ExportTarget {
    uint32_t rva = 0;                    // of the code or data, when not forwarded
    std::optional<Forwarder> forwarder;  // set when the export is forwarded
};

// The first exported name equal to name (case-sensitive), or nothing.
std::optional<ExportTarget> FindExport(const PeHeaders& headers, std::span<const uint8_t> image, std::string_view name);

Forwarder ParseForwarder(std::string_view text);

}  // namespace flashrt::pe
