// Win32-only. The test container: only what the stand-ins call, each call counted or answered
// from the test's own values.
#include "test_container.h"

#include <olectl.h>

namespace kit::standin::test {

TestSite::TestSite(HWND window, const RECT& position, std::wstring displayName)
    : m_window(window), m_position(position), m_displayName(std::move(displayName)) {}

HRESULT TestSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}
ULONG TestSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
ULONG TestSite::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
HRESULT TestSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}
HRESULT TestSite::GetWindow(HWND* window) {
  *window = m_window;
  return S_OK;
}
HRESULT TestSite::OnInPlaceActivate() {
  ++m_activations;
  return S_OK;
}
HRESULT TestSite::OnInPlaceDeactivate() {
  ++m_deactivations;
  return S_OK;
}
HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                   LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  *frame = nullptr;
  *document = nullptr;
  *position = m_position;
  *clip = m_position;
  info->fMDIApp = FALSE;
  info->hwndFrame = m_window;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT TestSite::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}
HRESULT TestSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
  if (id == DISPID_AMBIENT_DISPLAYNAME && !m_displayName.empty()) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(m_displayName.c_str());
    return S_OK;
  }
  if (id == DISPID_AMBIENT_USERMODE) {
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = VARIANT_TRUE;
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

TestPropertyBag::~TestPropertyBag() {
  for (auto& [name, value] : m_values) VariantClear(&value);
}
void TestPropertyBag::Add(std::wstring name, const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  VariantCopy(&copy, const_cast<VARIANT*>(&value));
  m_values.emplace_back(std::move(name), copy);
}
HRESULT TestPropertyBag::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
  *object = static_cast<IPropertyBag*>(this);
  AddRef();
  return S_OK;
}
ULONG TestPropertyBag::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
ULONG TestPropertyBag::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}
HRESULT TestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  m_asked.emplace_back(name);
  for (auto& [saved, savedValue] : m_values) {
    if (saved != name) continue;
    if (V_VT(value) == VT_EMPTY) return VariantCopy(value, &savedValue);
    const VARTYPE wanted = V_VT(value);
    return VariantChangeType(value, &savedValue, 0, wanted);
  }
  return E_INVALIDARG;
}

}  // namespace kit::standin::test
