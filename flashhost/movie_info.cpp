#include "flashhost/movie_info.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "flashhost/swf_body_reader.h"

namespace {

constexpr size_t kSwfHeaderSize = 8;
// The frame rectangle takes at most 5 + 4 * 31 bits (17 bytes); then the
// frame rate, the frame count, and a margin.
constexpr size_t kHeaderPrefix = 32;

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Inflates only the start of a body. Fails on a zlib error or when the input
// ends inside the stream before the prefix is complete.
std::optional<std::vector<uint8_t>> InflatePrefix(std::span<const uint8_t> body) {
  SwfBodyReader reader = SwfBodyReader::Inflating(body);
  std::vector<uint8_t> prefix(kHeaderPrefix);
  prefix.resize(reader.Read(prefix.data(), prefix.size()));
  if (reader.Failed()) return std::nullopt;
  return prefix;
}

class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  // Returns false when the bits run past the data.
  bool Unsigned(unsigned count, uint32_t& value) {
    value = 0;
    for (unsigned i = 0; i < count; ++i) {
      if (bit_ / 8 >= bytes_.size()) return false;
      const unsigned b = (bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1u;
      value = (value << 1) | b;
      ++bit_;
    }
    return true;
  }
  bool Signed(unsigned count, int32_t& value) {
    uint32_t raw;
    if (!Unsigned(count, raw)) return false;
    int64_t v = raw;
    if (count > 0 && (raw >> (count - 1)) & 1u) v -= int64_t{1} << count;
    value = static_cast<int32_t>(v);
    return true;
  }
  size_t BytesUsed() const { return (bit_ + 7) / 8; }

 private:
  std::span<const uint8_t> bytes_;
  size_t bit_ = 0;
};

struct ParsedHeader {
  SwfHeaderInfo info;
  bool bodyInflates = false;  // the body to walk is compressed
  size_t bodyHeaderBytes = 0; // rectangle + frame rate + frame count
};

// block may be the head of a longer one of blockSize bytes.
ParsedHeader Parse(std::span<const uint8_t> block, uint64_t blockSize) {
  ParsedHeader parsed;
  SwfHeaderInfo& info = parsed.info;
  info.MovieSize = static_cast<uint32_t>(blockSize);

  if (block.empty()) return parsed;
  if (block[0] == 'C') info.Compressed = true;
  else if (block[0] == 'F') info.Compressed = false;
  else return parsed;
  if (block.size() < 3 || block[1] != 'W' || block[2] != 'S') return parsed;
  if (block.size() < 4) return parsed;
  info.Version = block[3];
  if (block.size() < kSwfHeaderSize) return parsed;
  info.FileLength = LoadLE32(block.data() + 4);

  const std::span<const uint8_t> stored = block.subspan(kSwfHeaderSize);
  std::vector<uint8_t> prefix;
  if (info.Compressed) {
    if (auto inflated = InflatePrefix(stored)) {
      prefix = std::move(*inflated);
      parsed.bodyInflates = true;
    } else {
      info.Compressed = false;
    }
  } else if (blockSize < info.FileLength) {
    if (auto inflated = InflatePrefix(stored)) {
      prefix = std::move(*inflated);
      parsed.bodyInflates = true;
      info.Compressed = true;
    }
  }
  if (!parsed.bodyInflates) {
    const auto head = stored.first(std::min(stored.size(), kHeaderPrefix));
    prefix.assign(head.begin(), head.end());
  }

  BitReader bits(prefix);
  uint32_t nbits;
  int32_t xmin, xmax, ymin, ymax;
  if (!bits.Unsigned(5, nbits) || !bits.Signed(nbits, xmin) || !bits.Signed(nbits, xmax) ||
      !bits.Signed(nbits, ymin) || !bits.Signed(nbits, ymax))
    return parsed;
  info.Xmin = xmin;
  info.Xmax = xmax;
  info.Ymin = ymin;
  info.Ymax = ymax;

  size_t pos = bits.BytesUsed();
  if (prefix.size() < pos + 2) return parsed;
  info.FrameRate = static_cast<float>(static_cast<int8_t>(prefix[pos + 1])) + prefix[pos] / 256.0f;
  pos += 2;
  if (prefix.size() < pos + 1) return parsed;
  info.HeaderRead = true;
  if (prefix.size() >= pos + 2) info.FrameCount = static_cast<uint16_t>(prefix[pos] | prefix[pos + 1] << 8);
  parsed.bodyHeaderBytes = pos + 2;
  return parsed;
}

int CounterFor(unsigned code) {
  switch (code) {
    case 2: case 22: case 32: return 0;
    case 46: return 1;
    case 10: case 48: return 2;
    case 6: case 20: case 21: case 35: case 36: return 4;
    case 14: case 18: case 45: return 5;
    case 60: return 6;
    case 11: case 33: case 37: return 7;
    case 7: case 34: return 8;
    case 39: return 9;
    default: return -1;
  }
}

}  // namespace

MovieBlockExtent LocateMovieBlock(uint64_t size, std::span<const uint8_t> lastEight) {
  if (size < 8 || lastEight.size() < 8 || LoadLE32(lastEight.data()) != kMovieTrailerMagic) return {0, size};
  const uint32_t length = LoadLE32(lastEight.data() + 4);
  const uint64_t available = size - 8;
  if (length > available)
    throw EMovieCorrupt("movie trailer declares a " + std::to_string(length) + "-byte movie but only " +
                        std::to_string(available) + " bytes precede it");
  return {available - length, length};
}

std::span<const uint8_t> LocateMovieBlock(std::span<const uint8_t> data) {
  const auto lastEight = data.size() >= 8 ? data.last(8) : data;
  const MovieBlockExtent extent = LocateMovieBlock(data.size(), lastEight);
  return data.subspan(static_cast<size_t>(extent.offset), static_cast<size_t>(extent.length));
}

SwfHeaderInfo ReadSwfHeaderInfo(std::span<const uint8_t> movieBlock) {
  return Parse(movieBlock, movieBlock.size()).info;
}

SwfHeaderInfo ReadSwfHeaderInfo(std::span<const uint8_t> head, uint64_t blockSize) {
  return Parse(head.first(static_cast<size_t>(std::min<uint64_t>(head.size(), blockSize))), blockSize).info;
}

SwfCensusCounters SwfCensus(std::span<const uint8_t> movieBlock) {
  SwfCensusCounters counters{};
  const ParsedHeader parsed = Parse(movieBlock, movieBlock.size());
  if (!parsed.info.HeaderRead) return counters;

  const auto stored = movieBlock.subspan(kSwfHeaderSize);
  SwfBodyReader body = parsed.bodyInflates ? SwfBodyReader::Inflating(stored) : SwfBodyReader::Stored(stored);
  if (body.Skip(parsed.bodyHeaderBytes) != parsed.bodyHeaderBytes) return counters;

  for (;;) {
    uint8_t head[2];
    if (body.Read(head, 2) != 2) break;
    const unsigned codeAndLength = head[0] | head[1] << 8;
    const unsigned code = codeAndLength >> 6;
    uint64_t length = codeAndLength & 0x3F;
    if (length == 0x3F) {
      uint8_t longLength[4];
      if (body.Read(longLength, 4) != 4) break;
      length = LoadLE32(longLength);
    }
    if (code == 0) break;  // End
    if (body.Skip(length) != length) break;  // runs past the data: not a whole tag
    if (const int counter = CounterFor(code); counter >= 0) ++counters[static_cast<size_t>(counter)];
  }
  return counters;
}
