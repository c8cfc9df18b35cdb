// Builds small SWF movies byte by byte for the stand-in's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

namespace standin_test {

using Bytes = std::vector<uint8_t>;

class BitWriter {
 public:
  void bits(uint32_t value, unsigned n) {
    for (unsigned i = n; i-- > 0;) {
      acc_ = static_cast<uint8_t>((acc_ << 1) | ((value >> i) & 1u));
      if (++used_ == 8) flush();
    }
  }
  void flush() {
    if (used_ == 0) return;
    out_.push_back(static_cast<uint8_t>(acc_ << (8 - used_)));
    acc_ = 0;
    used_ = 0;
  }
  Bytes take() { flush(); return std::move(out_); }

 private:
  Bytes out_;
  uint8_t acc_ = 0;
  unsigned used_ = 0;
};

inline Bytes Rect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax, unsigned nbits = 16) {
  BitWriter w;
  w.bits(nbits, 5);
  for (int32_t v : {xmin, xmax, ymin, ymax}) w.bits(static_cast<uint32_t>(v), nbits);
  return w.take();
}

// A MATRIX with translation only.
inline Bytes Translate(int32_t tx, int32_t ty) {
  BitWriter w;
  w.bits(0, 1);
  w.bits(0, 1);
  w.bits(16, 5);
  w.bits(static_cast<uint32_t>(tx), 16);
  w.bits(static_cast<uint32_t>(ty), 16);
  return w.take();
}

inline void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
inline void U16(Bytes& b, uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
inline void U32(Bytes& b, uint32_t v) { U16(b, v & 0xFFFF); U16(b, v >> 16); }
inline void Str(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); b.push_back(0); }

class SwfBuilder {
 public:
  SwfBuilder(int32_t widthTwips = 11000, int32_t heightTwips = 8000, uint8_t rateFraction = 0, uint8_t rate = 12)
      : width_(widthTwips), height_(heightTwips), fraction_(rateFraction), rate_(rate) {}

  SwfBuilder& tag(int code, const Bytes& body, bool forceLong = false) {
    if (body.size() < 0x3F && !forceLong) {
      U16(tags_, static_cast<uint32_t>(code << 6 | body.size()));
    } else {
      U16(tags_, static_cast<uint32_t>(code << 6 | 0x3F));
      U32(tags_, static_cast<uint32_t>(body.size()));
    }
    Append(tags_, body);
    return *this;
  }
  SwfBuilder& showFrame() { ++frames_; return tag(1, {}); }
  SwfBuilder& background(uint8_t r, uint8_t g, uint8_t b) { return tag(9, {r, g, b}); }
  SwfBuilder& label(const std::string& name) { Bytes b; Str(b, name); return tag(43, b); }
  SwfBuilder& getUrl(const std::string& url, const std::string& target) {
    Bytes a;
    a.push_back(0x83);
    U16(a, static_cast<uint32_t>(url.size() + target.size() + 2));
    Str(a, url);
    Str(a, target);
    a.push_back(0);
    return tag(12, a);
  }
  // DefineShape with one solid fill and no edges: enough for a filled rectangle.
  SwfBuilder& rectShape(uint16_t id, int32_t l, int32_t r, int32_t t, int32_t b, uint8_t red, uint8_t green, uint8_t blue) {
    Bytes s;
    U16(s, id);
    Append(s, Rect(l, r, t, b));
    s.insert(s.end(), {1, 0x00, red, green, blue, 0 /* line styles */, 0x10 /* 1 fill bit, 0 line bits */, 0 /* end */});
    return tag(2, s);
  }
  SwfBuilder& place2(uint16_t depth, uint16_t id, int32_t tx, int32_t ty) {
    Bytes p;
    p.push_back(0x06);  // has character, has matrix
    U16(p, depth);
    U16(p, id);
    Append(p, Translate(tx, ty));
    return tag(26, p);
  }
  SwfBuilder& remove2(uint16_t depth) { Bytes p; U16(p, depth); return tag(28, p); }
  SwfBuilder& soundStreamHead() { return tag(18, {0x02, 0x02, 0x00, 0x00}); }

  Bytes build(bool compressed = false, uint8_t version = 6) const {
    Bytes body = Rect(0, width_, 0, height_);
    body.push_back(fraction_);
    body.push_back(rate_);
    U16(body, frames_);
    Append(body, tags_);
    U16(body, 0);  // End
    Bytes out = {static_cast<uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', version};
    U32(out, static_cast<uint32_t>(body.size() + 8));
    if (!compressed) {
      Append(out, body);
      return out;
    }
    uLongf size = compressBound(body.size());
    Bytes z(size);
    compress(z.data(), &size, body.data(), body.size());
    z.resize(size);
    Append(out, z);
    return out;
  }

 private:
  int32_t width_, height_;
  uint8_t fraction_, rate_;
  uint16_t frames_ = 0;
  Bytes tags_;
};

}  // namespace standin_test
