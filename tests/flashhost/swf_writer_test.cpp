// The writer is checked against an independent decoder written from the file
// format here, so the movies other tests build are what they claim to be.
#include "tests/support/swf_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

struct DecodedTag {
  unsigned code;
  std::vector<uint8_t> body;
  bool longHeader;
};

struct DecodedMovie {
  char signature;
  uint8_t version;
  uint32_t fileLength;
  std::vector<uint8_t> body;  // after the 8-byte header, inflated
  size_t rectBytes = 0;
  uint16_t frameCount = 0;
  std::vector<DecodedTag> tags;  // up to and including End
};

class Bits {
 public:
  explicit Bits(std::span<const uint8_t> b) : b_(b) {}
  uint32_t U(unsigned n) {
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i, ++pos_) {
      if (pos_ / 8 >= b_.size()) throw std::out_of_range("bits past the data");
      v = v << 1 | ((b_[pos_ / 8] >> (7 - pos_ % 8)) & 1u);
    }
    return v;
  }
  int32_t S(unsigned n) {
    const uint32_t v = U(n);
    return n && (v >> (n - 1)) ? static_cast<int32_t>(v | ~((1u << n) - 1u) * (n < 32)) : static_cast<int32_t>(v);
  }
  size_t Bytes() const { return (pos_ + 7) / 8; }

 private:
  std::span<const uint8_t> b_;
  size_t pos_ = 0;
};

uint32_t LE16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t LE32(const uint8_t* p) { return LE16(p) | LE16(p + 2) << 16; }

DecodedMovie Decode(const std::vector<uint8_t>& swf) {
  DecodedMovie m;
  m.signature = static_cast<char>(swf.at(0));
  EXPECT_EQ(swf.at(1), 'W');
  EXPECT_EQ(swf.at(2), 'S');
  m.version = swf.at(3);
  m.fileLength = LE32(&swf.at(4));
  if (m.signature == 'C') {
    m.body.resize(m.fileLength - 8);
    uLongf size = static_cast<uLongf>(m.body.size());
    EXPECT_EQ(uncompress(m.body.data(), &size, swf.data() + 8, static_cast<uLong>(swf.size() - 8)), Z_OK);
    EXPECT_EQ(size, m.body.size());
  } else {
    m.body.assign(swf.begin() + 8, swf.end());
  }
  Bits rect(m.body);
  const unsigned n = rect.U(5);
  rect.U(4 * n);
  m.rectBytes = rect.Bytes();
  size_t pos = m.rectBytes + 2;
  m.frameCount = static_cast<uint16_t>(LE16(&m.body.at(pos)));
  pos += 2;
  while (pos < m.body.size()) {
    const uint32_t head = LE16(&m.body.at(pos));
    pos += 2;
    DecodedTag t{head >> 6, {}, (head & 0x3F) == 0x3F};
    size_t length = head & 0x3F;
    if (t.longHeader) {
      length = LE32(&m.body.at(pos));
      pos += 4;
    }
    t.body.assign(m.body.begin() + static_cast<std::ptrdiff_t>(pos),
                  m.body.begin() + static_cast<std::ptrdiff_t>(pos + length));
    pos += length;
    m.tags.push_back(std::move(t));
    if (m.tags.back().code == 0) break;
  }
  EXPECT_EQ(pos, m.body.size()) << "nothing after the End tag";
  return m;
}

TEST(SwfWriter, HeaderFramesAndEndTag) {
  const auto swf = SwfWriter().Version(7).FrameRate(29.5).ShowFrame().ShowFrame().ShowFrame().Build();
  const DecodedMovie m = Decode(swf);
  EXPECT_EQ(m.signature, 'F');
  EXPECT_EQ(m.version, 7);
  EXPECT_EQ(m.fileLength, swf.size());
  EXPECT_EQ(m.frameCount, 3);
  EXPECT_EQ(m.body[m.rectBytes], 0x80);
  EXPECT_EQ(m.body[m.rectBytes + 1], 0x1D);
  ASSERT_EQ(m.tags.size(), 4u);
  EXPECT_EQ(m.tags[0].code, 1u);
  EXPECT_EQ(m.tags[3].code, 0u);
  EXPECT_THROW(SwfWriter().FrameRate(128.0), std::out_of_range);
}

TEST(SwfWriter, CompressedBodyInflatesToTheStoredOne) {
  SwfWriter w;
  w.FrameSize(320, 200).SetBackgroundColor({1, 2, 3}).FrameLabel("intro").ShowFrame();
  const auto stored = Decode(w.Build());
  const auto packed = w.Compressed(true).Build();
  EXPECT_EQ(packed[0], 'C');
  const auto inflated = Decode(packed);
  EXPECT_EQ(inflated.body, stored.body);
  EXPECT_EQ(inflated.fileLength, stored.fileLength);
}

TEST(SwfWriter, BackgroundLabelAndFSCommandTags) {
  const auto m = Decode(SwfWriter()
                            .SetBackgroundColor({0x10, 0x20, 0x30})
                            .FrameLabel("scene 2")
                            .FSCommand("exec", "notepad.exe")
                            .Stop()
                            .Build());
  ASSERT_EQ(m.tags.size(), 5u);
  EXPECT_EQ(m.tags[0].code, 9u);
  EXPECT_EQ(m.tags[0].body, (std::vector<uint8_t>{0x10, 0x20, 0x30}));
  EXPECT_EQ(m.tags[1].code, 43u);
  EXPECT_EQ(std::string(m.tags[1].body.begin(), m.tags[1].body.end()), std::string("scene 2\0", 8));

  const auto& action = m.tags[2];
  EXPECT_EQ(action.code, 12u);
  const std::string url = "FSCommand:exec", target = "notepad.exe";
  ASSERT_EQ(action.body.size(), 1 + 2 + url.size() + 1 + target.size() + 1 + 1);
  EXPECT_EQ(action.body[0], 0x83);
  EXPECT_EQ(LE16(&action.body[1]), url.size() + target.size() + 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&action.body[3])), url);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&action.body[3 + url.size() + 1])), target);
  EXPECT_EQ(action.body.back(), 0) << "action list ends with 0";
  EXPECT_EQ(m.tags[3].body, (std::vector<uint8_t>{0x07, 0x00}));
  EXPECT_THROW(SwfWriter().FrameLabel(std::string("a\0b", 3)), std::invalid_argument);
}

TEST(SwfWriter, RectangleShapeIsAClosedOutlineWithItsFill) {
  const auto m = Decode(SwfWriter().DefineRectangle(7, 100, 50, {0xAA, 0xBB, 0xCC}).Build());
  const auto& body = m.tags.at(0).body;
  EXPECT_EQ(m.tags[0].code, 2u);
  EXPECT_EQ(LE16(&body[0]), 7u);
  Bits bounds{std::span(body).subspan(2)};
  const unsigned n = bounds.U(5);
  EXPECT_EQ(bounds.S(n), 0);
  EXPECT_EQ(bounds.S(n), 2000);
  EXPECT_EQ(bounds.S(n), 0);
  EXPECT_EQ(bounds.S(n), 1000);
  size_t pos = 2 + bounds.Bytes();
  EXPECT_EQ(body[pos], 1) << "one fill style";
  EXPECT_EQ(body[pos + 1], 0x00) << "solid";
  EXPECT_EQ(body[pos + 2], 0xAA);
  EXPECT_EQ(body[pos + 4], 0xCC);
  EXPECT_EQ(body[pos + 5], 0) << "no line styles";
  Bits shape{std::span(body).subspan(pos + 6)};
  const unsigned fillBits = shape.U(4), lineBits = shape.U(4);
  EXPECT_EQ(fillBits, 1u);
  EXPECT_EQ(lineBits, 0u);
  int x = 0, y = 0, edges = 0;
  for (;;) {
    if (shape.U(1) == 0) {
      const uint32_t flags = shape.U(5);
      if (flags == 0) break;
      ASSERT_EQ(flags, 0b00101u) << "move and fill style 1";
      const unsigned moveBits = shape.U(5);
      x = shape.S(moveBits);
      y = shape.S(moveBits);
      EXPECT_EQ(shape.U(fillBits), 1u);
    } else {
      ASSERT_EQ(shape.U(1), 1u) << "straight edges only";
      const unsigned bits = shape.U(4) + 2;
      ASSERT_EQ(shape.U(1), 0u);
      if (shape.U(1)) y += shape.S(bits);
      else x += shape.S(bits);
      ++edges;
    }
  }
  EXPECT_EQ(edges, 4);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(2 + bounds.Bytes() + 6 + shape.Bytes(), body.size()) << "no stray bytes";
}

TEST(SwfWriter, PlaceMoveAndRemove) {
  const auto m = Decode(SwfWriter().PlaceObject(3, 9, 10, -5).MoveObject(3, 0, 400).RemoveObject(3).Build());
  const auto& place = m.tags.at(0);
  EXPECT_EQ(place.code, 26u);
  EXPECT_EQ(place.body[0], 0x06);
  EXPECT_EQ(LE16(&place.body[1]), 3u);
  EXPECT_EQ(LE16(&place.body[3]), 9u);
  Bits matrix(std::span(place.body).subspan(5));
  EXPECT_EQ(matrix.U(2), 0u) << "no scale, no rotation";
  const unsigned n = matrix.U(5);
  EXPECT_EQ(matrix.S(n), 200);
  EXPECT_EQ(matrix.S(n), -100);
  const auto& move = m.tags.at(1);
  EXPECT_EQ(move.body[0], 0x05);
  Bits moved(std::span(move.body).subspan(3));
  moved.U(2);
  const unsigned mn = moved.U(5);
  EXPECT_EQ(moved.S(mn), 0);
  EXPECT_EQ(moved.S(mn), 8000);
  EXPECT_EQ(m.tags.at(2).code, 28u);
  EXPECT_EQ(m.tags.at(2).body, (std::vector<uint8_t>{3, 0}));
}

TEST(SwfWriter, SoundTagsAndLongHeaders) {
  const auto tone = SwfWriter::Tone(440, 0.1, 11025);
  ASSERT_EQ(tone.size(), 1102u);
  EXPECT_EQ(tone[0], 0);
  const auto m = Decode(SwfWriter()
                            .DefineSound(4, SwfSoundRate::k11025, false, tone)
                            .StartSound(4, 3)
                            .SoundStreamHead(SwfSoundRate::k22050, true, 1000)
                            .SoundStreamBlock(std::span(tone).first(4))
                            .Build());
  const auto& sound = m.tags.at(0);
  EXPECT_EQ(sound.code, 14u);
  EXPECT_TRUE(sound.longHeader);
  EXPECT_EQ(LE16(&sound.body[0]), 4u);
  EXPECT_EQ(sound.body[2], 0x36) << "PCM little-endian, 11 kHz, 16-bit, mono";
  EXPECT_EQ(LE32(&sound.body[3]), tone.size());
  EXPECT_EQ(sound.body.size(), 7 + 2 * tone.size());
  EXPECT_EQ(m.tags.at(1).body, (std::vector<uint8_t>{4, 0, 0x04, 3, 0}));
  EXPECT_EQ(m.tags.at(2).code, 18u);
  EXPECT_EQ(m.tags.at(2).body, (std::vector<uint8_t>{0x0B, 0x3B, 0xE8, 0x03}));
  EXPECT_EQ(m.tags.at(3).code, 19u);
  EXPECT_TRUE(m.tags.at(3).longHeader) << "stream blocks always use the long header";
  EXPECT_EQ(m.tags.at(3).body.size(), 8u);
  EXPECT_THROW(SwfWriter().DefineSound(1, SwfSoundRate::k5512, true, std::span(tone).first(3)),
               std::invalid_argument);
}

TEST(SwfWriter, MovieTrailerFollowsTheMovie) {
  const std::vector<uint8_t> movie{1, 2, 3};
  EXPECT_EQ(WithMovieTrailer(movie), (std::vector<uint8_t>{1, 2, 3, 0x56, 0x34, 0x12, 0xFA, 3, 0, 0, 0}));
}

}  // namespace
