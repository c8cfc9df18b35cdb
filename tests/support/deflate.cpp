#include "tests/support/deflate.h"

#include <zlib.h>

#include <stdexcept>

namespace swfp::test {

std::vector<uint8_t> Deflate(std::span<const uint8_t> data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("zlib could not compress the test data");
    out.resize(size);
    return out;
}

}  // namespace swfp::test
