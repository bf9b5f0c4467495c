// Win32-only. One object, one count; the key and the machine's licence are read when they are
// asked for, so a test can change them between programs.
#include "standins/com_server/licensing_factory.h"

#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <string>

namespace kit::comserver {
namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t value[256];
  const DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  return length > 0 && length < ARRAYSIZE(value) ? std::wstring(value, length) : std::wstring();
}

std::wstring ExpectedKey() { return Variable(L"KIT_LICENCE_KEY"); }
bool DesignLicence() { return Variable(L"KIT_DESIGN_LICENCE") == L"1"; }

class LicensingFactory final : public FactoryBase<IClassFactory2> {
public:
  LicensingFactory(CreateFunction create, const void* context, LicenceJournal journal)
      : m_create(create), m_context(context), m_journal(journal) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!DesignLicence()) {
      Note(L"licence missing");
      return CLASS_E_NOTLICENSED;
    }
    return m_create(m_context, iid, object);
  }
  HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) override {
    if (!info) return E_POINTER;
    info->cbLicInfo = sizeof(*info);
    info->fRuntimeKeyAvail = TRUE;
    info->fLicVerified = DesignLicence() ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD, BSTR* key) override {
    if (!key) return E_POINTER;
    *key = nullptr;
    // Only a machine with a design-time licence hands out the run-time key.
    const std::wstring expected = ExpectedKey();
    if (!DesignLicence() || expected.empty()) {
      Note(L"licence key withheld");
      return CLASS_E_NOTLICENSED;
    }
    *key = SysAllocStringLen(expected.data(), static_cast<UINT>(expected.size()));
    if (!*key) return E_OUTOFMEMORY;
    Note(L"licence key handed out");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown*, REFIID iid, BSTR key,
                                              void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    const std::wstring expected = ExpectedKey();
    if (!key || expected.empty() || std::wstring(key, SysStringLen(key)) != expected) {
      Note(L"licence refused");
      return CLASS_E_NOTLICENSED;
    }
    Note(L"licence accepted");
    return m_create(m_context, iid, object);
  }

private:
  void Note(std::wstring_view event) const {
    if (m_journal) m_journal(m_context, event);
  }

  CreateFunction m_create;
  const void* m_context;
  LicenceJournal m_journal;
};

}  // namespace

HRESULT GetLicensingFactory(CreateFunction create, const void* context, LicenceJournal journal, REFIID iid,
                            void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* factory = new (std::nothrow) LicensingFactory(create, context, journal);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

}  // namespace kit::comserver
