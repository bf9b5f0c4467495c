// Win32-only. The life of a hosted control: the creation sequence (client site and host names
// before or after the saved properties, as the control's flags ask; its events connected; extent;
// in-place activation) and its orderly end (events unadvised, close without saving, client site
// cleared, release). A step that fails undoes the ones before it.
#include "probes/shell/control_site.h"

#include "common/com_values.h"
#include "common/fatal_report.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/twips.h"
#include "licence/embedded_keys.h"
#include "probes/shell/event_sink.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/site_object.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

// What the registry says of the class: read only to explain a failed creation.
ClassRegistration ReadRegistration(std::wstring_view classId) {
  ClassRegistration registration;
  const std::wstring path = L"CLSID\\" + std::wstring(classId) + L"\\InprocServer32";
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return registration;
  wchar_t server[MAX_PATH * 2] = {};
  DWORD size = sizeof(server) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(server), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return registration;
  }
  registration.registered = true;
  wchar_t expanded[MAX_PATH * 2] = {};
  if (type == REG_EXPAND_SZ && ExpandEnvironmentStringsW(server, expanded, MAX_PATH * 2)) {
    registration.serverPath = ServerPathFromRegistry(expanded);
  } else {
    registration.serverPath = ServerPathFromRegistry(server);
  }
  // A bare file name is looked for the way the loader would.
  wchar_t found[MAX_PATH * 2] = {};
  const DWORD attributes = GetFileAttributesW(registration.serverPath.c_str());
  registration.serverExists = (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ||
                              SearchPathW(nullptr, registration.serverPath.c_str(), nullptr, MAX_PATH * 2, found,
                                          nullptr) > 0;
  return registration;
}

// Classes that say so never take the focus: a label-like control passes it on, one that never
// UI-activates cannot hold it, one invisible at run time has nothing to hold it with.
constexpr DWORD kNeverFocused = OLEMISC_ACTSLIKELABEL | OLEMISC_NOUIACTIVATE | OLEMISC_INVISIBLEATRUNTIME;

class ActiveXItem final : public HostedControl {
public:
  ActiveXItem(ComPtr<IOleObject> object, ComPtr<ControlSite> site, DWORD misc)
      : m_object(std::move(object)), m_site(std::move(site)), m_misc(misc) {}
  ~ActiveXItem() override { Close(); }

  HWND ContainerWindow() const override { return m_window; }
  HWND PlacedWindow() const override { return m_placed; }
  IUnknown* Object() const override { return m_object.Get(); }
  ControlSite* Site() const override { return m_site.Get(); }

  void Place(const PixelRect& rect, const TwipsPlace* twips) override {
    if (m_site) m_site->Place(RECT{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height}, twips);
  }

  bool Focusable() const override { return m_object && m_window && !(m_misc & kNeverFocused); }
  bool ActsLikeLabel() const override { return (m_misc & OLEMISC_ACTSLIKELABEL) != 0; }

  bool TakeFocus() override {
    if (!Focusable()) return false;
    // The parent is the site's window, where the control was placed: not the wrapper some
    // controls put around their own window.
    RECT position = m_site->Rect();
    const HRESULT hr = m_object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, m_site.Get(), 0, m_site->Window(), &position);
    // A control that does not know the verb has no UI of its own to show, but its window can
    // still hold the focus; any other refusal means it takes none.
    if (FAILED(hr) && hr != E_NOTIMPL && hr != OLEOBJ_E_INVALIDVERB) return false;
    // A control that UI-activates without taking the focus itself gets it in its window, when
    // that window can hold it. One whose window passes it on (a frame, a bar) has declined it and
    // must not stay UI-active with the focus elsewhere.
    if (!HoldsFocus() && IsWindowEnabled(m_window) && IsWindowVisible(m_window)) ::SetFocus(m_window);
    if (HoldsFocus()) return true;
    if (m_site && m_site->Container() && m_site->Container()->UIActiveSite() == m_site.Get()) {
      m_site->UIDeactivateControl();
    }
    return false;
  }

  void Close() override {
    // A control that pumps messages while it closes may let a second close arrive: it finds this
    // one under way and leaves it to finish.
    if (!m_object || m_closing) return;
    m_closing = true;
    const ComPtr<IOleObject> object = m_object;
    // Nobody listens once the form is going: its events are unadvised before anything else.
    m_events.Disconnect();
    // Out of UI and in-place activation first, as a form takes its controls down.
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(object.As(&inPlace))) {
      inPlace->UIDeactivate();
      inPlace->InPlaceDeactivate();
    }
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    m_site->SetControl(nullptr);
    m_object.Reset();
    m_site.Reset();
    m_window = nullptr;
    m_placed = nullptr;
  }

  HRESULT ConnectEvents() { return m_events.Connect(m_object.Get()); }

  HRESULT Activate(HWND parent, const RECT& rect) {
    RECT position = rect;
    HRESULT hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site.Get(), 0, parent, &position);
    // Older controls know only the verbs to show and hide; showing activates them in place.
    if (hr == OLEOBJ_E_INVALIDVERB || hr == E_NOTIMPL) {
      position = rect;
      hr = m_object->DoVerb(OLEIVERB_SHOW, nullptr, m_site.Get(), 0, parent, &position);
    }
    if (FAILED(hr)) return hr;
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(m_object.As(&inPlace))) inPlace->GetWindow(&m_window);
    // The ancestor of its window that is the parent's child: the window itself, or its wrapper.
    m_placed = m_window;
    while (m_placed && GetParent(m_placed) && GetParent(m_placed) != parent) m_placed = GetParent(m_placed);
    if (!m_placed || GetParent(m_placed) != parent) m_placed = m_window;
    return S_OK;
  }

private:
  bool HoldsFocus() const {
    HWND focus = GetFocus();
    return focus && (focus == m_window || IsChild(m_window, focus));
  }

  ComPtr<IOleObject> m_object;
  ComPtr<ControlSite> m_site;
  EventConnection m_events;
  DWORD m_misc;
  HWND m_window = nullptr;
  HWND m_placed = nullptr;
  bool m_closing = false;
};

// Hands the control its saved state in the form its class takes: the property bag when the
// control reads one, otherwise its defaults.
HRESULT LoadSavedState(IOleObject* object, const SavedState& saved) {
  ComPtr<IPersistPropertyBag> bagPersistence;
  ComPtr<IPersistStreamInit> streamPersistence;
  ComPtr<IPersistStorage> storagePersistence;
  object->QueryInterface(IID_IPersistPropertyBag, &bagPersistence);
  object->QueryInterface(IID_IPersistStreamInit, &streamPersistence);
  const bool hasValues = !saved.bag.empty();
  if (hasValues && bagPersistence) {
    ComPtr<IPropertyBag> bag = CreatePropertyBag(saved.bag);
    if (!bag) return E_OUTOFMEMORY;
    return bagPersistence->Load(bag.Get(), nullptr);
  }
  if (streamPersistence) return streamPersistence->InitNew();
  if (bagPersistence) return bagPersistence->InitNew();
  if (SUCCEEDED(object->QueryInterface(IID_IPersistStorage, &storagePersistence))) {
    // A control that keeps its state only in a storage starts new in one of its own, in memory.
    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> storage;
    HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    if (SUCCEEDED(hr)) {
      hr = StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                        &storage);
    }
    return SUCCEEDED(hr) ? storagePersistence->InitNew(storage.Get()) : hr;
  }
  return S_OK;  // a control without persistence starts as it is
}

// Creates the control object the way a compiled form does: through the class's licensing factory
// with the program's run-time key when the class offers one and the program carries a key,
// plainly otherwise. A class the registry treats as another is created as that one.
HRESULT CreateControlObject(const CLSID& requested, std::wstring_view licenceKey, ComPtr<IOleObject>& object) {
  CLSID classId = requested;
  if (FAILED(CoGetTreatAsClass(requested, &classId))) classId = requested;
  ComPtr<IClassFactory> factory;
  HRESULT hr = CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &factory);
  if (FAILED(hr)) return hr;
  ComPtr<IClassFactory2> licensing;
  if (!licenceKey.empty() && SUCCEEDED(factory.As(&licensing))) {
    UniqueBstr key(licenceKey);
    hr = licensing->CreateInstanceLic(nullptr, nullptr, IID_IOleObject, key.get(), &object);
  } else {
    hr = factory->CreateInstance(nullptr, IID_IOleObject, &object);
  }
  if (SUCCEEDED(hr) && !object) hr = E_NOINTERFACE;
  return hr;
}

}  // namespace

std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord& item, const HostPlace& host,
                                                   const PixelRect& rect, BuildFailure& failure) {
  // The key the record names, else the one the build carries for the class.
  const std::wstring licenceKey = item.control.licenceKey.empty()
                                      ? licence::EmbeddedLicenceKey(item.control.classId)
                                      : std::wstring(item.control.licenceKey);
  auto fail = [&](CreationStage stage, HRESULT hr) -> std::unique_ptr<HostedControl> {
    const auto code = static_cast<std::uint32_t>(hr);
    const ClassRegistration registration =
        stage == CreationStage::Create ? ReadRegistration(item.control.classId) : ClassRegistration{true, {}, true};
    ItemRecord carried = item;
    carried.control.licenceKey = licenceKey;
    failure = {code, ControlFailureText(carried, stage, code, DescribeError(code), registration)};
    return nullptr;
  };

  CLSID classId{};
  const std::wstring classText(item.control.classId);
  HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(classText.c_str()), &classId);
  if (FAILED(hr)) return fail(CreationStage::Create, hr);
  ComPtr<IOleObject> object;
  hr = CreateControlObject(classId, licenceKey, object);
  if (FAILED(hr)) return fail(CreationStage::Create, hr);

  const RECT place{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
  ComPtr<ControlSite> site =
      ControlSite::Create(host.parent, place, item, host.container, host.outerSite, *host.ambientFont);
  if (!site) return fail(CreationStage::Create, E_OUTOFMEMORY);
  site->SetControl(object.Get());
  DWORD misc = 0;
  // A control that answers "use the registry" keeps its flags under its class's MiscStatus key.
  if (object->GetMiscStatus(DVASPECT_CONTENT, &misc) == OLE_S_USEREG) {
    misc = 0;
    CLSID created{};
    if (SUCCEEDED(object->GetUserClassID(&created))) OleRegGetMiscStatus(created, DVASPECT_CONTENT, &misc);
  }
  auto hosted = std::make_unique<ActiveXItem>(object, site, misc);

  // The client site before the saved properties only for a control that asks for it; the others
  // read their properties first and meet their site after.
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  const auto giveSite = [&] {
    const HRESULT given = object->SetClientSite(site.Get());
    if (FAILED(given)) return given;
    const std::wstring program = ProgramTitle();
    const std::wstring name = site->DisplayName();
    object->SetHostNames(program.c_str(), name.c_str());
    return S_OK;
  };
  if (siteFirst && FAILED(hr = giveSite())) return fail(CreationStage::ClientSite, hr);
  hr = LoadSavedState(object.Get(), item.saved);
  if (FAILED(hr)) return fail(CreationStage::LoadProperties, hr);
  if (!siteFirst && FAILED(hr = giveSite())) return fail(CreationStage::ClientSite, hr);
  if (FAILED(hr = hosted->ConnectEvents())) return fail(CreationStage::Events, hr);

  SIZEL extent{TwipsToHimetric(item.width), TwipsToHimetric(item.height)};
  object->SetExtent(DVASPECT_CONTENT, &extent);  // a control may keep its own size; the form's place holds

  const bool invisible = item.invisibleAtRunTime || (misc & OLEMISC_INVISIBLEATRUNTIME);
  if (!invisible) {
    hr = hosted->Activate(host.parent, place);
    if (FAILED(hr)) return fail(CreationStage::Activate, hr);
  }
  site->ReadMnemonics();
  return hosted;
}

}  // namespace kit::shell
