#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

class EModuleInflate : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Inflates the package's runtime module block (one zlib stream), reading the
// input and writing the output in 32 KiB steps. A corrupt or truncated stream,
// or one that would grow past maxOutput (a defence against a crafted block that
// expands without end), raises EModuleInflate.
std::vector<uint8_t> InflateRuntimeModule(std::span<const uint8_t> compressed,
                                          size_t maxOutput = size_t{1} << 30);
