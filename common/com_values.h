// Win32-only. Owners for the two COM value types the kit handles by hand: BSTR and VARIANT.
// (MinGW's _bstr_t does not link; these are the small wide-string owners the kit needs.)
#pragma once

#include "common/win32.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <utility>

namespace kit {

class UniqueBstr {
public:
  UniqueBstr() = default;
  explicit UniqueBstr(std::wstring_view text)
      : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(m_bstr);
      m_bstr = std::exchange(other.m_bstr, nullptr);
    }
    return *this;
  }
  ~UniqueBstr() { SysFreeString(m_bstr); }

  BSTR get() const { return m_bstr; }
  BSTR release() { return std::exchange(m_bstr, nullptr); }
  BSTR* put() {
    SysFreeString(std::exchange(m_bstr, nullptr));
    return &m_bstr;
  }
  // For a string passed by reference: the callee may free and replace it in place.
  BSTR* ref() { return &m_bstr; }
  // The text up to the BSTR's own length (a null BSTR is the empty text).
  std::wstring str() const { return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : std::wstring(); }

private:
  BSTR m_bstr = nullptr;
};

class UniqueVariant {
public:
  UniqueVariant() { VariantInit(&m_value); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  UniqueVariant(UniqueVariant&& other) noexcept {
    m_value = other.m_value;
    VariantInit(&other.m_value);
  }
  ~UniqueVariant() { VariantClear(&m_value); }

  static UniqueVariant Text(std::wstring_view text) {
    UniqueVariant v;
    v.m_value.vt = VT_BSTR;
    v.m_value.bstrVal = UniqueBstr(text).release();
    return v;
  }
  static UniqueVariant Int32(LONG value) {
    UniqueVariant v;
    v.m_value.vt = VT_I4;
    v.m_value.lVal = value;
    return v;
  }
  static UniqueVariant Boolean(bool value) {
    UniqueVariant v;
    v.m_value.vt = VT_BOOL;
    v.m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }

  VARIANT* get() { return &m_value; }
  const VARIANT* get() const { return &m_value; }
  const VARIANT& value() const { return m_value; }
  VARIANT* put() {
    VariantClear(&m_value);
    return &m_value;
  }
  // Hands the value over to a caller that owns it afterwards (an out-parameter).
  void DetachTo(VARIANT* target) {
    *target = m_value;
    VariantInit(&m_value);
  }

private:
  VARIANT m_value;
};

// Takes over the first reference of a freshly made COM object (one whose count starts at 1).
// MinGW's ComPtr::Attach adds a reference of its own, unlike the platform's, so it cannot be
// used for this; assignment adds one on every implementation, and the fresh one is dropped.
template <typename Interface, typename Object>
Microsoft::WRL::ComPtr<Interface> AdoptNew(Object* fresh) {
  Microsoft::WRL::ComPtr<Interface> owner;
  if (fresh) {
    owner = static_cast<Interface*>(fresh);
    static_cast<Interface*>(fresh)->Release();
  }
  return owner;
}

}  // namespace kit
