// Win32-only. One small owner per kind of handle, each generated from its close function:
// the handle is released on every path, early returns included.
#pragma once

#include "common/win32.h"

#include <utility>

namespace kit {

template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : m_h(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return m_h; }
  explicit operator bool() const { return m_h != Invalid; }
  Handle release() { return std::exchange(m_h, Invalid); }
  void reset(Handle h = Invalid) {
    if (m_h != Invalid) Close(m_h);
    m_h = h;
  }
  // For out-parameters: releases what is held, then hands out the slot.
  Handle* put() {
    reset();
    return &m_h;
  }

private:
  Handle m_h = Invalid;
};

namespace detail {
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseFont(HFONT h) { DeleteObject(h); }
}  // namespace detail

using UniqueKey = UniqueHandle<HKEY, detail::CloseKey>;
using UniqueModule = UniqueHandle<HMODULE, detail::CloseModule>;
using UniqueHandleObject = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
inline const HANDLE kInvalidFileHandle = INVALID_HANDLE_VALUE;
using UniqueFont = UniqueHandle<HFONT, detail::CloseFont>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, detail::CloseGdiObject>;

// Selects an object into a device context for one scope and puts the previous one back.
class SelectedObject {
public:
  SelectedObject(HDC dc, HGDIOBJ obj) : m_dc(dc), m_previous(SelectObject(dc, obj)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }

private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

}  // namespace kit
