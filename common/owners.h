// Win32-only. One small owner per kind of handle, each generated from its close function:
// the handle is released on every path, early returns included.
#pragma once

#include "common/win32.h"

#include <cstdint>
#include <utility>

namespace kit {

// `InvalidValue` is the value that holds nothing, as a number: a pointer made from an integer
// (INVALID_HANDLE_VALUE is (HANDLE)-1) cannot be a template argument.
template <typename Handle, auto Close, std::intptr_t InvalidValue = 0>
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
  explicit operator bool() const { return m_h != Invalid(); }
  Handle release() { return std::exchange(m_h, Invalid()); }
  void reset(Handle h = Invalid()) {
    if (m_h != Invalid()) Close(m_h);
    m_h = h;
  }
  // For out-parameters: releases what is held, then hands out the slot.
  Handle* put() {
    reset();
    return &m_h;
  }

private:
  static Handle Invalid() { return reinterpret_cast<Handle>(InvalidValue); }

  Handle m_h = Invalid();
};

namespace detail {
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void CloseFont(HFONT h) { DeleteObject(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void FreeLocal(HLOCAL h) { LocalFree(h); }
inline void CloseActivationContext(HANDLE h) { ReleaseActCtx(h); }
inline void UnmapView(const void* view) { UnmapViewOfFile(view); }
// What CreateFile, FindFirstFile and CreateActCtx return on failure: INVALID_HANDLE_VALUE.
inline constexpr std::intptr_t kFailedHandle = -1;
}  // namespace detail

using UniqueKey = UniqueHandle<HKEY, detail::CloseKey>;
using UniqueModule = UniqueHandle<HMODULE, detail::CloseModule>;
// Threads, processes, jobs, tokens: handles that are null when they hold nothing.
using UniqueHandleObject = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
using UniqueFile = UniqueHandle<HANDLE, detail::CloseKernelHandle, detail::kFailedHandle>;
using UniqueFind = UniqueHandle<HANDLE, detail::CloseFind, detail::kFailedHandle>;
// Memory the system allocated for the caller (FormatMessage, CommandLineToArgvW, the SID and
// security descriptor conversions).
using UniqueLocal = UniqueHandle<HLOCAL, detail::FreeLocal>;
using UniqueView = UniqueHandle<const void*, detail::UnmapView>;
using UniqueActivationContext = UniqueHandle<HANDLE, detail::CloseActivationContext, detail::kFailedHandle>;
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
