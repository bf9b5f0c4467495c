// Win32-only. The common-dialog control object: one class, one reference count, QueryInterface over
// a static table; no exception leaves a COM method. Invisible at run time, it is never activated
// in place; its dispatch interface opens the platform's dialogs and raises the control's errors
// (a cancel when CancelError is True, a dialog that failed, ShowFont without font flags, a
// failure a test asked for) as DISP_E_EXCEPTION with an EXCEPINFO.
#include "standins/comdlg32/comdlg_standin.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <new>
#include <string>

using Microsoft::WRL::ComPtr;

namespace kit::comdlg {
namespace {

// The control's own error numbers, raised in the control facility.
constexpr WORD kCancelErrorNumber = 32755;
constexpr WORD kDialogFailedNumber = 32751;
constexpr WORD kRequestedFailureNumber = 32765;
constexpr WORD kNoFontsNumber = 24574;  // cdlNoFonts
constexpr LONG kDefaultExtent = 847;  // HIMETRIC, until the container says otherwise

struct Member {
  DISPID id;
  const wchar_t* name;
};
constexpr Member kMembers[] = {{kDispidCancelError, L"CancelError"}, {kDispidShowOpen, L"ShowOpen"},
                               {kDispidShowSave, L"ShowSave"},       {kDispidShowColor, L"ShowColor"},
                               {kDispidShowFont, L"ShowFont"},       {kDispidShowPrinter, L"ShowPrinter"}};

HRESULT RaiseError(EXCEPINFO* exception, WORD number, const std::wstring& description) {
  if (exception) {
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(kProgId);
    exception->bstrDescription = SysAllocString(description.c_str());
    exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  }
  return DISP_E_EXCEPTION;
}

class CommonDialog final : public IDispatch,
                           public IOleObject,
                           public IOleControl,
                           public IPersistPropertyBag,
                           public IPersistStreamInit {
public:
  CommonDialog() {
    ObjectCreated();
    Log(L"create " + std::wstring(kProgId));
  }
  ~CommonDialog() { ObjectDestroyed(); }
  CommonDialog(const CommonDialog&) = delete;
  CommonDialog& operator=(const CommonDialog&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    using Cast = void* (*)(CommonDialog*);
    struct Entry {
      const IID* iid;
      Cast cast;
    };
    static const Entry kInterfaces[] = {
        {&IID_IUnknown, [](CommonDialog* c) -> void* { return static_cast<IOleObject*>(c); }},
        {&IID_IOleObject, [](CommonDialog* c) -> void* { return static_cast<IOleObject*>(c); }},
        {&IID_IDispatch, [](CommonDialog* c) -> void* { return static_cast<IDispatch*>(c); }},
        {&IID_IOleControl, [](CommonDialog* c) -> void* { return static_cast<IOleControl*>(c); }},
        {&IID_IPersist, [](CommonDialog* c) -> void* { return static_cast<IPersistStreamInit*>(c); }},
        {&IID_IPersistStreamInit, [](CommonDialog* c) -> void* { return static_cast<IPersistStreamInit*>(c); }},
        {&IID_IPersistPropertyBag, [](CommonDialog* c) -> void* { return static_cast<IPersistPropertyBag*>(c); }},
    };
    for (const Entry& entry : kInterfaces) {
      if (IsEqualIID(iid, *entry.iid)) {
        *object = entry.cast(this);
        AddRef();
        return S_OK;
      }
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) {
      Log(L"release");
      delete this;
    }
    return static_cast<ULONG>(refs);
  }

  // IDispatch: no type information; names and dispatch identifiers from the member table.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = i == 0 && names[i] ? MemberOf(names[i]) : DISPID_UNKNOWN;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD kind, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override {
    if (!parameters) return E_POINTER;
    if (member == kDispidCancelError) return CancelErrorProperty(kind, *parameters, result, exception, badArgument);
    if (member >= kDispidShowOpen && member <= kDispidShowPrinter) {
      if (!(kind & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
      if (parameters->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (result) VariantInit(result);
      return Show(member, exception);
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    m_site = site;
    Log(site ? L"site" : L"site null");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = m_site.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR object) override {
    // The container's name for the instance names it in the journal from here on.
    if (object && *object) m_name = object;
    Log(L"hostnames");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override {
    Log(L"close " + std::to_wstring(saveOption));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override {
    if (data) *data = nullptr;
    return E_NOTIMPL;
  }
  // Nothing to show at run time: every verb succeeds without a window.
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    Log(L"verb " + std::to_wstring(verb));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override {
    if (verbs) *verbs = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override {
    CLSID clsid{};
    const HRESULT hr = GetClassID(&clsid);
    return FAILED(hr) ? hr : OleRegGetUserType(clsid, form, type);
  }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    m_extent = *size;
    Log(L"extent " + std::to_wstring(size->cx) + L" " + std::to_wstring(size->cy));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = m_extent;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override {
    if (advises) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

  // IPersist, shared by both persistence interfaces
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    return CLSIDFromString(const_cast<LPOLESTR>(kClassId), clsid);
  }
  HRESULT STDMETHODCALLTYPE InitNew() override {
    Log(L"initnew");
    return S_OK;
  }
  // The saved extent is all the control keeps.
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    if (!bag) return E_POINTER;
    Log(L"load-bag");
    ReadExtent(bag, log, L"_ExtentX", m_extent.cx);
    ReadExtent(bag, log, L"_ExtentY", m_extent.cy);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
    if (!stream) return E_POINTER;
    Log(L"load-stream");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }

private:
  void Log(const std::wstring& event) const { Journal(m_name, event); }

  void ReadExtent(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, LONG& extent) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    if (SUCCEEDED(bag->Read(name, &value, log)) && V_VT(&value) == VT_I4) {
      extent = V_I4(&value);
      Log(L"prop " + std::wstring(name) + L" " + std::to_wstring(extent));
    } else {
      Log(L"prop " + std::wstring(name) + L" absent");
    }
    VariantClear(&value);
  }

  HRESULT CancelErrorProperty(WORD kind, DISPPARAMS& parameters, VARIANT* result, EXCEPINFO* exception,
                              UINT* badArgument) {
    if (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (parameters.cArgs != 1) return DISP_E_BADPARAMCOUNT;
      if (FailureRequested(L"CancelError")) {
        Log(L"put CancelError fails");
        return RaiseError(exception, kRequestedFailureNumber, L"CancelError failed as the test asked");
      }
      VARIANT value;
      VariantInit(&value);
      const HRESULT hr = VariantChangeType(&value, &parameters.rgvarg[0], 0, VT_BOOL);
      if (FAILED(hr)) {
        if (badArgument) *badArgument = 0;
        return DISP_E_TYPEMISMATCH;
      }
      m_cancelError = V_BOOL(&value) != VARIANT_FALSE;
      Log(m_cancelError ? L"put CancelError true" : L"put CancelError false");
      return S_OK;
    }
    if (kind & DISPATCH_PROPERTYGET) {
      if (!result) return E_POINTER;
      VariantInit(result);
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = m_cancelError ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // The container's window owns the dialog; without one, the active window does.
  HWND OwnerWindow() const {
    HWND owner = nullptr;
    ComPtr<IOleWindow> window;
    if (m_site && SUCCEEDED(m_site.As(&window))) window->GetWindow(&owner);
    return owner ? owner : GetActiveWindow();
  }

  HRESULT Show(DISPID member, EXCEPINFO* exception) {
    const std::wstring name(MemberName(member));
    if (FailureRequested(name)) {
      Log(name + L" fails");
      return RaiseError(exception, kRequestedFailureNumber, name + L" failed as the test asked");
    }
    // As the real control does: without a font flag (screen fonts, printer fonts or both) in
    // Flags, ShowFont opens no dialog and raises "No fonts exist", whatever CancelError says.
    // This control serves no Flags, so its ShowFont always refuses.
    if (member == kDispidShowFont) {
      Log(name + L" no fonts");
      return RaiseError(exception, kNoFontsNumber, L"No fonts exist.");
    }
    Log(name);
    // The object stays alive while its dialog runs, whatever the container does meanwhile.
    const ComPtr<IDispatch> self(static_cast<IDispatch*>(this));
    const DialogOutcome outcome = ShowPlatformDialog(member, OwnerWindow());
    switch (outcome.kind) {
      case DialogOutcome::Chosen: Log(name + L" chosen"); return S_OK;
      case DialogOutcome::Cancelled:
        Log(name + L" cancelled");
        return m_cancelError ? RaiseError(exception, kCancelErrorNumber, L"Cancel was selected.") : S_OK;
      case DialogOutcome::Failed: break;
    }
    Log(name + L" failed " + std::to_wstring(outcome.error));
    return RaiseError(exception, kDialogFailedNumber,
                      L"The dialog could not be shown (error " + std::to_wstring(outcome.error) + L").");
  }

  LONG m_refs = 1;
  std::wstring m_name = kProgId;
  ComPtr<IOleClientSite> m_site{};
  SIZEL m_extent{kDefaultExtent, kDefaultExtent};
  bool m_cancelError = false;
};

}  // namespace

std::wstring_view MemberName(DISPID member) {
  for (const Member& m : kMembers) {
    if (m.id == member) return m.name;
  }
  return {};
}

DISPID MemberOf(std::wstring_view name) {
  for (const Member& m : kMembers) {
    const std::wstring_view candidate = m.name;
    if (candidate.size() == name.size() &&
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, candidate.data(), static_cast<int>(candidate.size()),
                       name.data(), static_cast<int>(name.size())) == CSTR_EQUAL) {
      return m.id;
    }
  }
  return DISPID_UNKNOWN;
}

HRESULT CreateCommonDialog(REFIID iid, void** object) {
  auto* control = new (std::nothrow) CommonDialog();
  if (!control) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, object);
  control->Release();
  return hr;
}

}  // namespace kit::comdlg
