#include "flashrt/stream_adapter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace flashrt {

uint64_t TStream::Size()
{
    const uint64_t here = Position();
    const uint64_t end = Seek(0, TSeekOrigin::End);
    SetPosition(here);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const size_t got = Read(out + done, count - done);
        if (got == 0) throw EStreamError("Stream read error");
        done += got;
    }
}

uint64_t TStream::CopyFrom(TStream& source, uint64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    auto* target = dynamic_cast<TMemoryStream*>(this);
    auto* memorySource = dynamic_cast<TMemoryStream*>(&source);
    if (target && memorySource && target->Bytes().empty()) {
        // Memory to empty memory: one allocation and one pass, which for a big movie
        // halves the time and never holds a second buffer.
        const uint64_t at = source.Position();
        const auto bytes = memorySource->Bytes();
        if (at > bytes.size() || count > bytes.size() - at) throw EStreamError("Stream read error");
        target->Assign(bytes.subspan(static_cast<size_t>(at), static_cast<size_t>(count)));
        source.SetPosition(at + count);
        return count;
    }
    // An empty memory stream is sized once, so a big movie costs one allocation, not a
    // series of growing copies (peak memory would otherwise reach twice the movie).
    if (target && target->Bytes().empty()) {
        target->SetSize(static_cast<size_t>(count));
        target->SetPosition(0);
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(count, 1u << 20)));
    uint64_t copied = 0;
    while (copied < count) {
        const size_t step = static_cast<size_t>(std::min<uint64_t>(count - copied, buffer.size()));
        source.ReadBuffer(buffer.data(), step);
        if (Write(buffer.data(), step) != step) throw EStreamError("Stream write error");
        copied += step;
    }
    return copied;
}

void TMemoryStream::Assign(std::span<const uint8_t> bytes)
{
    data_.assign(bytes.begin(), bytes.end());
    position_ = data_.size();
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    if (position_ >= data_.size()) return 0;
    const size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0) return 0;
    if (count > std::numeric_limits<size_t>::max() - position_) throw EStreamError("Stream too large");
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

uint64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::Beginning: base = 0; break;
    case TSeekOrigin::Current: base = static_cast<int64_t>(position_); break;
    case TSeekOrigin::End: base = static_cast<int64_t>(data_.size()); break;
    }
    const int64_t target = base + offset;
    if (target < 0) throw EStreamError("Seek before the start of the stream");
    position_ = static_cast<size_t>(target);  // beyond the end is allowed; reads then give 0
    return position_;
}

void TMemoryStream::SetSize(size_t size)
{
    data_.resize(size);
    if (position_ > size) position_ = size;
}

}  // namespace flashrt
