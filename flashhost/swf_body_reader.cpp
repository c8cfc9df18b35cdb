#include "flashhost/swf_body_reader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

void SwfBodyReader::InflateDeleter::operator()(z_stream_s* stream) const {
  inflateEnd(stream);
  delete stream;
}

SwfBodyReader::SwfBodyReader(SwfBodyReader&&) noexcept = default;
SwfBodyReader& SwfBodyReader::operator=(SwfBodyReader&&) noexcept = default;
SwfBodyReader::~SwfBodyReader() = default;

SwfBodyReader SwfBodyReader::Stored(std::span<const uint8_t> body) { return SwfBodyReader(body); }

SwfBodyReader SwfBodyReader::Inflating(std::span<const uint8_t> body) {
  SwfBodyReader reader(body);
  // zlib keeps a pointer back to the z_stream, so it lives on the heap and never moves.
  auto stream = std::make_unique<z_stream>();
  if (inflateInit(stream.get()) != Z_OK) throw std::bad_alloc();
  reader.zlib_.reset(stream.release());
  reader.zlib_->next_in = const_cast<Bytef*>(body.data());
  // Feed at most UINT_MAX bytes at a time (avail_in is 32-bit).
  reader.zlib_->avail_in = static_cast<uInt>(std::min<size_t>(body.size(), UINT_MAX));
  return reader;
}

size_t SwfBodyReader::Read(uint8_t* into, size_t count) {
  if (!zlib_) {
    const size_t n = std::min(count, input_.size() - storedPos_);
    if (n) std::memcpy(into, input_.data() + storedPos_, n);
    storedPos_ += n;
    return n;
  }
  size_t done = 0;
  while (done < count && !failed_ && !ended_) {
    z_stream& z = *zlib_;
    if (z.avail_in == 0) {
      const size_t consumed = static_cast<size_t>(z.next_in - input_.data());
      z.avail_in = static_cast<uInt>(std::min<size_t>(input_.size() - consumed, UINT_MAX));
    }
    z.next_out = into + done;
    z.avail_out = static_cast<uInt>(std::min<size_t>(count - done, UINT_MAX));
    const uInt before = z.avail_out;
    const int rc = inflate(&z, Z_NO_FLUSH);
    done += before - z.avail_out;
    if (rc == Z_STREAM_END) {
      ended_ = true;
    } else if (rc == Z_BUF_ERROR && z.avail_in == 0) {
      failed_ = true;  // the input ended inside the stream
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      failed_ = true;
    }
  }
  return done;
}

uint64_t SwfBodyReader::Skip(uint64_t count) {
  if (!zlib_) {
    const uint64_t n = std::min<uint64_t>(count, input_.size() - storedPos_);
    storedPos_ += static_cast<size_t>(n);
    return n;
  }
  uint8_t scratch[16384];
  uint64_t skipped = 0;
  while (skipped < count) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(count - skipped, sizeof scratch));
    const size_t got = Read(scratch, want);
    skipped += got;
    if (got < want) break;
  }
  return skipped;
}
