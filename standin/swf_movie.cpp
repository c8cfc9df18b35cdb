#include "standin/swf_movie.h"

#include <algorithm>
#include <cctype>

#include <zlib.h>

namespace standin {
namespace {

// Reads little-endian bytes and most-significant-first bit fields, never past the end.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

  uint8_t u8() {
    align();
    if (pos_ >= size_) return fail();
    return data_[pos_++];
  }
  uint16_t u16() { uint16_t lo = u8(); return static_cast<uint16_t>(lo | (u8() << 8)); }
  uint32_t u32() { uint32_t lo = u16(); return lo | (static_cast<uint32_t>(u16()) << 16); }

  uint32_t ubits(unsigned n) {
    uint32_t v = 0;
    for (unsigned i = 0; i < n; ++i) {
      if (bitPos_ == 0) {
        if (pos_ >= size_) return fail();
        bitByte_ = data_[pos_++];
        bitPos_ = 8;
      }
      --bitPos_;
      v = (v << 1) | ((bitByte_ >> bitPos_) & 1u);
    }
    return v;
  }
  int32_t sbits(unsigned n) {
    if (n == 0) return 0;
    uint32_t v = ubits(n);
    if (n < 32 && (v & (1u << (n - 1)))) v |= ~((1u << n) - 1);  // sign-extend
    return static_cast<int32_t>(v);
  }
  void align() { bitPos_ = 0; }

  std::string cstring() {
    align();
    std::string s;
    while (pos_ < size_ && data_[pos_] != 0) s.push_back(static_cast<char>(data_[pos_++]));
    if (pos_ >= size_) { fail(); return s; }
    ++pos_;  // the terminator
    return s;
  }
  void skip(size_t n) {
    align();
    if (n > remaining()) { fail(); pos_ = size_; return; }
    pos_ += n;
  }
  TwipsRect rect() {
    align();
    unsigned n = ubits(5);
    TwipsRect r;
    r.left = sbits(n);
    r.right = sbits(n);
    r.top = sbits(n);
    r.bottom = sbits(n);
    align();
    return r;
  }

 private:
  uint8_t fail() { ok_ = false; return 0; }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint8_t bitByte_ = 0;
  unsigned bitPos_ = 0;
  bool ok_ = true;
};

// MATRIX record: only the translation is kept.
void readMatrixTranslation(Reader& r, int32_t& tx, int32_t& ty) {
  r.align();
  if (r.ubits(1)) { unsigned n = r.ubits(5); r.sbits(n); r.sbits(n); }
  if (r.ubits(1)) { unsigned n = r.ubits(5); r.sbits(n); r.sbits(n); }
  unsigned n = r.ubits(5);
  tx = r.sbits(n);
  ty = r.sbits(n);
  r.align();
}

void readShape(Reader& r, int tagCode, SwfMovie& movie) {
  uint16_t id = r.u16();
  Shape shape;
  shape.bounds = r.rect();
  unsigned count = r.u8();
  if (count == 0xFF && tagCode != 2) count = r.u16();
  if (count == 0 || !r.ok()) return;
  if (r.u8() != 0x00) return;  // only solid fills are drawn
  uint32_t red = r.u8(), green = r.u8(), blue = r.u8();
  if (!r.ok()) return;
  shape.rgb = (red << 16) | (green << 8) | blue;
  movie.shapes[id] = shape;
}

void readActions(Reader& r, Frame& frame) {
  while (r.remaining() > 0) {
    uint8_t code = r.u8();
    if (code == 0) return;
    if (code == 0x06 || code == 0x07) {  // ActionPlay, ActionStop
      frame.actions.push_back({code == 0x06 ? ActionKind::Play : ActionKind::Stop, {}, {}});
      continue;
    }
    if (code < 0x80) continue;
    uint16_t length = r.u16();
    if (length > r.remaining()) return;
    size_t end = r.pos() + length;
    if (code == 0x83) {  // ActionGetURL: url, target
      FrameAction a;
      a.url = r.cstring();
      a.target = r.cstring();
      if (!r.ok() || r.pos() > end) return;
      frame.actions.push_back(std::move(a));
    }
    r.skip(end - r.pos());
    if (!r.ok()) return;
  }
}

void placeObject(std::map<uint16_t, Placement>& list, Reader& r, int tagCode) {
  if (tagCode == 4) {  // PlaceObject: character, depth, matrix
    Placement p;
    p.characterId = r.u16();
    p.depth = r.u16();
    readMatrixTranslation(r, p.translateX, p.translateY);
    if (r.ok()) list[p.depth] = p;
    return;
  }
  // PlaceObject2: flags, depth, [character], [matrix], ...
  uint8_t flags = r.u8();
  uint16_t depth = r.u16();
  bool move = flags & 0x01, hasCharacter = flags & 0x02, hasMatrix = flags & 0x04;
  Placement p;
  auto existing = list.find(depth);
  if (move && existing != list.end()) p = existing->second;
  p.depth = depth;
  if (hasCharacter) p.characterId = r.u16();
  if (hasMatrix) readMatrixTranslation(r, p.translateX, p.translateY);
  if (!r.ok()) return;
  if (!hasCharacter && existing == list.end()) return;  // modifying nothing
  list[depth] = p;
}

// The output grows as the body inflates, up to the declared length: a forged
// length costs nothing, and a movie of any real size inflates.
bool inflateBody(const uint8_t* data, size_t size, uint32_t length, std::vector<uint8_t>& out) {
  out.assign(std::min<size_t>(length, std::max<size_t>(size * 4, 1u << 20)), 0);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  size_t inLeft = size, produced = 0;
  int rc = Z_OK;
  while (rc == Z_OK) {
    if (produced == out.size()) {
      if (out.size() >= length) break;
      out.resize(std::min<size_t>(length, out.size() * 2));
    }
    const uInt inStep = static_cast<uInt>(std::min<size_t>(inLeft, 1u << 30));
    z.avail_in = inStep;
    z.next_out = out.data() + produced;
    z.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, 1u << 30));
    const uInt outStep = z.avail_out;
    rc = inflate(&z, Z_NO_FLUSH);
    inLeft -= inStep - z.avail_in;
    produced += outStep - z.avail_out;
    if (rc == Z_OK && inStep == z.avail_in && outStep == z.avail_out) rc = Z_BUF_ERROR;  // no progress
  }
  inflateEnd(&z);
  // A body shorter than declared still plays as far as it goes.
  if (rc != Z_STREAM_END && rc != Z_BUF_ERROR && rc != Z_OK) return false;
  if (produced == 0) return false;
  out.resize(produced);
  return true;
}

}  // namespace

int SwfMovie::findLabel(const std::string& label) const {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  std::string wanted = lower(label);
  for (size_t i = 0; i < frames.size(); ++i)
    if (!frames[i].label.empty() && lower(frames[i].label) == wanted) return static_cast<int>(i);
  return -1;
}

std::optional<std::string> FsCommandOf(const std::string& url) {
  static const char kPrefix[] = "fscommand:";
  const size_t n = sizeof(kPrefix) - 1;
  if (url.size() < n) return std::nullopt;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != kPrefix[i]) return std::nullopt;
  return url.substr(n);
}

ParseResult ParseSwf(const uint8_t* data, size_t size) {
  ParseResult result;
  if (size < 8 || data[1] != 'W' || data[2] != 'S' || (data[0] != 'F' && data[0] != 'C')) {
    result.error = "not a SWF movie";
    return result;
  }
  SwfMovie movie;
  movie.compressed = data[0] == 'C';
  movie.version = data[3];
  movie.declaredLength = data[4] | (data[5] << 8) | (data[6] << 16) | (static_cast<uint32_t>(data[7]) << 24);

  std::vector<uint8_t> inflated;
  const uint8_t* body = data + 8;
  size_t bodySize = size - 8;
  if (movie.compressed) {
    if (movie.declaredLength < 8) {
      result.error = "compressed movie declares an impossible length";
      return result;
    }
    if (!inflateBody(body, bodySize, movie.declaredLength - 8, inflated)) {
      result.error = "compressed movie body does not inflate";
      return result;
    }
    body = inflated.data();
    bodySize = inflated.size();
  }

  Reader r(body, bodySize);
  movie.stage = r.rect();
  uint8_t fraction = r.u8();
  int8_t whole = static_cast<int8_t>(r.u8());
  movie.frameRate = whole + fraction / 256.0;
  movie.declaredFrameCount = r.u16();
  if (!r.ok()) {
    result.error = "movie header is truncated";
    return result;
  }

  std::map<uint16_t, Placement> displayList;
  Frame current;
  while (r.remaining() >= 2) {
    uint16_t codeAndLength = r.u16();
    int code = codeAndLength >> 6;
    uint32_t length = codeAndLength & 0x3F;
    if (length == 0x3F) length = r.u32();
    if (!r.ok() || length > r.remaining()) break;  // a cut-off tag ends the movie
    if (code == 0) break;
    Reader tag(body + r.pos(), length);
    switch (code) {
      case 1: {  // ShowFrame
        current.displayList.clear();
        for (auto& [depth, p] : displayList) current.displayList.push_back(p);
        movie.frames.push_back(std::move(current));
        current = Frame{};
        break;
      }
      case 9: {  // SetBackgroundColor
        uint32_t red = tag.u8(), green = tag.u8(), blue = tag.u8();
        if (tag.ok()) movie.backgroundRgb = (red << 16) | (green << 8) | blue;
        break;
      }
      case 43: current.label = tag.cstring(); break;  // FrameLabel
      case 12: readActions(tag, current); break;      // DoAction
      case 2: case 22: case 32: readShape(tag, code, movie); break;
      case 4: case 26: placeObject(displayList, tag, code); break;
      case 5: tag.u16(); [[fallthrough]];  // RemoveObject: character, depth
      case 28: {                            // RemoveObject2: depth
        uint16_t depth = tag.u16();
        if (tag.ok()) displayList.erase(depth);
        break;
      }
      case 14: case 15: case 18: case 19: case 45: movie.hasSound = true; break;
      default: break;
    }
    r.skip(length);
  }
  // A movie without any ShowFrame still has one frame to show.
  if (movie.frames.empty()) {
    for (auto& [depth, p] : displayList) current.displayList.push_back(p);
    movie.frames.push_back(std::move(current));
  }
  result.movie = std::move(movie);
  return result;
}

}  // namespace standin
