// Win32-only. One class, one reference count, QueryInterface over a static table; no exception
// leaves a COM method (nothing here throws: allocation uses nothrow, strings are small).
// Activation follows the container's in-place protocol: CanInPlaceActivate, OnInPlaceActivate,
// the site's window and rectangles, then a child window at the position rectangle.
#include "standins/controls/standin_control.h"

#include "common/letter_case.h"
#include "common/owners.h"
#include "standins/controls/com_owners.h"
#include "standins/controls/control_events.h"
#include "standins/controls/failure_injection.h"
#include "standins/controls/field_boxes.h"
#include "standins/controls/form_habits.h"
#include "standins/controls/journal.h"
#include "standins/controls/module.h"
#include "standins/controls/standin_window.h"
#include "standins/controls/value_text.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <new>
#include <string>

using Microsoft::WRL::ComPtr;

namespace kit::standin {

DWORD MiscStatusOf(const StandinClass& entry) {
  const DWORD status =
      OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
  return entry.invisibleAtRunTime ? status | OLEMISC_INVISIBLEATRUNTIME : status;
}

namespace {

// Asked of every bag after the class's own names: a control asking for a value that was never
// saved must get a refusal, not a failed load.
constexpr wchar_t kNeverSaved[] = L"kitnotsaved";

// Until a container says otherwise, the extent of a 1-inch square.
constexpr LONG kDefaultExtent = 2540;

std::wstring RectText(const RECT& r) {
  return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
         std::to_wstring(r.bottom - r.top);
}

// The event habit asked of a class, if any.
std::optional<EventHabit> EventHabitOf(const StandinClass& entry) {
  if (FailureRequested(entry.progId, FailureStage::NoAdvise)) return EventHabit::NoAdvise;
  if (FailureRequested(entry.progId, FailureStage::ClassInfoOnly)) return EventHabit::ClassInfoOnly;
  if (FailureRequested(entry.progId, FailureStage::Events)) return EventHabit::Events;
  return std::nullopt;
}

// The caption a control with a mnemonic takes once active, and its key: Alt+T.
constexpr wchar_t kMnemonicCaption[] = L"&Test";
constexpr WORD kMnemonicKey = 'T';
constexpr WORD kMnemonicCommand = 1;

DWORD WINAPI CrashingWorker(LPVOID) {
  *static_cast<volatile int*>(nullptr) = 0;
  return 0;
}

class StandinControl final : public IDispatch,
                             public IOleObject,
                             public IOleInPlaceObject,
                             public IOleInPlaceActiveObject,
                             public IOleControl,
                             public IViewObject2,
                             public IPersistPropertyBag,
                             public IPersistStreamInit,
                             public IPersistStorage {
public:
  explicit StandinControl(const StandinClass& entry)
      : m_entry(entry),
        m_failLoad(FailureRequested(entry.progId, FailureStage::Load)),
        m_failActivate(FailureRequested(entry.progId, FailureStage::Activate)),
        m_failExtent(FailureRequested(entry.progId, FailureStage::Extent)),
        m_noPropertyBag(FailureRequested(entry.progId, FailureStage::NoFace)),
        m_keyHook(FailureRequested(entry.progId, FailureStage::KeyHook)),
        m_needsSite(FailureRequested(entry.progId, FailureStage::NeedsSite)),
        m_needsSiteEx(FailureRequested(entry.progId, FailureStage::SiteEx)),
        m_asksPlace(FailureRequested(entry.progId, FailureStage::PosRect)),
        m_storageOnly(FailureRequested(entry.progId, FailureStage::StorageOnly)),
        m_showsNothing(FailureRequested(entry.progId, FailureStage::ShowsNothing)),
        m_earlyActive(FailureRequested(entry.progId, FailureStage::EarlyActive)),
        m_useRegistry(FailureRequested(entry.progId, FailureStage::UseRegistry)),
        m_pumpsOnClose(FailureRequested(entry.progId, FailureStage::PumpsOnClose)),
        m_handsBack(FailureRequested(entry.progId, FailureStage::HandsBack)),
        m_habits{.tabStop = !FailureRequested(entry.progId, FailureStage::NoTabStop),
                 .clipSiblings = FailureRequested(entry.progId, FailureStage::ClipSiblings),
                 .wantsTab = FailureRequested(entry.progId, FailureStage::WantsTab),
                 .noFocus = FailureRequested(entry.progId, FailureStage::NoFocus),
                 .reflector = FailureRequested(entry.progId, FailureStage::Reflector),
                 .lateMessage = FailureRequested(entry.progId, FailureStage::LateMessage),
                 .nagBox = FailureRequested(entry.progId, FailureStage::NagBox),
                 .ownClassBox = FailureRequested(entry.progId, FailureStage::OwnClassBox),
                 .otherProcess = FailureRequested(entry.progId, FailureStage::OtherProcess)},
        m_slowClose(FailureRequested(entry.progId, FailureStage::SlowClose)),
        m_crashOnClose(FailureRequested(entry.progId, FailureStage::CrashOnClose)),
        m_formHabits{.walkControls = FailureRequested(entry.progId, FailureStage::WalkControls),
                     .moveSibling = FailureRequested(entry.progId, FailureStage::MoveSibling),
                     .transform = FailureRequested(entry.progId, FailureStage::Transform),
                     .sameContainer = FailureRequested(entry.progId, FailureStage::SameContainer)},
        m_propsFirst(FailureRequested(entry.progId, FailureStage::PropsFirst)),
        m_refusesSite(FailureRequested(entry.progId, FailureStage::RefuseSite)),
        m_mnemonic(FailureRequested(entry.progId, FailureStage::Mnemonic)),
        m_showOnly(FailureRequested(entry.progId, FailureStage::ShowOnly)) {
    if (FailureRequested(entry.progId, FailureStage::Crash)) *static_cast<volatile int*>(nullptr) = 0;
    if (const auto habit = EventHabitOf(entry)) {
      m_events.reset(new (std::nothrow) ControlEvents(static_cast<IOleObject*>(this), entry, *habit,
                                                      [this] { return Name(); }));
    }
    ObjectCreated();
    Journal(L"create " + std::wstring(entry.progId));
    if (FailureRequested(entry.progId, FailureStage::HiddenDialog)) m_sink = CreateHiddenSink(Name());
    if (FailureRequested(entry.progId, FailureStage::Leak)) {
      // The reference the host can never give back.
      ++m_refs;
      Journal(L"leak");
    }
  }
  ~StandinControl() {
    if (m_window) DestroyWindow(PlacedWindow(m_window));
    if (m_sink) DestroyWindow(m_sink);
    if (m_accelerators) DestroyAcceleratorTable(m_accelerators);
    ObjectDestroyed();
  }
  StandinControl(const StandinControl&) = delete;
  StandinControl& operator=(const StandinControl&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    using Cast = void* (*)(StandinControl*);
    struct Entry {
      const IID* iid;
      Cast cast;
    };
    // IOleObject is the identity; IOleWindow and IPersist come through one path each.
    static const Entry kInterfaces[] = {
        {&IID_IUnknown, [](StandinControl* c) -> void* { return static_cast<IOleObject*>(c); }},
        {&IID_IOleObject, [](StandinControl* c) -> void* { return static_cast<IOleObject*>(c); }},
        {&IID_IDispatch, [](StandinControl* c) -> void* { return static_cast<IDispatch*>(c); }},
        {&IID_IOleWindow, [](StandinControl* c) -> void* { return static_cast<IOleInPlaceObject*>(c); }},
        {&IID_IOleInPlaceObject, [](StandinControl* c) -> void* { return static_cast<IOleInPlaceObject*>(c); }},
        {&IID_IOleInPlaceActiveObject,
         [](StandinControl* c) -> void* { return static_cast<IOleInPlaceActiveObject*>(c); }},
        {&IID_IOleControl, [](StandinControl* c) -> void* { return static_cast<IOleControl*>(c); }},
        {&IID_IViewObject, [](StandinControl* c) -> void* { return static_cast<IViewObject2*>(c); }},
        {&IID_IViewObject2, [](StandinControl* c) -> void* { return static_cast<IViewObject2*>(c); }},
        {&IID_IPersist, [](StandinControl* c) -> void* { return static_cast<IPersistStreamInit*>(c); }},
        {&IID_IPersistStreamInit, [](StandinControl* c) -> void* { return static_cast<IPersistStreamInit*>(c); }},
        {&IID_IPersistPropertyBag, [](StandinControl* c) -> void* { return static_cast<IPersistPropertyBag*>(c); }},
        {&IID_IPersistStorage, [](StandinControl* c) -> void* { return static_cast<IPersistStorage*>(c); }},
    };
    if (m_events && m_events->Offers(iid, object)) return S_OK;
    if ((m_noPropertyBag || m_storageOnly) && IsEqualIID(iid, IID_IPersistPropertyBag)) return E_NOINTERFACE;
    if (m_storageOnly && IsEqualIID(iid, IID_IPersistStreamInit)) return E_NOINTERFACE;
    if (!m_storageOnly && IsEqualIID(iid, IID_IPersistStorage)) return E_NOINTERFACE;
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
      Journal(L"release");
      delete this;
    }
    return static_cast<ULONG>(refs);
  }

  // IDispatch: the stand-in has no properties or methods of its own to offer.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
    if (!site) {
      InPlaceDeactivate();
      m_site.Reset();
      Journal(L"site null");
      return S_OK;
    }
    if (m_refusesSite) {
      Journal(L"site refused");
      return E_FAIL;
    }
    m_site = site;
    ReadAmbientProperties();
    Journal(L"site");
    if (m_propsFirst) Journal(m_loaded ? L"site after its properties" : L"site before its properties");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = m_site.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override {
    Journal(L"hostnames " + std::wstring(app ? app : L"") + L" " + std::wstring(object ? object : L""));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override {
    Journal(L"close " + std::to_wstring(saveOption));
    if (m_events) m_events->Closing();
    if (m_slowClose) Sleep(kSlowCloseMs);
    if (m_pumpsOnClose) PumpMessages(kPumpMs);
    // On a worker thread of its own, as controls that crash on closing mostly do: a fault inside a
    // window procedure would be swallowed by the system.
    if (m_crashOnClose) {
      const UniqueHandleObject worker(CreateThread(nullptr, 0, &CrashingWorker, nullptr, 0, nullptr));
      if (worker) WaitForSingleObject(worker.get(), INFINITE);
    }
    InPlaceDeactivate();
    if (m_adviseHolder) m_adviseHolder->SendOnClose();
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
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    if (m_failActivate) return E_FAIL;
    if (m_showOnly) return ShowOnlyVerb(verb);
    switch (verb) {
      case OLEIVERB_INPLACEACTIVATE: return ActivateInPlace();
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE: {
        const HRESULT hr = ActivateInPlace();
        return FAILED(hr) ? hr : ActivateUI();
      }
      case OLEIVERB_HIDE:
        if (m_window) ShowWindow(PlacedWindow(m_window), SW_HIDE);
        return S_OK;
      default: return E_NOTIMPL;
    }
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
    if (FAILED(hr)) return hr;
    return OleRegGetUserType(clsid, form, type);
  }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    Journal(L"extent " + std::to_wstring(size->cx) + L" " + std::to_wstring(size->cy));
    if (m_failExtent) return E_FAIL;
    m_extent = *size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = m_extent;
    // The malformed answer the host must survive: a negative width, reported as success.
    if (m_failExtent) size->cx = -(m_extent.cx > 0 ? m_extent.cx : 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override {
    if (!m_adviseHolder) {
      const HRESULT hr = CreateOleAdviseHolder(m_adviseHolder.GetAddressOf());
      if (FAILED(hr)) return hr;
    }
    return m_adviseHolder->Advise(sink, connection);
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override {
    return m_adviseHolder ? m_adviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
  }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override {
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(advises) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = m_useRegistry ? 0 : MiscStatusOf(m_entry);
    if (m_propsFirst) *status &= ~static_cast<DWORD>(OLEMISC_SETCLIENTSITEFIRST);
    return m_useRegistry ? OLE_S_USEREG : S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, shared by IOleInPlaceObject and IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
    if (!m_inPlaceActive) return S_OK;
    UIDeactivate();
    m_frame.Reset();
    if (m_window) DestroyWindow(PlacedWindow(m_window));
    m_inPlaceActive = false;
    const ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    if (site) site->OnInPlaceDeactivate();
    Journal(L"deactivate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override {
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_frame) m_frame->SetActiveObject(nullptr, nullptr);
    if (m_inPlaceSite) m_inPlaceSite->OnUIDeactivate(FALSE);
    Journal(L"uideactivate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
    if (!position) return E_POINTER;
    m_position = *position;
    if (m_window) {
      MoveWindow(PlacedWindow(m_window), position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
    }
    Journal(L"inplace " + RectText(m_position));
    if (m_placeRequests > 0) Journal(L"placed while asking");
    if (m_asksPlace && m_inPlaceSite) {
      // Wants to be a little wider than it was told; a container that places it again at once
      // must not be asked again and again.
      if (++m_placeRequests > kMaxPlaceRequests) return E_UNEXPECTED;
      RECT wanted = *position;
      wanted.right += 1;
      m_inPlaceSite->OnPosRectChange(&wanted);
      --m_placeRequests;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override {
    if (!(m_keyHook || m_handsBack) || !message || message->message != WM_KEYDOWN) return S_FALSE;
    Journal(L"key " + std::to_wstring(message->wParam));
    // Arrows and Enter are the control's own; Tab and the rest are left to the container, or
    // handed to the site as controls written for a full container do.
    switch (message->wParam) {
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
      case VK_RETURN: return S_OK;
      default: break;
    }
    return m_handsBack ? HandBack(message) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL active) override {
    if (m_keyHook) Journal(active ? L"frame active" : L"frame inactive");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
    if (!info) return E_POINTER;
    // Its mnemonic once it has its caption; Enter stays the container's.
    info->hAccel = m_accelerators;
    info->cAccel = m_accelerators ? 1 : 0;
    info->dwFlags = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override {
    if (!message) return E_POINTER;
    if (m_mnemonic) Journal(L"mnemonic " + std::to_wstring(message->wParam));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) override {
    if (dispid == DISPID_UNKNOWN || dispid == DISPID_AMBIENT_DISPLAYNAME || dispid == DISPID_AMBIENT_USERMODE) {
      ReadAmbientProperties();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

  // IViewObject, IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                 BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (!dc || !bounds) return E_INVALIDARG;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    const RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
    PaintStandin(dc, rect, Name(), m_entry.progId, false);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) override {
    if (colors) *colors = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override {
    m_viewAspects = aspects;
    m_viewFlags = flags;
    m_viewSink = sink;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
    if (aspects) *aspects = m_viewAspects;
    if (flags) *flags = m_viewFlags;
    if (sink) {
      *sink = m_viewSink.Get();
      if (*sink) (*sink)->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
    return GetExtent(aspect, size);
  }

  // IPersist, shared by both persistence interfaces
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    return CLSIDFromString(const_cast<LPOLESTR>(m_entry.clsid), clsid);
  }

  // IPersistPropertyBag, IPersistStreamInit
  HRESULT STDMETHODCALLTYPE InitNew() override {
    Journal(L"initnew");
    if (RefusesPropertiesNow()) return E_UNEXPECTED;
    if (m_needsSite && FAILED(ReadContainerAndExtender())) return E_FAIL;
    return m_failLoad ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    if (!bag) return E_POINTER;
    Journal(L"load-bag");
    if (RefusesPropertiesNow()) return E_UNEXPECTED;
    for (const wchar_t* name : m_entry.savedNames) ReadSavedProperty(bag, log, name);
    ReadSavedProperty(bag, log, kNeverSaved);
    if (m_needsSite && FAILED(ReadContainerAndExtender())) return E_FAIL;
    return m_failLoad ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
    if (!stream) return E_POINTER;
    // The stand-in has no stream format of its own: it takes whatever it is handed.
    ULONGLONG total = 0;
    HRESULT hr = S_OK;
    for (;;) {
      BYTE chunk[4096];
      ULONG read = 0;
      hr = stream->Read(chunk, sizeof(chunk), &read);
      total += read;
      if (FAILED(hr) || read == 0) break;
    }
    Journal(L"load-stream " + std::to_wstring(total));
    if (FAILED(hr)) return hr;
    if (RefusesPropertiesNow()) return E_UNEXPECTED;
    return m_failLoad ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return S_OK; }

  // IPersistStorage
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override {
    if (!storage) return E_POINTER;
    Journal(L"initnew-storage");
    if (RefusesPropertiesNow()) return E_UNEXPECTED;
    return m_failLoad ? E_FAIL : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override { return storage ? S_OK : E_POINTER; }
  HRESULT STDMETHODCALLTYPE Save(IStorage*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
  }

private:
  std::wstring Name() const { return m_displayName.empty() ? std::wstring(m_entry.progId) : m_displayName; }
  void Journal(const std::wstring& event) const { JournalLine(Name(), event); }

  // The display name names the instance in the journal and on its face; user mode decides
  // whether a control invisible at run time shows.
  void ReadAmbientProperties() {
    ComPtr<IDispatch> ambient;
    if (!m_site || FAILED(m_site.As(&ambient))) return;
    UniqueVariant name;
    if (SUCCEEDED(GetAmbient(ambient.Get(), DISPID_AMBIENT_DISPLAYNAME, name.get())) &&
        V_VT(&name.value()) == VT_BSTR && V_BSTR(&name.value()) && SysStringLen(V_BSTR(&name.value())) > 0) {
      m_displayName.assign(V_BSTR(&name.value()), SysStringLen(V_BSTR(&name.value())));
      if (m_window) RenameStandinWindow(m_window, m_displayName);
    }
    UniqueVariant userMode;
    if (SUCCEEDED(GetAmbient(ambient.Get(), DISPID_AMBIENT_USERMODE, userMode.get())) &&
        V_VT(&userMode.value()) == VT_BOOL) {
      m_userMode = V_BOOL(&userMode.value()) != VARIANT_FALSE;
    }
  }
  static HRESULT GetAmbient(IDispatch* ambient, DISPID dispid, VARIANT* result) {
    DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
    return ambient->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArguments, result,
                           nullptr, nullptr);
  }

  void ReadSavedProperty(IPropertyBag* bag, IErrorLog* log, const wchar_t* name) {
    // VT_EMPTY: the bag hands the value in the type it was saved with.
    UniqueVariant value;
    if (FAILED(bag->Read(name, value.get(), log))) {
      Journal(L"prop " + std::wstring(name) + L" absent");
      return;
    }
    Journal(L"prop " + std::wstring(name) + L" " + DescribeValue(value.value()));
    // Like a real control, take the saved size as the extent.
    if (V_VT(&value.value()) == VT_I4) {
      if (SameNoCase(name, L"_extentx")) m_extent.cx = V_I4(&value.value());
      if (SameNoCase(name, L"_extenty")) m_extent.cy = V_I4(&value.value());
    }
  }

  HRESULT ActivateInPlace() {
    if (m_inPlaceActive) {
      if (m_window) ShowWindow(PlacedWindow(m_window), SW_SHOW);
      return S_OK;
    }
    if (!m_site) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> site;
    HRESULT hr = m_site.As(&site);
    if (FAILED(hr)) return hr;
    if (site->CanInPlaceActivate() != S_OK) return E_FAIL;
    if (m_needsSiteEx) {
      hr = ActivateInExtendedSite();
    } else {
      hr = site->OnInPlaceActivate();
    }
    if (FAILED(hr)) return hr;

    HWND parent = nullptr;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
      hr = site->GetWindowContext(frame.GetAddressOf(), document.GetAddressOf(), &position, &clip, &frameInfo);
    }
    // A control invisible at run time shows only while its container is being designed.
    const bool visible = !(m_entry.invisibleAtRunTime && m_userMode) && !m_showsNothing;
    if (SUCCEEDED(hr) && visible &&
        !CreateStandinWindow(parent, position, m_entry.progId, Name(), &m_window, m_habits)) {
      hr = HRESULT_FROM_WIN32(GetLastError());
      if (SUCCEEDED(hr)) hr = E_FAIL;
    }
    if (FAILED(hr)) {
      site->OnInPlaceDeactivate();
      return hr;
    }
    m_inPlaceActive = true;
    m_inPlaceSite = site;
    m_frame = frame;
    m_position = position;
    Journal(L"inplace " + RectText(m_position));
    Journal(L"activate");
    AfterActivation();
    return S_OK;
  }

  // What a control does once it is active: acts against its form, announces its mnemonic,
  // raises its event.
  void AfterActivation() {
    if (m_formHabits.Any()) ActAgainstForm(m_site.Get(), static_cast<IOleObject*>(this), m_formHabits, Name());
    if (m_mnemonic && !m_accelerators) {
      ACCEL key{FALT | FVIRTKEY, kMnemonicKey, kMnemonicCommand};
      m_accelerators = CreateAcceleratorTableW(&key, 1);
      Journal(L"caption " + std::wstring(kMnemonicCaption));
      ComPtr<IOleControlSite> controlSite;
      if (m_site && SUCCEEDED(m_site.As(&controlSite))) controlSite->OnControlInfoChanged();
    }
    if (m_events) m_events->Raise();
  }

  // A control that wants its properties before its site refuses them once it has one: it set
  // itself up from the site's ambient properties already.
  bool RefusesPropertiesNow() {
    if (!m_propsFirst) return false;
    if (m_site) {
      Journal(L"properties after its site: refused");
      return true;
    }
    m_loaded = true;
    return false;
  }

  // A control that knows only Show and Hide: Show activates it in place (its container gives it
  // the focus), every other verb is not one of its own.
  HRESULT ShowOnlyVerb(LONG verb) {
    switch (verb) {
      case OLEIVERB_SHOW: return ActivateInPlace();
      case OLEIVERB_HIDE:
        if (m_window) ShowWindow(PlacedWindow(m_window), SW_HIDE);
        return S_OK;
      default: Journal(L"verb " + std::to_wstring(verb) + L" invalid"); return OLEOBJ_E_INVALIDVERB;
    }
  }

  // The site's answer decides: S_OK when the container took the key. The modifier flags are
  // IOleControlSite's KEYMOD_SHIFT, KEYMOD_CONTROL and KEYMOD_ALT (absent from MinGW's headers).
  HRESULT HandBack(MSG* message) {
    constexpr DWORD kShift = 0x1, kControl = 0x2, kAlt = 0x4;
    ComPtr<IOleControlSite> controlSite;
    if (!m_site || FAILED(m_site.As(&controlSite))) return S_FALSE;
    DWORD modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= kControl;
    if (GetKeyState(VK_MENU) < 0) modifiers |= kAlt;
    const HRESULT hr = controlSite->TranslateAccelerator(message, modifiers);
    Journal(L"handed " + std::to_wstring(message->wParam) + (hr == S_OK ? L" taken" : L" left"));
    return hr == S_OK ? S_OK : S_FALSE;
  }

  // UI activation through the protocol: the site first, then the frame's active object, then the
  // focus into the window. A control without UI (a frame, a bar) stays in-place active only.
  HRESULT ActivateUI() {
    if (!m_inPlaceActive || !m_inPlaceSite) return E_UNEXPECTED;
    if (m_habits.noFocus) return S_OK;
    if (!m_uiActive) {
      m_uiActive = true;
      if (m_earlyActive && m_frame) m_frame->SetActiveObject(this, m_entry.progId);
      m_inPlaceSite->OnUIActivate();
      if (!m_earlyActive && m_frame) m_frame->SetActiveObject(this, m_entry.progId);
      Journal(L"uiactivate");
    }
    if (m_window && GetFocus() != m_window) SetFocus(m_window);
    return S_OK;
  }

  // A control made for a full container: it would rather run without a window, and activates
  // only in a site that offers the extended interface.
  HRESULT ActivateInExtendedSite() {
    ComPtr<IOleInPlaceSiteWindowless> windowless;
    if (SUCCEEDED(m_site.As(&windowless))) {
      Journal(windowless->CanWindowlessActivate() == S_OK ? L"windowless allowed" : L"windowless refused");
    }
    ComPtr<IOleInPlaceSiteEx> extended;
    const HRESULT hr = m_site.As(&extended);
    if (FAILED(hr)) {
      Journal(L"no extended site");
      return hr;
    }
    BOOL noRedraw = FALSE;
    Journal(L"extended site");
    return extended->OnInPlaceActivateEx(&noRedraw, 0);
  }

  // What a control that lays itself out against its siblings reads while loading: the
  // container's controls and its own extender. Without them it fails, as such controls do.
  HRESULT ReadContainerAndExtender() {
    if (!m_site) return E_UNEXPECTED;
    ComPtr<IOleContainer> container;
    HRESULT hr = m_site->GetContainer(&container);
    ComPtr<IEnumUnknown> controls;
    if (SUCCEEDED(hr)) hr = container->EnumObjects(OLECONTF_EMBEDDINGS, &controls);
    if (FAILED(hr)) {
      Journal(L"no container");
      return hr;
    }
    ULONG count = 0;
    for (IUnknown* control = nullptr; controls->Next(1, &control, nullptr) == S_OK; control->Release()) ++count;
    Journal(L"container " + std::to_wstring(count));
    ComPtr<IOleControlSite> controlSite;
    ComPtr<IDispatch> extender;
    hr = m_site.As(&controlSite);
    if (SUCCEEDED(hr)) hr = controlSite->GetExtendedControl(&extender);
    if (FAILED(hr) || !extender) {
      Journal(L"no extender");
      return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    std::wstring read = L"extender";
    for (const wchar_t* name : {L"Name", L"Index", L"Left", L"Top", L"Width", L"Height", L"Visible", L"Enabled",
                                L"TabIndex", L"TabStop", L"Tag", L"Parent", L"Container", L"Object", L"Caption"}) {
      read += L" " + std::wstring(name) + L"=" + ExtenderValue(extender.Get(), name);
    }
    Journal(read);
    ReadParent(extender.Get());
    return S_OK;
  }

  // What a control written for a full form container reads of its form while it loads: its
  // window, scale, size, font, colour and the other controls.
  void ReadParent(IDispatch* extender) {
    UniqueVariant parent;
    if (FAILED(Get(extender, L"Parent", parent.get())) || V_VT(&parent.value()) != VT_DISPATCH) {
      Journal(L"no parent");
      return;
    }
    IDispatch* form = V_DISPATCH(&parent.value());
    std::wstring read = L"parent";
    UniqueVariant window;
    const bool hasWindow = SUCCEEDED(Get(form, L"hWnd", window.get())) && V_VT(&window.value()) == VT_I4 &&
                           IsWindow(reinterpret_cast<HWND>(static_cast<LONG_PTR>(V_I4(&window.value()))));
    read += hasWindow ? L" hWnd=window" : L" hWnd=!";
    for (const wchar_t* name : {L"ScaleMode", L"ScaleWidth", L"ScaleHeight", L"Width", L"Height", L"BackColor"}) {
      read += L" " + std::wstring(name) + L"=" + ExtenderValue(form, name);
    }
    UniqueVariant font;
    ComPtr<IFont> isFont;
    const bool hasFont = SUCCEEDED(Get(form, L"Font", font.get())) && V_VT(&font.value()) == VT_DISPATCH &&
                         V_DISPATCH(&font.value()) &&
                         SUCCEEDED(V_DISPATCH(&font.value())->QueryInterface(IID_IFont, &isFont));
    read += hasFont ? L" Font=font" : L" Font=!";
    UniqueVariant controls;
    if (SUCCEEDED(Get(form, L"Controls", controls.get())) && V_VT(&controls.value()) == VT_DISPATCH) {
      IDispatch* collection = V_DISPATCH(&controls.value());
      read += L" Controls.Count=" + ExtenderValue(collection, L"Count");
      UniqueVariant first;
      VARIANT index;
      VariantInit(&index);
      index.vt = VT_I4;
      index.lVal = 0;
      DISPPARAMS one{&index, nullptr, 1, 0};
      const bool got = SUCCEEDED(collection->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                                    &one, first.get(), nullptr, nullptr)) &&
                       V_VT(&first.value()) == VT_DISPATCH;
      read += L" Controls(0)=" + (got ? L"(" + ExtenderValue(V_DISPATCH(&first.value()), L"Name") + L")" : L"!");
    } else {
      read += L" Controls=!";
    }
    Journal(read);
  }

  static HRESULT Get(IDispatch* object, const wchar_t* name, VARIANT* value) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
    if (SUCCEEDED(hr)) {
      hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArguments, value, nullptr, nullptr);
    }
    return hr;
  }

  static std::wstring ExtenderValue(IDispatch* extender, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(extender->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return L"?";
    UniqueVariant value;
    DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
    if (FAILED(extender->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &noArguments, value.get(),
                                nullptr, nullptr))) {
      return L"!";
    }
    if (V_VT(&value.value()) == VT_DISPATCH) {
      // An object: named by its own Name, when it has one.
      IDispatch* object = V_DISPATCH(&value.value());
      if (!object) return L"null";
      const std::wstring objectName = ExtenderValue(object, L"Name");
      return objectName == L"?" || objectName == L"!" ? L"object" : L"(" + objectName + L")";
    }
    UniqueVariant text;
    if (FAILED(VariantChangeType(text.get(), value.get(), VARIANT_ALPHABOOL, VT_BSTR))) return L"#";
    return std::wstring(V_BSTR(&text.value()), SysStringLen(V_BSTR(&text.value())));
  }

  const StandinClass& m_entry;
  LONG m_refs = 1;
  const bool m_failLoad;
  const bool m_failActivate;
  const bool m_failExtent;
  const bool m_noPropertyBag;
  const bool m_keyHook;
  const bool m_needsSite;
  const bool m_needsSiteEx;
  const bool m_asksPlace;
  const bool m_storageOnly;
  const bool m_showsNothing;
  const bool m_earlyActive;
  const bool m_useRegistry;
  const bool m_pumpsOnClose;
  const bool m_handsBack;
  // Nested place requests the stand-in survives before it gives up (a container that recurses).
  static constexpr int kMaxPlaceRequests = 8;
  int m_placeRequests = 0;
  const WindowHabits m_habits;
  const bool m_slowClose;
  const bool m_crashOnClose;
  const FormHabits m_formHabits;
  const bool m_propsFirst;
  const bool m_refusesSite;
  const bool m_mnemonic;
  const bool m_showOnly;
  bool m_loaded = false;
  HACCEL m_accelerators = nullptr;
  std::unique_ptr<ControlEvents> m_events;
  static constexpr DWORD kSlowCloseMs = 4000;
  static constexpr DWORD kPumpMs = 1500;

  // As controls that wait for a worker or an animation do inside Close: the thread's messages
  // (a second close among them) are handled meanwhile.
  static void PumpMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  bool m_uiActive = false;
  ComPtr<IOleInPlaceFrame> m_frame{};
  std::wstring m_displayName{};
  bool m_userMode = true;
  ComPtr<IOleClientSite> m_site{};
  ComPtr<IOleInPlaceSite> m_inPlaceSite{};
  ComPtr<IOleAdviseHolder> m_adviseHolder{};
  ComPtr<IAdviseSink> m_viewSink{};
  DWORD m_viewAspects = 0;
  DWORD m_viewFlags = 0;
  SIZEL m_extent{kDefaultExtent, kDefaultExtent};
  bool m_inPlaceActive = false;
  RECT m_position{};
  HWND m_window = nullptr;
  HWND m_sink = nullptr;  // the hidden dialog some real controls keep as a message sink
};

}  // namespace

HRESULT CreateStandinControl(const StandinClass& entry, REFIID iid, void** object) {
  StandinControl* control = new (std::nothrow) StandinControl(entry);
  if (!control) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, object);
  control->Release();
  return hr;
}

}  // namespace kit::standin
