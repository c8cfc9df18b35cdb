#include "app/player_package.h"
#include "app/package_block_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A stand-in executable image: "MZ" and zero padding, as a linker leaves it.
std::vector<uint8_t> ExecutableImage(size_t size = 1024) {
  std::vector<uint8_t> image(size, 0);
  image[0] = 'M';
  image[1] = 'Z';
  return image;
}

void ExpectBlock(const PackageBlock& b, uint32_t kind, uint64_t offset, uint32_t length) {
  EXPECT_EQ(b.kind, kind);
  EXPECT_EQ(b.payloadOffset, offset);
  EXPECT_EQ(b.length, length);
}

TEST(PlayerPackage, WritesPayloadThenLittleEndianTrailer) {
  std::vector<uint8_t> out{9};
  AppendBlock(out, kPackageMovieMagic, Bytes("abc"));
  const std::vector<uint8_t> expected{9, 'a', 'b', 'c', 0x57, 0x34, 0x12, 0xFA, 3, 0, 0, 0};
  EXPECT_EQ(out, expected);
  EXPECT_EQ(PackageMagicOf(PackageBlockKind::SplashImage), 0xFA123445u);
}

TEST(PlayerPackage, FindsEveryBlockFromTheEndInWalkOrder) {
  std::vector<uint8_t> file = ExecutableImage();
  const uint64_t settingsAt = file.size();
  AppendBlock(file, PackageBlockKind::Settings, Bytes("SETTINGS"));
  const uint64_t splashAt = file.size();
  AppendBlock(file, PackageBlockKind::SplashImage, Bytes("JPEG!"));
  const uint64_t iconAt = file.size();
  AppendBlock(file, PackageBlockKind::ApplicationIcon, Bytes(""));
  const uint64_t infoAt = file.size();
  AppendBlock(file, PackageBlockKind::MovieInformation, std::vector<uint8_t>(24, 1));
  const uint64_t movieAt = file.size();
  AppendBlock(file, kPackageMovieMagic, Bytes("FWS-movie"));

  MemoryPackageSource source(file);
  const PlayerPackageLayout layout = WalkPlayerPackage(source);
  ASSERT_TRUE(layout.movie);
  ExpectBlock(*layout.movie, kPackageMovieKind, movieAt, 9);
  ASSERT_EQ(layout.blocks.size(), 4u);
  ExpectBlock(layout.blocks[0], 7, infoAt, 24);
  ExpectBlock(layout.blocks[1], 1, iconAt, 0);
  ExpectBlock(layout.blocks[2], 5, splashAt, 5);
  ExpectBlock(layout.blocks[3], 0, settingsAt, 8);
  EXPECT_EQ(ReadBlockPayload(source, layout.blocks[3]), Bytes("SETTINGS"));
  EXPECT_EQ(ReadBlockPayload(source, *layout.movie), Bytes("FWS-movie"));
}

TEST(PlayerPackage, PlainExecutableHasNoPackage) {
  const std::vector<uint8_t> file = ExecutableImage();
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  EXPECT_FALSE(layout.movie);
  EXPECT_TRUE(layout.blocks.empty());
}

TEST(PlayerPackage, TinyFilesHaveNoPackage) {
  for (size_t size : {0u, 1u, 7u, 8u, 11u, 12u}) {
    const std::vector<uint8_t> file(size, 0xFF);
    const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
    EXPECT_FALSE(layout.movie) << size;
    EXPECT_TRUE(layout.blocks.empty()) << size;
  }
}

TEST(PlayerPackage, OnlyMovie) {
  std::vector<uint8_t> file = ExecutableImage();
  AppendBlock(file, kPackageMovieMagic, Bytes("movie"));
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_TRUE(layout.movie);
  EXPECT_EQ(layout.movie->length, 5u);
  EXPECT_TRUE(layout.blocks.empty());
}

TEST(PlayerPackage, EmptyMovieAtTheVeryStartOfTheFile) {
  std::vector<uint8_t> file;
  AppendBlock(file, kPackageMovieMagic, {});
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_TRUE(layout.movie);
  ExpectBlock(*layout.movie, kPackageMovieKind, 0, 0);
  EXPECT_TRUE(layout.blocks.empty());
}

TEST(PlayerPackage, RepeatedKindsAreAllListedNearestTheStartLast) {
  std::vector<uint8_t> file = ExecutableImage(64);
  AppendBlock(file, PackageBlockKind::Settings, Bytes("first"));
  AppendBlock(file, PackageBlockKind::Settings, Bytes("second!"));
  AppendBlock(file, kPackageMovieMagic, Bytes("m"));
  MemoryPackageSource source(file);
  const PlayerPackageLayout layout = WalkPlayerPackage(source);
  ASSERT_EQ(layout.blocks.size(), 2u);
  EXPECT_EQ(ReadBlockPayload(source, layout.blocks[0]), Bytes("second!"));
  EXPECT_EQ(ReadBlockPayload(source, layout.blocks[1]), Bytes("first"));
}

TEST(PlayerPackage, UnknownFamilyKindsAreListedAndTheWalkGoesOn) {
  std::vector<uint8_t> file = ExecutableImage(64);
  AppendBlock(file, PackageBlockKind::Cursor, Bytes("cur"));
  AppendBlock(file, 0xFA123448u, Bytes("unknown"));
  AppendBlock(file, 0xFA123446u, Bytes("six"));
  AppendBlock(file, kPackageMovieMagic, Bytes("m"));
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_EQ(layout.blocks.size(), 3u);
  EXPECT_EQ(layout.blocks[0].kind, 6u);
  EXPECT_EQ(layout.blocks[1].kind, 8u);
  EXPECT_EQ(layout.blocks[2].kind, 2u);
  EXPECT_EQ(PackageBlockKindName(8), "unknown kind 0x8");
}

TEST(PlayerPackage, WalkStopsAtTheFirstTrailerOutsideTheFamily) {
  std::vector<uint8_t> file = ExecutableImage(64);
  AppendBlock(file, PackageBlockKind::Settings, Bytes("hidden"));
  AppendBlock(file, 0x12345678u, Bytes("foreign"));
  AppendBlock(file, PackageBlockKind::ApplicationIcon, Bytes("ico"));
  AppendBlock(file, kPackageMovieMagic, Bytes("m"));
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_EQ(layout.blocks.size(), 1u);
  EXPECT_EQ(layout.blocks[0].kind, 1u);
}

TEST(PlayerPackage, WithoutMovieTheTrailerEndingFourBytesBeforeTheEndIsExamined) {
  std::vector<uint8_t> file = ExecutableImage(64);
  AppendBlock(file, PackageBlockKind::Settings, Bytes("s"));
  file.insert(file.end(), {0, 0, 0, 0});
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  EXPECT_FALSE(layout.movie);
  ASSERT_EQ(layout.blocks.size(), 1u);
  ExpectBlock(layout.blocks[0], 0, 64, 1);
}

TEST(PlayerPackage, LengthLargerThanTheFileIsCorruptAndNamesKindAndOffset) {
  std::vector<uint8_t> file = ExecutableImage(100);
  AppendBlock(file, PackageBlockKind::SplashImage, Bytes("jpg"));
  const size_t splashTrailer = file.size() - 8;
  AppendBlock(file, kPackageMovieMagic, Bytes("m"));
  file[splashTrailer + 4] = 0xFF;
  file[splashTrailer + 5] = 0xFF;
  file[splashTrailer + 6] = 0xFF;
  file[splashTrailer + 7] = 0x7F;
  try {
    WalkPlayerPackage(MemoryPackageSource(file));
    FAIL() << "no error for a 2 GiB length in a small file";
  } catch (const EPackageCorrupt& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("splash image"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(splashTrailer)), std::string::npos) << message;
  }

  std::vector<uint8_t> badMovie = ExecutableImage(100);
  AppendBlock(badMovie, kPackageMovieMagic, Bytes("m"));
  badMovie[badMovie.size() - 1] = 0x10;  // 256 MiB movie in a 109-byte file
  try {
    WalkPlayerPackage(MemoryPackageSource(badMovie));
    FAIL() << "no error for an impossible movie length";
  } catch (const EPackageCorrupt& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("movie"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(badMovie.size() - 8)), std::string::npos) << message;
  }
}

TEST(PlayerPackage, PayloadBeginningBeforeTheFileEndsTheWalk) {
  // A file cut at the front: the settings trailer claims more bytes than lie before it.
  std::vector<uint8_t> file;
  AppendBlock(file, PackageBlockKind::Settings, Bytes("0123456789"));
  AppendBlock(file, PackageBlockKind::ApplicationIcon, Bytes("ico"));
  AppendBlock(file, kPackageMovieMagic, Bytes("movie"));
  file.erase(file.begin(), file.begin() + 4);
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_TRUE(layout.movie);
  ASSERT_EQ(layout.blocks.size(), 1u);
  EXPECT_EQ(layout.blocks[0].kind, 1u);

  // The same for the movie: no package, no error.
  std::vector<uint8_t> movieOnly;
  AppendBlock(movieOnly, kPackageMovieMagic, Bytes("0123456789"));
  movieOnly.erase(movieOnly.begin(), movieOnly.begin() + 4);
  const PlayerPackageLayout none = WalkPlayerPackage(MemoryPackageSource(movieOnly));
  EXPECT_FALSE(none.movie);
  EXPECT_TRUE(none.blocks.empty());
}

TEST(PlayerPackage, RandomFilesNeverLeadOutsideTheFile) {
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> file(random() % 200);
    for (auto& b : file) b = static_cast<uint8_t>(random());
    // Plant plausible trailers so the walk gets somewhere.
    for (int t = 0; t < 4 && file.size() >= 8; ++t) {
      const size_t at = random() % (file.size() - 7);
      const uint32_t magic = (t == 0 ? kPackageMovieMagic : kPackageFamilyMagic + random() % 12);
      std::memcpy(&file[at], &magic, 4);
      const uint32_t length = random() % 2 ? random() % 64 : random();
      std::memcpy(&file[at + 4], &length, 4);
    }
    MemoryPackageSource source(file);
    try {
      const PlayerPackageLayout layout = WalkPlayerPackage(source);
      auto inside = [&](const PackageBlock& b) {
        EXPECT_LE(b.payloadOffset + b.length + 8, file.size());
        EXPECT_NO_THROW(ReadBlockPayload(source, b));
      };
      if (layout.movie) inside(*layout.movie);
      for (const auto& b : layout.blocks) inside(b);
    } catch (const EPackageCorrupt&) {
      // a clear refusal is fine
    }
  }
}

TEST(PlayerPackage, MemorySourceRefusesReadsOutsideItsBytes) {
  const std::vector<uint8_t> bytes(16, 1);
  MemoryPackageSource source(bytes);
  uint8_t buffer[16];
  EXPECT_NO_THROW(source.Read(0, buffer, 16));
  EXPECT_NO_THROW(source.Read(16, buffer, 0));
  EXPECT_THROW(source.Read(1, buffer, 16), std::runtime_error);
  EXPECT_THROW(source.Read(UINT64_MAX, buffer, 2), std::runtime_error);
  EXPECT_THROW(ReadBlockPayload(source, PackageBlock{0, 10, 7}), EPackageCorrupt);
}

TEST(MovieInformationRecord, RoundTripsAndReadsShortPayloads) {
  MovieInformation info;
  info.Xmin = -1;
  info.Xmax = 550;
  info.Ymin = 2;
  info.Ymax = 400;
  info.Reserved16 = 240;
  info.FrameRate = 29.5f;
  const std::vector<uint8_t> raw = SerializeMovieInformation(info);
  ASSERT_EQ(raw.size(), kMovieInformationSize);
  EXPECT_EQ(raw[4], 550 & 0xFF);
  EXPECT_EQ(raw[5], 550 >> 8);
  const MovieInformation back = ParseMovieInformation(raw);
  EXPECT_EQ(back.Xmin, -1);
  EXPECT_EQ(back.Xmax, 550);
  EXPECT_EQ(back.Ymin, 2);
  EXPECT_EQ(back.Ymax, 400);
  EXPECT_EQ(back.Reserved16, 240);
  EXPECT_FLOAT_EQ(back.FrameRate, 29.5f);

  const MovieInformation partial = ParseMovieInformation(std::span(raw).first(6));
  EXPECT_EQ(partial.Xmin, -1);
  EXPECT_EQ(partial.Xmax, 550 & 0xFFFF);
  EXPECT_EQ(partial.Ymax, 0);
  EXPECT_EQ(partial.FrameRate, 0.0f);
}

}  // namespace

namespace {
TEST(PlayerPackage, ChanceFamilyBytesWithHugeLengthsAreNotAPackage) {
  // 0xFFFFFFFF passes the family test; an image ending in 0xFF padding must still start.
  std::vector<uint8_t> file = ExecutableImage(64);
  file.insert(file.end(), 16, 0xFF);
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  EXPECT_FALSE(layout.movie);
  EXPECT_TRUE(layout.blocks.empty());
}

TEST(PackageBlockStream, ReadsOnlyItsBlockAndSeeksLikeAMemoryStream) {
  std::vector<uint8_t> file = ExecutableImage(16);
  AppendBlock(file, kPackageMovieMagic, Bytes("FWS-movie"));
  auto source = std::make_shared<MemoryPackageSource>(file);
  PackageBlockStream s(source, *WalkPlayerPackage(*source).movie);
  EXPECT_EQ(s.Size(), 9u);
  char out[16] = {};
  EXPECT_EQ(s.Read(out, 4), 4u);
  EXPECT_EQ(s.Read(out + 4, sizeof out), 5u) << "the trailer behind the block is not part of it";
  EXPECT_EQ(std::string(out), "FWS-movie");
  EXPECT_EQ(s.Read(out, 1), 0u);
  EXPECT_EQ(s.Write("x", 1), 0u) << "read-only";
  EXPECT_EQ(s.Seek(-5, flashrt::TSeekOrigin::End), 4u);
  EXPECT_EQ(s.Read(out, 2), 2u);
  EXPECT_EQ(std::string(out, 2), "mo");
  EXPECT_EQ(s.Seek(20, flashrt::TSeekOrigin::Beginning), 20u);
  EXPECT_EQ(s.Read(out, 2), 0u);
  EXPECT_THROW(s.Seek(-21, flashrt::TSeekOrigin::Current), flashrt::EStreamError);
  EXPECT_THROW(PackageBlockStream(source, PackageBlock{kPackageMovieKind, 30, 9}), EPackageCorrupt);
}

}  // namespace

namespace {

// A PE32+ header whose security directory the test points where it likes.
std::vector<uint8_t> PeImage() {
  std::vector<uint8_t> image = ExecutableImage(1024);
  image[0x3C] = 0x80;
  std::memcpy(&image[0x80], "PE\0\0", 4);
  image[0x80 + 24] = 0x0B;  // optional header magic 0x20B
  image[0x80 + 25] = 0x02;
  image[0x80 + 24 + 108] = 16;  // NumberOfRvaAndSizes
  return image;
}

void SetSecurityDirectory(std::vector<uint8_t>& file, uint32_t offset, uint32_t size) {
  const size_t at = 0x80 + 24 + 112 + 4 * 8;
  for (int i = 0; i < 4; ++i) {
    file[at + i] = uint8_t(offset >> (8 * i));
    file[at + 4 + i] = uint8_t(size >> (8 * i));
  }
}

// Signing pads the file to 8 bytes, appends the certificate table and records it.
TEST(PlayerPackage, SignedPlayersAreWalkedFromTheStartOfTheCertificateTable) {
  for (size_t movieLength : {8u, 9u, 10u, 15u}) {
    std::vector<uint8_t> file = PeImage();
    AppendBlock(file, PackageBlockKind::Settings, Bytes("SETTINGS"));
    const uint64_t movieAt = file.size();
    AppendBlock(file, kPackageMovieMagic, std::vector<uint8_t>(movieLength, 'm'));
    file.resize((file.size() + 7) / 8 * 8, 0);
    const uint32_t table = uint32_t(file.size());
    file.resize(file.size() + 1000, 0x30);
    SetSecurityDirectory(file, table, 1000);

    const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
    ASSERT_TRUE(layout.movie) << movieLength;
    ExpectBlock(*layout.movie, kPackageMovieKind, movieAt, uint32_t(movieLength));
    ASSERT_EQ(layout.blocks.size(), 1u);
    ExpectBlock(layout.blocks[0], 0, 1024, 8);

    // A security directory that does not end the file is not a table behind the package.
    SetSecurityDirectory(file, table, 999);
    EXPECT_FALSE(WalkPlayerPackage(MemoryPackageSource(file)).movie) << movieLength;
  }
}

}  // namespace
