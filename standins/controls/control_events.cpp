// Win32-only. The type library is built once per instance with CreateTypeLib2 and never saved:
// the class info handed out keeps it alive. Sinks are asked for the event dispinterface itself,
// as controls do before they take a sink: one that answers only IDispatch is refused.
#include "standins/controls/control_events.h"

#include "standins/controls/journal.h"
#include "standins/controls/module.h"

#include <olectl.h>

#include <cstdio>
#include <new>
#include <string_view>

using Microsoft::WRL::ComPtr;

namespace kit::standin {
namespace {

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

CLSID ClassOf(const StandinClass& entry) {
  CLSID clsid{};
  CLSIDFromString(const_cast<LPOLESTR>(entry.clsid), &clsid);
  return clsid;
}

// The stand-in's own numbers for a class's interfaces and library: its class identifier with the
// second field changed.
GUID Derived(const StandinClass& entry, unsigned short mark) {
  GUID guid = ClassOf(entry);
  guid.Data2 ^= mark;
  return guid;
}
constexpr unsigned short kEventsMark = 0xE7E7;
constexpr unsigned short kDefaultMark = 0xD1D1;
constexpr unsigned short kLibraryMark = 0x1B1B;

// "Threed.SSCheck" -> "SSCheck".
std::wstring ClassName(const StandinClass& entry) {
  const std::wstring_view progId(entry.progId);
  const std::size_t dot = progId.rfind(L'.');
  return std::wstring(dot == std::wstring_view::npos ? progId : progId.substr(dot + 1));
}

// A dispinterface with `names` as methods without arguments, numbered from `firstId` down or as
// given; derived from stdole's IDispatch when that library is there.
HRESULT AddDispinterface(ICreateTypeLib2* library, ITypeInfo* dispatch, const std::wstring& name, REFGUID guid,
                         const DISPID* ids, const wchar_t* const* names, UINT count, ComPtr<ITypeInfo>& made) {
  ComPtr<ICreateTypeInfo> info;
  HRESULT hr = library->CreateTypeInfo(const_cast<LPOLESTR>(name.c_str()), TKIND_DISPATCH, &info);
  if (SUCCEEDED(hr)) hr = info->SetGuid(guid);
  if (SUCCEEDED(hr) && dispatch) {
    HREFTYPE base = 0;
    hr = info->AddRefTypeInfo(dispatch, &base);
    if (SUCCEEDED(hr)) hr = info->AddImplType(0, base);
  }
  for (UINT i = 0; SUCCEEDED(hr) && i < count; ++i) {
    FUNCDESC method{};
    method.memid = ids[i];
    method.funckind = FUNC_DISPATCH;
    method.invkind = INVOKE_FUNC;
    method.callconv = CC_STDCALL;
    method.elemdescFunc.tdesc.vt = VT_VOID;
    hr = info->AddFuncDesc(i, &method);
    LPOLESTR methodName[] = {const_cast<LPOLESTR>(names[i])};
    if (SUCCEEDED(hr)) hr = info->SetFuncAndParamNames(i, methodName, 1);
  }
  if (SUCCEEDED(hr)) hr = info->LayOut();
  if (SUCCEEDED(hr)) hr = info.As(&made);
  return hr;
}

// coclass <Name> { [default] dispinterface _D<Name>; [default, source] dispinterface _D<Name>Events; }
HRESULT BuildClassInfo(const StandinClass& entry, REFIID eventIid, ComPtr<ITypeInfo>& classInfo) {
#ifdef _WIN64
  constexpr SYSKIND kSystem = SYS_WIN64;
#else
  constexpr SYSKIND kSystem = SYS_WIN32;
#endif
  const std::wstring name = ClassName(entry);
  ComPtr<ICreateTypeLib2> library;
  HRESULT hr = CreateTypeLib2(kSystem, const_cast<LPOLESTR>(L"standin_events.tlb"), &library);
  if (SUCCEEDED(hr)) hr = library->SetGuid(Derived(entry, kLibraryMark));
  const std::wstring libraryName = name + L"Lib";
  if (SUCCEEDED(hr)) hr = library->SetName(const_cast<LPOLESTR>(libraryName.c_str()));
  if (FAILED(hr)) return hr;

  ComPtr<ITypeLib> stdole;
  ComPtr<ITypeInfo> dispatch;
  if (SUCCEEDED(LoadRegTypeLib(IID_StdOle, 2, 0, LOCALE_NEUTRAL, &stdole))) {
    stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch);
  }
  const DISPID clickId = DISPID_CLICK;
  const wchar_t* const click = L"Click";
  ComPtr<ITypeInfo> primary, events;
  hr = AddDispinterface(library.Get(), dispatch.Get(), L"_D" + name, Derived(entry, kDefaultMark), nullptr, nullptr,
                        0, primary);
  if (SUCCEEDED(hr)) {
    hr = AddDispinterface(library.Get(), dispatch.Get(), L"_D" + name + L"Events", eventIid, &clickId, &click, 1,
                          events);
  }
  ComPtr<ICreateTypeInfo> coclass;
  if (SUCCEEDED(hr)) hr = library->CreateTypeInfo(const_cast<LPOLESTR>(name.c_str()), TKIND_COCLASS, &coclass);
  if (SUCCEEDED(hr)) hr = coclass->SetGuid(ClassOf(entry));
  if (SUCCEEDED(hr)) hr = coclass->SetTypeFlags(TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL);
  HREFTYPE primaryRef = 0, eventsRef = 0;
  if (SUCCEEDED(hr)) hr = coclass->AddRefTypeInfo(primary.Get(), &primaryRef);
  if (SUCCEEDED(hr)) hr = coclass->AddImplType(0, primaryRef);
  if (SUCCEEDED(hr)) hr = coclass->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT);
  if (SUCCEEDED(hr)) hr = coclass->AddRefTypeInfo(events.Get(), &eventsRef);
  if (SUCCEEDED(hr)) hr = coclass->AddImplType(1, eventsRef);
  if (SUCCEEDED(hr)) hr = coclass->SetImplTypeFlags(1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
  if (SUCCEEDED(hr)) hr = coclass->LayOut();
  if (SUCCEEDED(hr)) hr = coclass.As(&classInfo);
  return hr;
}

// The IUnknown of the event objects below: one interface beside IUnknown, one count, each object
// counted among the module's live objects.
template <typename Interface>
class EventObject : public Interface {
public:
  EventObject(const EventObject&) = delete;
  EventObject& operator=(const EventObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface))) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

protected:
  EventObject() { ObjectCreated(); }
  virtual ~EventObject() { ObjectDestroyed(); }

private:
  LONG m_refs = 1;
};

// The connection point for the event dispinterface: an object of its own that holds the control.
class ConnectionPoint final : public EventObject<IConnectionPoint> {
public:
  explicit ConnectionPoint(ControlEvents* events) : m_events(events) { m_events->AddRef(); }
  ~ConnectionPoint() override { m_events->Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = m_events->EventInterface();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (!container) return E_POINTER;
    *container = m_events;
    m_events->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override { return m_events->Advise(sink, cookie); }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return m_events->Unadvise(cookie); }
  // The connections are not listed: the interface allows a point that cannot enumerate them.
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
  }

private:
  ControlEvents* m_events;
};

// The container's one connection point, listed: an enumerator that holds it.
class PointList final : public EventObject<IEnumConnectionPoints> {
public:
  PointList(ComPtr<IConnectionPoint> point, ULONG next) : m_point(std::move(point)), m_next(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
    if (!points || (count != 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    if (count > 0 && m_next == 0) {
      points[0] = m_point.Get();
      points[0]->AddRef();
      given = 1;
      m_next = 1;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const ULONG skipped = count > 0 && m_next == 0 ? 1 : 0;
    m_next += skipped;
    return skipped == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_next = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) PointList(m_point, m_next);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

private:
  ComPtr<IConnectionPoint> m_point;
  ULONG m_next;
};

}  // namespace

IID EventInterfaceOf(const StandinClass& entry) { return Derived(entry, kEventsMark); }

ControlEvents::ControlEvents(IUnknown* outer, const StandinClass& entry, EventHabit habit,
                             std::function<std::wstring()> name)
    : m_outer(outer), m_entry(entry), m_habit(habit), m_eventIid(EventInterfaceOf(entry)), m_name(std::move(name)) {}

ControlEvents::~ControlEvents() = default;

bool ControlEvents::Offers(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IProvideClassInfo)) {
    *object = static_cast<IProvideClassInfo*>(static_cast<IProvideClassInfo2*>(this));
  } else if (IsEqualIID(iid, IID_IProvideClassInfo2) && m_habit != EventHabit::ClassInfoOnly) {
    *object = static_cast<IProvideClassInfo2*>(this);
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    return false;
  }
  AddRef();
  return true;
}

void ControlEvents::Raise() {
  if (m_sinks.empty()) return Journal(L"event unheard");
  // A copy: a sink may unadvise from inside its handler.
  const std::vector<Sink> sinks = m_sinks;
  HRESULT answer = E_FAIL;
  for (const Sink& sink : sinks) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr =
        sink.sink->Invoke(DISPID_CLICK, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    if (hr == S_OK || FAILED(answer)) answer = hr;
  }
  Journal(answer == S_OK ? L"event heard" : L"event refused " + Hex(answer));
}

void ControlEvents::Closing() {
  if (!m_sinks.empty()) Journal(L"close while advised");
}

HRESULT ControlEvents::QueryInterface(REFIID iid, void** object) { return m_outer->QueryInterface(iid, object); }
ULONG ControlEvents::AddRef() { return m_outer->AddRef(); }
ULONG ControlEvents::Release() { return m_outer->Release(); }

HRESULT ControlEvents::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (!m_classInfo) {
    const HRESULT hr = BuildClassInfo(m_entry, m_eventIid, m_classInfo);
    if (FAILED(hr)) {
      Journal(L"class info failed " + Hex(hr));
      return hr;
    }
  }
  *info = m_classInfo.Get();
  (*info)->AddRef();
  return S_OK;
}

HRESULT ControlEvents::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = m_eventIid;
  return S_OK;
}

HRESULT ControlEvents::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = nullptr;
  ComPtr<IConnectionPoint> point;
  const HRESULT hr = FindConnectionPoint(m_eventIid, &point);
  if (FAILED(hr)) return hr;
  *points = new (std::nothrow) PointList(std::move(point), 0);
  return *points ? S_OK : E_OUTOFMEMORY;
}

HRESULT ControlEvents::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(iid, m_eventIid)) return CONNECT_E_NOCONNECTION;
  *point = new (std::nothrow) ConnectionPoint(this);
  return *point ? S_OK : E_OUTOFMEMORY;
}

HRESULT ControlEvents::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  if (m_habit == EventHabit::NoAdvise) {
    Journal(L"advise refused");
    return CONNECT_E_CANNOTCONNECT;
  }
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(m_eventIid, reinterpret_cast<void**>(events.GetAddressOf()))) || !events) {
    Journal(L"advise refused: the sink lacks the event interface");
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = m_nextCookie++;
  m_sinks.push_back({*cookie, std::move(events)});
  Journal(L"advised");
  return S_OK;
}

HRESULT ControlEvents::Unadvise(DWORD cookie) {
  for (auto sink = m_sinks.begin(); sink != m_sinks.end(); ++sink) {
    if (sink->cookie != cookie) continue;
    m_sinks.erase(sink);
    Journal(L"unadvised");
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

void ControlEvents::Journal(const std::wstring& line) const { JournalLine(m_name(), line); }

}  // namespace kit::standin
