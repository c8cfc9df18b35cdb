#include "app/player_package.h"
#include "app/package_block_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
Bytes Text(std::string_view text) { return {text.begin(), text.end()}; }

// A stand-in executable image: "MZ" and zero padding, as a linker leaves it.
Bytes ExecutableImage(size_t size = 64) {
  Bytes image(size, 0);
  image[0] = 'M';
  image[1] = 'Z';
  return image;
}

Bytes With(Bytes file, std::initializer_list<std::pair<uint32_t, std::string_view>> blocks) {
  for (const auto& [magic, payload] : blocks) AppendBlock(file, magic, Text(payload));
  return file;
}

constexpr uint32_t kSettings = kPackageFamilyMagic + 0;
constexpr uint32_t kIcon = kPackageFamilyMagic + 1;
constexpr uint32_t kSplash = kPackageFamilyMagic + 5;

TEST(PlayerPackage, WritesPayloadThenLittleEndianTrailer) {
  Bytes out{9};
  AppendBlock(out, kPackageMovieMagic, Text("abc"));
  EXPECT_EQ(out, (Bytes{9, 'a', 'b', 'c', 0x57, 0x34, 0x12, 0xFA, 3, 0, 0, 0}));
  EXPECT_EQ(PackageMagicOf(PackageBlockKind::SplashImage), 0xFA123445u);
  EXPECT_EQ(PackageBlockKindName(8), "unknown kind 0x8");
}

TEST(PlayerPackage, FindsEveryBlockFromTheEndWithItsOffsetAndPayload) {
  const Bytes file = With(ExecutableImage(), {{kSettings, "SETTINGS"}, {kSplash, "JPEG!"}, {kIcon, ""},
                                              {kPackageMovieMagic, "FWS-movie"}});
  MemoryPackageSource source(file);
  const PlayerPackageLayout layout = WalkPlayerPackage(source);
  ASSERT_TRUE(layout.movie);
  EXPECT_EQ(layout.movie->kind, kPackageMovieKind);
  EXPECT_EQ(layout.movie->payloadOffset, 64u + 8 + 8 + 5 + 8 + 0 + 8);
  EXPECT_EQ(ReadBlockPayload(source, *layout.movie), Text("FWS-movie"));
  ASSERT_EQ(layout.blocks.size(), 3u);
  EXPECT_EQ(layout.blocks[0].payloadOffset, 64u + 16 + 13);  // the empty icon
  EXPECT_EQ(layout.blocks[0].length, 0u);
  EXPECT_EQ(layout.blocks[1].payloadOffset, 64u + 16);
  EXPECT_EQ(layout.blocks[2].payloadOffset, 64u);
  EXPECT_EQ(ReadBlockPayload(source, layout.blocks[2]), Text("SETTINGS"));
}

// How a file's end is walked: the movie's length (none: no movie) and the kinds found, in walk order.
struct WalkCase {
  const char* name;
  std::function<Bytes()> file;
  std::optional<uint32_t> movieLength;
  std::vector<uint32_t> kinds;
};

const WalkCase kWalks[] = {
    {"plain executable", [] { return ExecutableImage(); }, {}, {}},
    {"empty file", [] { return Bytes{}; }, {}, {}},
    {"file shorter than two trailers", [] { return Bytes(12, 0xFF); }, {}, {}},
    {"only a movie", [] { return With(ExecutableImage(), {{kPackageMovieMagic, "movie"}}); }, 5, {}},
    {"empty movie at the very start", [] { return With({}, {{kPackageMovieMagic, ""}}); }, 0, {}},
    {"repeated kinds, nearest the start last",
     [] { return With(ExecutableImage(), {{kSettings, "first"}, {kSettings, "second!"}, {kPackageMovieMagic, "m"}}); },
     1, {0, 0}},
    {"unknown family kinds are listed",
     [] {
       return With(ExecutableImage(), {{kPackageFamilyMagic + 2, "cur"}, {0xFA123448u, "unknown"},
                                       {0xFA123446u, "six"}, {kPackageMovieMagic, "m"}});
     },
     1, {6, 8, 2}},
    {"a trailer outside the family ends the walk",
     [] {
       return With(ExecutableImage(), {{kSettings, "hidden"}, {0x12345678u, "foreign"}, {kIcon, "ico"},
                                       {kPackageMovieMagic, "m"}});
     },
     1, {1}},
    {"without a movie, the trailer ending four bytes before the end",
     [] {
       Bytes f = With(ExecutableImage(), {{kSettings, "s"}});
       f.insert(f.end(), {0, 0, 0, 0});
       return f;
     },
     {}, {0}},
    {"a payload beginning before the file ends the walk",
     [] {
       Bytes f = With({}, {{kSettings, "0123456789"}, {kIcon, "ico"}, {kPackageMovieMagic, "movie"}});
       f.erase(f.begin(), f.begin() + 4);
       return f;
     },
     5, {1}},
    {"a movie beginning before the file is no package",
     [] {
       Bytes f = With({}, {{kPackageMovieMagic, "0123456789"}});
       f.erase(f.begin(), f.begin() + 4);
       return f;
     },
     {}, {}},
    // 0xFFFFFFFF passes the family test; an image ending in 0xFF padding must still start.
    {"chance family bytes with huge lengths",
     [] {
       Bytes f = ExecutableImage();
       f.insert(f.end(), 16, 0xFF);
       return f;
     },
     {}, {}},
};

class Walk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Walk, FindsWhatTheFileHolds) {
  const Bytes file = GetParam().file();
  const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
  ASSERT_EQ(layout.movie.has_value(), GetParam().movieLength.has_value());
  if (layout.movie) {
    EXPECT_EQ(layout.movie->length, *GetParam().movieLength);
  }
  std::vector<uint32_t> kinds;
  for (const auto& b : layout.blocks) kinds.push_back(b.kind);
  EXPECT_EQ(kinds, GetParam().kinds);
}

INSTANTIATE_TEST_SUITE_P(PlayerPackage, Walk, ::testing::ValuesIn(kWalks),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !isalnum(c); }, '_');
                           return name;
                         });

TEST(PlayerPackage, LengthLargerThanTheFileIsCorruptAndNamesKindAndOffset) {
  Bytes splash = With(ExecutableImage(100), {{kSplash, "jpg"}});
  const size_t splashTrailer = splash.size() - 8;
  splash = With(splash, {{kPackageMovieMagic, "m"}});
  std::memcpy(&splash[splashTrailer + 4], "\xFF\xFF\xFF\x7F", 4);

  Bytes movie = With(ExecutableImage(100), {{kPackageMovieMagic, "m"}});
  movie.back() = 0x10;  // 256 MiB movie in a 109-byte file

  const struct { const Bytes& file; const char* kind; size_t trailer; } cases[] = {
      {splash, "splash image", splashTrailer}, {movie, "movie", movie.size() - 8}};
  for (const auto& c : cases) {
    try {
      WalkPlayerPackage(MemoryPackageSource(c.file));
      ADD_FAILURE() << "no error for an impossible " << c.kind << " length";
    } catch (const EPackageCorrupt& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.kind), std::string::npos) << message;
      EXPECT_NE(message.find(std::to_string(c.trailer)), std::string::npos) << message;
    }
  }
}

TEST(PlayerPackage, RandomFilesNeverLeadOutsideTheFile) {
  std::mt19937 random(1234);
  int walked = 0, refused = 0, withBlocks = 0;
  for (int round = 0; round < 3000; ++round) {
    // Random bytes, then a chain of trailers: mostly well formed, some with a foreign magic or a
    // length that is wrong, random or huge, so the walk gets somewhere before it meets the damage.
    Bytes file(random() % 64);
    for (auto& b : file) b = static_cast<uint8_t>(random());
    for (int t = int(random() % 5); t >= 0; --t) {
      Bytes payload(random() % 24, static_cast<uint8_t>(random()));
      const uint32_t magic = t == 0 ? kPackageMovieMagic : kPackageFamilyMagic + random() % 12;
      AppendBlock(file, random() % 8 ? magic : static_cast<uint32_t>(random()), payload);
      if (random() % 6 == 0) {
        const uint32_t length = random() % 2 ? random() % 128 : static_cast<uint32_t>(random());
        std::memcpy(&file[file.size() - 4], &length, 4);
      }
    }
    MemoryPackageSource source(file);
    try {
      const PlayerPackageLayout layout = WalkPlayerPackage(source);
      ++walked;
      auto inside = [&](const PackageBlock& b) {
        EXPECT_LE(b.payloadOffset + b.length + 8, file.size());
        EXPECT_NO_THROW(ReadBlockPayload(source, b));
      };
      if (layout.movie) {
        inside(*layout.movie);
      }
      for (const auto& b : layout.blocks) inside(b);
      if (layout.movie || !layout.blocks.empty()) ++withBlocks;
    } catch (const EPackageCorrupt&) {
      ++refused;
    }
  }
  // The planted trailers must lead somewhere: a walk that refused or found nothing every time
  // would pass the checks above without having looked at a single block.
  EXPECT_GT(withBlocks, 1000);
  EXPECT_GT(refused, 100);
  EXPECT_EQ(walked + refused, 3000);
}

TEST(PlayerPackage, MemorySourceRefusesReadsOutsideItsBytes) {
  const Bytes bytes(16, 1);
  MemoryPackageSource source(bytes);
  uint8_t buffer[16];
  EXPECT_NO_THROW(source.Read(0, buffer, 16));
  EXPECT_NO_THROW(source.Read(16, buffer, 0));
  EXPECT_THROW(source.Read(1, buffer, 16), std::runtime_error);
  EXPECT_THROW(source.Read(UINT64_MAX, buffer, 2), std::runtime_error);
  EXPECT_THROW(ReadBlockPayload(source, PackageBlock{0, 10, 7}), EPackageCorrupt);
}

TEST(MovieInformationRecord, RoundTripsAndReadsShortPayloads) {
  const MovieInformation info{-1, 550, 2, 400, 240, 29.5f};
  const Bytes raw = SerializeMovieInformation(info);
  ASSERT_EQ(raw.size(), kMovieInformationSize);
  EXPECT_EQ(raw[4], 550 & 0xFF);
  EXPECT_EQ(raw[5], 550 >> 8);
  const MovieInformation back = ParseMovieInformation(raw);
  EXPECT_EQ(std::tie(back.Xmin, back.Xmax, back.Ymin, back.Ymax, back.Reserved16),
            std::make_tuple(-1, 550, 2, 400, 240));
  EXPECT_FLOAT_EQ(back.FrameRate, 29.5f);

  const MovieInformation partial = ParseMovieInformation(std::span(raw).first(6));
  EXPECT_EQ(partial.Xmin, -1);
  EXPECT_EQ(partial.Xmax, 550 & 0xFFFF);
  EXPECT_EQ(partial.Ymax, 0);
  EXPECT_EQ(partial.FrameRate, 0.0f);
}

TEST(PackageBlockStream, ReadsOnlyItsBlockAndSeeksLikeAMemoryStream) {
  const Bytes file = With(ExecutableImage(16), {{kPackageMovieMagic, "FWS-movie"}});
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

// A PE32+ header whose security directory the test points where it likes.
Bytes PeImage() {
  Bytes image = ExecutableImage(1024);
  image[0x3C] = 0x80;
  std::memcpy(&image[0x80], "PE\0\0", 4);
  image[0x80 + 24] = 0x0B;  // optional header magic 0x20B
  image[0x80 + 25] = 0x02;
  image[0x80 + 24 + 108] = 16;  // NumberOfRvaAndSizes
  return image;
}

void SetSecurityDirectory(Bytes& file, uint32_t offset, uint32_t size) {
  const size_t at = 0x80 + 24 + 112 + 4 * 8;
  for (int i = 0; i < 4; ++i) {
    file[at + i] = uint8_t(offset >> (8 * i));
    file[at + 4 + i] = uint8_t(size >> (8 * i));
  }
}

// Signing pads the file to 8 bytes, appends the certificate table and records it.
TEST(PlayerPackage, SignedPlayersAreWalkedFromTheStartOfTheCertificateTable) {
  for (size_t movieLength : {8u, 9u, 10u, 15u}) {
    Bytes file = With(PeImage(), {{kSettings, "SETTINGS"}});
    const uint64_t movieAt = file.size();
    AppendBlock(file, kPackageMovieMagic, Bytes(movieLength, 'm'));
    file.resize((file.size() + 7) / 8 * 8, 0);
    const uint32_t table = uint32_t(file.size());
    file.resize(file.size() + 1000, 0x30);
    SetSecurityDirectory(file, table, 1000);

    const PlayerPackageLayout layout = WalkPlayerPackage(MemoryPackageSource(file));
    ASSERT_TRUE(layout.movie) << movieLength;
    EXPECT_EQ(layout.movie->payloadOffset, movieAt);
    EXPECT_EQ(layout.movie->length, movieLength);
    ASSERT_EQ(layout.blocks.size(), 1u);
    EXPECT_EQ(layout.blocks[0].payloadOffset, 1024u);

    // A security directory that does not end the file is not a table behind the package.
    SetSecurityDirectory(file, table, 999);
    EXPECT_FALSE(WalkPlayerPackage(MemoryPackageSource(file)).movie) << movieLength;
  }
}

}  // namespace
