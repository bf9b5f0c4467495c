// Win32-only. A control names its events in one of two ways: IProvideClassInfo2 gives the source
// interface directly; a control with only IProvideClassInfo gives its class's type information,
// where the source is the implemented interface flagged both default and source.
#include "probes/shell/event_sink.h"

#include "common/com_values.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/single_interface.h"

#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;

// Every event is heard and none handled: S_OK, the result left as the control set it.
class EventSink final : public SingleInterface<IDispatch> {
public:
  explicit EventSink(REFIID events) : m_events(events) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object && IsEqualIID(iid, m_events)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return SingleInterface<IDispatch>::QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return NoTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return IdsOfNames({}, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return S_OK;
  }

private:
  IID m_events;
};

// The default source interface a class's type information names, or S_FALSE when it names none.
HRESULT SourceOfClass(ITypeInfo* coclass, IID& events) {
  TYPEATTR* attributes = nullptr;
  HRESULT hr = coclass->GetTypeAttr(&attributes);
  if (FAILED(hr)) return hr;
  const UINT count = attributes->typekind == TKIND_COCLASS ? attributes->cImplTypes : 0;
  coclass->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> source;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & kDefaultSource) != kDefaultSource) continue;
    hr = coclass->GetRefTypeOfImplType(i, &reference);
    if (SUCCEEDED(hr)) hr = coclass->GetRefTypeInfo(reference, &source);
    if (SUCCEEDED(hr)) hr = source->GetTypeAttr(&attributes);
    if (FAILED(hr)) return hr;
    events = attributes->guid;
    source->ReleaseTypeAttr(attributes);
    return S_OK;
  }
  return S_FALSE;
}

HRESULT SourceOfControl(IUnknown* control, IID& events) {
  ComPtr<IProvideClassInfo2> named;
  if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, &named)) &&
      SUCCEEDED(named->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))) {
    return S_OK;
  }
  ComPtr<IProvideClassInfo> described;
  ComPtr<ITypeInfo> coclass;
  if (FAILED(control->QueryInterface(IID_IProvideClassInfo, &described)) ||
      FAILED(described->GetClassInfo(&coclass)) || !coclass) {
    return S_FALSE;
  }
  return SourceOfClass(coclass.Get(), events);
}

}  // namespace

ComPtr<IDispatch> CreateEventSink(REFIID events) { return AdoptNew<IDispatch>(new (std::nothrow) EventSink(events)); }

HRESULT EventConnection::Connect(IUnknown* control) {
  IID events{};
  HRESULT hr = SourceOfControl(control, events);
  if (hr != S_OK) return FAILED(hr) ? hr : S_FALSE;
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  hr = control->QueryInterface(IID_IConnectionPointContainer, &points);
  if (SUCCEEDED(hr)) hr = points->FindConnectionPoint(events, &point);
  const ComPtr<IDispatch> sink = CreateEventSink(events);
  if (SUCCEEDED(hr) && !sink) hr = E_OUTOFMEMORY;
  DWORD cookie = 0;
  if (SUCCEEDED(hr)) hr = point->Advise(sink.Get(), &cookie);
  if (FAILED(hr)) return hr;
  m_point = point;
  m_cookie = cookie;
  return S_OK;
}

void EventConnection::Disconnect() {
  const ComPtr<IConnectionPoint> point = std::move(m_point);
  if (point) point->Unadvise(m_cookie);
  m_cookie = 0;
}

}  // namespace kit::shell
