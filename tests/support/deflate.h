#pragma once
// zlib-compressed copies of test data (SWF bodies, packed modules).
#include <cstdint>
#include <span>
#include <vector>

namespace swfp::test {

// The data as one zlib stream; throws when zlib refuses.
std::vector<uint8_t> Deflate(std::span<const uint8_t> data, int level = 6);

}  // namespace swfp::test
