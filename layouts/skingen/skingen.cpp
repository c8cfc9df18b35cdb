// Draws the player's skin (the control panel's images and the slider parts)
// and writes them as a C++ source file of pixel arrays that the build compiles
// into the program. Built and run on the build machine.
//
// Usage: skingen <output.cpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct RGBA {
  double r = 0, g = 0, b = 0, a = 0;  // 0..255, straight alpha
};

RGBA Mix(const RGBA& x, const RGBA& y, double t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

struct Image {
  int w, h;
  std::vector<RGBA> px;
  Image(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height) {}
  RGBA& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }

  // Paints `c` over the pixel with the given coverage (0..1).
  void Over(int x, int y, RGBA c, double coverage) {
    if (x < 0 || y < 0 || x >= w || y >= h || coverage <= 0) return;
    RGBA& d = at(x, y);
    const double sa = c.a / 255.0 * std::min(1.0, coverage), da = d.a / 255.0;
    const double oa = sa + da * (1 - sa);
    if (oa <= 0) return;
    d.r = (c.r * sa + d.r * da * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * da * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * da * (1 - sa)) / oa;
    d.a = oa * 255;
  }

  // Fills a shape given as an inside test, 4 x 4 samples per pixel for smooth edges;
  // the colour may depend on the position.
  void Fill(const std::function<bool(double, double)>& inside, const std::function<RGBA(double, double)>& colour) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx)
            if (inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)) ++hits;
        if (hits) Over(x, y, colour(x + 0.5, y + 0.5), hits / 16.0);
      }
  }
  void Fill(const std::function<bool(double, double)>& inside, RGBA c) {
    Fill(inside, [c](double, double) { return c; });
  }
};

// Deterministic noise for the brushed look.
double Noise(int i) {
  std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u ^ 0x9E3779B9u;
  x ^= x >> 15;
  x *= 0x2C1B3C6Du;
  x ^= x >> 12;
  return (x & 0xFFFF) / 65535.0 - 0.5;
}

RGBA Grey(double v, double a = 255) { return {v, v, v, a}; }

// Inside tests.
auto Disc(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
auto Ring(double cx, double cy, double r0, double r1) {
  return [=](double x, double y) {
    const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d >= r0 * r0 && d <= r1 * r1;
  };
}
auto Box(double l, double t, double r, double b) {
  return [=](double x, double y) { return x >= l && x < r && y >= t && y < b; };
}
// A convex polygon, points in clockwise or counter-clockwise order.
auto Poly(std::vector<std::pair<double, double>> pts) {
  return [pts](double x, double y) {
    int sign = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
      auto [x0, y0] = pts[i];
      auto [x1, y1] = pts[(i + 1) % pts.size()];
      const double c = (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0);
      const int s = c > 0 ? 1 : (c < 0 ? -1 : 0);
      if (s != 0) {
        if (sign != 0 && s != sign) return false;
        sign = s;
      }
    }
    return true;
  };
}
auto RoundBox(double l, double t, double r, double b, double rad) {
  return [=](double x, double y) {
    if (x < l || x >= r || y < t || y >= b) return false;
    const double cx = std::clamp(x, l + rad, r - rad), cy = std::clamp(y, t + rad, b - rad);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad;
  };
}

// ------------------------------------------------------------- the panel

constexpr int kPanelH = 133;
constexpr int kStrip = 22;  // dark title strip at the top of the panel

// The panel's colour at a row (brushed aluminium under a dark title strip).
RGBA PanelRow(int y, int seed) {
  if (y < kStrip) {
    const double t = y / double(kStrip - 1);
    return Grey(58 - 26 * t + 2 * Noise(y * 7 + seed));
  }
  if (y == kStrip) return Grey(18);
  if (y == kStrip + 1) return Grey(236);
  if (y >= kPanelH - 2) return Grey(y == kPanelH - 1 ? 70 : 120);
  const double t = (y - kStrip - 2) / double(kPanelH - kStrip - 4);
  return Grey(212 - 38 * t + 9 * Noise(y * 13 + 5));
}

Image Background() {
  Image img(13, kPanelH);
  for (int y = 0; y < kPanelH; ++y)
    for (int x = 0; x < img.w; ++x) img.at(x, y) = PanelRow(y, 0);
  return img;
}

Image LeftCap() {
  Image img = Background();
  for (int y = 0; y < kPanelH; ++y) {
    RGBA base = PanelRow(y, 0);
    for (int x = 0; x < img.w; ++x) {
      // A bevelled edge: dark outline, a highlight, then a soft shade into the panel.
      double shade = x == 0 ? -1.0 : x == 1 ? 0.45 : -0.18 * std::max(0.0, 1 - (x - 2) / 8.0);
      RGBA c = shade < 0 ? Mix(base, Grey(10), -shade) : Mix(base, Grey(255), shade);
      img.at(x, y) = c;
    }
  }
  return img;
}

Image Separator() {
  Image img = Background();
  for (int y = 0; y < kPanelH; ++y) {
    const bool metal = y > kStrip + 4 && y < kPanelH - 6;
    if (!metal && y >= kStrip) continue;
    for (int x = 0; x < img.w; ++x) {
      RGBA base = PanelRow(y, 0);
      if (x == 5) img.at(x, y) = Mix(base, Grey(40), metal ? 0.75 : 0.5);
      else if (x == 6) img.at(x, y) = Mix(base, Grey(90), metal ? 0.5 : 0.3);
      else if (x == 7) img.at(x, y) = Mix(base, Grey(255), metal ? 0.8 : 0.15);
      else if (x == 4 || x == 8) img.at(x, y) = Mix(base, Grey(0), 0.06);
    }
  }
  return img;
}

Image RightCap() {
  Image img(156, kPanelH);
  for (int y = 0; y < kPanelH; ++y)
    for (int x = 0; x < img.w; ++x) img.at(x, y) = PanelRow(y, 0);
  // A sunken well for the navigator picture (it lies at 22, 36, 115 x 65).
  img.Fill(RoundBox(18, 32, 141, 105, 4), Grey(60));
  img.Fill(RoundBox(19, 33, 140, 104, 3), [](double, double y) { return Grey(96 + (y - 33) * 1.6); });
  img.Fill(RoundBox(20, 34, 139, 103, 2), Grey(30));
  // Outer highlight below and right of the well.
  img.Fill([](double x, double y) { return (y >= 105 && y < 106 && x >= 19 && x < 141) || (x >= 141 && x < 142 && y >= 33 && y < 106); },
           Grey(245, 200));
  // Right edge bevel, as the left cap mirrored.
  for (int y = 0; y < kPanelH; ++y) {
    RGBA base = PanelRow(y, 0);
    img.at(155, y) = Mix(base, Grey(10), 1.0);
    img.at(154, y) = Mix(base, Grey(30), 0.55);
    img.at(153, y) = Mix(base, Grey(255), 0.25);
  }
  // A small speaker recess in the title strip, behind the sound button (126, 0, 24 x 20).
  img.Fill(RoundBox(124, 1, 152, 20, 4), Grey(20, 160));
  return img;
}

// ------------------------------------------------------------- the buttons

enum class Glyph { Rewind, Back, Stop, Play, Pause, Forward, End };

std::function<bool(double, double)> GlyphShape(Glyph g, double cx, double cy) {
  using P = std::vector<std::pair<double, double>>;
  auto tri = [](double x0, double x1, double cy, double half) {  // pointing from x0 to x1
    return Poly(P{{x0, cy - half}, {x1, cy}, {x0, cy + half}});
  };
  switch (g) {
    case Glyph::Play: return tri(cx - 4, cx + 6, cy, 7);
    case Glyph::Stop: return RoundBox(cx - 5.5, cy - 5.5, cx + 5.5, cy + 5.5, 1.2);
    case Glyph::Pause: {
      auto a = RoundBox(cx - 6, cy - 6.5, cx - 1.5, cy + 6.5, 1), b = RoundBox(cx + 1.5, cy - 6.5, cx + 6, cy + 6.5, 1);
      return [a, b](double x, double y) { return a(x, y) || b(x, y); };
    }
    case Glyph::Rewind: {  // to the first frame: bar and two triangles pointing left
      auto bar = Box(cx - 8, cy - 6, cx - 5.5, cy + 6);
      auto t1 = tri(cx + 0.5, cx - 5.5, cy, 6), t2 = tri(cx + 7, cx + 0.5, cy, 6);
      return [=](double x, double y) { return bar(x, y) || t1(x, y) || t2(x, y); };
    }
    case Glyph::Back: {  // one frame back: triangle left, bar
      auto t = tri(cx + 3, cx - 5, cy, 6.5);
      auto bar = Box(cx + 3.5, cy - 6.5, cx + 6, cy + 6.5);
      return [=](double x, double y) { return bar(x, y) || t(x, y); };
    }
    case Glyph::Forward: {  // one frame forward: bar, triangle right
      auto bar = Box(cx - 6, cy - 6.5, cx - 3.5, cy + 6.5);
      auto t = tri(cx - 3, cx + 5, cy, 6.5);
      return [=](double x, double y) { return bar(x, y) || t(x, y); };
    }
    case Glyph::End: {  // to the last frame: two triangles right, bar
      auto t1 = tri(cx - 7, cx - 0.5, cy, 6), t2 = tri(cx - 0.5, cx + 5.5, cy, 6);
      auto bar = Box(cx + 5.5, cy - 6, cx + 8, cy + 6);
      return [=](double x, double y) { return bar(x, y) || t1(x, y) || t2(x, y); };
    }
  }
  return [](double, double) { return false; };
}

// t = 0 is the hover look, t = 1 the resting look.
Image RoundButton(Glyph g, double t, int w = 32, int h = 32) {
  Image img(w, h);
  const double cx = 15.5 + (w - 32) * 0.5, cy = 15.5 + (h - 32) * 0.5;
  const RGBA restTop{84, 88, 96, 255}, restBottom{28, 30, 34, 255};
  const RGBA hoverTop{96, 160, 230, 255}, hoverBottom{22, 60, 120, 255};
  const RGBA top = Mix(hoverTop, restTop, t), bottom = Mix(hoverBottom, restBottom, t);
  // Soft glow around the hovered button.
  img.Fill(Ring(cx, cy, 13.5, 15.8), RGBA{120, 190, 255, 110 * (1 - t)});
  img.Fill(Disc(cx, cy + 0.8, 14.2), Grey(255, 150));  // lower highlight: the button sits in the metal
  img.Fill(Disc(cx, cy, 14.2), Grey(14));
  img.Fill(Disc(cx, cy, 13.2), [=](double, double y) { return Mix(top, bottom, std::clamp((y - cy + 13) / 26, 0.0, 1.0)); });
  // Glassy reflection on the upper half.
  img.Fill([=](double x, double y) { return Disc(cx, cy - 4, 10.5)(x, y) && y < cy - 1; }, Grey(255, 38));
  const RGBA glyph = Mix(RGBA{255, 255, 255, 255}, RGBA{196, 200, 208, 255}, t);
  img.Fill(GlyphShape(g, cx + 0.5, cy + 1.0), Grey(0, 110));  // shadow
  img.Fill(GlyphShape(g, cx, cy), glyph);
  return img;
}

Image PressedButton(Glyph g, int w = 32, int h = 32) {
  Image img(w, h);
  const double cx = 15.5 + (w - 32) * 0.5, cy = 15.5 + (h - 32) * 0.5;
  img.Fill(Disc(cx, cy + 0.8, 14.2), Grey(255, 150));
  img.Fill(Disc(cx, cy, 14.2), Grey(8));
  // Lit from below: the button looks pushed in.
  img.Fill(Disc(cx, cy, 13.2), [=](double, double y) {
    return Mix(RGBA{14, 36, 76, 255}, RGBA{60, 120, 200, 255}, std::clamp((y - cy + 13) / 26, 0.0, 1.0));
  });
  img.Fill(Ring(cx, cy, 11.8, 13.2), Grey(0, 90));
  img.Fill(GlyphShape(g, cx + 1, cy + 1), RGBA{170, 225, 255, 255});
  return img;
}

// ----------------------------------------------------------- the sound button

// look: 0 resting, 1 hover, 2 pressed.
Image SoundButton(bool on, int look) {
  Image img(24, 20);
  const double dx = look == 2 ? 1 : 0, dy = look == 2 ? 1 : 0;
  const RGBA fill = look == 0 ? RGBA{200, 204, 212, 255} : look == 1 ? RGBA{255, 255, 255, 255} : RGBA{150, 210, 255, 255};
  if (look == 1) img.Fill(RoundBox(0.5, 0.5, 23.5, 19.5, 4), RGBA{90, 150, 230, 90});
  if (look == 2) img.Fill(RoundBox(0.5, 0.5, 23.5, 19.5, 4), RGBA{20, 50, 100, 200});
  using P = std::vector<std::pair<double, double>>;
  auto body = Box(4 + dx, 7 + dy, 8 + dx, 13 + dy);
  auto cone = Poly(P{{7.5 + dx, 7 + dy}, {12.5 + dx, 3 + dy}, {12.5 + dx, 17 + dy}, {7.5 + dx, 13 + dy}});
  img.Fill([=](double x, double y) { return body(x, y) || cone(x, y); }, fill);
  if (on) {
    img.Fill([=](double x, double y) { return Ring(11 + dx, 10 + dy, 3.2, 4.6)(x, y) && x > 14.2 + dx; }, fill);
    img.Fill([=](double x, double y) { return Ring(11 + dx, 10 + dy, 6.4, 7.8)(x, y) && x > 15.5 + dx; }, fill);
  } else {
    const RGBA cross = look == 0 ? RGBA{225, 90, 80, 255} : RGBA{255, 120, 100, 255};
    auto a = Poly(P{{14.2 + dx, 6.2 + dy}, {15.6 + dx, 4.8 + dy}, {21.8 + dx, 11 + dy}, {20.4 + dx, 12.4 + dy}});
    auto b = Poly(P{{14.2 + dx, 11 + dy}, {20.4 + dx, 4.8 + dy}, {21.8 + dx, 6.2 + dy}, {15.6 + dx, 12.4 + dy}});
    img.Fill([=](double x, double y) { return a(x, y + 1.5) || b(x, y + 1.5); }, cross);
  }
  return img;
}

// ----------------------------------------------------------- the slider parts

// The groove: rows 5 to 9 of 15, dark and inset.
RGBA GrooveRow(int y) {
  switch (y) {
    case 5: return Grey(70);
    case 6: return Grey(40);
    case 7: return Grey(52);
    case 8: return Grey(64);
    case 9: return Grey(250, 220);
    default: return Grey(0, 0);
  }
}

Image SliderTrack() {
  Image img(7, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 7; ++x) img.at(x, y) = GrooveRow(y);
  return img;
}

Image SliderEnd(bool left) {
  Image img(3, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 3; ++x) {
      const int fromEdge = left ? x : 2 - x;
      // Rounded ends: the outermost column only covers the middle rows.
      if (fromEdge == 0 && (y == 5 || y == 9)) continue;
      img.at(x, y) = GrooveRow(y);
    }
  return img;
}

Image SliderPointer() {
  Image img(10, 15);
  img.Fill(RoundBox(0.5, 1, 9.5, 14.5, 2.5), Grey(30));
  img.Fill(RoundBox(1.5, 2, 8.5, 13.5, 1.8), [](double, double y) { return Grey(250 - (y - 2) * 7); });
  img.Fill(Box(4.5, 4.5, 5.5, 11), Grey(90));
  img.Fill(Box(5.5, 4.5, 6.0, 11), Grey(255, 200));
  return img;
}

// ----------------------------------------------------------------- output

void Write(std::ofstream& out, const std::string& name, Image& img) {
  out << "const std::uint32_t " << name << "[] = {";
  for (size_t i = 0; i < img.px.size(); ++i) {
    const RGBA& c = img.px[i];
    auto ch = [](double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 255.0))); };
    const unsigned a = ch(c.a);
    const unsigned v = (a << 24) | (a ? (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b) : 0u);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s0x%08X", i % 8 == 0 ? "\n  " : " ", v);
    out << buf << ',';
  }
  out << "\n};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen <output.cpp>\n");
    return 2;
  }
  std::vector<Image> ani;
  ani.push_back(Background());  // 0
  ani.push_back(LeftCap());     // 1
  ani.push_back(RightCap());    // 2
  ani.push_back(Separator());   // 3
  for (Glyph g : {Glyph::Rewind, Glyph::Back, Glyph::Stop, Glyph::Play, Glyph::Forward, Glyph::End})
    for (int k = 0; k < 5; ++k) ani.push_back(RoundButton(g, k / 4.0));  // 4..33: hover first, rest last
  ani.push_back(SoundButton(true, 0));        // 34
  ani.push_back(SoundButton(true, 1));        // 35
  ani.push_back(PressedButton(Glyph::Stop));  // 36
  ani.push_back(PressedButton(Glyph::Play));  // 37
  ani.push_back(SoundButton(true, 2));        // 38
  ani.push_back(SoundButton(false, 0));       // 39
  ani.push_back(SoundButton(false, 1));       // 40
  ani.push_back(SoundButton(false, 2));       // 41
  for (int k = 0; k < 5; ++k) ani.push_back(RoundButton(Glyph::Pause, k / 4.0));  // 42..46
  ani.push_back(PressedButton(Glyph::Pause, 33, 33));   // 47
  ani.push_back(PressedButton(Glyph::Rewind, 32, 33));  // 48
  ani.push_back(PressedButton(Glyph::Back));            // 49
  ani.push_back(PressedButton(Glyph::Forward));         // 50
  ani.push_back(PressedButton(Glyph::End));             // 51

  std::vector<Image> slider{SliderTrack(), SliderEnd(true), SliderEnd(false), SliderPointer()};

  std::ofstream out(argv[1]);
  if (!out) {
    std::fprintf(stderr, "skingen: cannot write %s\n", argv[1]);
    return 1;
  }
  out << "// Made by skingen; do not edit.\n#include \"layouts/skin.h\"\n\nnamespace swfp::layouts {\nnamespace {\n\n";
  for (size_t i = 0; i < ani.size(); ++i) Write(out, "kAni" + std::to_string(i), ani[i]);
  for (size_t i = 0; i < slider.size(); ++i) Write(out, "kSlider" + std::to_string(i), slider[i]);
  out << "\nconst SkinImage kAni[] = {\n";
  for (size_t i = 0; i < ani.size(); ++i)
    out << "  {" << ani[i].w << ", " << ani[i].h << ", kAni" << i << "},\n";
  out << "};\nconst SkinImage kSlider[] = {\n";
  for (size_t i = 0; i < slider.size(); ++i)
    out << "  {" << slider[i].w << ", " << slider[i].h << ", kSlider" << i << "},\n";
  out << "};\n\n}  // namespace\n\n"
         "std::span<const SkinImage> AniImages() { return kAni; }\n"
         "std::span<const SkinImage> SliderImages() { return kSlider; }\n\n"
         "}  // namespace swfp::layouts\n";
  return out ? 0 : 1;
}
