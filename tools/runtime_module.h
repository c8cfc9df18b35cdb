// The Flash runtime module block: the module file compressed as one zlib stream.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Refuses, with a one-line reason, a file that cannot be a runtime module: it must
// be a well-formed 32- or 64-bit DLL that exports DllGetClassObject.
void CheckRuntimeModule(std::span<const uint8_t> module);

// What swfpack info shows about an embedded runtime module.
struct RuntimeModuleSummary {
  unsigned bits = 0;           // 32 or 64; 0 when the module is not usable
  uint64_t size = 0;           // bytes of the module file
  std::string productVersion;  // "major.minor.build.revision", empty without a version resource
  std::string problem;         // why the module is not usable, empty when it is
};
RuntimeModuleSummary DescribeRuntimeModule(std::span<const uint8_t> module);

// The block payload: one zlib (RFC 1950) stream of the whole file.
std::vector<uint8_t> CompressRuntimeModule(std::span<const uint8_t> module);
