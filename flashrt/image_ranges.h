#pragma once
// The address ranges of the images the in-memory loader has mapped: the answer
// to "which mapped image holds this address", which the system cannot give for
// images it never loaded.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace flashrt {

class ImageRanges {
public:
    void Add(uintptr_t base, size_t size);
    void Remove(uintptr_t base);
    // The base of the image that holds address, if any.
    std::optional<uintptr_t> Find(uintptr_t address) const;

private:
    struct Range {
        uintptr_t base;
        size_t size;
    };
    std::vector<Range> ranges_;
};

}  // namespace flashrt
