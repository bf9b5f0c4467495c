// Win32-only. Owners for the two OLE automation values the stand-ins handle: BSTR and VARIANT.
// (MinGW's _bstr_t cannot be used: it fails to link.)
#pragma once

#include "common/win32.h"

#include <oleauto.h>

#include <string>
#include <utility>

namespace kit::standin {

class UniqueBstr {
public:
  UniqueBstr() = default;
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  ~UniqueBstr() { SysFreeString(m_b); }
  BSTR* put() {
    SysFreeString(std::exchange(m_b, nullptr));
    return &m_b;
  }
  std::wstring text() const { return m_b ? std::wstring(m_b, SysStringLen(m_b)) : std::wstring(); }

private:
  BSTR m_b = nullptr;
};

class UniqueVariant {
public:
  UniqueVariant() { VariantInit(&m_v); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&m_v); }
  VARIANT* get() { return &m_v; }
  const VARIANT& value() const { return m_v; }

private:
  VARIANT m_v;
};

}  // namespace kit::standin
