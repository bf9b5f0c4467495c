// Win32-only. Small owners for the two COM value kinds the service probes hand across:
// a BSTR freed with SysFreeString and a VARIANT cleared with VariantClear, on every path.
#pragma once

#include "common/win32.h"

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace kit::services {

class Bstr {
public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text) : m_b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : m_b(std::exchange(other.m_b, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(m_b);
      m_b = std::exchange(other.m_b, nullptr);
    }
    return *this;
  }
  ~Bstr() { SysFreeString(m_b); }

  BSTR get() const { return m_b; }
  BSTR* put() {
    SysFreeString(std::exchange(m_b, nullptr));
    return &m_b;
  }
  BSTR release() { return std::exchange(m_b, nullptr); }
  // For a string passed by reference: the callee may free and replace it in place.
  BSTR* ref() { return &m_b; }
  // The text up to the BSTR's own length (a null BSTR is the empty text).
  std::wstring str() const { return m_b ? std::wstring(m_b, SysStringLen(m_b)) : std::wstring(); }

private:
  BSTR m_b = nullptr;
};

class Variant {
public:
  Variant() { VariantInit(&m_v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&m_v); }

  static Variant Text(std::wstring_view text) {
    Variant v;
    v.m_v.vt = VT_BSTR;
    v.m_v.bstrVal = Bstr(text).release();
    return v;
  }
  static Variant Int32(LONG value) {
    Variant v;
    v.m_v.vt = VT_I4;
    v.m_v.lVal = value;
    return v;
  }
  static Variant Boolean(bool value) {
    Variant v;
    v.m_v.vt = VT_BOOL;
    v.m_v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  Variant(Variant&& other) noexcept {
    m_v = other.m_v;
    VariantInit(&other.m_v);
  }

  VARIANT* get() { return &m_v; }
  const VARIANT& value() const { return m_v; }
  VARIANT* put() {
    VariantClear(&m_v);
    return &m_v;
  }

private:
  VARIANT m_v;
};

}  // namespace kit::services
