#include "flashrt/image_ranges.h"

#include <algorithm>

namespace flashrt {

void ImageRanges::Add(uintptr_t base, size_t size) { ranges_.push_back({base, size}); }

void ImageRanges::Remove(uintptr_t base)
{
    std::erase_if(ranges_, [base](const Range& r) { return r.base == base; });
}

std::optional<uintptr_t> ImageRanges::Find(uintptr_t address) const
{
    for (const Range& r : ranges_)
        if (address >= r.base && address - r.base < r.size) return r.base;
    return std::nullopt;
}

}  // namespace flashrt
