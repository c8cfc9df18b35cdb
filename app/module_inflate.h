#pragma once
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "flashrt/pe_stream.h"

class EModuleInflate : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The package's runtime module block (one zlib stream) inflated as it is read:
// the loader reads the module from it straight into the module's sections. A
// corrupt or truncated stream, or one that would grow past maxOutput (a defence
// against a crafted block that expands without end), raises EModuleInflate.
class InflateSource : public flashrt::pe::ByteSource {
public:
    explicit InflateSource(std::span<const uint8_t> compressed, size_t maxOutput = size_t{1} << 30);
    ~InflateSource() override;
    size_t Read(std::span<uint8_t> into) override;
    // Inflates whatever the reader left and checks the stream's end; raises the
    // first failure again if a reader swallowed it.
    void Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
    std::exception_ptr failure_;
};

// Inflates the whole block into memory, reading the input in 32 KiB steps.
std::vector<uint8_t> InflateRuntimeModule(std::span<const uint8_t> compressed,
                                          size_t maxOutput = size_t{1} << 30);
