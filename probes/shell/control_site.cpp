// Win32-only. The life of a hosted control: the creation sequence (client site, host names,
// saved properties, extent, in-place activation) and its orderly end (close without saving,
// client site cleared, release). A step that fails undoes the ones before it.
#include "probes/shell/control_site.h"

#include "common/fatal_report.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/twips.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/site_object.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring DisplayName(const ItemRecord& item) {
  std::wstring name(item.name);
  if (item.index) name += L"(" + std::to_wstring(*item.index) + L")";
  return name;
}

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
    registration.serverPath = expanded;
  } else {
    registration.serverPath = server;
  }
  // A bare file name is looked for the way the loader would.
  wchar_t found[MAX_PATH * 2] = {};
  const DWORD attributes = GetFileAttributesW(registration.serverPath.c_str());
  registration.serverExists = (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ||
                              SearchPathW(nullptr, registration.serverPath.c_str(), nullptr, MAX_PATH * 2, found,
                                          nullptr) > 0;
  return registration;
}

class ActiveXItem final : public HostedControl {
public:
  ActiveXItem(ComPtr<IOleObject> object, ComPtr<ControlSite> site) : m_object(std::move(object)), m_site(std::move(site)) {}
  ~ActiveXItem() override { Close(); }

  HWND ContainerWindow() const override { return m_window; }
  IUnknown* Object() const override { return m_object.Get(); }

  void Place(const PixelRect& rect) override {
    if (m_site) m_site->Place(RECT{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height});
  }

  void Close() override {
    if (!m_object) return;
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
    m_site->SetControl(nullptr);
    m_object.Reset();
    m_site.Reset();
    m_window = nullptr;
  }

  HRESULT Activate(HWND parent, const RECT& rect) {
    RECT position = rect;
    const HRESULT hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site.Get(), 0, parent, &position);
    if (FAILED(hr)) return hr;
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(m_object.As(&inPlace))) inPlace->GetWindow(&m_window);
    return S_OK;
  }

private:
  ComPtr<IOleObject> m_object;
  ComPtr<ControlSite> m_site;
  HWND m_window = nullptr;
};

// Hands the control its saved state in the form its class takes: the property bag when the
// control reads one, otherwise its defaults.
HRESULT LoadSavedState(IOleObject* object, const SavedState& saved) {
  ComPtr<IPersistPropertyBag> bagPersistence;
  ComPtr<IPersistStreamInit> streamPersistence;
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
  return S_OK;  // a control without persistence starts as it is
}

}  // namespace

std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord& item, HWND parent, const PixelRect& rect,
                                                   const LOGFONTW& ambientFont, BuildFailure& failure) {
  auto fail = [&](CreationStage stage, HRESULT hr) -> std::unique_ptr<HostedControl> {
    const auto code = static_cast<std::uint32_t>(hr);
    const ClassRegistration registration =
        stage == CreationStage::Create ? ReadRegistration(item.control.classId) : ClassRegistration{true, {}, true};
    failure = {code, ControlFailureText(item, stage, code, DescribeError(code), registration)};
    return nullptr;
  };

  CLSID classId{};
  const std::wstring classText(item.control.classId);
  HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(classText.c_str()), &classId);
  if (FAILED(hr)) return fail(CreationStage::Create, hr);
  ComPtr<IOleObject> object;
  hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &object);
  if (FAILED(hr) || !object) return fail(CreationStage::Create, FAILED(hr) ? hr : E_NOINTERFACE);

  const RECT place{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
  ComPtr<ControlSite> site = ControlSite::Create(parent, place, DisplayName(item), ambientFont);
  if (!site) return fail(CreationStage::Create, E_OUTOFMEMORY);
  site->SetControl(object.Get());
  auto hosted = std::make_unique<ActiveXItem>(object, site);

  DWORD misc = 0;
  object->GetMiscStatus(DVASPECT_CONTENT, &misc);
  object->SetClientSite(site.Get());
  const std::wstring program = ProgramTitle();
  const std::wstring name = DisplayName(item);
  object->SetHostNames(program.c_str(), name.c_str());

  hr = LoadSavedState(object.Get(), item.saved);
  if (FAILED(hr)) return fail(CreationStage::LoadProperties, hr);

  SIZEL extent{TwipsToHimetric(item.width), TwipsToHimetric(item.height)};
  object->SetExtent(DVASPECT_CONTENT, &extent);  // a control may keep its own size; the form's place holds

  const bool invisible = item.invisibleAtRunTime || (misc & OLEMISC_INVISIBLEATRUNTIME);
  if (!invisible) {
    hr = hosted->Activate(parent, place);
    if (FAILED(hr)) return fail(CreationStage::Activate, hr);
  }
  return hosted;
}

}  // namespace kit::shell
