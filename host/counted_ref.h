#pragma once

#include <utility>

namespace horaz {

// Holds one reference to an interface and releases it when it goes out of
// scope or is reassigned. `put()` hands the slot to an operation that stores
// a new reference in it (what was held is released first); `detach()` gives
// the reference away without a release.
template <class Interface>
class CountedRef {
 public:
  CountedRef() = default;
  CountedRef(std::nullptr_t) {}

  // Takes over a reference the caller already owns.
  static CountedRef adopt(Interface* pointer) {
    CountedRef ref;
    ref.pointer_ = pointer;
    return ref;
  }
  // Adds a reference of its own.
  static CountedRef share(Interface* pointer) {
    if (pointer) pointer->AddRef();
    return adopt(pointer);
  }

  CountedRef(const CountedRef& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  CountedRef(CountedRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  CountedRef& operator=(CountedRef other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~CountedRef() { reset(); }

  void reset() {
    if (Interface* old = std::exchange(pointer_, nullptr)) old->Release();
  }

  Interface** put() {
    reset();
    return &pointer_;
  }
  // For operations whose out-argument is a void**.
  void** putVoid() { return reinterpret_cast<void**>(put()); }

  [[nodiscard]] Interface* detach() { return std::exchange(pointer_, nullptr); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace horaz
