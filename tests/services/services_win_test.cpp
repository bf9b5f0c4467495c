// The service probes' Win32 side inside the test process, where fonts can be read and COM
// objects called directly: the five forms as built, the error descriptions taken from a
// component's error information, the stand-ins' tables against the platform's declarations, and
// where Wine's own ADO stops.
#include "common/ansi_text.h"
#include "common/system_error.h"
#include "probes/services/ado26/ado26_probe.h"
#include "probes/services/ado26/ado_interfaces.h"
#include "probes/services/common/com_calls.h"
#include "probes/services/dao360/dao360_probe.h"
#include "probes/services/dao360/dao_interfaces.h"
#include "probes/services/scrrun/scrrun_probe.h"
#include "probes/services/velutils/velutils_probe.h"
#include "probes/services/velvbutils/velvbutils_probe.h"
#include "probes/shell/form_layout.h"
#include "probes/shell/form_window.h"
#include "tests/services/platform_tables.h"
#include "tests/services/services_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

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
    // Tab order: done first, test next.
    form->Show(SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetFocus(), form->ItemWindow(L"Command_done"));
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(form->PreTranslate(tab));
    EXPECT_EQ(GetFocus(), form->ItemWindow(L"Command_test"));
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

  // Error information without words: the system's text, else a name and the code.
  SetThreadErrorInfo(L"");
  failure = ObjectFailure(static_cast<HRESULT>(0x80040154u), &keeps, IID_IDispatch);
  EXPECT_EQ(failure.description, DescribeError(0x80040154u));
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

// The stand-ins called through the platform's own declarations: every call of a probe's test
// lands in the entry it names, with the values the probe passes.
std::vector<std::string> JournalLines(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "\n  " + line;
  return text;
}

// A stand-in server of this build, loaded from beside the test, its object made by its factory.
class StandInObject {
public:
  StandInObject(const wchar_t* dll, REFCLSID clsid) {
    m_library = LoadLibraryW(driver::BesideMe(dll).c_str());
    EXPECT_TRUE(m_library) << Narrow(dll);
    if (!m_library) return;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(m_library, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
    if (!factory) return;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(m_object.GetAddressOf())), S_OK);
  }
  ~StandInObject() {
    m_object.Reset();
    if (m_library) FreeLibrary(m_library);
  }
  IUnknown* Get() const { return m_object.Get(); }

private:
  HMODULE m_library = nullptr;
  ComPtr<IUnknown> m_object;
};

TEST(StandInTables, AdoAndDaoAnswerCallsMadeThroughThePlatformsDeclarations) {
  const std::wstring journal = driver::BesideMe(L"standin_tables.journal");
  DeleteFileW(journal.c_str());
  SetEnvironmentVariableW(L"KIT_JOURNAL", journal.c_str());
  {
    StandInObject connection(L"standin_ado.dll", ado::kConnectionClass);
    ASSERT_TRUE(connection.Get());
    EXPECT_EQ(PlatformAdoCalls(connection.Get()), S_OK);
  }
  const std::string file = Narrow(driver::BesideMe(L"standin_tables.mdb"));
  DeleteFileA(file.c_str());
  {
    StandInObject engine(L"standin_dao.dll", dao::kEngineClass);
    ASSERT_TRUE(engine.Get());
    EXPECT_EQ(PlatformDaoCalls(engine.Get(), driver::BesideMe(L"standin_tables.mdb").c_str()), S_OK);
  }
  SetEnvironmentVariableW(L"KIT_JOURNAL", nullptr);
  const std::string missing = "VT_ERROR 0x80020004";
  const std::vector<std::string> expected = {
      "create Connection",
      "Connection put ConnectionString \"\"",
      "Connection get Properties",
      "create Properties",
      "Properties get Item VT_BSTR \"Prompt\"",
      "create Property Prompt",
      "Property Prompt put Value VT_I4 2",
      "Connection put CursorLocation 3",
      "Connection call Open \"\" \"\" \"\" -1",
      "release Property Prompt",
      "release Properties",
      "release Connection",
      "create DBEngine",
      "DBEngine CreateDatabase \"" + file + "\" \";LANGID=0x0409;CP=1252;COUNTRY=0\" VT_BOOL False",
      "create Database " + file,
      "Database " + file + " Close",
      "DBEngine OpenDatabase \"" + file + "\" " + missing + " " + missing + " " + missing,
      "create Database " + file,
      "release Database " + file,
      "release Database " + file,
      "release DBEngine",
  };
  EXPECT_EQ(JournalLines(journal), expected) << Joined(JournalLines(journal));
  DeleteFileA(file.c_str());
}

// Wine's own ADO, called by probe_ado26's own test: it creates a connection and stops at the
// first call it does not serve. The exact call and code are stated, so a change in Wine shows.
TEST(WineAdo, StopsWhereItsConnectionServesNoMore) {
  ASSERT_EQ(driver::RegisterServer(services_test::WineAdoLibrary()), S_OK);
  const auto stop = ado26::RunTest();
  ado26::ReleaseReferences();
  ASSERT_TRUE(stop) << "Wine's ADO opened a connection with nothing preset";
  EXPECT_EQ(static_cast<int>(stop->call), static_cast<int>(ado26::AdoCall::Properties));
  EXPECT_EQ(stop->code, 0x80004001u) << std::hex << stop->code;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // As the probes run: inside OLE on the one thread.
  if (FAILED(OleInitialize(nullptr))) return 2;
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
