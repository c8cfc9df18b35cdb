#include "app/module_inflate.h"

#include <algorithm>
#include <string>
#include <zlib.h>

namespace {
constexpr size_t kStep = 32768;
}  // namespace

struct InflateSource::State {
    z_stream z{};
    std::span<const uint8_t> compressed;
    size_t consumed = 0;
    size_t produced = 0;
    size_t maxOutput = 0;
    bool ended = false;
    State()
    {
        if (inflateInit(&z) != Z_OK)
            throw EModuleInflate("The runtime module could not be unpacked: zlib is not available");
    }
    ~State() { inflateEnd(&z); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    size_t Read(std::span<uint8_t> into)
    {
        size_t given = 0;
        while (!ended && given < into.size()) {
            if (z.avail_in == 0) {
                if (consumed == compressed.size())
                    throw EModuleInflate("The runtime module block ends before its zlib stream does");
                const size_t piece = std::min(kStep, compressed.size() - consumed);
                z.next_in = const_cast<Bytef*>(compressed.data() + consumed);
                z.avail_in = static_cast<uInt>(piece);
                consumed += piece;
            }
            const size_t room = std::min<size_t>(into.size() - given, 1u << 30);
            z.next_out = into.data() + given;
            z.avail_out = static_cast<uInt>(room);
            const int status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                throw EModuleInflate(std::string("The runtime module block is not a valid zlib stream: ") +
                                     (z.msg ? z.msg : "inflate failed"));
            const size_t out = room - z.avail_out;
            if (produced + out > maxOutput)
                throw EModuleInflate("The runtime module block unpacks to more than the player accepts");
            produced += out;
            given += out;
            ended = status == Z_STREAM_END;
        }
        return given;
    }
};

InflateSource::InflateSource(std::span<const uint8_t> compressed, size_t maxOutput) : state_(std::make_unique<State>())
{
    state_->compressed = compressed;
    state_->maxOutput = maxOutput;
}

InflateSource::~InflateSource() = default;

size_t InflateSource::Read(std::span<uint8_t> into)
{
    try {
        return state_->Read(into);
    } catch (...) {
        if (!failure_) failure_ = std::current_exception();
        throw;
    }
}

void InflateSource::Finish()
{
    if (failure_) std::rethrow_exception(failure_);
    uint8_t window[kStep];
    while (Read(window) != 0) {
    }
}

std::vector<uint8_t> InflateRuntimeModule(std::span<const uint8_t> compressed, size_t maxOutput)
{
    InflateSource source(compressed, maxOutput);
    std::vector<uint8_t> out;
    uint8_t window[kStep];
    while (const size_t n = source.Read(window)) out.insert(out.end(), window, window + n);
    return out;
}
