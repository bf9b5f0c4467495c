// Every COM object the kit hands to outside code keeps the rules a real control relies on: an
// interface it does not offer gets E_NOINTERFACE and a null pointer (real controls ask their site
// for many it need not offer), each offered interface leads back to one identity, a null
// out-pointer gets E_POINTER, and references taken and given back leave the count where it was.
// The shell's objects, and the stand-ins' objects as the kit's tests hand them to the shell.
#include "tests/support/driver_support.h"
#include "probes/services/ado26/ado_interfaces.h"
#include "probes/services/dao360/dao_interfaces.h"
#include "probes/shell/control_container.h"
#include "probes/shell/event_sink.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/site_object.h"
#include "standins/comdlg32/comdlg_standin.h"

#include <gtest/gtest.h>

#include <docobj.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <urlmon.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {
using Microsoft::WRL::ComPtr;
using namespace kit::shell;

// Interfaces real controls and callers ask for that none of these objects offers, and one that
// nobody has.
constexpr IID kNobodysInterface = {0x0d1b5e3a, 0x47c2, 0x4f6e, {0x9a, 0x10, 0x3c, 0x58, 0x7e, 0x21, 0xb4, 0x6d}};
const IID* const kAskedOfContainers[] = {&kNobodysInterface,     &IID_IServiceProvider,  &IID_ISimpleFrameSite,
                                         &IID_IPropertyNotifySink, &IID_IDocHostUIHandler, &IID_IOleCommandTarget,
                                         &IID_IConnectionPointContainer, &IID_IBindHost,         &IID_IAdviseSink};

// The events interface of a control nobody wrote: the sink answers for it.
constexpr IID kNobodysEvents = {0x5a0c7e2b, 0x19d4, 0x4b8f, {0x86, 0x3e, 0x0f, 0x71, 0xc2, 0x9a, 0x44, 0xd5}};

std::string Name(REFIID iid) {
  wchar_t text[64] = {};
  StringFromGUID2(iid, text, 64);
  return kit::driver::Narrow(text);
}

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

void ExpectConforms(IUnknown* object, const std::vector<const IID*>& offered) {
  ComPtr<IUnknown> identity;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, &identity), S_OK);
  const ULONG before = References(object);

  EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  for (const IID* iid : kAskedOfContainers) {
    if (std::find_if(offered.begin(), offered.end(), [&](const IID* o) { return IsEqualIID(*o, *iid); }) !=
        offered.end()) {
      continue;
    }
    void* sentinel = reinterpret_cast<void*>(0x1234);
    const HRESULT hr = object->QueryInterface(*iid, &sentinel);
    EXPECT_EQ(hr, E_NOINTERFACE) << Name(*iid);
    EXPECT_EQ(sentinel, nullptr) << Name(*iid) << " left the out-pointer set";
    if (SUCCEEDED(hr) && sentinel) static_cast<IUnknown*>(sentinel)->Release();
  }
  for (const IID* iid : offered) {
    ComPtr<IUnknown> face;
    ASSERT_EQ(object->QueryInterface(*iid, reinterpret_cast<void**>(face.GetAddressOf())), S_OK) << Name(*iid);
    ASSERT_TRUE(face) << Name(*iid);
    ComPtr<IUnknown> back;
    ASSERT_EQ(face->QueryInterface(IID_IUnknown, &back), S_OK) << Name(*iid);
    EXPECT_EQ(back.Get(), identity.Get()) << Name(*iid) << " leads to another identity";
  }
  EXPECT_EQ(References(object), before) << "references taken by the queries were not all given back";
}

struct Case {
  const char* name;
  std::function<ComPtr<IUnknown>()> make;
  std::vector<const IID*> offered;
};

class ComConformance : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    m_window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(m_window);
    m_container = ControlContainer::Create(m_window, L"Form1");
    LOGFONTW font{};
    m_site = ControlSite::Create(m_window, RECT{8, 44, 231, 115}, kRecord, m_container, nullptr, font);
    ASSERT_TRUE(m_container && m_site);
  }
  void TearDown() override {
    m_site.Reset();
    m_container.Reset();
    for (HMODULE library : m_libraries) FreeLibrary(library);
    DestroyWindow(m_window);
    SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
    OleUninitialize();
  }

  // A member of the form (its dispatch face), as a control's code reads it.
  ComPtr<IUnknown> FormMember(const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ComPtr<IUnknown> member;
    if (SUCCEEDED(m_container->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) &&
        SUCCEEDED(m_container->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) &&
        value.vt == VT_DISPATCH) {
      member = value.pdispVal;
    }
    VariantClear(&value);
    return member;
  }

  // The class object a stand-in DLL beside the test hands out for `clsid`, loaded by its path
  // (nothing is registered: the prefix's own classes stay as they are).
  ComPtr<IClassFactory> StandinFactory(const wchar_t* file, REFCLSID clsid) {
    HMODULE library = LoadLibraryW(kit::driver::BesideMe(file).c_str());
    if (!library) return nullptr;
    m_libraries.push_back(library);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!get || FAILED(get(clsid, IID_IClassFactory, &factory))) return nullptr;
    return factory;
  }
  ComPtr<IUnknown> StandinObject(const wchar_t* file, REFCLSID clsid) {
    ComPtr<IUnknown> object;
    if (auto factory = StandinFactory(file, clsid)) factory->CreateInstance(nullptr, IID_IUnknown, &object);
    return object;
  }

  static constexpr ItemRecord kRecord{.name = L"graph32", .kind = ItemKind::ActiveX, .left = 120, .top = 660,
                                      .width = 3345, .height = 1065, .tabIndex = 1};
  HWND m_window = nullptr;
  ComPtr<ControlContainer> m_container;
  ComPtr<ControlSite> m_site;
  std::vector<HMODULE> m_libraries;
};

CLSID ClassOf(const wchar_t* text) {
  CLSID clsid{};
  CLSIDFromString(const_cast<LPOLESTR>(text), &clsid);
  return clsid;
}

TEST_F(ComConformance, EveryObjectHandedOutAnswersUnknownInterfacesIdentityAndReferencesSoundly) {
  const CLSID graph = ClassOf(L"{0842D100-1E19-101B-9AAF-1A1626551E7C}");
  const CLSID fileSystem = ClassOf(L"{6F1A3C52-2D4B-4E8A-9B31-5C0D7E42A118}");
  const CLSID utilities = ClassOf(L"{57C7D739-3998-4D96-AF30-90908670522F}");
  const Case cases[] = {
      {"site", [&] { return ComPtr<IUnknown>(static_cast<IOleClientSite*>(m_site.Get())); },
       {&IID_IOleClientSite, &IID_IOleWindow, &IID_IOleInPlaceSite, &IID_IOleInPlaceSiteEx,
        &IID_IOleInPlaceSiteWindowless, &IID_IOleControlSite, &IID_IDispatch}},
      {"container",
       [&] {
         ComPtr<IOleContainer> container;
         m_site->GetContainer(&container);
         return ComPtr<IUnknown>(container);
       },
       {&IID_IParseDisplayName, &IID_IOleContainer, &IID_IOleWindow, &IID_IDispatch}},
      {"in-place frame",
       [&] {
         ComPtr<IOleInPlaceFrame> frame;
         ComPtr<IOleInPlaceUIWindow> document;
         RECT position{}, clip{};
         OLEINPLACEFRAMEINFO info{};
         info.cb = sizeof(info);
         m_site->GetWindowContext(&frame, &document, &position, &clip, &info);
         return ComPtr<IUnknown>(frame);
       },
       {&IID_IOleWindow, &IID_IOleInPlaceUIWindow, &IID_IOleInPlaceFrame}},
      {"extender",
       [&] {
         ComPtr<IDispatch> extender;
         m_site->GetExtendedControl(&extender);
         return ComPtr<IUnknown>(extender);
       },
       {&IID_IDispatch}},
      {"form as parent",
       [&] {
         ComPtr<IDispatch> form;
         m_container.As(&form);
         return ComPtr<IUnknown>(form);
       },
       {&IID_IDispatch, &IID_IOleContainer}},
      {"form's Controls", [&] { return FormMember(L"Controls"); }, {&IID_IDispatch}},
      {"Controls' enumerator",
       [&] {
         ComPtr<IUnknown> controls = FormMember(L"Controls");
         ComPtr<IDispatch> collection;
         VARIANT each;
         VariantInit(&each);
         DISPPARAMS none{nullptr, nullptr, 0, 0};
         if (controls) controls.As(&collection);
         if (collection) collection->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &each, nullptr, nullptr);
         ComPtr<IUnknown> enumerator;
         if (each.vt == VT_UNKNOWN) enumerator = each.punkVal;
         VariantClear(&each);
         return enumerator;
       },
       {&IID_IEnumVARIANT}},
      {"property bag", [] { return ComPtr<IUnknown>(CreatePropertyBag({})); }, {&IID_IPropertyBag}},
      {"event sink", [] { return ComPtr<IUnknown>(CreateEventSink(kNobodysEvents)); },
       {&IID_IDispatch, &kNobodysEvents}},
      {"container's enumerator",
       [&] {
         ComPtr<IEnumUnknown> objects;
         m_container->EnumObjects(OLECONTF_EMBEDDINGS, &objects);
         return ComPtr<IUnknown>(objects);
       },
       {&IID_IEnumUnknown}},
      {"stand-in control", [&] { return StandinObject(L"GRAPH32.OCX", graph); },
       {&IID_IOleObject, &IID_IDispatch, &IID_IOleWindow, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject,
        &IID_IOleControl, &IID_IViewObject, &IID_IViewObject2, &IID_IPersist, &IID_IPersistStreamInit,
        &IID_IPersistPropertyBag}},
      {"stand-in control with events",
       [&] {
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:event");
         auto control = StandinObject(L"GRAPH32.OCX", graph);
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
         return control;
       },
       {&IID_IOleObject, &IID_IDispatch, &IID_IOleControl, &IID_IPersistStreamInit, &IID_IProvideClassInfo,
        &IID_IProvideClassInfo2, &IID_IConnectionPointContainer}},
      {"stand-in control's connection point",
       [&] {
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:event");
         auto control = StandinObject(L"GRAPH32.OCX", graph);
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
         ComPtr<IProvideClassInfo2> info;
         ComPtr<IConnectionPointContainer> points;
         ComPtr<IConnectionPoint> point;
         IID events{};
         if (control && SUCCEEDED(control.As(&info)) &&
             SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) && SUCCEEDED(control.As(&points))) {
           points->FindConnectionPoint(events, &point);
         }
         return ComPtr<IUnknown>(point);
       },
       {&IID_IConnectionPoint}},
      {"stand-in control's list of connection points",
       [&] {
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:event");
         auto control = StandinObject(L"GRAPH32.OCX", graph);
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
         ComPtr<IConnectionPointContainer> points;
         ComPtr<IEnumConnectionPoints> listed;
         if (control && SUCCEEDED(control.As(&points))) points->EnumConnectionPoints(&listed);
         return ComPtr<IUnknown>(listed);
       },
       {&IID_IEnumConnectionPoints}},
      {"stand-in control's factory", [&] { return ComPtr<IUnknown>(StandinFactory(L"GRAPH32.OCX", graph)); },
       {&IID_IClassFactory}},
      {"stand-in licensing factory",
       [&] {
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:licensed");
         auto factory = StandinFactory(L"GRAPH32.OCX", graph);
         SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
         return ComPtr<IUnknown>(factory);
       },
       {&IID_IClassFactory, &IID_IClassFactory2}},
      {"stand-in common dialog", [&] { return StandinObject(L"COMDLG32.OCX", ClassOf(kit::comdlg::kClassId)); },
       {&IID_IOleObject, &IID_IDispatch, &IID_IOleControl, &IID_IPersist, &IID_IPersistStreamInit,
        &IID_IPersistPropertyBag}},
      {"stand-in ADO connection", [&] { return StandinObject(L"standin_ado.dll", kit::ado::kConnectionClass); },
       {&IID_IDispatch, &IID_ISupportErrorInfo}},
      {"stand-in DAO engine", [&] { return StandinObject(L"standin_dao.dll", kit::dao::kEngineClass); },
       {&IID_IDispatch, &IID_ISupportErrorInfo}},
      {"stand-in file system object", [&] { return StandinObject(L"standin_fso.dll", fileSystem); },
       {&IID_IDispatch, &IID_ISupportErrorInfo}},
      {"stand-in utility library", [&] { return StandinObject(L"standin_vbutils.dll", utilities); },
       {&IID_IDispatch, &IID_ISupportErrorInfo}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<IUnknown> object = c.make();
    ASSERT_TRUE(object) << c.name << " could not be made";
    ExpectConforms(object.Get(), c.offered);
  }
}

}  // namespace
