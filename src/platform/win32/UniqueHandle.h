// Owns one Windows handle and releases it exactly once, so that no error
// branch has to remember to close it. Traits names the value that means "no
// handle" and how one is released; a traits object may carry state (the
// serial seam's own close call).
#pragma once

#include <windows.h>

#include <utility>

namespace vireo {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle, Traits traits = Traits())
      : handle_(handle), traits_(std::move(traits)) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(other.Release()), traits_(std::move(other.traits_)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      traits_ = std::move(other.traits_);
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  bool Valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }

  // Gives the handle up without closing it.
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset() {
    if (Valid()) traits_.Close(Release());
  }

 private:
  Handle handle_ = Traits::Invalid();
  Traits traits_{};
};

// Kernel objects whose creators report failure with a null handle
// (threads, events).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

}  // namespace vireo
