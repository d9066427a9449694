// Owns one handle of a back end (a key, a cache walk, a loaded library, a directory search) and
// gives it back on every path, exceptions included. `Traits` says which back end hands the handle
// out (Owner), its type, the value that is no handle, and how one is given back.
#pragma once

#include <utility>

namespace platform {

template <typename Traits>
class TScopedHandle {
 public:
  using Owner = typename Traits::Owner;
  using Handle = typename Traits::Handle;

  explicit TScopedHandle(Owner& owner, Handle handle = Traits::kNull) : owner_(&owner), handle_(handle) {}
  ~TScopedHandle() { Reset(); }
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;
  TScopedHandle(TScopedHandle&& other) noexcept
      : owner_(other.owner_), handle_(std::exchange(other.handle_, Traits::kNull)) {}

  [[nodiscard]] Handle Get() const { return handle_; }
  [[nodiscard]] bool IsValid() const { return handle_ != Traits::kNull; }
  // Gives back the handle held, if any, and holds `handle` instead.
  void Reset(Handle handle = Traits::kNull) {
    if (handle_ != Traits::kNull) Traits::Close(*owner_, handle_);
    handle_ = handle;
  }

 private:
  Owner* owner_;
  Handle handle_;
};

}  // namespace platform
