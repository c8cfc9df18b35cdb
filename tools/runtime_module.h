// The Flash runtime module block: the module file compressed as one zlib stream.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Refuses a file that cannot be a runtime module. For now it only refuses an
// empty file; the PE image validity check plugs in here.
void CheckRuntimeModule(std::span<const uint8_t> module);

// The block payload: one zlib (RFC 1950) stream of the whole file.
std::vector<uint8_t> CompressRuntimeModule(std::span<const uint8_t> module);
