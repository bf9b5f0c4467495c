// Win32-only. One object, one count; the key is read when a creation is asked for, so a test can
// change it between programs.
#include "standins/controls/licensing_factory.h"

#include "standins/controls/journal.h"
#include "standins/controls/module.h"
#include "standins/controls/standin_control.h"

#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <string>

namespace kit::standin {
namespace {

std::wstring ExpectedKey() {
  wchar_t key[256];
  const DWORD length = GetEnvironmentVariableW(L"KIT_CONTROL_LICENCE_KEY", key, ARRAYSIZE(key));
  return length > 0 && length < ARRAYSIZE(key) ? std::wstring(key, length) : std::wstring();
}

class LicensingFactory final : public comserver::FactoryBase<IClassFactory2> {
public:
  explicit LicensingFactory(const StandinClass& entry) : m_entry(entry) {}

  // No design-time licence on this machine: a plain creation is refused.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object) *object = nullptr;
    JournalLine(m_entry.progId, L"licence missing");
    return CLASS_E_NOTLICENSED;
  }
  HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) override {
    if (!info) return E_POINTER;
    info->cbLicInfo = sizeof(*info);
    info->fRuntimeKeyAvail = TRUE;
    info->fLicVerified = FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD, BSTR* key) override {
    // Only a machine with a design-time licence hands out the run-time key.
    if (key) *key = nullptr;
    return CLASS_E_NOTLICENSED;
  }
  HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown*, REFIID iid, BSTR key,
                                              void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    const std::wstring expected = ExpectedKey();
    if (!key || expected.empty() || std::wstring(key, SysStringLen(key)) != expected) {
      JournalLine(m_entry.progId, L"licence refused");
      return CLASS_E_NOTLICENSED;
    }
    JournalLine(m_entry.progId, L"licence accepted");
    return CreateStandinControl(m_entry, iid, object);
  }

private:
  const StandinClass& m_entry;
};

}  // namespace

HRESULT GetLicensingFactory(const StandinClass& entry, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* factory = new (std::nothrow) LicensingFactory(entry);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

}  // namespace kit::standin
