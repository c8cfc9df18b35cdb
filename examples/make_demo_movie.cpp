// Writes the bundled demo movie: ten seconds at 15 fps on a 550 x 400 stage,
// five labelled scenes with their own background colour, three rectangles
// moving across the stage, a short tone at the start and an FSCommand the
// player does not act on ("quit", "exec" and "shellopen" are never sent).
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/support/swf_writer.h"

namespace {

constexpr int kWidth = 550, kHeight = 400, kFps = 15, kFrames = 150, kSceneFrames = 30;

// Position of a box bouncing between 0 and limit, moving speed pixels a frame.
int Bounce(int frame, int speed, int start, int limit) {
  const int period = 2 * limit;
  const int p = ((start + frame * speed) % period + period) % period;
  return p <= limit ? p : period - p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_demo_movie OUT.swf\n";
    return 1;
  }
  const SwfRgb backgrounds[] = {{0x1E, 0x3A, 0x5F}, {0x2E, 0x7D, 0x32}, {0x6A, 0x1B, 0x9A},
                                {0xBF, 0x36, 0x0C}, {0x00, 0x60, 0x64}};
  struct Box { uint16_t id; int w, h; SwfRgb color; int speedX, speedY, startX, startY; } boxes[] = {
      {1, 80, 80, {0xFF, 0xD5, 0x4F}, 7, 4, 0, 40},
      {2, 120, 40, {0xEF, 0x53, 0x50}, -5, 6, 200, 120},
      {3, 50, 100, {0x4F, 0xC3, 0xF7}, 3, -8, 400, 250},
  };

  SwfWriter movie;
  movie.Version(8).FrameSize(kWidth, kHeight).FrameRate(kFps).Compressed(true);
  for (const Box& b : boxes) movie.DefineRectangle(b.id, b.w, b.h, b.color);
  const auto tone = SwfWriter::Tone(660, 0.25, 11025, 0.2);
  movie.DefineSound(10, SwfSoundRate::k11025, false, tone);

  for (int frame = 0; frame < kFrames; ++frame) {
    if (frame % kSceneFrames == 0) {
      const int scene = frame / kSceneFrames;
      movie.SetBackgroundColor(backgrounds[scene]).FrameLabel("scene" + std::to_string(scene + 1));
    }
    for (uint16_t depth = 1; depth <= 3; ++depth) {
      const Box& b = boxes[depth - 1];
      const int x = Bounce(frame, b.speedX, b.startX, kWidth - b.w);
      const int y = Bounce(frame, b.speedY, b.startY, kHeight - b.h);
      if (frame == 0) movie.PlaceObject(depth, b.id, x, y);
      else movie.MoveObject(depth, x, y);
    }
    if (frame == 0) movie.StartSound(10);
    if (frame == kFrames / 2) movie.FSCommand("allowscale", "true");
    movie.ShowFrame();
  }

  const std::vector<uint8_t> swf = movie.Build();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(swf.data()), static_cast<std::streamsize>(swf.size()));
  out.close();
  if (!out) {
    std::cerr << "make_demo_movie: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
