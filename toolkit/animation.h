// Frame animations of the skinned controls: lists of image indexes played
// forward or backward with a delay per frame, and the button's rules for
// which animation plays when (rest, enter, over, leave, press, release).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace swfp::tk {

using Millis = std::int64_t;

enum class AnimDirection { Forward, Backward };

// Plays one frame list: frame i (in playing order) shows from start + i * delay.
class FramePlayer {
 public:
  FramePlayer() = default;
  // Starts at `firstIndex` of the playing order (to continue from a frame already shown).
  FramePlayer(std::vector<int> frames, AnimDirection dir, Millis delay, Millis now, size_t firstIndex = 0);

  bool Empty() const { return order_.empty(); }
  // Image index shown at `now`, or -1 without frames.
  int FrameAt(Millis now) const;
  // The last frame has been reached.
  bool FinishedAt(Millis now) const;
  // When the shown frame changes next (or the animation ends); -1 when finished.
  Millis NextChange(Millis now) const;
  const std::vector<int>& Order() const { return order_; }
  Millis Delay() const { return delay_; }

 private:
  std::vector<int> order_;
  Millis delay_ = 100;
  Millis start_ = 0;
};

// The animation slots every skinned button has.
enum class ButtonSlot : std::uint8_t {
  Enabled, MouseEnter, MouseOver, MouseLeave, MouseDown, MouseUp, Pressed, Down, Disabled, MouseClick
};
inline constexpr size_t kButtonSlotCount = 10;

// Which animation a button slot plays, which way and at what pace.
struct SlotAnimation {
  std::string animation;  // empty: no animation
  AnimDirection direction = AnimDirection::Forward;
  Millis delay = 100;
};

using AnimationTable = std::map<std::string, std::vector<int>>;

// Which frame a button shows, from its slots and what the mouse did.
// Transient slots (enter, leave, down, up) play once and then settle in a
// resting slot (over, enabled, pressed). A new transient starts from the
// frame on screen when that frame is part of it, so a leave during an enter
// fade reverses smoothly.
class ButtonAnimator {
 public:
  ButtonAnimator(const AnimationTable* table, std::array<SlotAnimation, kButtonSlotCount> slots);

  void Reset(Millis now);  // back to the enabled look
  void Enter(Millis now);
  void Leave(Millis now);
  void Down(Millis now);
  void Up(Millis now, bool inside);
  void SetEnabled(bool enabled, Millis now);

  int FrameAt(Millis now);
  // The next moment the frame may change, or -1 when nothing is playing.
  Millis NextChange(Millis now);
  ButtonSlot CurrentSlot() const { return slot_; }
  const std::array<SlotAnimation, kButtonSlotCount>& Slots() const { return slots_; }

 private:
  void Play(ButtonSlot slot, Millis now);
  void Settle(Millis now);
  ButtonSlot RestingAfter(ButtonSlot s) const;
  const std::vector<int>* Frames(ButtonSlot s) const;

  const AnimationTable* table_;
  std::array<SlotAnimation, kButtonSlotCount> slots_;
  ButtonSlot slot_ = ButtonSlot::Enabled;
  FramePlayer player_;
  bool inside_ = false;
  bool enabled_ = true;
  bool upInside_ = false;
};

}  // namespace swfp::tk
