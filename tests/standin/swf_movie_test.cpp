// What the stand-in runtime reads of the movies the tests write.
#include "standin/swf_movie.h"

#include <gtest/gtest.h>

#include "tests/support/swf_writer.h"

using namespace standin;
using Bytes = std::vector<uint8_t>;

namespace {

ParseResult Parse(const Bytes& b) { return ParseSwf(b.data(), b.size()); }

SwfWriter ThreeFrames() {
  SwfWriter w;
  w.FrameRect(0, 11000, 0, 8000)
      .FrameRateRaw(0x80, 29)
      .SetBackgroundColor({0x10, 0x20, 0x30})
      .DefineRectangle(1, 100, 50, {255, 0, 0})
      .PlaceObject(1, 1, 5, 10)
      .FrameLabel("intro")
      .ShowFrame()
      .FSCommand("quit", "now")
      .GetURL("http://example.com/", "_blank")
      .Stop()
      .ShowFrame()
      .Play()
      .RemoveObject(1)
      .FrameLabel("End")
      .ShowFrame();
  return w;
}

}  // namespace

TEST(SwfMovie, ReadsHeaderFramesLabelsActionsAndDisplayList) {
  for (bool compressed : {false, true}) {
    SCOPED_TRACE(compressed ? "CWS" : "FWS");
    auto r = Parse(ThreeFrames().Version(9).Compressed(compressed).Build());
    ASSERT_TRUE(r.movie) << r.error;
    const SwfMovie& m = *r.movie;
    EXPECT_EQ(m.compressed, compressed);
    EXPECT_EQ(m.version, 9);
    EXPECT_EQ(m.stage, (TwipsRect{0, 0, 11000, 8000}));
    EXPECT_DOUBLE_EQ(m.frameRate, 29.5);
    EXPECT_EQ(m.declaredFrameCount, 3);
    EXPECT_EQ(m.backgroundRgb, 0x102030u);
    EXPECT_FALSE(m.hasSound);
    ASSERT_EQ(m.frames.size(), 3u);
    EXPECT_EQ(m.frames[0].label, "intro");
    EXPECT_TRUE(m.frames[0].actions.empty());
    ASSERT_EQ(m.frames[1].actions.size(), 3u);
    EXPECT_EQ(m.frames[1].actions[0].url, "FSCommand:quit");
    EXPECT_EQ(m.frames[1].actions[0].target, "now");
    EXPECT_EQ(m.frames[1].actions[1].target, "_blank");
    EXPECT_EQ(m.frames[1].actions[2].kind, ActionKind::Stop);
    ASSERT_EQ(m.frames[2].actions.size(), 1u);
    EXPECT_EQ(m.frames[2].actions[0].kind, ActionKind::Play);
    EXPECT_EQ(m.frames[0].displayList, std::vector<Placement>{(Placement{1, 1, 100, 200})});
    EXPECT_EQ(m.frames[1].displayList, m.frames[0].displayList);  // placements persist
    EXPECT_TRUE(m.frames[2].displayList.empty());                 // until removed
    ASSERT_EQ(m.shapes.count(1), 1u);
    EXPECT_EQ(m.shapes.at(1).rgb, 0xFF0000u);
    EXPECT_EQ(m.shapes.at(1).bounds, (TwipsRect{0, 0, 2000, 1000}));
    EXPECT_EQ(m.findLabel("END"), 2);
    EXPECT_EQ(m.findLabel("missing"), -1);
  }
}
