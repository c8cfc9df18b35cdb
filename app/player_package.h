// The player package: blocks appended to the player executable, each a
// payload followed by an 8-byte trailer (magic, payload length; both 32-bit
// little-endian). The movie block comes last, so the package is read from the
// end of the file towards its start and its start offset is never needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

inline constexpr uint32_t kPackageFamilyMagic = 0xFA123440;
inline constexpr uint32_t kPackageMovieMagic = 0xFA123457;
inline constexpr size_t kPackageTrailerSize = 8;

enum class PackageBlockKind : uint32_t {
  Settings = 0,
  ApplicationIcon = 1,
  Cursor = 2,
  RuntimeModule = 3,
  RuntimeWarning = 4,
  SplashImage = 5,
  MovieInformation = 7,
};

// The kind of the movie block when seen as a family member (0xFA123457 - 0xFA123440).
inline constexpr uint32_t kPackageMovieKind = kPackageMovieMagic - kPackageFamilyMagic;

// A trailer belongs to the package family when magic AND 0xFA123440 == 0xFA123440.
constexpr bool IsPackageFamilyMagic(uint32_t magic) {
  return (magic & kPackageFamilyMagic) == kPackageFamilyMagic;
}
constexpr uint32_t PackageMagicOf(PackageBlockKind kind) {
  return kPackageFamilyMagic + static_cast<uint32_t>(kind);
}

// "settings", "application icon", ..., "movie", or "unknown kind 0x..".
std::string PackageBlockKindName(uint32_t kind);

struct PackageBlock {
  uint32_t kind;           // magic - 0xFA123440
  uint64_t payloadOffset;  // from the start of the file
  uint32_t length;         // payload length; the trailer follows the payload
};

// A package that cannot be what its trailers claim (a length that cannot fit
// the file). The message names the block kind and the trailer's offset.
class EPackageCorrupt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Random-access bytes of a player file. Read throws std::runtime_error when
// the range is not fully inside the source (never a short read).
class PackageSource {
 public:
  virtual ~PackageSource();
  virtual uint64_t Size() const = 0;
  virtual void Read(uint64_t offset, void* into, size_t count) const = 0;
};

class MemoryPackageSource final : public PackageSource {
 public:
  explicit MemoryPackageSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  void Read(uint64_t offset, void* into, size_t count) const override;

 private:
  std::span<const uint8_t> bytes_;
};

struct PlayerPackageLayout {
  // The movie block (package trailer 0xFA123457 in the last 8 bytes), if any.
  std::optional<PackageBlock> movie;
  // Family blocks in walk order: from the end of the file towards its start,
  // so the block nearer the start comes later and, when a kind repeats, its
  // effect wins. Unknown family kinds are included; callers skip them.
  std::vector<PackageBlock> blocks;
};

// Where the package ends: the end of the file, or, in a signed player, the
// start of the certificate table that signing appended (less the zero padding
// put in front of it), when the PE security directory points there.
uint64_t PackageEnd(const PackageSource& source);

// Finds the package's blocks from the end of the package (see PackageEnd):
//  - the last 8 bytes are the package trailer when their magic is 0xFA123457;
//  - the walk then reads trailers backwards while their magic is in the
//    family. Without a package trailer the first trailer examined is the one
//    that ends 4 bytes before the end of the file (the stored players' rule).
// A payload that would begin before the start of the file ends the walk (a
// chance family magic inside the executable image, or a file cut at the
// front). A length larger than the whole file in the movie trailer or in a
// trailer of kinds 0 to 7 cannot describe any payload and throws
// EPackageCorrupt naming the kind and the trailer's offset (other family
// magics, 0xFFFFFFFF among them, are as likely chance bytes). The walk
// reads trailers only, never payloads, so no length is ever allocated.
PlayerPackageLayout WalkPlayerPackage(const PackageSource& source);

// Copies one block's payload (at most 4 GiB - 1 by construction).
std::vector<uint8_t> ReadBlockPayload(const PackageSource& source, const PackageBlock& block);

// The movie-information block: 24 bytes, little-endian. Frame rectangle in
// pixels, a value the player does not interpret (the writer stores the
// declared frame count there), and the frame rate.
struct MovieInformation {
  int32_t Xmin = 0;
  int32_t Xmax = 0;
  int32_t Ymin = 0;
  int32_t Ymax = 0;
  int32_t Reserved16 = 0;
  float FrameRate = 0.0f;
};
inline constexpr size_t kMovieInformationSize = 24;

// Reads up to 24 bytes; fields the payload does not reach stay zero.
MovieInformation ParseMovieInformation(std::span<const uint8_t> payload);
std::vector<uint8_t> SerializeMovieInformation(const MovieInformation& info);

// Appends payload and its trailer. Throws std::length_error when the payload
// does not fit a 32-bit length.
void AppendBlock(std::vector<uint8_t>& out, uint32_t magic, std::span<const uint8_t> payload);
inline void AppendBlock(std::vector<uint8_t>& out, PackageBlockKind kind,
                        std::span<const uint8_t> payload) {
  AppendBlock(out, PackageMagicOf(kind), payload);
}
