#include "tests/support/swf_writer.h"

#include "tests/support/deflate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {

class Bits {
 public:
  void Unsigned(uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) Bit((value >> i) & 1u);
  }
  void Signed(int32_t value, unsigned count) { Unsigned(static_cast<uint32_t>(value), count); }
  void Flush() {
    if (used_) bytes_.push_back(current_);
    current_ = 0;
    used_ = 0;
  }
  std::vector<uint8_t>& Bytes() {
    Flush();
    return bytes_;
  }

 private:
  void Bit(unsigned b) {
    current_ = static_cast<uint8_t>(current_ | (b << (7 - used_)));
    if (++used_ == 8) Flush();
  }
  std::vector<uint8_t> bytes_;
  uint8_t current_ = 0;
  unsigned used_ = 0;
};

// Bits for a signed field that holds every value (at least 1).
unsigned SignedBits(std::initializer_list<int32_t> values) {
  unsigned bits = 1;
  for (int32_t v : values) {
    const int64_t x = v;
    unsigned n = 1;
    while (x < -(int64_t{1} << (n - 1)) || x > (int64_t{1} << (n - 1)) - 1) ++n;
    bits = std::max(bits, n);
  }
  return bits;
}

void Rect(Bits& bits, int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  const unsigned n = SignedBits({xmin, xmax, ymin, ymax});
  if (n > 31) throw std::out_of_range("rectangle coordinate needs more than 31 bits");
  bits.Unsigned(n, 5);
  bits.Signed(xmin, n);
  bits.Signed(xmax, n);
  bits.Signed(ymin, n);
  bits.Signed(ymax, n);
  bits.Flush();
}

void U16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void U32(std::vector<uint8_t>& out, uint32_t v) {
  U16(out, v & 0xFFFF);
  U16(out, v >> 16);
}
void Str(std::vector<uint8_t>& out, std::string_view s) {
  if (s.find('\0') != std::string_view::npos) throw std::invalid_argument("SWF strings cannot hold NUL");
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
}
void Samples(std::vector<uint8_t>& out, std::span<const int16_t> samples) {
  for (int16_t s : samples) U16(out, static_cast<uint16_t>(s));
}
int32_t Twips(int32_t px) { return px * 20; }

// A matrix that only moves by (x, y) pixels: no scale, no rotation.
void Translation(std::vector<uint8_t>& out, int32_t xPx, int32_t yPx) {
  Bits m;
  const unsigned n = SignedBits({Twips(xPx), Twips(yPx)});
  m.Unsigned(0, 1);
  m.Unsigned(0, 1);
  m.Unsigned(n, 5);
  m.Signed(Twips(xPx), n);
  m.Signed(Twips(yPx), n);
  const auto& bytes = m.Bytes();
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

SwfWriter& SwfWriter::Version(uint8_t version) { version_ = version; return *this; }

SwfWriter& SwfWriter::FrameRect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  rect_[0] = xmin; rect_[1] = xmax; rect_[2] = ymin; rect_[3] = ymax;
  return *this;
}

SwfWriter& SwfWriter::FrameSize(int32_t widthPx, int32_t heightPx) {
  return FrameRect(0, Twips(widthPx), 0, Twips(heightPx));
}

SwfWriter& SwfWriter::FrameRate(double fps) {
  if (!(fps >= -128.0 && fps < 128.0)) throw std::out_of_range("frame rate outside the 8.8 range");
  const long fixed = std::lround(fps * 256.0);
  return FrameRateRaw(static_cast<uint8_t>(fixed & 0xFF), static_cast<uint8_t>((fixed >> 8) & 0xFF));
}

SwfWriter& SwfWriter::FrameRateRaw(uint8_t fraction, uint8_t integer) {
  rateFraction_ = fraction;
  rateInteger_ = integer;
  return *this;
}

SwfWriter& SwfWriter::Compressed(bool compressed) { compressed_ = compressed; return *this; }
SwfWriter& SwfWriter::FrameCount(uint16_t frames) { frameCount_ = frames; return *this; }
SwfWriter& SwfWriter::DeclaredLength(uint32_t fileLength) { declaredLength_ = fileLength; return *this; }

SwfWriter& SwfWriter::Tag(uint16_t code, std::span<const uint8_t> body, bool longHeader) {
  if (code > 0x3FF) throw std::out_of_range("tag code above 1023");
  if (longHeader || body.size() >= 0x3F) {
    U16(tags_, static_cast<uint32_t>(code) << 6 | 0x3F);
    U32(tags_, static_cast<uint32_t>(body.size()));
  } else {
    U16(tags_, static_cast<uint32_t>(code) << 6 | static_cast<uint32_t>(body.size()));
  }
  tags_.insert(tags_.end(), body.begin(), body.end());
  return *this;
}

SwfWriter& SwfWriter::SetBackgroundColor(SwfRgb c) {
  const uint8_t body[] = {c.r, c.g, c.b};
  return Tag(9, body);
}

SwfWriter& SwfWriter::FrameLabel(std::string_view label) {
  std::vector<uint8_t> body;
  Str(body, label);
  return Tag(43, body);
}

SwfWriter& SwfWriter::ShowFrame() {
  ++shownFrames_;
  return Tag(1, {});
}

SwfWriter& SwfWriter::DefineRectangle(uint16_t id, int32_t widthPx, int32_t heightPx, SwfRgb fill) {
  const int32_t w = Twips(widthPx), h = Twips(heightPx);
  std::vector<uint8_t> body;
  U16(body, id);
  Bits bounds;
  Rect(bounds, 0, w, 0, h);
  const auto& b = bounds.Bytes();
  body.insert(body.end(), b.begin(), b.end());
  // One solid fill style, no line styles.
  body.insert(body.end(), {1, 0x00, fill.r, fill.g, fill.b, 0});
  Bits shape;
  shape.Unsigned(1, 4);  // fill index bits
  shape.Unsigned(0, 4);  // line index bits
  // Style change: move to the origin, fill on the right of a clockwise outline.
  shape.Unsigned(0, 1);                     // not an edge
  shape.Unsigned(0b00101, 5);               // no new styles, no line, fill1, no fill0, move
  shape.Unsigned(1, 5);                     // move bits
  shape.Signed(0, 1);
  shape.Signed(0, 1);
  shape.Unsigned(1, 1);                     // FillStyle1 = 1
  const unsigned n = std::max(SignedBits({w, h, -w, -h}), 2u);
  auto edge = [&](bool vertical, int32_t delta) {
    shape.Unsigned(1, 1);      // edge
    shape.Unsigned(1, 1);      // straight
    shape.Unsigned(n - 2, 4);
    shape.Unsigned(0, 1);      // not a general line
    shape.Unsigned(vertical ? 1 : 0, 1);
    shape.Signed(delta, n);
  };
  if (n > 17) throw std::out_of_range("rectangle too large for a straight edge");
  edge(false, w);
  edge(true, h);
  edge(false, -w);
  edge(true, -h);
  shape.Unsigned(0, 6);  // end of shape
  const auto& s = shape.Bytes();
  body.insert(body.end(), s.begin(), s.end());
  return Tag(2, body);
}

SwfWriter& SwfWriter::PlaceObject(uint16_t depth, uint16_t id, int32_t xPx, int32_t yPx) {
  std::vector<uint8_t> body{0x06};  // has matrix, has character
  U16(body, depth);
  U16(body, id);
  Translation(body, xPx, yPx);
  return Tag(26, body);
}

SwfWriter& SwfWriter::MoveObject(uint16_t depth, int32_t xPx, int32_t yPx) {
  std::vector<uint8_t> body{0x05};  // has matrix, move
  U16(body, depth);
  Translation(body, xPx, yPx);
  return Tag(26, body);
}

SwfWriter& SwfWriter::RemoveObject(uint16_t depth) {
  std::vector<uint8_t> body;
  U16(body, depth);
  return Tag(28, body);
}

SwfWriter& SwfWriter::GetURL(std::string_view url, std::string_view target) {
  std::vector<uint8_t> record;
  Str(record, url);
  Str(record, target);
  if (record.size() > 0xFFFF) throw std::length_error("getURL strings too long");
  std::vector<uint8_t> body{0x83};
  U16(body, static_cast<uint32_t>(record.size()));
  body.insert(body.end(), record.begin(), record.end());
  body.push_back(0);  // end of actions
  return Tag(12, body);
}

SwfWriter& SwfWriter::FSCommand(std::string_view command, std::string_view args) {
  return GetURL("FSCommand:" + std::string(command), args);
}

SwfWriter& SwfWriter::Stop() {
  const uint8_t body[] = {0x07, 0x00};
  return Tag(12, body);
}

SwfWriter& SwfWriter::Play() {
  const uint8_t body[] = {0x06, 0x00};
  return Tag(12, body);
}

namespace {
uint8_t SoundFormatByte(uint8_t format, SwfSoundRate rate, bool stereo) {
  // format:4 rate:2 16-bit:1 stereo:1
  return static_cast<uint8_t>(format << 4 | static_cast<uint8_t>(rate) << 2 | 1u << 1 | (stereo ? 1u : 0u));
}
}  // namespace

SwfWriter& SwfWriter::DefineSound(uint16_t id, SwfSoundRate rate, bool stereo, std::span<const int16_t> samples) {
  if (stereo && samples.size() % 2) throw std::invalid_argument("stereo samples come in pairs");
  std::vector<uint8_t> body;
  U16(body, id);
  body.push_back(SoundFormatByte(3, rate, stereo));
  U32(body, static_cast<uint32_t>(stereo ? samples.size() / 2 : samples.size()));
  Samples(body, samples);
  return Tag(14, body);
}

SwfWriter& SwfWriter::StartSound(uint16_t id, uint16_t loops) {
  std::vector<uint8_t> body;
  U16(body, id);
  if (loops) {
    body.push_back(0x04);  // has loops
    U16(body, loops);
  } else {
    body.push_back(0x00);
  }
  return Tag(15, body);
}

SwfWriter& SwfWriter::SoundStreamHead(SwfSoundRate rate, bool stereo, uint16_t samplesPerFrame) {
  std::vector<uint8_t> body;
  // Playback and stream descriptions: reserved:4 rate:2 16-bit:1 stereo:1, then format 3.
  body.push_back(static_cast<uint8_t>(static_cast<uint8_t>(rate) << 2 | 1u << 1 | (stereo ? 1u : 0u)));
  body.push_back(SoundFormatByte(3, rate, stereo));
  U16(body, samplesPerFrame);
  return Tag(18, body);
}

SwfWriter& SwfWriter::SoundStreamBlock(std::span<const int16_t> samples) {
  std::vector<uint8_t> body;
  Samples(body, samples);
  return Tag(19, body, true);
}

std::vector<uint8_t> SwfWriter::Build() const {
  std::vector<uint8_t> body;
  Bits rect;
  Rect(rect, rect_[0], rect_[1], rect_[2], rect_[3]);
  body = rect.Bytes();
  body.push_back(rateFraction_);
  body.push_back(rateInteger_);
  U16(body, frameCount_.value_or(shownFrames_));
  body.insert(body.end(), tags_.begin(), tags_.end());
  U16(body, 0);  // End

  std::vector<uint8_t> movie{static_cast<uint8_t>(compressed_ ? 'C' : 'F'), 'W', 'S', version_};
  U32(movie, declaredLength_.value_or(static_cast<uint32_t>(body.size() + 8)));
  if (compressed_) {
    const std::vector<uint8_t> packed = swfp::test::Deflate(body, 9);
    movie.insert(movie.end(), packed.begin(), packed.end());
  } else {
    movie.insert(movie.end(), body.begin(), body.end());
  }
  return movie;
}

std::vector<int16_t> SwfWriter::Tone(double hz, double seconds, int sampleRate, double amplitude) {
  const size_t count = static_cast<size_t>(seconds * sampleRate);
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i)
    samples[i] = static_cast<int16_t>(std::lround(
        32767.0 * amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / sampleRate)));
  return samples;
}

std::vector<uint8_t> WithMovieTrailer(std::span<const uint8_t> movie) {
  std::vector<uint8_t> out(movie.begin(), movie.end());
  U32(out, 0xFA123456u);
  U32(out, static_cast<uint32_t>(movie.size()));
  return out;
}

