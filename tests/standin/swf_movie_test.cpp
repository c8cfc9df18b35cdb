#include "standin/swf_movie.h"

#include <gtest/gtest.h>

#include "tests/standin/swf_bytes.h"
#include "tests/support/swf_writer.h"

using namespace standin;
using namespace standin_test;

namespace {

ParseResult Parse(const Bytes& b) { return ParseSwf(b.data(), b.size()); }

SwfBuilder ThreeFrameMovie() {
  SwfBuilder s(11000, 8000, 0x80, 29);
  s.background(0x10, 0x20, 0x30)
      .rectShape(1, 0, 2000, 0, 1000, 0xFF, 0, 0)
      .place2(1, 1, 100, 200)
      .label("intro")
      .showFrame()
      .getUrl("FSCommand:quit", "now")
      .getUrl("http://example.com/", "_blank")
      .showFrame()
      .remove2(1)
      .label("End")
      .showFrame();
  return s;
}

}  // namespace

TEST(SwfMovie, ReadsHeaderFramesLabelsActionsAndDisplayList) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "CWS" : "FWS");
    auto r = Parse(ThreeFrameMovie().build(compressed, 8));
    ASSERT_TRUE(r.movie) << r.error;
    const SwfMovie& m = *r.movie;
    EXPECT_EQ(m.compressed, compressed);
    EXPECT_EQ(m.version, 8);
    EXPECT_EQ(m.stage, (TwipsRect{0, 0, 11000, 8000}));
    EXPECT_DOUBLE_EQ(m.frameRate, 29.5);
    EXPECT_EQ(m.declaredFrameCount, 3);
    EXPECT_EQ(m.backgroundRgb, 0x102030u);
    EXPECT_FALSE(m.hasSound);
    ASSERT_EQ(m.frames.size(), 3u);
    EXPECT_EQ(m.frames[0].label, "intro");
    EXPECT_TRUE(m.frames[0].actions.empty());
    ASSERT_EQ(m.frames[1].actions.size(), 2u);
    EXPECT_EQ(m.frames[1].actions[0].url, "FSCommand:quit");
    EXPECT_EQ(m.frames[1].actions[0].target, "now");
    EXPECT_EQ(m.frames[1].actions[1].target, "_blank");
    ASSERT_EQ(m.frames[0].displayList.size(), 1u);
    EXPECT_EQ(m.frames[0].displayList[0], (Placement{1, 1, 100, 200}));
    EXPECT_EQ(m.frames[1].displayList, m.frames[0].displayList);  // placements persist
    EXPECT_TRUE(m.frames[2].displayList.empty());                 // until removed
    ASSERT_EQ(m.shapes.count(1), 1u);
    EXPECT_EQ(m.shapes.at(1).rgb, 0xFF0000u);
    EXPECT_EQ(m.shapes.at(1).bounds, (TwipsRect{0, 0, 2000, 1000}));
    EXPECT_EQ(m.findLabel("END"), 2);
    EXPECT_EQ(m.findLabel("missing"), -1);
  }
}

TEST(SwfMovie, LongTagHeadersAndSoundTagsAreRecognised) {
  SwfBuilder s;
  s.tag(9, {1, 2, 3}, /*forceLong=*/true).soundStreamHead().showFrame();
  auto r = Parse(s.build());
  ASSERT_TRUE(r.movie) << r.error;
  EXPECT_EQ(r.movie->backgroundRgb, 0x010203u);
  EXPECT_TRUE(r.movie->hasSound);
}

TEST(SwfMovie, MovieWithoutShowFrameHasOneFrame) {
  auto r = Parse(SwfBuilder().background(0, 0, 0).build());
  ASSERT_TRUE(r.movie);
  EXPECT_EQ(r.movie->frames.size(), 1u);
}

TEST(SwfMovie, RejectsWhatIsNotAMovie) {
  EXPECT_FALSE(Parse({}).movie);
  EXPECT_FALSE(Parse({'F', 'W', 'S'}).movie);
  EXPECT_FALSE(Parse({'G', 'W', 'S', 6, 20, 0, 0, 0, 0, 0}).movie);
  Bytes headerOnly = {'F', 'W', 'S', 6, 9, 0, 0, 0, 0x78};  // rectangle cut short
  auto r = Parse(headerOnly);
  EXPECT_FALSE(r.movie);
  EXPECT_FALSE(r.error.empty());
}

TEST(SwfMovie, CompressedBodyThatDoesNotInflateIsRefusedAndOneThatLiesAboutItsSizePlaysWhatItHolds) {
  Bytes garbage = {'C', 'W', 'S', 6, 100, 0, 0, 0, 1, 2, 3, 4, 5};
  EXPECT_FALSE(Parse(garbage).movie);
  Bytes huge = SwfBuilder().showFrame().build(true);
  huge[7] = 0x7F;  // declares ~2 GiB; the output grows only as far as the body inflates
  auto r = Parse(huge);
  ASSERT_TRUE(r.movie) << r.error;
  EXPECT_EQ(r.movie->frames.size(), 1u);
}

TEST(SwfMovie, TruncatedTagsEndTheMovieWithoutReadingPastTheData) {
  Bytes full = ThreeFrameMovie().build();
  // Every prefix long enough to hold the header must parse, never overrun (ASan watches).
  for (size_t n = 8; n < full.size(); ++n) {
    Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
    auto r = Parse(cut);
    if (r.movie) {
      EXPECT_GE(r.movie->frames.size(), 1u);
    }
  }
  // A tag that claims more bytes than follow ends the tag list.
  SwfBuilder s;
  s.showFrame().showFrame();
  Bytes b = s.build();
  b.insert(b.end() - 2, {0x3F, 0x02, 0xFF, 0xFF, 0xFF, 0x7F});  // long SetBackgroundColor of 2 GiB
  auto r = Parse(b);
  ASSERT_TRUE(r.movie);
  EXPECT_EQ(r.movie->frames.size(), 2u);
  EXPECT_EQ(r.movie->backgroundRgb, 0xFFFFFFu);
}

TEST(SwfMovie, FsCommandPrefixIsCaseInsensitive) {
  EXPECT_EQ(FsCommandOf("FSCommand:quit"), "quit");
  EXPECT_EQ(FsCommandOf("fscommand:exec"), "exec");
  EXPECT_EQ(FsCommandOf("FSCOMMAND:"), "");
  EXPECT_FALSE(FsCommandOf("http://x/"));
  EXPECT_FALSE(FsCommandOf("FSCommand"));
}

TEST(SwfMovie, ReadsMoviesOfTheSharedTestWriterIncludingStopAndPlayActions) {
  std::vector<uint8_t> swf = SwfWriter()
                                 .Version(9)
                                 .FrameSize(320, 240)
                                 .FrameRate(24)
                                 .Compressed(true)
                                 .SetBackgroundColor({0, 0, 64})
                                 .DefineRectangle(7, 100, 50, {255, 0, 0})
                                 .PlaceObject(1, 7, 10, 20)
                                 .FrameLabel("start")
                                 .FSCommand("quit", "x")
                                 .Stop()
                                 .ShowFrame()
                                 .Play()
                                 .ShowFrame()
                                 .Build();
  auto r = ParseSwf(swf.data(), swf.size());
  ASSERT_TRUE(r.movie) << r.error;
  const SwfMovie& m = *r.movie;
  EXPECT_TRUE(m.compressed);
  EXPECT_EQ(m.stage, (TwipsRect{0, 0, 6400, 4800}));
  EXPECT_DOUBLE_EQ(m.frameRate, 24.0);
  EXPECT_EQ(m.backgroundRgb, 0x000040u);
  ASSERT_EQ(m.frames.size(), 2u);
  ASSERT_EQ(m.frames[0].actions.size(), 2u);
  EXPECT_EQ(m.frames[0].actions[0].kind, ActionKind::GetUrl);
  EXPECT_EQ(FsCommandOf(m.frames[0].actions[0].url), "quit");
  EXPECT_EQ(m.frames[0].actions[1].kind, ActionKind::Stop);
  ASSERT_EQ(m.frames[1].actions.size(), 1u);
  EXPECT_EQ(m.frames[1].actions[0].kind, ActionKind::Play);
  ASSERT_EQ(m.frames[0].displayList.size(), 1u);
  EXPECT_EQ(m.frames[0].displayList[0], (Placement{1, 7, 200, 400}));
  ASSERT_EQ(m.shapes.count(7), 1u);
  EXPECT_EQ(m.shapes.at(7).rgb, 0xFF0000u);
  EXPECT_EQ(m.shapes.at(7).bounds.right - m.shapes.at(7).bounds.left, 2000);
}

TEST(SwfMovie, SoundTagsOfTheSharedTestWriterMarkTheMovieAsHavingSound) {
  std::vector<int16_t> samples(64, 1000);
  std::vector<uint8_t> swf = SwfWriter().DefineSound(1, SwfSoundRate::k22050, false, samples).StartSound(1).ShowFrame().Build();
  auto r = ParseSwf(swf.data(), swf.size());
  ASSERT_TRUE(r.movie);
  EXPECT_TRUE(r.movie->hasSound);
  std::vector<uint8_t> silent = SwfWriter().ShowFrame().Build();
  EXPECT_FALSE(ParseSwf(silent.data(), silent.size()).movie->hasSound);
}
