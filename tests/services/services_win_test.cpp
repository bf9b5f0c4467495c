// The service probes' Win32 side inside the test process, where fonts can be read and COM
// objects called directly: the five forms as built, the error descriptions taken from a
// component's error information, and which step Wine's own ADO refuses.
#include "common/ansi_text.h"
#include "probes/services/ado26/ado26_probe.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/dao360/dao360_probe.h"
#include "probes/services/scrrun/scrrun_probe.h"
#include "probes/services/velutils/velutils_probe.h"
#include "probes/services/velvbutils/velvbutils_probe.h"
#include "probes/shell/form_layout.h"
#include "probes/shell/form_window.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace kit;
using namespace kit::services;
using namespace kit::shell;

std::string Narrow(std::wstring_view text) { return ToAnsi(text); }

LOGFONTW FontOf(HWND item) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
  EXPECT_TRUE(handle && GetObjectW(handle, sizeof(font), &font));
  return font;
}

std::unique_ptr<Form> Build(FormDescription description) {
  BuildFailure failure;
  auto form = Form::Build(description, {}, failure);
  EXPECT_TRUE(form) << Narrow(failure.message);
  return form;
}

TEST(ServiceForms, VelUtilsItemsAreMsSansSerifEightPointBold) {
  auto form = Build(velutils::ProbeForm());
  ASSERT_TRUE(form);
  for (const wchar_t* name : {L"Command_done", L"Check_lib"}) {
    SCOPED_TRACE(Narrow(name));
    HWND item = std::wstring_view(name) == L"Check_lib" ? form->ItemWindow(name, 0) : form->ItemWindow(name);
    ASSERT_TRUE(item);
    const LOGFONTW font = FontOf(item);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, FontHeightPixels(8, form->ScreenDpi().y));
    EXPECT_EQ(font.lfWeight, FW_BOLD);
  }
  EXPECT_EQ(SendMessageW(form->ItemWindow(L"Check_lib", 0), BM_GETCHECK, 0, 0), BST_UNCHECKED)
      << "the box starts unticked; only the load ticks it";
}

TEST(ServiceForms, OtherProbesUseTheDefaultFontAndTestFollowsDone) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  for (FormDescription description : {ado26::ProbeForm(), dao360::ProbeForm(), scrrun::ProbeForm(),
                                      velvbutils::ProbeForm()}) {
    auto form = Build(description);
    ASSERT_TRUE(form);
    for (const wchar_t* name : {L"Command_done", L"Command_test"}) {
      SCOPED_TRACE(Narrow(name));
      const LOGFONTW font = FontOf(form->ItemWindow(name));
      EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
      EXPECT_EQ(font.lfWeight, metrics.lfMessageFont.lfWeight);
    }
    // The dialog manager's order: done first, test next.
    EXPECT_EQ(GetWindow(form->ItemWindow(L"Command_done"), GW_HWNDNEXT), form->ItemWindow(L"Command_test"));
  }
}

// An object whose interface keeps error information, as the kit's stand-ins and most
// components do; and one that does not say it keeps any.
class ErrorSource final : public ISupportErrorInfo {
public:
  explicit ErrorSource(bool supports) : m_supports(supports) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
  ULONG STDMETHODCALLTYPE Release() override { return --m_count; }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return m_supports && IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
  }
  ULONG Count() const { return m_count; }

private:
  bool m_supports;
  ULONG m_count = 1;
};

void SetThreadErrorInfo(const wchar_t* description) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(create.As(&info), S_OK);
  SetErrorInfo(0, info.Get());
}

TEST(ServiceErrors, TheComponentsOwnWordsOnlyWhenItSaysItKeepsThem) {
  ErrorSource keeps(true);
  SetThreadErrorInfo(L"The engine's own words.");
  StepFailure failure = ObjectFailure(E_FAIL, &keeps, IID_IDispatch);
  EXPECT_EQ(failure.description, L"The engine's own words.");
  EXPECT_EQ(failure.code, static_cast<std::uint32_t>(E_FAIL));

  // Stale information of an earlier call is not taken for an object that keeps none.
  ErrorSource keepsNone(false);
  SetThreadErrorInfo(L"stale words");
  failure = ObjectFailure(static_cast<HRESULT>(0x80040154u), &keepsNone, IID_IDispatch);
  EXPECT_EQ(failure.description, L"Class not registered (0x80040154)");
  SetErrorInfo(0, nullptr);

  EXPECT_EQ(keeps.Count(), 1u);
  EXPECT_EQ(keepsNone.Count(), 1u);
}

TEST(ServiceErrors, CreationFailuresAreDescribedAndLeaveNothingBehind) {
  constexpr CLSID kNobody = {0x0badc0de, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
  ComPtr<IDispatch> object;
  auto failure = CreateObject(kNobody, IID_IDispatch, object);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->description, L"Class not registered (0x80040154)");
  EXPECT_FALSE(object);
  ComPtr<IUnknown> unknown;
  failure = CreateObjectByName(L"Kit.NoSuchClass.1", IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()));
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->description.empty());
  EXPECT_FALSE(unknown);
}

// Wine's own ADO, called the way probe_ado26 calls it: states where it stops. (Here its
// IDispatch side refuses the first call: its type library is not registered in the prefix.)
TEST(WineAdo, CreatesAConnectionButCannotCompleteOneWithNothingPreset) {
  constexpr CLSID kConnectionClass = {0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
  constexpr IID kConnectionInterface = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
  ComPtr<IDispatch> connection;
  auto failure = CreateObject(kConnectionClass, kConnectionInterface, connection);
  ASSERT_FALSE(failure) << "Wine's ADO can be created: " << Narrow(failure->description);
  std::string stoppedAt;
  UniqueVariant empty[] = {UniqueVariant::Text(L"")};
  failure = CallByName(connection.Get(), L"ConnectionString", DISPATCH_PROPERTYPUT, empty);
  stoppedAt = "ConnectionString";
  if (!failure) {
    UniqueVariant properties;
    failure = CallByName(connection.Get(), L"Properties", DISPATCH_PROPERTYGET, {}, properties.put());
    stoppedAt = "Properties";
  }
  if (!failure) {
    UniqueVariant open[] = {UniqueVariant::Text(L""), UniqueVariant::Text(L""), UniqueVariant::Text(L""), UniqueVariant::Int32(-1)};
    failure = CallByName(connection.Get(), L"Open", DISPATCH_METHOD, open);
    stoppedAt = "Open";
  }
  ASSERT_TRUE(failure) << "Wine's ADO opened a connection with nothing preset";
  std::printf("Wine's ADO stops at %s: %s (0x%08X)\n", stoppedAt.c_str(), Narrow(failure->description).c_str(),
              static_cast<unsigned>(failure->code));
  EXPECT_FALSE(failure->description.empty());
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (FAILED(EnterComApartment())) return 2;
  const int result = RUN_ALL_TESTS();
  LeaveComApartment();
  return result;
}
