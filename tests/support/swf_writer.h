// A small SWF movie writer for tests and the demo movie.
//
// Build a movie by chaining calls; tags are written in call order, then
// Build() adds the End tag and the header:
//
//   std::vector<uint8_t> swf = SwfWriter()
//       .Version(8).FrameSize(550, 400).FrameRate(24).Compressed(true)
//       .SetBackgroundColor({0, 0, 64})
//       .DefineRectangle(1, 100, 50, {255, 0, 0})
//       .PlaceObject(1, 1, 10, 20)          // depth 1, character 1 at (10, 20) px
//       .FrameLabel("start")
//       .FSCommand("quit", "")               // getURL("FSCommand:quit", "")
//       .ShowFrame()
//       .Build();
//
// Header fields: Version (default 8), FrameRect in twips or FrameSize in
// pixels (default 550 x 400), FrameRate (default 12; FrameRateRaw sets the two
// 8.8 bytes directly), Compressed ("CWS", body zlib-compressed; default
// "FWS"). FrameCount defaults to the number of ShowFrame calls;
// DeclaredLength overrides the header's file length (for malformed-input
// tests). Positions and sizes taken in pixels are stored as twips (x 20).
// Sounds are uncompressed little-endian PCM (format 3); Tone() makes samples.
// WithMovieTrailer() appends the 8-byte 0xFA123456 movie trailer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

struct SwfRgb {
  uint8_t r = 0, g = 0, b = 0;
};

// SWF sound rates: 0 = 5.5 kHz, 1 = 11 kHz, 2 = 22 kHz, 3 = 44 kHz.
enum class SwfSoundRate : uint8_t { k5512 = 0, k11025 = 1, k22050 = 2, k44100 = 3 };

class SwfWriter {
 public:
  // Header.
  SwfWriter& Version(uint8_t version);
  SwfWriter& FrameRect(int32_t xminTwips, int32_t xmaxTwips, int32_t yminTwips, int32_t ymaxTwips);
  SwfWriter& FrameSize(int32_t widthPx, int32_t heightPx);
  SwfWriter& FrameRate(double fps);  // rounded to 1/256
  SwfWriter& FrameRateRaw(uint8_t fraction, uint8_t integer);
  SwfWriter& Compressed(bool compressed);
  SwfWriter& FrameCount(uint16_t frames);
  SwfWriter& DeclaredLength(uint32_t fileLength);

  // Display list and timeline.
  SwfWriter& SetBackgroundColor(SwfRgb color);                               // tag 9
  SwfWriter& FrameLabel(std::string_view label);                             // tag 43
  SwfWriter& ShowFrame();                                                    // tag 1
  // DefineShape (tag 2): a width x height px rectangle at the origin, solid fill, no outline.
  SwfWriter& DefineRectangle(uint16_t characterId, int32_t widthPx, int32_t heightPx, SwfRgb fill);
  SwfWriter& PlaceObject(uint16_t depth, uint16_t characterId, int32_t xPx, int32_t yPx);  // PlaceObject2, tag 26
  SwfWriter& MoveObject(uint16_t depth, int32_t xPx, int32_t yPx);                         // PlaceObject2 move
  SwfWriter& RemoveObject(uint16_t depth);                                                 // RemoveObject2, tag 28

  // Actions (DoAction, tag 12; one tag per call).
  SwfWriter& GetURL(std::string_view url, std::string_view target);  // ActionGetURL
  SwfWriter& FSCommand(std::string_view command, std::string_view args);  // getURL("FSCommand:" + command, args)
  SwfWriter& Stop();  // ActionStop
  SwfWriter& Play();  // ActionPlay

  // Sound.
  SwfWriter& DefineSound(uint16_t soundId, SwfSoundRate rate, bool stereo,
                         std::span<const int16_t> samples);      // tag 14, 16-bit PCM
  SwfWriter& StartSound(uint16_t soundId, uint16_t loops = 0);    // tag 15
  SwfWriter& SoundStreamHead(SwfSoundRate rate, bool stereo, uint16_t samplesPerFrame);  // tag 18
  SwfWriter& SoundStreamBlock(std::span<const int16_t> samples);  // tag 19

  // Any tag, written with a short header when its body allows.
  SwfWriter& Tag(uint16_t code, std::span<const uint8_t> body, bool longHeader = false);

  // The whole movie: header, body (compressed for "CWS") and End tag.
  std::vector<uint8_t> Build() const;

  // Mono 16-bit samples of a sine tone.
  static std::vector<int16_t> Tone(double hz, double seconds, int sampleRate, double amplitude = 0.3);

 private:
  uint8_t version_ = 8;
  int32_t rect_[4] = {0, 550 * 20, 0, 400 * 20};  // xmin, xmax, ymin, ymax
  uint8_t rateFraction_ = 0, rateInteger_ = 12;
  bool compressed_ = false;
  std::optional<uint16_t> frameCount_;
  std::optional<uint32_t> declaredLength_;
  uint16_t shownFrames_ = 0;
  std::vector<uint8_t> tags_;
};

// movie + 0xFA123456 + length: the layout of a movie carried at the end of an executable.
std::vector<uint8_t> WithMovieTrailer(std::span<const uint8_t> movie);
