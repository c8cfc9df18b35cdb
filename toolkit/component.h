// The owner relation shared by every object of a window: an owner frees what
// it owns, in reverse order of creation, and finds its parts by name.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace swfp::tk {

class TComponent {
 public:
  explicit TComponent(TComponent* owner) : owner_(owner) {}
  virtual ~TComponent() { DestroyComponents(); }
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Creates a component owned by this one; the owner frees it.
  template <class T, class... Args>
  T& Make(Args&&... args) {
    auto part = std::make_unique<T>(this, std::forward<Args>(args)...);
    T& ref = *part;
    owned_.push_back(std::move(part));
    return ref;
  }

  TComponent* FindComponent(const std::string& name) const {
    for (const auto& c : owned_)
      if (c->name_ == name) return c.get();
    return nullptr;
  }
  const std::vector<std::unique_ptr<TComponent>>& Components() const { return owned_; }

 protected:
  // Later parts may refer to earlier ones (a child to its parent), so they go first.
  void DestroyComponents() {
    while (!owned_.empty()) {
      std::unique_ptr<TComponent> last = std::move(owned_.back());
      owned_.pop_back();
      last.reset();
    }
  }

 private:
  TComponent* owner_;
  std::string name_;
  std::vector<std::unique_ptr<TComponent>> owned_;
};

}  // namespace swfp::tk
