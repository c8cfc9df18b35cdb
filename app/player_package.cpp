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

// Authenticode signing appends the certificate table behind the package and
// records it in the security data directory (a file offset). Returns where
// that table begins when it ends the file; a file that is no PE image, or
// whose table lies elsewhere, has none.
std::optional<uint64_t> CertificateTableOffset(const PackageSource& source) {
  const uint64_t size = source.Size();
  uint8_t dos[64];
  if (size < sizeof dos) return std::nullopt;
  source.Read(0, dos, sizeof dos);
  if (dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const uint64_t nt = LoadLE32(dos + 0x3C);
  // Signature, file header and the optional header up to its data directories.
  uint8_t headers[24 + 112 + 16 * 8];
  if (nt > size || size - nt < sizeof headers) return std::nullopt;
  source.Read(nt, headers, sizeof headers);
  if (LoadLE32(headers) != 0x00004550) return std::nullopt;
  const uint32_t magic = uint32_t{headers[24]} | uint32_t{headers[25]} << 8;
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  const size_t directories = 24 + (magic == 0x20B ? 112 : 96);
  constexpr uint32_t kSecurityDirectory = 4;
  if (LoadLE32(headers + directories - 4) <= kSecurityDirectory) return std::nullopt;
  const uint64_t offset = LoadLE32(headers + directories + 8 * kSecurityDirectory);
  const uint64_t length = LoadLE32(headers + directories + 8 * kSecurityDirectory + 4);
  if (offset == 0 || length == 0 || offset > size || size - offset != length) return std::nullopt;
  return offset;
}

// Signing tools pad the file with up to 7 zero bytes so that the certificate
// table starts on an 8-byte boundary: the package ends before that padding.
uint64_t PackageEndBeforeCertificates(const PackageSource& source, uint64_t tableOffset) {
  uint8_t tail[8 + 7] = {};
  if (tableOffset < sizeof tail) return tableOffset;
  source.Read(tableOffset - sizeof tail, tail, sizeof tail);
  for (size_t padding = 0; padding < 8; ++padding) {
    if (padding > 0 && tail[sizeof tail - padding] != 0) break;
    if (LoadLE32(tail + sizeof tail - padding - 8) == kPackageMovieMagic) return tableOffset - padding;
  }
  return tableOffset;
}

}  // namespace

uint64_t PackageEnd(const PackageSource& source) {
  const std::optional<uint64_t> table = CertificateTableOffset(source);
  return table ? PackageEndBeforeCertificates(source, *table) : source.Size();
}

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
  const uint64_t size = PackageEnd(source);
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
