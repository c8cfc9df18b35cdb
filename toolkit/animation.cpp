#include "toolkit/animation.h"

#include <algorithm>

namespace swfp::tk {

FramePlayer::FramePlayer(std::vector<int> frames, AnimDirection dir, Millis delay, Millis now, size_t firstIndex)
    : order_(std::move(frames)), delay_(delay > 0 ? delay : 1) {
  if (dir == AnimDirection::Backward) std::reverse(order_.begin(), order_.end());
  if (firstIndex >= order_.size()) firstIndex = 0;
  start_ = now - static_cast<Millis>(firstIndex) * delay_;
}

int FramePlayer::FrameAt(Millis now) const {
  if (order_.empty()) return -1;
  const Millis step = now <= start_ ? 0 : (now - start_) / delay_;
  return order_[static_cast<size_t>(std::min<Millis>(step, static_cast<Millis>(order_.size()) - 1))];
}

bool FramePlayer::FinishedAt(Millis now) const {
  return order_.empty() || now - start_ >= static_cast<Millis>(order_.size() - 1) * delay_;
}

Millis FramePlayer::NextChange(Millis now) const {
  if (FinishedAt(now)) return -1;
  const Millis step = now <= start_ ? 0 : (now - start_) / delay_;
  return start_ + (step + 1) * delay_;
}

ButtonAnimator::ButtonAnimator(const AnimationTable* table, std::array<SlotAnimation, kButtonSlotCount> slots)
    : table_(table), slots_(std::move(slots)) {
  Reset(0);
}

const std::vector<int>* ButtonAnimator::Frames(ButtonSlot s) const {
  const SlotAnimation& slot = slots_[static_cast<size_t>(s)];
  if (slot.animation.empty() || !table_) return nullptr;
  auto it = table_->find(slot.animation);
  return it == table_->end() || it->second.empty() ? nullptr : &it->second;
}

ButtonSlot ButtonAnimator::RestingAfter(ButtonSlot s) const {
  switch (s) {
    case ButtonSlot::MouseEnter: return ButtonSlot::MouseOver;
    case ButtonSlot::MouseLeave: return ButtonSlot::Enabled;
    case ButtonSlot::MouseDown: return ButtonSlot::Pressed;
    case ButtonSlot::MouseUp:
    case ButtonSlot::MouseClick: return upInside_ ? ButtonSlot::MouseOver : ButtonSlot::Enabled;
    default: return s;
  }
}

void ButtonAnimator::Play(ButtonSlot slot, Millis now) {
  const int shown = player_.Empty() ? -1 : player_.FrameAt(now);
  slot_ = slot;
  const std::vector<int>* frames = Frames(slot);
  if (!frames) {
    // No animation in this slot: transients end at once; a resting slot
    // without frames keeps what is on screen.
    if (RestingAfter(slot) != slot) {
      Play(RestingAfter(slot), now);
    } else if (slot == ButtonSlot::Disabled || player_.Empty()) {
      if (const auto* rest = Frames(ButtonSlot::Enabled)) player_ = FramePlayer(*rest, AnimDirection::Forward, 100, now);
    }
    return;
  }
  const SlotAnimation& slotAnimation = slots_[static_cast<size_t>(slot)];
  std::vector<int> order = *frames;
  if (slotAnimation.direction == AnimDirection::Backward) std::reverse(order.begin(), order.end());
  size_t first = 0;
  if (auto it = std::find(order.begin(), order.end(), shown); it != order.end())
    first = static_cast<size_t>(it - order.begin());
  // `order` is already in playing order.
  player_ = FramePlayer(std::move(order), AnimDirection::Forward, slotAnimation.delay, now, first);
}

void ButtonAnimator::Settle(Millis now) {
  for (int guard = 0; guard < 4; ++guard) {
    const ButtonSlot rest = RestingAfter(slot_);
    if (rest == slot_ || !player_.FinishedAt(now)) return;
    Play(rest, now);
  }
}

void ButtonAnimator::Reset(Millis now) {
  inside_ = false;
  upInside_ = false;
  player_ = FramePlayer();
  Play(enabled_ ? ButtonSlot::Enabled : ButtonSlot::Disabled, now);
}

void ButtonAnimator::Enter(Millis now) {
  inside_ = true;
  if (!enabled_ || slot_ == ButtonSlot::MouseDown || slot_ == ButtonSlot::Pressed) return;
  Settle(now);
  Play(ButtonSlot::MouseEnter, now);
}

void ButtonAnimator::Leave(Millis now) {
  inside_ = false;
  if (!enabled_ || slot_ == ButtonSlot::MouseDown || slot_ == ButtonSlot::Pressed) return;
  Settle(now);
  Play(ButtonSlot::MouseLeave, now);
}

void ButtonAnimator::Down(Millis now) {
  if (!enabled_) return;
  Settle(now);
  Play(ButtonSlot::MouseDown, now);
}

void ButtonAnimator::Up(Millis now, bool inside) {
  if (!enabled_) return;
  inside_ = inside;
  upInside_ = inside;
  Settle(now);
  Play(ButtonSlot::MouseUp, now);
}

void ButtonAnimator::SetEnabled(bool enabled, Millis now) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Play(enabled ? ButtonSlot::Enabled : ButtonSlot::Disabled, now);
}

int ButtonAnimator::FrameAt(Millis now) {
  Settle(now);
  return player_.FrameAt(now);
}

Millis ButtonAnimator::NextChange(Millis now) {
  Settle(now);
  Millis next = player_.NextChange(now);
  if (next < 0 && RestingAfter(slot_) != slot_) return now;
  return next;
}

}  // namespace swfp::tk
