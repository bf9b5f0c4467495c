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
  std::wstring str() const { return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : std::wstring(); }

private:
  BSTR m_bstr = nullptr;
};

class UniqueVariant {
public:
  UniqueVariant() { VariantInit(&m_value); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&m_value); }

  VARIANT* get() { return &m_value; }
  const VARIANT* get() const { return &m_value; }
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
