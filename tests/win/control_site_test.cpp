// Hosting a real (stand-in) control inside the test process: after the form is gone, every site
// and property bag the shell made has reached its last release.
#include "catalogue/forms/probe_VELGraphControl.h"
#include "catalogue/forms/probe_mscomctl.h"
#include "catalogue/forms/probe_threed32.h"
#include "common/com_values.h"
#include "common/twips.h"
#include "probes/shell/control_container.h"
#include "probes/shell/form_window.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/site_object.h"
#include "catalogue/standard_items.h"
#include "common/kit_window.h"
#include "catalogue/classes.h"
#include "tests/support/driver_support.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using namespace kit::shell;
using kit::UniqueVariant;

HRESULT RegisterBesideMe(const wchar_t* file) { return kit::driver::RegisterServer(kit::driver::BesideMe(file)); }

class HostedControls : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", nullptr);
    SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(HostedControls, SitesAndBagsAreAllReleasedWhenTheFormCloses) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  ASSERT_EQ(RegisterBesideMe(L"VELGraphControl.ocx"), S_OK);
  for (FormDescription description : {FormDescription(kit::catalogue::probe_mscomctl::kForm),
                                      FormDescription(kit::catalogue::probe_VELGraphControl::kForm)}) {
    const int sitesBefore = ControlSite::Live();
    BuildFailure failure;
    auto form = Form::Build(description, {}, failure);
    ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
    EXPECT_GT(ControlSite::Live(), sitesBefore);
    HWND slider = form->ItemWindow(L"sld_mscomctl");
    if (description.size() > 3) {
      ASSERT_TRUE(slider) << "a visible control has its own window";
      wchar_t parent[64] = {};
      GetWindowTextW(GetParent(slider), parent, 64);
      EXPECT_STREQ(parent, L"Form1");
    }
    // A UI-active control is held by the form as its active object until it closes.
    form->Show(SW_SHOWNOACTIVATE);
    form->MoveFocus(true);
    form.reset();
    EXPECT_EQ(ControlSite::Live(), sitesBefore) << "a site outlived its control";
    EXPECT_EQ(ControlContainer::Live(), 0) << "the form's container outlived the form";
    EXPECT_EQ(LivePropertyBags(), 0) << "a property bag outlived the load";
  }
}

// A key a control hands back to its site: Tab and Shift+Tab are the form's (the focus moves by
// tab index once the control is out of its hook, S_OK), any other key is left to the control
// (S_FALSE, the focus stays).
TEST_F(HostedControls, AKeyHandedBackToTheSiteIsTheFormsOnlyForTab) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  BuildFailure failure;
  auto form = Form::Build(kit::catalogue::probe_mscomctl::kForm, {}, failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  form->Show(SW_SHOWNOACTIVATE);
  HWND tree = form->ItemWindow(L"Tree_mscomctl");
  HWND slider = form->ItemWindow(L"sld_mscomctl");
  HWND progress = form->ItemWindow(L"prg_mscomctl");
  SendMessageW(form->Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree), TRUE);
  ASSERT_EQ(GetFocus(), tree);
  Microsoft::WRL::ComPtr<IOleObject> control;
  ASSERT_EQ(form->ControlObject(L"Tree_mscomctl")->QueryInterface(IID_PPV_ARGS(&control)), S_OK);
  Microsoft::WRL::ComPtr<IOleClientSite> client;
  Microsoft::WRL::ComPtr<IOleControlSite> site;
  ASSERT_EQ(control->GetClientSite(&client), S_OK);
  ASSERT_EQ(client.As(&site), S_OK);
  struct Case {
    UINT message;
    WPARAM key;
    DWORD modifiers;
    HRESULT expected;
    HWND focus;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_TAB, 0, S_OK, slider},
      {WM_KEYDOWN, VK_TAB, kKeyModShift, S_OK, progress},
      {WM_KEYDOWN, 'A', 0, S_FALSE, tree},
      {WM_KEYDOWN, VK_TAB, kKeyModControl, S_FALSE, tree},
      {WM_CHAR, L'\t', 0, S_FALSE, tree},
  };
  for (const Case& c : cases) {
    MSG key{tree, c.message, c.key, 0, 0, {}};
    EXPECT_EQ(site->TranslateAccelerator(&key, c.modifiers), c.expected) << "key " << c.key << " " << c.modifiers;
    // The focus moves once the control is out of its hook: by a message the form handles next.
    EXPECT_EQ(GetFocus(), tree) << "moved while the control was still in its hook";
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    EXPECT_EQ(GetFocus(), c.focus) << "key " << c.key << " " << c.modifiers;
    SendMessageW(form->Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tree), TRUE);
  }
  EXPECT_EQ(site->TranslateAccelerator(nullptr, 0), E_POINTER);
}

// Keys go only to the active object of the control that is UI-active now: one that another
// control's UI activation left behind (its control never cleared it) hears none.
TEST_F(HostedControls, KeysReachOnlyTheActiveObjectOfTheUIActiveControl) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  const std::wstring journal = kit::driver::BesideMe(L"stale.journal");
  DeleteFileW(journal.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", journal.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"MSComctlLib.Slider:keyhook");
  HWND window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  constexpr ItemRecord kItem{.name = L"item", .kind = ItemKind::ActiveX, .width = 100, .height = 100};
  LOGFONTW font{};
  HRESULT keys[2] = {E_FAIL, E_FAIL};
  {
    auto container = ControlContainer::Create(window, L"Form1");
    auto first = ControlSite::Create(window, RECT{0, 0, 10, 10}, kItem, container, nullptr, font);
    auto second = ControlSite::Create(window, RECT{0, 20, 10, 30}, kItem, container, nullptr, font);
    Microsoft::WRL::ComPtr<IOleObject> slider, tree;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> sliderActive;
    CLSID sliderClass{}, treeClass{};
    CLSIDFromString(const_cast<LPOLESTR>(kit::catalogue::kSlider.classId.data()), &sliderClass);
    CLSIDFromString(const_cast<LPOLESTR>(kit::catalogue::kTreeView.classId.data()), &treeClass);
    ASSERT_EQ(CoCreateInstance(sliderClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&slider)), S_OK);
    ASSERT_EQ(CoCreateInstance(treeClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&tree)), S_OK);
    ASSERT_EQ(slider.As(&sliderActive), S_OK);
    first->SetControl(slider.Get());
    second->SetControl(tree.Get());
    first->OnUIActivate();
    container->SetActiveObject(sliderActive.Get(), nullptr);
    MSG down{window, WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    keys[0] = container->TranslateAccelerator(&down);
    second->OnUIActivate();  // the slider is told to leave UI activation and keeps its active object
    keys[1] = container->TranslateAccelerator(&down);
    first->SetControl(nullptr);
    second->SetControl(nullptr);
  }
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", nullptr);
  DestroyWindow(window);
  EXPECT_EQ(keys[0], S_OK) << "the UI-active slider's hook took Down";
  EXPECT_EQ(keys[1], S_FALSE) << "Down went to the slider after the tree took UI activation";
}

// The graph stand-in as a licensed class; the key is the test's own, never a maker's.
constexpr wchar_t kTestKey[] = L"kit-test-licence";
constexpr ControlClass kLicensedGraph{L"GraphLib.Graph", L"{0842D100-1E19-101B-9AAF-1A1626551E7C}", L"GRAPH32.OCX",
                                      kTestKey};
constexpr ControlClass kWrongKeyGraph{L"GraphLib.Graph", L"{0842D100-1E19-101B-9AAF-1A1626551E7C}", L"GRAPH32.OCX",
                                      L"another key"};
constexpr ItemRecord kLicensedForm[] = {FormWindow(3530, 2360),
                                        Control(L"graph32", kLicensedGraph, 360, 150, 3015, 1485, 1, {})};
constexpr ItemRecord kWrongKeyForm[] = {FormWindow(3530, 2360),
                                        Control(L"graph32", kWrongKeyGraph, 360, 150, 3015, 1485, 1, {})};

TEST_F(HostedControls, ALicensedClassIsCreatedWithTheKeyTheProgramCarriesAndRefusesAnother) {
  ASSERT_EQ(RegisterBesideMe(L"GRAPH32.OCX"), S_OK);
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:licensed");
  SetEnvironmentVariableW(L"KIT_LICENCE_KEY", kTestKey);
  BuildFailure failure;
  auto form = Form::Build(kLicensedForm, {}, failure);
  EXPECT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  EXPECT_TRUE(form && form->ControlObject(L"graph32"));
  form.reset();
  auto refused = Form::Build(kWrongKeyForm, {}, failure);
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  SetEnvironmentVariableW(L"KIT_LICENCE_KEY", nullptr);
  EXPECT_FALSE(refused);
  EXPECT_EQ(failure.code, 0x80040112u);
  EXPECT_NE(failure.message.find(L"it refuses the licence key this program carries"), std::wstring::npos)
      << std::string(failure.message.begin(), failure.message.end());
}

// Two overlapping controls, the later one inside a wrapper window of its own (a reflector): the
// form stacks the wrapper, so the later control lies above the earlier one as on any form.
constexpr ItemRecord kOverlapForm[] = {FormWindow(4000, 2000),
                                       Control(L"first", kit::catalogue::kSlider, 120, 120, 2400, 900, 0, {}),
                                       Control(L"second", kit::catalogue::kProgressBar, 1200, 600, 2400, 900, 1, {})};

TEST_F(HostedControls, AControlInAWrapperOfItsOwnIsStackedByTheWrapper) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"MSComctlLib.ProgressBar:reflector");
  BuildFailure failure;
  auto form = Form::Build(kOverlapForm, {}, failure);
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  HWND first = form->ItemWindow(L"first");
  HWND second = form->ItemWindow(L"second");
  ASSERT_TRUE(first && second);
  HWND wrapper = GetParent(second);
  ASSERT_NE(wrapper, GetParent(first)) << "the stand-in made no wrapper";
  // The form's children from the top: the wrapper comes before the earlier control.
  std::vector<HWND> order;
  for (HWND child = GetWindow(GetParent(first), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(child);
  }
  const auto at = [&](HWND window) { return std::find(order.begin(), order.end(), window) - order.begin(); };
  EXPECT_LT(at(wrapper), at(first));
}

// A control that answers "use the registry" for its flags: the flags under its class key count, so
// one invisible at run time is not activated although its form record does not say so.
TEST_F(HostedControls, FlagsKeptInTheRegistryAreRead) {
  ASSERT_EQ(RegisterBesideMe(L"VELControlResizer.ocx"), S_OK);
  const std::wstring journal = kit::driver::BesideMe(L"usereg.journal");
  DeleteFileW(journal.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", journal.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"VELControlResizer.ControlResizer:usereg");
  constexpr ItemRecord kForm[] = {FormWindow(3530, 2360),
                                  Control(L"resizer", kit::catalogue::kControlResizer, 90, 300, 160, 160, 1, {})};
  BuildFailure failure;
  auto form = Form::Build(kForm, {}, failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  form->Show(SW_SHOWNOACTIVATE);
  form.reset();
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", nullptr);
  std::string lines;
  if (FILE* file = _wfopen(journal.c_str(), L"rb")) {
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof(buffer), file)) > 0;) lines.append(buffer, got);
    fclose(file);
  }
  EXPECT_NE(lines.find("resizer extent"), std::string::npos) << lines;
  EXPECT_EQ(lines.find("resizer activate"), std::string::npos) << "activated although invisible at run time:\n"
                                                             << lines;
}

// HIMETRIC and the form's unit, twips, both ways, for positions and sizes alike: a pure scale
// (1440 twips are 2540 HIMETRIC), to HIMETRIC to the nearest unit, halves away from zero.
TEST_F(HostedControls, CoordinatesConvertToTheNearestUnitOnBothSidesOfZero) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  constexpr ItemRecord kItem{.name = L"item", .kind = ItemKind::ActiveX, .left = 0, .top = 0, .width = 100,
                             .height = 100};
  LOGFONTW font{};
  {
    auto site = ControlSite::Create(window, RECT{0, 0, 10, 10}, kItem, ControlContainer::Create(window, L"Form1"),
                                    nullptr, font);
    ASSERT_TRUE(site);
    struct Case {
      float twips;
      LONG himetric;
    };
    // 36 twips are 63.5 HIMETRIC exactly.
    const Case toHimetric[] = {{1440, 2540}, {-1440, -2540}, {36, 64}, {-36, -64}, {0.3f, 1}, {-0.2f, 0}, {15, 26}};
    const Case toTwips[] = {{1440, 2540}, {-72, -127}, {0, 0}, {566.929f, 1000}};
    for (const DWORD kind : {XFORMCOORDS_POSITION, XFORMCOORDS_SIZE}) {
      for (const Case& c : toHimetric) {
        POINTF container{c.twips, -c.twips};
        POINTL himetric{12345, 12345};
        ASSERT_EQ(site->TransformCoords(&himetric, &container, kind | XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
        EXPECT_EQ(himetric.x, c.himetric) << c.twips << " twips, kind " << kind;
        EXPECT_EQ(himetric.y, -c.himetric) << -c.twips << " twips, kind " << kind;
      }
      for (const Case& c : toTwips) {
        POINTL himetric{c.himetric, -c.himetric};
        POINTF container{12345, 12345};
        ASSERT_EQ(site->TransformCoords(&himetric, &container, kind | XFORMCOORDS_HIMETRICTOCONTAINER), S_OK);
        EXPECT_NEAR(container.x, c.twips, 0.01) << c.himetric << " HIMETRIC, kind " << kind;
        EXPECT_NEAR(container.y, -c.twips, 0.01) << -c.himetric << " HIMETRIC, kind " << kind;
      }
    }
  }
  DestroyWindow(window);
}

std::wstring Read(IDispatch* object, const wchar_t* name, HRESULT* result = nullptr) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (SUCCEEDED(hr)) hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
  if (result) *result = hr;
  std::wstring text = L"<failed>";
  if (SUCCEEDED(hr) && value.vt == VT_DISPATCH) {
    text = L"(" + Read(value.pdispVal, L"Name") + L")";
  } else if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&value, &value, VARIANT_ALPHABOOL, VT_BSTR))) {
    text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  return text;
}

// The container services a control may ask for, straight from a site on the form's container.
TEST_F(HostedControls, TheSiteOffersContainerExtenderAndExtendedSitesButNoWindowlessRun) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(window);
  constexpr ItemRecord kFrame{.name = L"Frame_threed32", .kind = ItemKind::ActiveX, .left = 120, .top = 660,
                              .width = 3345, .height = 1065, .tabIndex = 2};
  constexpr ItemRecord kOption{.name = L"Option_threed32", .index = 1, .kind = ItemKind::ActiveX, .left = 300,
                               .top = 540, .width = 2505, .height = 345, .tabIndex = 4,
                               .container = L"Frame_threed32"};
  LOGFONTW font{};
  {
    auto container = ControlContainer::Create(window, L"Form1");
    ASSERT_TRUE(container);
    auto frameSite = ControlSite::Create(window, RECT{8, 44, 231, 115}, kFrame, container, nullptr, font);
    auto site = ControlSite::Create(window, RECT{20, 36, 187, 59}, kOption, container, frameSite, font);
    ASSERT_TRUE(frameSite && site);

    Microsoft::WRL::ComPtr<IOleContainer> asked;
    EXPECT_EQ(site->GetContainer(&asked), S_OK);
    EXPECT_EQ(asked.Get(), static_cast<IOleContainer*>(container.Get()));

    Microsoft::WRL::ComPtr<IDispatch> extender;
    ASSERT_EQ(site->GetExtendedControl(&extender), S_OK);
    std::wstring seen;
    for (const wchar_t* name : {L"Name", L"Index", L"Left", L"Top", L"Width", L"Height", L"Visible", L"Enabled",
                                L"TabIndex", L"TabStop", L"Tag", L"Parent", L"Container"}) {
      seen += std::wstring(name) + L"=" + Read(extender.Get(), name) + L" ";
    }
    EXPECT_EQ(seen, L"Name=Option_threed32 Index=1 Left=300 Top=540 Width=2505 Height=345 Visible=True Enabled=True "
                    L"TabIndex=4 TabStop=True Tag= Parent=(Form1) Container=(Frame_threed32) ")
        << std::string(seen.begin(), seen.end());
    HRESULT unknown = S_OK;
    Read(extender.Get(), L"Caption", &unknown);
    EXPECT_EQ(unknown, DISP_E_UNKNOWNNAME);

    Microsoft::WRL::ComPtr<IOleInPlaceSiteWindowless> windowless;
    ASSERT_EQ(site.As(&windowless), S_OK);
    EXPECT_EQ(windowless->CanWindowlessActivate(), S_FALSE);
    BOOL noRedraw = TRUE;
    EXPECT_TRUE(FAILED(windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS)));
    EXPECT_EQ(windowless->OnInPlaceActivateEx(&noRedraw, 0), S_OK);

    Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame;
    Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof(info);
    ASSERT_EQ(site->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
    HWND frameWindow = nullptr;
    EXPECT_EQ(frame->GetWindow(&frameWindow), S_OK);
    EXPECT_EQ(frameWindow, window);
    EXPECT_EQ(frame->SetBorderSpace(nullptr), S_OK) << "no border space wanted";
    const BORDERWIDTHS border{0, 20, 0, 0};
    EXPECT_EQ(frame->SetBorderSpace(&border), OLE_E_INVALIDRECT);
  }
  EXPECT_EQ(ControlContainer::Live(), 0);
  DestroyWindow(window);
}

// Late-bound, as a control's code calls: the member by name, then Invoke with at most one
// argument (a put's with its DISPID_PROPERTYPUT name).
HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* argument, VARIANT* result) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS parameters{argument, put ? &named : nullptr, argument ? 1u : 0u, put ? 1u : 0u};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr);
}

HRESULT Put(IDispatch* object, const wchar_t* name, VARIANT value) {
  return Call(object, name, DISPATCH_PROPERTYPUT, &value, nullptr);
}

VARIANT Value(VARTYPE type, double number, const wchar_t* text = nullptr) {
  VARIANT value;
  VariantInit(&value);
  if (text) {
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);  // left for the test process to end with
    return value;
  }
  value.vt = VT_R8;
  value.dblVal = number;
  VariantChangeType(&value, &value, 0, type);
  return value;
}

// The extender a hosted control's site hands it.
Microsoft::WRL::ComPtr<IDispatch> ExtenderOf(Form& form, const wchar_t* name,
                                            std::optional<std::int16_t> index = std::nullopt) {
  Microsoft::WRL::ComPtr<IOleObject> control;
  Microsoft::WRL::ComPtr<IOleClientSite> client;
  Microsoft::WRL::ComPtr<IOleControlSite> site;
  Microsoft::WRL::ComPtr<IDispatch> extender;
  IUnknown* object = form.ControlObject(name, index);
  if (object && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&control))) &&
      SUCCEEDED(control->GetClientSite(&client)) && SUCCEEDED(client.As(&site))) {
    site->GetExtendedControl(&extender);
  }
  return extender;
}

Microsoft::WRL::ComPtr<IDispatch> Member(IDispatch* object, const wchar_t* name) {
  UniqueVariant value;
  if (FAILED(Call(object, name, DISPATCH_PROPERTYGET, nullptr, value.get())) || value.value().vt != VT_DISPATCH) {
    return nullptr;
  }
  return Microsoft::WRL::ComPtr<IDispatch>(value.value().pdispVal);
}

std::unique_ptr<Form> BuildThreed(BuildFailure& failure) {
  if (RegisterBesideMe(L"THREED32.OCX") != S_OK) return nullptr;
  return Form::Build(kit::catalogue::probe_threed32::kForm, {}, failure);
}

// Parent.Controls(key) in one call (property or method), the collection's Item and Count, and
// For Each through _NewEnum: the same extenders, in creation order.
TEST_F(HostedControls, TheFormsControlsAnswerByIndexByNameAndForEach) {
  BuildFailure failure;
  auto form = BuildThreed(failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  const Microsoft::WRL::ComPtr<IDispatch> check = ExtenderOf(*form, L"Check_threed32");
  ASSERT_TRUE(check);
  const Microsoft::WRL::ComPtr<IDispatch> parent = Member(check.Get(), L"Parent");
  ASSERT_TRUE(parent);
  const Microsoft::WRL::ComPtr<IDispatch> inCreationOrder[] = {
      ExtenderOf(*form, L"Frame_threed32"), ExtenderOf(*form, L"Option_threed32", 1),
      ExtenderOf(*form, L"Option_threed32", 0), check};
  struct Case {
    WORD flags;
    VARIANT key;
    HRESULT expected;
    IDispatch* extender;
  };
  const Case cases[] = {
      {DISPATCH_PROPERTYGET, Value(VT_I4, 0), S_OK, inCreationOrder[0].Get()},
      {DISPATCH_METHOD, Value(VT_I2, 3), S_OK, check.Get()},
      {DISPATCH_PROPERTYGET | DISPATCH_METHOD, Value(VT_BSTR, 0, L"option_threed32(0)"), S_OK,
       inCreationOrder[2].Get()},
      {DISPATCH_METHOD, Value(VT_BSTR, 0, L"Check_threed32"), S_OK, check.Get()},
      {DISPATCH_PROPERTYGET, Value(VT_R8, 1), S_OK, inCreationOrder[1].Get()},
      {DISPATCH_PROPERTYGET, Value(VT_I4, 4), DISP_E_BADINDEX, nullptr},
      {DISPATCH_PROPERTYGET, Value(VT_I4, -1), DISP_E_BADINDEX, nullptr},
      {DISPATCH_METHOD, Value(VT_BSTR, 0, L"Command_done"), DISP_E_BADINDEX, nullptr},
  };
  const Microsoft::WRL::ComPtr<IDispatch> controls = Member(parent.Get(), L"Controls");
  ASSERT_TRUE(controls);
  for (const Case& c : cases) {
    for (IDispatch* asked : {parent.Get(), controls.Get()}) {
      VARIANT key = c.key;
      UniqueVariant got;
      const HRESULT hr = Call(asked, asked == parent.Get() ? L"Controls" : L"Item", c.flags, &key, got.get());
      const std::string what = std::string(asked == parent.Get() ? "Controls" : "Controls.Item") + " flags " +
                               std::to_string(c.flags) + " key type " + std::to_string(c.key.vt);
      EXPECT_EQ(hr, c.expected) << what;
      if (c.extender) {
        EXPECT_EQ(got.value().vt, VT_DISPATCH) << what;
        EXPECT_EQ(got.value().pdispVal, c.extender) << what << " gave " << kit::driver::Narrow(Read(got.value().pdispVal, L"Name"));
      }
    }
  }
  EXPECT_EQ(Read(controls.Get(), L"Count"), L"4");

  for (const WORD flags : {DISPATCH_PROPERTYGET, DISPATCH_METHOD}) {
    UniqueVariant got;
    ASSERT_EQ(Call(controls.Get(), L"_NewEnum", flags, nullptr, got.get()), S_OK);
    ASSERT_EQ(got.value().vt, VT_UNKNOWN);
    Microsoft::WRL::ComPtr<IEnumVARIANT> each;
    ASSERT_EQ(got.value().punkVal->QueryInterface(IID_PPV_ARGS(&each)), S_OK);
    std::vector<IDispatch*> seen;
    VARIANT item;
    while (each->Next(1, &item, nullptr) == S_OK) {
      EXPECT_EQ(item.vt, VT_DISPATCH);
      seen.push_back(item.pdispVal);
      VariantClear(&item);
    }
    EXPECT_EQ(seen, (std::vector<IDispatch*>{inCreationOrder[0].Get(), inCreationOrder[1].Get(),
                                              inCreationOrder[2].Get(), check.Get()}));
  }
}

// One extender per site for its whole life, and Container is the frame's own extender, so that
// option buttons grouping by container find one group; one on the form gets the form.
TEST_F(HostedControls, ExtendersAndContainersKeepTheirIdentity) {
  const int sitesBefore = ControlSite::Live();
  BuildFailure failure;
  auto form = BuildThreed(failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  const auto frame = ExtenderOf(*form, L"Frame_threed32");
  const auto option0 = ExtenderOf(*form, L"Option_threed32", 0);
  const auto option1 = ExtenderOf(*form, L"Option_threed32", 1);
  const auto check = ExtenderOf(*form, L"Check_threed32");
  ASSERT_TRUE(frame && option0 && option1 && check);
  EXPECT_EQ(ExtenderOf(*form, L"Option_threed32", 0), option0);
  EXPECT_EQ(Member(option0.Get(), L"Container"), frame);
  EXPECT_EQ(Member(option1.Get(), L"Container"), frame);
  EXPECT_EQ(Member(option0.Get(), L"Container"), Member(option1.Get(), L"Container"));
  EXPECT_EQ(Member(check.Get(), L"Container"), Member(check.Get(), L"Parent"));
  // A control may keep its extender after its form is gone: it answers, with an error.
  form.reset();
  EXPECT_EQ(ControlSite::Live(), sitesBefore) << "a site outlived its control";
  EXPECT_EQ(ControlContainer::Live(), 0);
  HRESULT gone = S_OK;
  Read(option0.Get(), L"Name", &gone);
  EXPECT_EQ(gone, CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(Put(option0.Get(), L"Left", Value(VT_I4, 10)), CO_E_OBJNOTCONNECTED);
}

// Each property a control's code sets on an extender: the form acts on it and reads it back.
TEST_F(HostedControls, ExtenderPutsActOnTheFormAndReadBack) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  BuildFailure failure;
  auto form = Form::Build(kit::catalogue::probe_mscomctl::kForm, {}, failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  form->Show(SW_SHOWNOACTIVATE);
  const Dpi dpi = form->ScreenDpi();
  RECT client{};
  GetClientRect(form->Window(), &client);
  const std::int32_t clientTwips = kit::PixelsToTwips(client.bottom, dpi.y);
  // Where the window lies in its parent, in pixels: left, top, width, height.
  const auto placeOf = [](HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return PixelRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  };
  struct Case {
    const wchar_t* control;
    const wchar_t* property;
    VARIANT value;
    HRESULT expected;
    std::wstring readBack;
    int pixels;  // the window's left, top, width or height afterwards; -1: not a place
  };
  const int px600 = kit::TwipsToPixels(600, dpi.x);
  const Case cases[] = {
      {L"Tree_mscomctl", L"Left", Value(VT_I4, 600), S_OK, L"600", px600},
      {L"Tree_mscomctl", L"Top", Value(VT_BSTR, 0, L"300"), S_OK, L"300", kit::TwipsToPixels(300, dpi.y)},
      {L"Tree_mscomctl", L"Width", Value(VT_R8, 1499.6), S_OK, L"1500", kit::TwipsToPixels(1500, dpi.x)},
      {L"Tree_mscomctl", L"Height", Value(VT_R4, 900), S_OK, L"900", kit::TwipsToPixels(900, dpi.y)},
      {L"Tree_mscomctl", L"Width", Value(VT_I4, -15), CTL_E_INVALIDPROPERTYVALUE, L"1500", -1},
      {L"Tree_mscomctl", L"Left", Value(VT_BSTR, 0, L"left"), DISP_E_TYPEMISMATCH, L"600", -1},
      {L"Tree_mscomctl", L"Visible", Value(VT_I4, 0), S_OK, L"False", -1},
      {L"sld_mscomctl", L"Enabled", Value(VT_BOOL, 0), S_OK, L"False", -1},
      {L"prg_mscomctl", L"Tag", Value(VT_BSTR, 0, L"partner"), S_OK, L"partner", -1},
      {L"prg_mscomctl", L"TabStop", Value(VT_BOOL, 0), S_OK, L"False", -1},
      // Aligned bars keep to their edge: Left and Top read back where the bar lies, a new height
      // is taken and a bottom bar grows upwards.
      {L"Status_mscomctl", L"Top", Value(VT_I4, 0), S_OK, L"", -1},
      {L"Status_mscomctl", L"Height", Value(VT_I4, 600), S_OK, L"600", kit::TwipsToPixels(600, dpi.y)},
      {L"tlb_mscomctl", L"Left", Value(VT_I4, 500), S_OK, L"0", 0},
      {L"Tree_mscomctl", L"Name", Value(VT_BSTR, 0, L"other"), CTL_E_SETNOTSUPPORTED, L"Tree_mscomctl", -1},
      {L"Tree_mscomctl", L"hWnd", Value(VT_I4, 0), CTL_E_SETNOTSUPPORTED, L"", -1},
      {L"Tree_mscomctl", L"Parent", Value(VT_I4, 0), CTL_E_SETNOTSUPPORTED, L"(Form1)", -1},
  };
  for (const Case& c : cases) {
    const std::string what = kit::driver::Narrow(c.control) + "." + kit::driver::Narrow(c.property);
    const auto extender = ExtenderOf(*form, c.control);
    ASSERT_TRUE(extender) << what;
    EXPECT_EQ(Put(extender.Get(), c.property, c.value), c.expected) << what;
    if (!c.readBack.empty()) {
      EXPECT_EQ(Read(extender.Get(), c.property), c.readBack) << what;
    }
    HWND window = form->ItemWindow(c.control);
    const PixelRect place = placeOf(window);
    const std::wstring property = c.property;
    if (c.pixels >= 0) {
      const int got = property == L"Left" ? place.left : property == L"Top" ? place.top
                                          : property == L"Width" ? place.width : place.height;
      EXPECT_EQ(got, c.pixels) << what;
    }
    if (property == L"Visible") {
      EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) << what;
    } else if (property == L"Enabled") {
      EXPECT_FALSE(IsWindowEnabled(window)) << what;
    }
    if (std::wstring(c.control) == L"Status_mscomctl") {
      EXPECT_EQ(place.top + place.height, client.bottom) << what << ": the status bar left the bottom edge";
      EXPECT_EQ(Read(extender.Get(), L"Top"), std::to_wstring(clientTwips - _wtoi(Read(extender.Get(), L"Height").c_str())))
          << what;
    }
    if (property == L"hWnd") {
      EXPECT_EQ(Read(extender.Get(), L"hWnd"), std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window))));
    }
  }
  // Shown again and enabled again, the controls are back.
  const auto tree = ExtenderOf(*form, L"Tree_mscomctl");
  EXPECT_EQ(Put(tree.Get(), L"Visible", Value(VT_BOOL, 1)), S_OK);
  EXPECT_TRUE(GetWindowLongW(form->ItemWindow(L"Tree_mscomctl"), GWL_STYLE) & WS_VISIBLE);
}

// The item holding the focus, by name ("" for none of the form's).
std::wstring Focused(const Form& form) {
  HWND focus = GetFocus();
  for (const ItemRecord& item : form.Description()) {
    HWND window = form.ItemWindow(item.name, item.index);
    if (window && focus && (window == focus || IsChild(window, focus))) return std::wstring(item.name);
  }
  return L"";
}

// The items Tab reaches from Command_done, one round.
std::vector<std::wstring> TabWalk(Form& form) {
  SendMessageW(form.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form.ItemWindow(L"Command_done")), TRUE);
  std::vector<std::wstring> walk{Focused(form)};
  for (std::size_t i = 0; i < form.Description().size(); ++i) {
    form.MoveFocus(true);
    if (Focused(form) == walk.front()) break;
    walk.push_back(Focused(form));
  }
  return walk;
}

// TabIndex n moves a control to place n of the keyboard order and renumbers the others, as a
// form does; TabStop False leaves it out of Tab.
TEST_F(HostedControls, TabIndexAndTabStopSetByAControlChangeTheKeyboardOrder) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  BuildFailure failure;
  auto form = Form::Build(kit::catalogue::probe_mscomctl::kForm, {}, failure);
  ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
  form->Show(SW_SHOWNOACTIVATE);
  const std::vector<std::wstring> before = TabWalk(*form);
  const auto has = [](const std::vector<std::wstring>& walk, const wchar_t* name) {
    return std::find(walk.begin(), walk.end(), name) != walk.end();
  };
  ASSERT_TRUE(has(before, L"sld_mscomctl") && has(before, L"Tree_mscomctl") && before.front() == L"Command_done")
      << kit::driver::Narrow(before.back());
  // The walk a keyboard order gives, over the items that take the focus at all.
  const auto walkOf = [&](std::vector<std::wstring> order) {
    std::rotate(order.begin(), std::find(order.begin(), order.end(), L"Command_done"), order.end());
    std::erase_if(order, [&](const std::wstring& name) { return !has(before, name.c_str()); });
    return order;
  };
  const auto slider = ExtenderOf(*form, L"sld_mscomctl");
  const auto tree = ExtenderOf(*form, L"Tree_mscomctl");
  EXPECT_EQ(Read(tree.Get(), L"TabIndex"), L"4");
  // The tree to place 0: everything before it moves down one.
  EXPECT_EQ(Put(tree.Get(), L"TabIndex", Value(VT_I4, 0)), S_OK);
  EXPECT_EQ(Read(tree.Get(), L"TabIndex"), L"0");
  EXPECT_EQ(Read(ExtenderOf(*form, L"tlb_mscomctl").Get(), L"TabIndex"), L"2");
  EXPECT_EQ(Read(slider.Get(), L"TabIndex"), L"5");
  EXPECT_EQ(TabWalk(*form), walkOf({L"Tree_mscomctl", L"Command_done", L"tlb_mscomctl", L"Status_mscomctl",
                                    L"prg_mscomctl", L"sld_mscomctl"}));
  // An index beyond the last place is the last place.
  EXPECT_EQ(Put(tree.Get(), L"TabIndex", Value(VT_I4, 99)), S_OK);
  EXPECT_EQ(Read(tree.Get(), L"TabIndex"), L"5");
  EXPECT_EQ(Read(slider.Get(), L"TabIndex"), L"4");
  EXPECT_EQ(Put(tree.Get(), L"TabIndex", Value(VT_I4, -1)), CTL_E_INVALIDPROPERTYVALUE);
  // Without a tab stop the slider is passed by; its index stays.
  EXPECT_EQ(Put(slider.Get(), L"TabStop", Value(VT_BOOL, 0)), S_OK);
  EXPECT_EQ(TabWalk(*form), walkOf({L"Command_done", L"tlb_mscomctl", L"Status_mscomctl", L"prg_mscomctl",
                                    L"Tree_mscomctl"}));
  EXPECT_EQ(Read(slider.Get(), L"TabIndex"), L"4");
}

// The ambient properties a control may look up by name before it asks for them.
TEST_F(HostedControls, TheSiteNamesTheAmbientPropertiesItAnswers) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  constexpr ItemRecord kItem{.name = L"item", .kind = ItemKind::ActiveX, .width = 100, .height = 100};
  LOGFONTW font{};
  lstrcpyW(font.lfFaceName, L"Tahoma");
  font.lfHeight = -11;
  {
    auto site = ControlSite::Create(window, RECT{0, 0, 10, 10}, kItem, ControlContainer::Create(window, L"Form1"),
                                    nullptr, font);
    ASSERT_TRUE(site);
    const std::pair<const wchar_t*, DISPID> names[] = {
        {L"BackColor", DISPID_AMBIENT_BACKCOLOR},     {L"forecolor", DISPID_AMBIENT_FORECOLOR},
        {L"Font", DISPID_AMBIENT_FONT},               {L"LocaleID", DISPID_AMBIENT_LOCALEID},
        {L"UserMode", DISPID_AMBIENT_USERMODE},       {L"UIDead", DISPID_AMBIENT_UIDEAD},
        {L"ShowGrabHandles", DISPID_AMBIENT_SHOWGRABHANDLES}, {L"ShowHatching", DISPID_AMBIENT_SHOWHATCHING},
        {L"MessageReflect", DISPID_AMBIENT_MESSAGEREFLECT},   {L"SupportsMnemonics", DISPID_AMBIENT_SUPPORTSMNEMONICS},
        {L"DisplayName", DISPID_AMBIENT_DISPLAYNAME},
    };
    for (const auto& [name, id] : names) {
      HRESULT hr = E_FAIL;
      Read(site.Get(), name, &hr);
      EXPECT_EQ(hr, S_OK) << kit::driver::Narrow(name);
      DISPID got = 12345;
      LPOLESTR asked[] = {const_cast<LPOLESTR>(name)};
      EXPECT_EQ(site->GetIDsOfNames(IID_NULL, asked, 1, LOCALE_USER_DEFAULT, &got), S_OK);
      EXPECT_EQ(got, id) << kit::driver::Narrow(name);
    }
    EXPECT_EQ(Read(site.Get(), L"DisplayName"), L"item");
    HRESULT unknown = S_OK;
    Read(site.Get(), L"ScaleUnits", &unknown);
    EXPECT_EQ(unknown, DISP_E_UNKNOWNNAME);
  }
  DestroyWindow(window);
}

}  // namespace
