#include "app/player_package.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

PackageSource::~PackageSource() = default;

void MemoryPackageSource::Read(uint64_t offset, void* into, size_t count) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset)
    throw std::runtime_error("read of " + std::to_string(count) + " bytes at offset " + std::to_string(offset) +
                             " is outside the " + std::to_string(bytes_.size()) + "-byte file");
  if (count) std::memcpy(into, bytes_.data() + offset, count);
}

namespace {

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Trailer {
  uint32_t magic;
  uint32_t length;
};

Trailer ReadTrailer(const PackageSource& source, uint64_t trailerOffset) {
  uint8_t raw[kPackageTrailerSize];
  source.Read(trailerOffset, raw, sizeof raw);
  return {LoadLE32(raw), LoadLE32(raw + 4)};
}

std::string Hex(uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// Kinds 0 to 7 (0xFA123440 to 0xFA123447) are the package's own.
constexpr uint32_t kLastPackageKind = 7;

[[noreturn]] void ThrowCorrupt(uint32_t kind, uint64_t trailerOffset, uint32_t length, uint64_t fileSize) {
  throw EPackageCorrupt("corrupt player package: " + PackageBlockKindName(kind) + " block trailer at offset " +
                        std::to_string(trailerOffset) + " (" + Hex(trailerOffset) + ") declares " +
                        std::to_string(length) + " bytes, more than the whole " + std::to_string(fileSize) +
                        "-byte file");
}

}  // namespace

std::string PackageBlockKindName(uint32_t kind) {
  switch (kind) {
    case 0: return "settings";
    case 1: return "application icon";
    case 2: return "cursor";
    case 3: return "runtime module";
    case 4: return "runtime warning";
    case 5: return "splash image";
    case 7: return "movie information";
    case kPackageMovieKind: return "movie";
    default: return "unknown kind " + Hex(kind);
  }
}

PlayerPackageLayout WalkPlayerPackage(const PackageSource& source) {
  PlayerPackageLayout layout;
  const uint64_t size = source.Size();
  if (size < kPackageTrailerSize) return layout;

  // End of the trailer to examine next.
  uint64_t trailerEnd = 0;
  const Trailer last = ReadTrailer(source, size - kPackageTrailerSize);
  if (last.magic == kPackageMovieMagic) {
    const uint64_t trailerOffset = size - kPackageTrailerSize;
    if (last.length > size) ThrowCorrupt(kPackageMovieKind, trailerOffset, last.length, size);
    if (last.length > trailerOffset) return layout;  // would begin before the file: not a package
    layout.movie = PackageBlock{kPackageMovieKind, trailerOffset - last.length, last.length};
    trailerEnd = layout.movie->payloadOffset;
  } else {
    // Without a package trailer the stored players look at the trailer that
    // ends 4 bytes before the end of the file.
    trailerEnd = size - 4;
  }

  while (trailerEnd >= kPackageTrailerSize) {
    const uint64_t trailerOffset = trailerEnd - kPackageTrailerSize;
    const Trailer t = ReadTrailer(source, trailerOffset);
    if (!IsPackageFamilyMagic(t.magic)) break;
    const uint32_t kind = t.magic - kPackageFamilyMagic;
    if (t.length > trailerOffset) {
      // Any magic with the family bits set (0xFFFFFFFF among them) passes the
      // family test, so only the package's own kinds can prove corruption;
      // other trailers that do not fit are chance bytes and end the walk.
      if (t.length > size && kind <= kLastPackageKind) ThrowCorrupt(kind, trailerOffset, t.length, size);
      break;  // would begin before the start of the file
    }
    const uint64_t payloadOffset = trailerOffset - t.length;
    layout.blocks.push_back(PackageBlock{kind, payloadOffset, t.length});
    trailerEnd = payloadOffset;
  }
  return layout;
}

std::vector<uint8_t> ReadBlockPayload(const PackageSource& source, const PackageBlock& block) {
  if (block.payloadOffset > source.Size() || block.length > source.Size() - block.payloadOffset)
    throw EPackageCorrupt("corrupt player package: " + PackageBlockKindName(block.kind) + " block at offset " +
                          std::to_string(block.payloadOffset) + " runs past the end of the file");
  std::vector<uint8_t> payload(block.length);
  source.Read(block.payloadOffset, payload.data(), payload.size());
  return payload;
}

MovieInformation ParseMovieInformation(std::span<const uint8_t> payload) {
  uint8_t raw[kMovieInformationSize] = {};
  std::memcpy(raw, payload.data(), std::min(payload.size(), sizeof raw));
  MovieInformation info;
  info.Xmin = static_cast<int32_t>(LoadLE32(raw + 0));
  info.Xmax = static_cast<int32_t>(LoadLE32(raw + 4));
  info.Ymin = static_cast<int32_t>(LoadLE32(raw + 8));
  info.Ymax = static_cast<int32_t>(LoadLE32(raw + 12));
  info.Reserved16 = static_cast<int32_t>(LoadLE32(raw + 16));
  static_assert(sizeof(float) == 4);
  std::memcpy(&info.FrameRate, raw + 20, 4);
  return info;
}

std::vector<uint8_t> SerializeMovieInformation(const MovieInformation& info) {
  std::vector<uint8_t> raw(kMovieInformationSize);
  StoreLE32(&raw[0], static_cast<uint32_t>(info.Xmin));
  StoreLE32(&raw[4], static_cast<uint32_t>(info.Xmax));
  StoreLE32(&raw[8], static_cast<uint32_t>(info.Ymin));
  StoreLE32(&raw[12], static_cast<uint32_t>(info.Ymax));
  StoreLE32(&raw[16], static_cast<uint32_t>(info.Reserved16));
  std::memcpy(&raw[20], &info.FrameRate, 4);
  return raw;
}

void AppendBlock(std::vector<uint8_t>& out, uint32_t magic, std::span<const uint8_t> payload) {
  if (payload.size() > UINT32_MAX)
    throw std::length_error("a package block holds at most 4 GiB - 1 bytes");
  out.insert(out.end(), payload.begin(), payload.end());
  uint8_t trailer[kPackageTrailerSize];
  StoreLE32(trailer, magic);
  StoreLE32(trailer + 4, static_cast<uint32_t>(payload.size()));
  out.insert(out.end(), trailer, trailer + sizeof trailer);
}
