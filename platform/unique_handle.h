// One move-only owner per handle: the handle is closed exactly once, when its owner goes away.
#pragma once

#include <utility>

namespace qv::platform {

template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T h) noexcept : m_h(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.m_h, Invalid));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return m_h; }
  explicit operator bool() const noexcept { return m_h != Invalid; }
  T release() noexcept { return std::exchange(m_h, Invalid); }
  void reset(T h = Invalid) noexcept {
    T old = std::exchange(m_h, h);
    if (old != Invalid) Close(old);
  }
  // For APIs that return a handle through an out-parameter.
  T* put() noexcept {
    reset();
    return &m_h;
  }

 private:
  T m_h = Invalid;
};

}  // namespace qv::platform
