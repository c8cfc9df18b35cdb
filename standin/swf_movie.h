// The part of a SWF movie the stand-in runtime understands: header, frames with
// their labels and getURL actions, solid-fill shapes placed on a display list,
// and whether the movie carries sound. Parsing never throws: a malformed movie
// yields an error text and no movie.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct TwipsRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TwipsRect&) const = default;
};

// A DefineShape whose first fill style is solid: drawn as its bounds rectangle.
struct Shape {
  TwipsRect bounds;
  uint32_t rgb = 0;  // 0xRRGGBB
};

// One character on the display list of a frame, after its placement matrix's translation.
struct Placement {
  uint16_t depth = 0;
  uint16_t characterId = 0;
  int32_t translateX = 0, translateY = 0;  // twips
  bool operator==(const Placement&) const = default;
};

// The actions of a frame that the stand-in carries out, in order.
enum class ActionKind { GetUrl, Stop, Play };

struct FrameAction {
  ActionKind kind = ActionKind::GetUrl;
  std::string url;     // GetUrl only
  std::string target;  // GetUrl only
};

struct Frame {
  std::string label;                   // empty when the frame has no FrameLabel
  std::vector<FrameAction> actions;    // run when the frame is shown
  std::vector<Placement> displayList;  // sorted by depth
};

struct SwfMovie {
  bool compressed = false;
  uint8_t version = 0;
  uint32_t declaredLength = 0;  // the header's file length
  TwipsRect stage;
  double frameRate = 12.0;
  uint16_t declaredFrameCount = 0;
  uint32_t backgroundRgb = 0xFFFFFF;  // white until SetBackgroundColor says otherwise
  bool hasSound = false;
  std::map<uint16_t, Shape> shapes;
  std::vector<Frame> frames;  // never empty for a parsed movie

  // Index of the first frame carrying this label (case-insensitive), or -1.
  int findLabel(const std::string& label) const;
};

struct ParseResult {
  std::optional<SwfMovie> movie;
  std::string error;  // set when movie is empty
};

ParseResult ParseSwf(const uint8_t* data, size_t size);

// "FSCommand:quit" -> "quit"; empty optional for any other URL. The prefix is case-insensitive.
std::optional<std::string> FsCommandOf(const std::string& url);

}  // namespace standin
