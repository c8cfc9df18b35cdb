#pragma once
// Mapping a PE image while it is read once, front to back: the headers first,
// then each section's raw data in file order, each straight into its place in
// the image. A module read from a file or inflated from a package thus never
// exists as a second full copy.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "flashrt/pe_image.h"

namespace flashrt::pe {

// Bytes read in order. Read fills as much of into as it can and returns how
// many bytes it gave; 0 means the end. Failures raise.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual size_t Read(std::span<uint8_t> into) = 0;
};

class SpanSource : public ByteSource {
public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Read(std::span<uint8_t> into) override;

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

// Given the checked headers, returns the region for the image: at least
// SizeOfImage bytes, zero-filled. May raise to refuse the module.
using ImageAllocator = std::function<std::span<uint8_t>(const PeHeaders&)>;

// Reads the headers, asks for the region, copies the headers and then the
// sections in file order, zero-filling each up to its virtual size. A source
// that ends early, raw data that would have to be read twice (sections that
// overlap in the file or lie inside the headers) and a section table outside
// SizeOfHeaders raise PeError. Nothing after the last section is read.
PeHeaders StreamImage(ByteSource& source, const ImageAllocator& allocate);

}  // namespace flashrt::pe
