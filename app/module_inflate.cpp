#include "app/module_inflate.h"

#include <algorithm>
#include <string>
#include <zlib.h>

namespace {

constexpr size_t kStep = 32768;

struct InflateStream {
    z_stream z{};
    InflateStream()
    {
        if (inflateInit(&z) != Z_OK)
            throw EModuleInflate("The runtime module could not be unpacked: zlib is not available");
    }
    ~InflateStream() { inflateEnd(&z); }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
};

} // namespace

std::vector<uint8_t> InflateRuntimeModule(std::span<const uint8_t> compressed, size_t maxOutput)
{
    InflateStream stream;
    std::vector<uint8_t> out;
    uint8_t window[kStep];
    size_t consumed = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (stream.z.avail_in == 0) {
            if (consumed == compressed.size())
                throw EModuleInflate("The runtime module block ends before its zlib stream does");
            const size_t piece = std::min(kStep, compressed.size() - consumed);
            stream.z.next_in = const_cast<Bytef*>(compressed.data() + consumed);
            stream.z.avail_in = static_cast<uInt>(piece);
            consumed += piece;
        }
        stream.z.next_out = window;
        stream.z.avail_out = kStep;
        status = inflate(&stream.z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            throw EModuleInflate(std::string("The runtime module block is not a valid zlib stream: ")
                                 + (stream.z.msg ? stream.z.msg : "inflate failed"));
        const size_t produced = kStep - stream.z.avail_out;
        if (out.size() + produced > maxOutput)
            throw EModuleInflate("The runtime module block unpacks to more than the player accepts");
        out.insert(out.end(), window, window + produced);
    }
    return out;
}
