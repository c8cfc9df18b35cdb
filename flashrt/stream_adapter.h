#pragma once
// The byte streams that carry movies between the player, the content manager and
// the runtime's stream adapters. Portable: the COM adapters in stream_adapter_win.h
// wrap a TStream; everything else (copying, seeking, reading) is plain C++.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace flashrt {

enum class TSeekOrigin { Beginning, Current, End };

// A seekable byte stream in the manner of the toolkit's streams: Read and Write
// move up to the requested count and say how much they moved.
class TStream {
public:
    virtual ~TStream() = default;
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Returns the new position; a target before the start is an error.
    virtual uint64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    uint64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(uint64_t position) { Seek(static_cast<int64_t>(position), TSeekOrigin::Beginning); }
    uint64_t Size();

    // Reads exactly count bytes or throws.
    void ReadBuffer(void* buffer, size_t count);
    // Copies count bytes from source's current position; count 0 copies the
    // whole source from its start (the toolkit's convention). Returns the bytes copied.
    uint64_t CopyFrom(TStream& source, uint64_t count);
};

// A growable stream in memory. Its bytes are reachable as a span so that readers
// (the movie header reader) need not copy them again.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::span<const uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    uint64_t Seek(int64_t offset, TSeekOrigin origin) override;

    void SetSize(size_t size);
    // Replaces the content; the position ends after it, as after writing it.
    void Assign(std::span<const uint8_t> bytes);
    void Clear() { data_.clear(); data_.shrink_to_fit(); position_ = 0; }
    std::span<const uint8_t> Bytes() const { return data_; }
    std::span<uint8_t> MutableBytes() { return data_; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace flashrt
