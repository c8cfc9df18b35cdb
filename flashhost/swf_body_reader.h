// Sequential reader over the body of a SWF movie (everything after its
// 8-byte header), either stored or zlib-compressed. Compressed bodies are
// inflated on demand into a small window, so reading a header or walking the
// tags never allocates from the movie's declared length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct z_stream_s;

class SwfBodyReader {
 public:
  // Reads the bytes as they are.
  static SwfBodyReader Stored(std::span<const uint8_t> body);
  // Inflates the bytes as one zlib stream.
  static SwfBodyReader Inflating(std::span<const uint8_t> body);

  SwfBodyReader(SwfBodyReader&&) noexcept;
  SwfBodyReader& operator=(SwfBodyReader&&) noexcept;
  ~SwfBodyReader();

  // Reads up to count bytes; fewer at the end of the data or after a zlib error.
  size_t Read(uint8_t* into, size_t count);
  // Skips up to count bytes; returns how many were skipped.
  uint64_t Skip(uint64_t count);
  // True once the zlib stream proved corrupt, or its input ran out before its end.
  bool Failed() const { return failed_; }
  // True once a zlib stream reached its end marker (always false for stored bodies).
  bool StreamEnded() const { return ended_; }

 private:
  struct InflateDeleter {
    void operator()(z_stream_s* stream) const;
  };
  explicit SwfBodyReader(std::span<const uint8_t> body) : input_(body) {}

  std::span<const uint8_t> input_;
  size_t storedPos_ = 0;
  std::unique_ptr<z_stream_s, InflateDeleter> zlib_;
  bool failed_ = false;
  bool ended_ = false;
};
