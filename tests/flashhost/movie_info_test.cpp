#include "flashhost/movie_info.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "tests/support/deflate.h"
#include "tests/support/swf_writer.h"

namespace {

std::vector<uint8_t> Header(std::string_view signatureAndVersion, uint32_t fileLength,
                            std::initializer_list<uint8_t> body) {
  std::vector<uint8_t> out(signatureAndVersion.begin(), signatureAndVersion.end());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(fileLength >> (8 * i)));
  out.insert(out.end(), body);
  return out;
}

using swfp::test::Deflate;

void ExpectDefaults(const SwfHeaderInfo& info) {
  EXPECT_TRUE(info.Compressed);
  EXPECT_EQ(info.Version, 6);
  EXPECT_EQ(info.MovieWidth(), 0);
  EXPECT_EQ(info.MovieHeight(), 0);
  EXPECT_FLOAT_EQ(info.FrameRate, 12.0f);
  EXPECT_FALSE(info.HeaderRead);
}

TEST(SwfHeader, StageSizeFrameRateVersionAndSize) {
  const auto movie = SwfWriter().Version(9).FrameRect(0, 11000, 0, 8000).FrameRateRaw(0x80, 0x1D).ShowFrame().Build();
  const SwfHeaderInfo info = ReadSwfHeaderInfo(movie);
  EXPECT_FALSE(info.Compressed);
  EXPECT_EQ(info.Version, 9);
  EXPECT_EQ(info.MovieWidth(), 550);
  EXPECT_EQ(info.MovieHeight(), 400);
  EXPECT_FLOAT_EQ(info.FrameRate, 29.5f);
  EXPECT_EQ(info.MovieSize, movie.size());
  EXPECT_EQ(info.FileLength, movie.size());
  EXPECT_EQ(info.FrameCount, 1);
  EXPECT_TRUE(info.HeaderRead);
}

TEST(SwfHeader, PixelsAreTwipsDivTwentyTowardZero) {
  struct Case { int32_t xmin, xmax; int expected; } cases[] = {
      {0, 19, 0}, {0, 20, 1}, {0, 39, 1}, {0, -19, 0}, {0, -39, -1}, {-40, 0, 2},
      {-1073741824, 1073741823, 107374182},  // the widest 31-bit stage does not overflow
  };
  for (const Case& c : cases) {
    const auto movie = SwfWriter().FrameRect(c.xmin, c.xmax, 0, 0).ShowFrame().Build();
    EXPECT_EQ(ReadSwfHeaderInfo(movie).MovieWidth(), c.expected) << c.xmin << ".." << c.xmax;
  }
  const auto offset = SwfWriter().FrameRect(100, 11100, -200, 7800).ShowFrame().Build();
  EXPECT_EQ(ReadSwfHeaderInfo(offset).MovieWidth(), 550);
  EXPECT_EQ(ReadSwfHeaderInfo(offset).MovieHeight(), 400);
}

TEST(SwfHeader, FrameRateIsEightDotEightWithSignedIntegerByte) {
  struct Case { uint8_t fraction, integer; float fps; } cases[] = {
      {0x00, 0x0C, 12.0f}, {0x80, 0x1D, 29.5f}, {0x00, 0x00, 0.0f},
      {0x80, 0xFF, -0.5f}, {0x40, 0x80, -127.75f}, {0xFF, 0x7F, 127.99609375f},
  };
  for (const Case& c : cases) {
    const auto movie = SwfWriter().FrameRateRaw(c.fraction, c.integer).ShowFrame().Build();
    EXPECT_FLOAT_EQ(ReadSwfHeaderInfo(movie).FrameRate, c.fps) << int{c.fraction} << " " << int{c.integer};
  }
}

TEST(SwfHeader, UnreadableHeadersKeepTheDefaults) {
  ExpectDefaults(ReadSwfHeaderInfo({}));
  for (auto bytes : {Header("XWS\x07", 100, {0x50, 0, 0}), Header("FWT\x07", 100, {0x50, 0, 0})}) {
    const SwfHeaderInfo info = ReadSwfHeaderInfo(bytes);
    EXPECT_EQ(info.Version, 6) << "reading stops before the version";
    EXPECT_EQ(info.MovieSize, bytes.size()) << "the size is the block's length all the same";
    EXPECT_FALSE(info.HeaderRead);
  }
  const std::vector<uint8_t> justF{'F'};
  EXPECT_FALSE(ReadSwfHeaderInfo(justF).Compressed) << "the signature byte alone already decides";
  EXPECT_EQ(ReadSwfHeaderInfo(justF).Version, 6);

  // The rectangle runs past the data: version read, stage and rate keep their defaults.
  const auto cut = Header("FWS\x0A", 100, {0x78, 0x00});
  const SwfHeaderInfo info = ReadSwfHeaderInfo(cut);
  EXPECT_EQ(info.Version, 10);
  EXPECT_EQ(info.MovieWidth(), 0);
  EXPECT_FLOAT_EQ(info.FrameRate, 12.0f);
  EXPECT_FALSE(info.HeaderRead);
}

TEST(SwfHeader, HeaderCountsAsReadOnlyWithAByteAfterTheFrameRate) {
  // nbits = 2: Xmin 0, Xmax 1, Ymin 0, Ymax 1 -> 00010 00 01 00 01 -> 0x10 0x88, then rate 00 18.
  const auto exact = Header("FWS\x05", 100, {0x10, 0x88, 0x00, 0x18});
  const SwfHeaderInfo info = ReadSwfHeaderInfo(exact);
  EXPECT_EQ(info.Xmax, 1);
  EXPECT_EQ(info.Ymax, 1);
  EXPECT_FLOAT_EQ(info.FrameRate, 24.0f);
  EXPECT_FALSE(info.HeaderRead);
  auto longer = exact;
  longer.push_back(1);
  EXPECT_TRUE(ReadSwfHeaderInfo(longer).HeaderRead);
}

TEST(SwfHeader, CompressedMovieIsReadFromItsInflatedBody) {
  const auto movie = SwfWriter().Compressed(true).Version(10).FrameSize(320, 240).FrameRate(25).ShowFrame().Build();
  ASSERT_EQ(movie[0], 'C');
  const SwfHeaderInfo info = ReadSwfHeaderInfo(movie);
  EXPECT_TRUE(info.Compressed);
  EXPECT_EQ(info.MovieWidth(), 320);
  EXPECT_EQ(info.MovieHeight(), 240);
  EXPECT_FLOAT_EQ(info.FrameRate, 25.0f);
  EXPECT_EQ(info.MovieSize, movie.size());
}

// Whether a movie is compressed is decided by whether its body inflates, not by its signature alone.
TEST(SwfHeader, CompressionIsDecidedByTheBody) {
  const std::vector<uint8_t> padding(1000, 0);  // so the compressed movie is shorter than declared
  auto cOverStored = SwfWriter().FrameSize(200, 100).FrameRate(10).ShowFrame().Build();
  cOverStored[0] = 'C';
  auto fOverCompressed = SwfWriter().Compressed(true).FrameSize(200, 100).Tag(77, padding).ShowFrame().Build();
  fOverCompressed[0] = 'F';
  // As long as its declared length: inflating is not even tried.
  auto fDeclaredShort =
      SwfWriter().Compressed(true).FrameSize(200, 100).Tag(77, padding).DeclaredLength(10).ShowFrame().Build();
  fDeclaredShort[0] = 'F';
  auto truncated = SwfWriter().Compressed(true).FrameSize(200, 100).ShowFrame().Build();
  truncated.resize(10);  // zlib header and hardly a byte of data

  const struct { const char* name; const std::vector<uint8_t>& movie; bool compressed; std::optional<int> width; } cases[] = {
      {"C over a stored body", cOverStored, false, 200},
      {"F over a shorter compressed body", fOverCompressed, true, 200},
      {"F over a compressed body as long as declared", fDeclaredShort, false, {}},
      {"compressed stream cut before the header ends", truncated, false, {}},
  };
  for (const auto& c : cases) {
    const SwfHeaderInfo info = ReadSwfHeaderInfo(c.movie);
    EXPECT_EQ(info.Compressed, c.compressed) << c.name;
    if (c.width) {  // zlib bytes read as a rectangle are noise
      EXPECT_EQ(info.MovieWidth(), *c.width) << c.name;
    }
  }
}

TEST(SwfHeader, DeclaredLengthIsNotTrustedForCompressedMovies) {
  // A body of 64 MiB of zeros behind a valid header, declared as 4 GiB, and a
  // corrupt tail: reading the header must inflate only its start.
  const auto rectMovie = SwfWriter().FrameSize(550, 400).FrameRate(24).FrameCount(5).Build();
  std::vector<uint8_t> body(rectMovie.begin() + 8, rectMovie.end() - 2);  // rectangle, rate, count
  body.resize(body.size() + (64u << 20), 0);
  std::vector<uint8_t> movie = Header("CWS\x0A", 0xFFFFFFFF, {});
  const auto packed = Deflate(body);
  movie.insert(movie.end(), packed.begin(), packed.end());
  movie.resize(movie.size() - 10);  // cut the stream short of its end

  const SwfHeaderInfo info = ReadSwfHeaderInfo(movie);
  EXPECT_TRUE(info.Compressed) << "only the start is inflated, so the cut tail is never seen";
  EXPECT_EQ(info.MovieWidth(), 550);
  EXPECT_EQ(info.FrameCount, 5);
  EXPECT_EQ(info.FileLength, 0xFFFFFFFFu);
}

TEST(SwfHeader, TheHeadOfABigMovieReadsAsTheWholeMovie) {
  // Random padding does not compress, so a compressed movie is far longer than its head too.
  std::mt19937 random(7);
  std::vector<uint8_t> padding(3 * kSwfHeadBytes);
  for (auto& b : padding) b = static_cast<uint8_t>(random());
  for (const bool compressed : {false, true}) {
    const auto movie =
        SwfWriter().Compressed(compressed).Version(9).FrameSize(640, 480).FrameRate(30).Tag(77, padding).ShowFrame().Build();
    ASSERT_GT(movie.size(), 2 * kSwfHeadBytes);
    const SwfHeaderInfo whole = ReadSwfHeaderInfo(movie);
    const SwfHeaderInfo head = ReadSwfHeaderInfo(std::span(movie).first(kSwfHeadBytes), movie.size());
    EXPECT_EQ(head.Compressed, compressed);
    EXPECT_EQ(head.Compressed, whole.Compressed);
    EXPECT_EQ(head.MovieWidth(), 640);
    EXPECT_EQ(head.MovieHeight(), whole.MovieHeight());
    EXPECT_FLOAT_EQ(head.FrameRate, 30.0f);
    EXPECT_EQ(head.MovieSize, movie.size());
    EXPECT_TRUE(head.HeaderRead);
  }
}

TEST(MovieTrailer, LocatesTheEmbeddedMovieBlock) {
  const auto movie = SwfWriter().FrameSize(640, 480).ShowFrame().Build();
  std::vector<uint8_t> exe(300, 0xCC);
  exe.insert(exe.end(), movie.begin(), movie.end());
  const auto file = WithMovieTrailer(exe);  // the trailer covers image + movie here
  const auto block = LocateMovieBlock(file);
  EXPECT_EQ(block.data(), file.data());
  EXPECT_EQ(block.size(), exe.size());

  std::vector<uint8_t> player(300, 0xCC);
  const auto withTrailer = WithMovieTrailer(movie);
  player.insert(player.end(), withTrailer.begin(), withTrailer.end());
  const auto found = LocateMovieBlock(player);
  EXPECT_EQ(found.data(), player.data() + 300);
  EXPECT_EQ(found.size(), movie.size());
  const SwfHeaderInfo info = ReadSwfHeaderInfo(found);
  EXPECT_EQ(info.MovieSize, movie.size());
  EXPECT_EQ(info.MovieWidth(), 640);
  // The same rule from a stream's size and last eight bytes alone.
  const MovieBlockExtent extent = LocateMovieBlock(player.size(), std::span(player).last(8));
  EXPECT_EQ(extent.offset, 300u);
  EXPECT_EQ(extent.length, movie.size());
  EXPECT_EQ(LocateMovieBlock(movie.size(), std::span(movie).last(8)).length, movie.size());
}

TEST(MovieTrailer, WithoutTrailerTheWholeInputIsTheMovieAndALengthBeyondTheDataIsCorrupt) {
  const auto movie = SwfWriter().ShowFrame().Build();
  EXPECT_EQ(LocateMovieBlock(movie).size(), movie.size());
  EXPECT_EQ(LocateMovieBlock(std::vector<uint8_t>{0x56, 0x34, 0x12}).size(), 3u);

  auto bad = WithMovieTrailer(std::vector<uint8_t>(20, 0));
  bad[bad.size() - 4] = 21;  // one more than precedes the trailer
  EXPECT_THROW(LocateMovieBlock(bad), EMovieCorrupt);
  bad[bad.size() - 4] = 20;
  EXPECT_EQ(LocateMovieBlock(bad).size(), 20u);
}

TEST(SwfCensus, CountsDefinitionsByTagCode) {
  const std::vector<uint8_t> nothing;
  const auto tone = SwfWriter::Tone(440, 0.01, 5512);
  SwfWriter w;
  w.DefineRectangle(1, 10, 10, {255, 0, 0})
      .DefineRectangle(2, 20, 10, {0, 255, 0})
      .Tag(32, nothing)       // DefineShape3
      .Tag(46, nothing)       // morph
      .Tag(10, nothing).Tag(48, nothing).Tag(48, nothing)  // fonts
      .Tag(6, nothing).Tag(36, nothing)                    // bitmaps
      .DefineSound(3, SwfSoundRate::k5512, false, tone)
      .SoundStreamHead(SwfSoundRate::k5512, false, 10)
      .SoundStreamBlock(std::span(tone).first(10))
      .SoundStreamBlock(std::span(tone).first(10))
      .Tag(60, nothing)                                    // video
      .Tag(11, nothing).Tag(33, nothing).Tag(37, nothing)  // texts
      .Tag(7, nothing)                                     // button
      .Tag(39, nothing, true)                              // sprite, long header
      .PlaceObject(1, 1, 0, 0)
      .ShowFrame();
  const SwfCensusCounters expected{3, 1, 3, 0, 2, 2, 1, 3, 1, 1};
  EXPECT_EQ(SwfCensus(w.Build()), expected);
  EXPECT_EQ(SwfCensus(w.Compressed(true).Build()), expected);
}

TEST(SwfCensus, StopsAtEndTagAndAtTagsRunningPastTheData) {
  const std::vector<uint8_t> nothing;
  auto movie = SwfWriter().Tag(2, nothing).Tag(0, nothing).Tag(2, nothing).Build();
  EXPECT_EQ(SwfCensus(movie)[0], 1) << "tags after End are not counted";

  const std::vector<uint8_t> body(40, 0);
  auto cut = SwfWriter().Tag(7, nothing).Tag(2, body).Build();
  cut.resize(cut.size() - 2 - 10);  // End tag and part of the shape gone
  const SwfCensusCounters counters = SwfCensus(cut);
  EXPECT_EQ(counters[8], 1);
  EXPECT_EQ(counters[0], 0) << "a tag that runs past the data is not a definition";

  auto huge = SwfWriter().Tag(7, nothing).Build();
  huge.resize(huge.size() - 2);
  huge.insert(huge.end(), {0xBF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF});  // shape, 4 GiB long
  EXPECT_EQ(SwfCensus(huge)[0], 0);
  EXPECT_EQ(SwfCensus(huge)[8], 1);
}

TEST(SwfCensus, NothingWhenTheHeaderCannotBeRead) {
  const SwfCensusCounters zero{};
  EXPECT_EQ(SwfCensus({}), zero);
  const auto notSwf = Header("ABC\x01", 100, {0x00, 0x01, 0x02, 0x03});
  EXPECT_EQ(SwfCensus(notSwf), zero);
}

TEST(SwfHeader, RandomMoviesNeverReadOutsideTheirBytes) {
  // Mutated real movies, stored and compressed; ASan reports any stray read.
  std::mt19937 random(99);
  const std::vector<uint8_t> nothing;
  const auto stored = SwfWriter().FrameSize(550, 400).Tag(2, std::vector<uint8_t>(70, 1)).Tag(39, nothing).ShowFrame().Build();
  const auto packed = SwfWriter(SwfWriter().FrameSize(550, 400).Tag(2, std::vector<uint8_t>(70, 1)).ShowFrame())
                          .Compressed(true).Build();
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> movie = round % 2 ? stored : packed;
    movie.resize(random() % (movie.size() + 1));
    for (int flips = random() % 4; flips > 0 && !movie.empty(); --flips)
      movie[random() % movie.size()] = static_cast<uint8_t>(random());
    const SwfHeaderInfo info = ReadSwfHeaderInfo(movie);
    EXPECT_EQ(info.MovieSize, movie.size());
    const SwfCensusCounters counters = SwfCensus(movie);
    for (int c : counters) EXPECT_GE(c, 0);
    EXPECT_EQ(counters[3], 0);
  }
}

}  // namespace
