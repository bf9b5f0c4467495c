// The stand-in controls against Wine's real loader, registry and COM: every component file
// registers exactly its classes and removes them again, an instance created by ProgID journals
// what a container hands it in order, and the failures the host's bad-input tests ask for happen
// to the named class only.
#include "common/owners.h"
#include "common/win32.h"
#include "standins/controls/control_classes.h"
#include "test_container.h"

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using kit::standin::test::TestPropertyBag;
using kit::standin::test::TestSite;

namespace {

class OleEnvironment : public ::testing::Environment {
public:
  void SetUp() override { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] ::testing::Environment* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// One stand-in DLL, loaded beside the test and registered for the test's lifetime.
class RegisteredStandin {
public:
  explicit RegisteredStandin(const wchar_t* fileName) : m_path(BinFolder() + fileName) {
    m_module.reset(LoadLibraryW(m_path.c_str()));
    if (!m_module) return;
    m_registerResult = Call("DllRegisterServer");
  }
  ~RegisteredStandin() {
    if (m_module) Call("DllUnregisterServer");
  }
  RegisteredStandin(const RegisteredStandin&) = delete;
  RegisteredStandin& operator=(const RegisteredStandin&) = delete;

  bool loaded() const { return static_cast<bool>(m_module); }
  HRESULT registerResult() const { return m_registerResult; }
  HRESULT Call(const char* exportName) {
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(m_module.get(), exportName)));
    return entry ? entry() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  }
  HRESULT GetClassObject(REFCLSID clsid, void** object) {
    using Entry = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto entry =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(m_module.get(), "DllGetClassObject")));
    return entry ? entry(clsid, IID_IClassFactory, object) : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  }
  std::wstring modulePath() const {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(m_module.get(), path, MAX_PATH);
    return std::wstring(path, length);
  }

private:
  std::wstring m_path;
  kit::UniqueModule m_module;
  HRESULT m_registerResult = E_UNEXPECTED;
};

// The journal file named through the environment, as the host's tests do.
class Journal {
public:
  Journal() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    m_path = std::wstring(folder) + L"kit_standin_journal_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(m_path.c_str());
    SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", m_path.c_str());
  }
  ~Journal() {
    SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", nullptr);
    DeleteFileW(m_path.c_str());
  }
  std::vector<std::string> Lines() const {
    std::ifstream file(m_path.c_str(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

private:
  std::wstring m_path;
};

class FailureSetting {
public:
  explicit FailureSetting(const wchar_t* setting) { SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", setting); }
  ~FailureSetting() { SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr); }
};

// "<missing>" for an absent key or value, so a failed check prints what was there.
std::wstring RegistryText(const std::wstring& path, const wchar_t* valueName = nullptr) {
  kit::UniqueKey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return L"<missing>";
  wchar_t text[1024]{};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return L"<no value>";
  }
  return text;
}
bool KeyExists(const std::wstring& path) {
  kit::UniqueKey key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

CLSID ClassIdOf(const wchar_t* text) {
  CLSID clsid{};
  CLSIDFromString(const_cast<LPOLESTR>(text), &clsid);
  return clsid;
}

HRESULT CreateByProgId(const wchar_t* progId, ComPtr<IOleObject>& object) {
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                          reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
}

// A top-level window standing in for Form1.
class FormWindow {
public:
  FormWindow() {
    m_window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50,
                               400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~FormWindow() {
    if (m_window) DestroyWindow(m_window);
  }
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  HWND get() const { return m_window; }
  HWND StandinChild() const { return FindWindowExW(m_window, nullptr, L"KitStandinControl", nullptr); }

private:
  HWND m_window{};
};

VARIANT I4(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}
VARIANT R4(float value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_R4;
  V_R4(&v) = value;
  return v;
}
VARIANT Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
// The caller's VARIANT holds the font's one reference: VariantClear it.
VARIANT SansSerif8(bool italic = false, bool strike = false) {
  FONTDESC description{};
  description.cbSizeofstruct = sizeof(description);
  description.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
  description.cySize.int64 = 8 * 10000;  // CY: points with four decimal places
  description.sWeight = FW_NORMAL;
  description.sCharset = ANSI_CHARSET;
  description.fItalic = italic;
  description.fStrikethrough = strike;
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(&V_DISPATCH(&v))))) {
    V_VT(&v) = VT_DISPATCH;
  }
  return v;
}

TEST(StandinRegistration, EveryComponentFileRegistersExactlyItsClassesAndRemovesThem) {
  const auto files = kit::standin::AllComponentFiles();
  ASSERT_EQ(files.size(), 20u);
  for (const kit::standin::ComponentFile& file : files) {
    SCOPED_TRACE(Narrow(file.fileName));
    const kit::standin::StandinClass& foreign =
        (&file == &files[0] ? files[1] : files[0]).classes[0];  // a class of another file
    {
      RegisteredStandin standin(file.fileName);
      ASSERT_TRUE(standin.loaded()) << "error " << GetLastError();
      ASSERT_EQ(standin.registerResult(), S_OK);
      for (const kit::standin::StandinClass& entry : file.classes) {
        SCOPED_TRACE(Narrow(entry.progId));
        const std::wstring classKey = L"CLSID\\" + std::wstring(entry.clsid);
        EXPECT_EQ(RegistryText(classKey), entry.progId);
        EXPECT_EQ(RegistryText(classKey + L"\\InprocServer32"), standin.modulePath());
        EXPECT_EQ(RegistryText(classKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(RegistryText(classKey + L"\\ProgID"), entry.progId);
        EXPECT_TRUE(KeyExists(classKey + L"\\Control"));
        const DWORD registeredStatus = std::wcstoul(RegistryText(classKey + L"\\MiscStatus").c_str(), nullptr, 10);
        EXPECT_EQ((registeredStatus & OLEMISC_INVISIBLEATRUNTIME) != 0, entry.invisibleAtRunTime) << registeredStatus;
        EXPECT_EQ(RegistryText(std::wstring(entry.progId) + L"\\CLSID"), entry.clsid);

        ComPtr<IOleObject> control;
        ASSERT_EQ(CreateByProgId(entry.progId, control), S_OK);
        DWORD status = 0;
        ASSERT_EQ(control->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_EQ((status & OLEMISC_INVISIBLEATRUNTIME) != 0, entry.invisibleAtRunTime) << status;
        EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST) << status;
        CLSID reported{};
        ComPtr<IPersist> persist;
        ASSERT_EQ(control.As(&persist), S_OK);
        EXPECT_EQ(persist->GetClassID(&reported), S_OK);
        EXPECT_TRUE(IsEqualCLSID(reported, ClassIdOf(entry.clsid)));
      }
      // The DLL serves its own file's classes only.
      void* factory = reinterpret_cast<void*>(1);
      EXPECT_EQ(standin.GetClassObject(ClassIdOf(foreign.clsid), &factory), CLASS_E_CLASSNOTAVAILABLE);
      EXPECT_EQ(factory, nullptr);
    }
    for (const kit::standin::StandinClass& entry : file.classes) {
      EXPECT_FALSE(KeyExists(L"CLSID\\" + std::wstring(entry.clsid))) << Narrow(entry.progId);
      EXPECT_FALSE(KeyExists(entry.progId)) << Narrow(entry.progId);
    }
  }
}

TEST(StandinRegistration, Regsvr32RegistersAndUnregistersAFile) {
  const std::wstring path = BinFolder() + L"VELControlResizer.ocx";
  const auto run = [&](const std::wstring& arguments) {
    std::wstring command = L"regsvr32.exe " + arguments + L" \"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return static_cast<DWORD>(-1);
    }
    const kit::UniqueHandleObject processHandle(process.hProcess);
    const kit::UniqueHandleObject threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return exitCode;
  };
  const std::wstring classKey = L"CLSID\\{54FF8ABC-6A06-46ED-BA34-755864724256}";
  ASSERT_EQ(run(L"/s"), 0u);
  EXPECT_EQ(RegistryText(classKey), L"VELControlResizer.ControlResizer");
  EXPECT_NE(RegistryText(classKey + L"\\InprocServer32").find(L"VELControlResizer.ocx"), std::wstring::npos);
  ASSERT_EQ(run(L"/u /s"), 0u);
  EXPECT_FALSE(KeyExists(classKey));
  EXPECT_FALSE(KeyExists(L"VELControlResizer.ControlResizer"));
}

TEST(StandinControl, JournalsWhatTheContainerHandsItInOrderAndEndsReleased) {
  RegisteredStandin standin(L"VELSelectDir.ocx");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  FormWindow form;
  ASSERT_TRUE(form.get());
  const RECT position{4, 2, 233, 165};
  TestSite* site = new TestSite(form.get(), position, L"SelectDir1");
  TestPropertyBag* bag = new TestPropertyBag();
  VARIANT font = SansSerif8();
  bag->Add(L"_extentx", I4(6068));
  bag->Add(L"_extenty", I4(4322));
  bag->Add(L"font", font);
  VariantClear(&font);

  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"VELSelectDir.SelectDir", control), S_OK);
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  ASSERT_EQ(control->SetHostNames(L"probe_VELSelectDir", L"Form1"), S_OK);
  SIZEL extent{6068, 4322};
  ASSERT_EQ(control->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  ComPtr<IPersistPropertyBag> persist;
  ASSERT_EQ(control.As(&persist), S_OK);
  ASSERT_EQ(persist->Load(bag, nullptr), S_OK);
  EXPECT_EQ(bag->asked(), (std::vector<std::wstring>{L"_extentx", L"_extenty", L"font", L"kitnotsaved"}));

  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), S_OK);
  EXPECT_EQ(site->activations(), 1);
  const HWND child = form.StandinChild();
  ASSERT_TRUE(child);
  wchar_t text[128]{};
  GetWindowTextW(child, text, 128);
  EXPECT_STREQ(text, L"VELSelectDir.SelectDir");
  const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP), WS_CHILD | WS_VISIBLE | WS_TABSTOP) << std::hex << style;
  RECT placed{};
  GetWindowRect(child, &placed);
  MapWindowPoints(nullptr, form.get(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&placed, &position)) << placed.left << "," << placed.top << " " << placed.right << ","
                                             << placed.bottom;
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(control.As(&inPlace), S_OK);
  HWND reported = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&reported), S_OK);
  EXPECT_EQ(reported, child);
  SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(GetFocus(), child) << "a click gives the control the focus";

  const RECT moved{10, 20, 110, 70};
  ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  GetWindowRect(child, &placed);
  MapWindowPoints(nullptr, form.get(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_TRUE(EqualRect(&placed, &moved));

  ASSERT_EQ(control->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_FALSE(IsWindow(child)) << "closing destroys the control's window";
  EXPECT_EQ(site->deactivations(), 1);
  ASSERT_EQ(control->SetClientSite(nullptr), S_OK);
  persist.Reset();
  inPlace.Reset();
  EXPECT_EQ(control.Reset(), 0u);
  site->Release();
  bag->Release();
  EXPECT_EQ(standin.Call("DllCanUnloadNow"), S_OK) << "no object of the DLL is left";

  const std::vector<std::string> expected{
      "VELSelectDir.SelectDir create VELSelectDir.SelectDir",
      "SelectDir1 site",
      "SelectDir1 hostnames probe_VELSelectDir Form1",
      "SelectDir1 extent 6068 4322",
      "SelectDir1 load-bag",
      "SelectDir1 prop _extentx i4 6068",
      "SelectDir1 prop _extenty i4 4322",
      "SelectDir1 prop font font MS Sans Serif|8|400|0|0|0|0",
      "SelectDir1 prop kitnotsaved absent",
      "SelectDir1 inplace 4 2 229 163",
      "SelectDir1 activate",
      "SelectDir1 inplace 10 20 100 50",
      "SelectDir1 close 1",
      "SelectDir1 deactivate",
      "SelectDir1 site null",
      "SelectDir1 release",
  };
  EXPECT_EQ(journal.Lines(), expected);
}

TEST(StandinControl, WritesTheTypesOfTheGraphValuesInTheOrderItReadsThem) {
  RegisteredStandin standin(L"VELGraphControl.ocx");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  TestPropertyBag* bag = new TestPropertyBag();
  bag->Add(L"yaxismin", R4(-99999.0f));
  bag->Add(L"backcolor", I4(16777215));
  bag->Add(L"dozoom", Bool(false));
  bag->Add(L"zoomytype", I4(1));
  VARIANT font = SansSerif8(true, true);
  bag->Add(L"titlefont", font);
  VariantClear(&font);
  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"VELGraphControl.GraphControl", control), S_OK);
  ComPtr<IPersistPropertyBag> persist;
  ASSERT_EQ(control.As(&persist), S_OK);
  ASSERT_EQ(persist->Load(bag, nullptr), S_OK) << "names the bag lacks never fail the load";
  persist.Reset();
  control.Reset();
  bag->Release();

  // Before a site names it, the ProgID names the instance.
  const std::string prefix = "VELGraphControl.GraphControl ";
  std::vector<std::string> props;
  for (const std::string& line : journal.Lines()) {
    if (line.rfind(prefix + "prop ", 0) == 0) props.push_back(line.substr(prefix.size() + 5));
  }
  ASSERT_EQ(props.size(), 28u);
  EXPECT_EQ(props[0], "_extentx absent");
  EXPECT_EQ(props[2], "backcolor i4 16777215");
  EXPECT_EQ(props[4], "titlefont font MS Sans Serif|8|400|0|1|0|1");
  EXPECT_EQ(props[5], "yaxismin r4 -99999");
  EXPECT_EQ(props[18], "dozoom bool false");
  EXPECT_EQ(props[26], "zoomytype i4 1");
  EXPECT_EQ(props[27], "kitnotsaved absent");
}

TEST(StandinControl, StartsNewOrFromAStreamAndCountsItsBytes) {
  RegisteredStandin standin(L"MSCOMCTL.OCX");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(control.As(&persist), S_OK);
  EXPECT_EQ(persist->InitNew(), S_OK);
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf()), S_OK);
  const char bytes[] = "slider";
  ULONG written = 0;
  ASSERT_EQ(stream->Write(bytes, sizeof(bytes), &written), S_OK);
  const LARGE_INTEGER start{};
  ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  EXPECT_EQ(persist->Load(stream.Get()), S_OK);
  SIZEL extent{-7, -7};
  EXPECT_EQ(control->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_GT(extent.cx, 0);
  persist.Reset();
  control.Reset();
  EXPECT_EQ(journal.Lines(), (std::vector<std::string>{
                                 "MSComctlLib.Slider create MSComctlLib.Slider", "MSComctlLib.Slider initnew",
                                 "MSComctlLib.Slider load-stream 7", "MSComctlLib.Slider release"}));
}

TEST(StandinControl, InvisibleAtRunTimeActivatesWithoutAWindow) {
  RegisteredStandin standin(L"VELControlResizer.ocx");
  ASSERT_EQ(standin.registerResult(), S_OK);
  FormWindow form;
  const RECT position{6, 20, 17, 31};
  TestSite* site = new TestSite(form.get(), position, L"ControlResizer1");
  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"VELControlResizer.ControlResizer", control), S_OK);
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), S_OK);
  EXPECT_EQ(site->activations(), 1);
  EXPECT_EQ(form.StandinChild(), nullptr);
  ComPtr<IOleInPlaceObject> inPlace;
  ASSERT_EQ(control.As(&inPlace), S_OK);
  HWND window = reinterpret_cast<HWND>(1);
  EXPECT_NE(inPlace->GetWindow(&window), S_OK);
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(control->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_EQ(site->deactivations(), 1);
  control->SetClientSite(nullptr);
  inPlace.Reset();
  EXPECT_EQ(control.Reset(), 0u);
  site->Release();
}

TEST(StandinFailures, EachStageFailsTheNamedClassOnly) {
  RegisteredStandin standin(L"MSCOMCTL.OCX");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  FormWindow form;
  const RECT position{0, 0, 50, 20};
  ComPtr<IOleObject> control;
  {
    FailureSetting fail(L"MSComctlLib.Slider:create");
    EXPECT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), E_OUTOFMEMORY);
    EXPECT_EQ(CreateByProgId(L"MSComctlLib.TreeView", control), S_OK);
  }
  {
    // Several entries, ProgID and stage in any case.
    FailureSetting fail(L"MSComctlLib.TreeView:activate;mscomctllib.slider:LOAD");
    ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
    ComPtr<IPersistPropertyBag> bag;
    ASSERT_EQ(control.As(&bag), S_OK);
    TestPropertyBag* values = new TestPropertyBag();
    EXPECT_EQ(bag->Load(values, nullptr), E_FAIL);
    values->Release();
    EXPECT_EQ(bag->InitNew(), E_FAIL);
    TestSite* site = new TestSite(form.get(), position, L"");
    control->SetClientSite(site);
    EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), S_OK)
        << "the slider is not asked to fail activation";
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);

    ASSERT_EQ(CreateByProgId(L"MSComctlLib.TreeView", control), S_OK);
    control->SetClientSite(site);
    EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), E_FAIL);
    EXPECT_EQ(form.StandinChild(), nullptr) << "a failed activation leaves no window";
    EXPECT_EQ(site->activations(), 1) << "only the slider was activated";
    control->SetClientSite(nullptr);
    site->Release();
  }
  {
    FailureSetting fail(L"MSComctlLib.ProgressBar:extent");
    ASSERT_EQ(CreateByProgId(L"MSComctlLib.ProgressBar", control), S_OK);
    SIZEL extent{2822, 512};
    EXPECT_EQ(control->SetExtent(DVASPECT_CONTENT, &extent), E_FAIL);
    EXPECT_EQ(control->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_LT(extent.cx, 0) << "the malformed extent is a negative width";
  }
  {
    FailureSetting fail(L"MSComctlLib.StatusBar:noface");
    ASSERT_EQ(CreateByProgId(L"MSComctlLib.StatusBar", control), S_OK);
    ComPtr<IPersistPropertyBag> bag;
    EXPECT_EQ(control.As(&bag), E_NOINTERFACE);
    ComPtr<IPersistStreamInit> stream;
    EXPECT_EQ(control.As(&stream), S_OK) << "the host falls back to the stream interface";
  }
  control.Reset();
  EXPECT_EQ(standin.Call("DllCanUnloadNow"), S_OK);
  {
    FailureSetting fail(L"MSComctlLib.Toolbar:leak");
    ASSERT_EQ(CreateByProgId(L"MSComctlLib.Toolbar", control), S_OK);
    EXPECT_EQ(control.Reset(), 1u) << "the leaking control keeps its own reference";
    EXPECT_EQ(standin.Call("DllCanUnloadNow"), S_FALSE);
  }

  std::ostringstream all;
  for (const std::string& line : journal.Lines()) all << line << "\n";
  const std::string text = all.str();
  EXPECT_EQ(text.find("create MSComctlLib.Slider\nMSComctlLib.TreeView create"), std::string::npos)
      << "a refused creation journals nothing:\n" << text;
  EXPECT_NE(text.find("MSComctlLib.Slider load-bag\nMSComctlLib.Slider prop _ExtentX absent\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("MSComctlLib.ProgressBar extent 2822 512\n"), std::string::npos) << text;
  EXPECT_NE(text.find("MSComctlLib.Toolbar create MSComctlLib.Toolbar\nMSComctlLib.Toolbar leak\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("MSComctlLib.Toolbar release"), std::string::npos) << text;
}

TEST(StandinHabits, AControlThatNeedsItsContainerAndExtenderFailsToLoadWithoutThem) {
  RegisteredStandin standin(L"MSCOMCTL.OCX");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  FormWindow form;
  FailureSetting habit(L"MSComctlLib.Slider:needsite");
  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  TestSite* site = new TestSite(form.get(), RECT{0, 0, 50, 20}, L"sld");
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(control.As(&persist), S_OK);
  EXPECT_EQ(persist->InitNew(), E_FAIL) << "the test site has no container to give";
  control->SetClientSite(nullptr);
  persist.Reset();
  control.Reset();
  site->Release();
  const auto lines = journal.Lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "sld no container"), lines.end());
}

// The [default, source] interface a coclass names, as a container finds it without
// IProvideClassInfo2 (GUID_NULL when there is none).
IID SourceOf(ITypeInfo* coclass) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(coclass->GetTypeAttr(&attributes))) return GUID_NULL;
  const WORD count = attributes->cImplTypes;
  coclass->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> face;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || flags != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) ||
        FAILED(coclass->GetRefTypeOfImplType(i, &reference)) || FAILED(coclass->GetRefTypeInfo(reference, &face)) ||
        FAILED(face->GetTypeAttr(&attributes))) {
      continue;
    }
    const IID found = attributes->guid;
    face->ReleaseTypeAttr(attributes);
    return found;
  }
  return GUID_NULL;
}

// An event sink as a container makes one: it answers for the event dispinterface it was made for
// (or, when that is null, for IDispatch only) and counts the Clicks it hears.
class EventSink final : public IDispatch {
public:
  explicit EventSink(const IID* events) : m_events(events) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !(m_events && IsEqualIID(iid, *m_events))) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }  // on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id == DISPID_CLICK && flags == DISPATCH_METHOD) ++clicks;
    return S_OK;
  }
  int clicks = 0;
  ULONG m_refs = 1;

private:
  const IID* m_events;
};

// A control with events names its source dispinterface through IProvideClassInfo2 and through its
// coclass's [default, source] interface, takes only sinks for that interface, raises Click on
// them once active in place, and says when it is closed with a sink still advised.
TEST(StandinHabits, AControlWithEventsNamesItsSourceAndRaisesClickOnItsSinks) {
  RegisteredStandin standin(L"MSCOMCTL.OCX");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  FormWindow form;
  const RECT position{0, 0, 50, 20};
  ComPtr<IOleObject> control;
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  ComPtr<IProvideClassInfo> classInfo;
  ComPtr<IConnectionPointContainer> points;
  EXPECT_EQ(control.As(&classInfo), E_NOINTERFACE) << "no events without the habit";
  EXPECT_EQ(control.As(&points), E_NOINTERFACE);

  FailureSetting habit(L"MSComctlLib.Slider:event;MSComctlLib.TreeView:noadvise;MSComctlLib.Toolbar:classinfoonly");
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  ComPtr<IProvideClassInfo2> classInfo2;
  ASSERT_EQ(control.As(&classInfo2), S_OK);
  IID events = GUID_NULL;
  ASSERT_EQ(classInfo2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
  EXPECT_FALSE(IsEqualIID(events, GUID_NULL));
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(classInfo2->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, ClassIdOf(L"{F08DF954-8592-11D1-B16A-00C0F0283628}")));
  coclass->ReleaseTypeAttr(attributes);
  EXPECT_TRUE(IsEqualIID(SourceOf(coclass.Get()), events)) << "the coclass and GetGUID name one source";

  ASSERT_EQ(control.As(&points), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(points->FindConnectionPoint(events, &point), S_OK);
  IID pointInterface = GUID_NULL;
  EXPECT_EQ(point->GetConnectionInterface(&pointInterface), S_OK);
  EXPECT_TRUE(IsEqualIID(pointInterface, events));
  ComPtr<IEnumConnectionPoints> listed;
  ASSERT_EQ(points->EnumConnectionPoints(&listed), S_OK);
  IConnectionPoint* each[2] = {};
  ULONG fetched = 99;
  EXPECT_EQ(listed->Next(2, each, &fetched), S_FALSE) << "one point only";
  ASSERT_EQ(fetched, 1u);
  ComPtr<IConnectionPoint> first;
  first.Attach(each[0]);
  EXPECT_EQ(first->GetConnectionInterface(&pointInterface), S_OK);
  EXPECT_TRUE(IsEqualIID(pointInterface, events));
  EventSink plain(nullptr), sink(&events);
  DWORD cookie = 1234;
  EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT) << "a sink without the event interface";
  EXPECT_EQ(cookie, 0u);
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  TestSite* site = new TestSite(form.get(), position, L"sld");
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), S_OK);
  EXPECT_EQ(sink.clicks, 1);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(sink.m_refs, 1u) << "the sink is given back once unadvised";
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  point.Reset();
  first.Reset();
  listed.Reset();
  points.Reset();
  classInfo2.Reset();
  coclass.Reset();

  // Refusing every sink; named through IProvideClassInfo only; closed while advised.
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.TreeView", control), S_OK);
  ASSERT_EQ(control.As(&classInfo2), S_OK);
  ASSERT_EQ(classInfo2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
  ASSERT_EQ(control.As(&points), S_OK);
  ASSERT_EQ(points->FindConnectionPoint(events, &point), S_OK);
  EventSink treeSink(&events);
  EXPECT_EQ(point->Advise(&treeSink, &cookie), CONNECT_E_CANNOTCONNECT);
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Toolbar", control), S_OK);
  EXPECT_EQ(control.As(&classInfo2), E_NOINTERFACE);
  ASSERT_EQ(control.As(&classInfo), S_OK);
  ASSERT_EQ(classInfo->GetClassInfo(&coclass), S_OK);
  const IID toolbarEvents = SourceOf(coclass.Get());
  ASSERT_EQ(control.As(&points), S_OK);
  ASSERT_EQ(points->FindConnectionPoint(toolbarEvents, &point), S_OK);
  ComPtr<IConnectionPointContainer> back;
  EXPECT_EQ(point->GetConnectionPointContainer(&back), S_OK);
  EXPECT_EQ(back.Get(), points.Get());
  EventSink toolbarSink(&toolbarEvents);
  ASSERT_EQ(point->Advise(&toolbarSink, &cookie), S_OK);
  TestSite* toolbarSite = new TestSite(form.get(), position, L"tlb");
  ASSERT_EQ(control->SetClientSite(toolbarSite), S_OK);
  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, toolbarSite, 0, form.get(), &position), S_OK);
  EXPECT_EQ(toolbarSink.clicks, 1);
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  point.Reset();
  points.Reset();
  back.Reset();
  coclass.Reset();
  classInfo.Reset();
  control.Reset();
  EXPECT_EQ(toolbarSink.m_refs, 1u) << "the sink is given back as the control goes";
  toolbarSite->Release();
  site->Release();

  const auto lines = journal.Lines();
  // Advised before their sites, the controls journal under their ProgIDs until then.
  const std::vector<std::string> expected = {"MSComctlLib.Slider advise refused: the sink lacks the event interface",
                                             "MSComctlLib.Slider advised", "sld event heard", "sld unadvised",
                                             "sld close 1", "MSComctlLib.TreeView advise refused",
                                             "MSComctlLib.Toolbar advised", "tlb event heard", "tlb close 1",
                                             "tlb close while advised"};
  std::size_t next = 0;
  for (const std::string& line : lines) {
    if (next < expected.size() && line == expected[next]) ++next;
  }
  std::ostringstream all;
  for (const std::string& line : lines) all << line << "\n";
  EXPECT_EQ(next, expected.size()) << all.str();
  EXPECT_EQ(all.str().find("sld close while advised"), std::string::npos) << all.str();
}

// Controls that want their properties before their site, refuse their site, know only Show and
// Hide, or take a caption with a mnemonic once active: each answers as such a control does.
TEST(StandinHabits, OrderSiteVerbAndMnemonicHabitsAnswerAsSuchControlsDo) {
  RegisteredStandin standin(L"MSCOMCTL.OCX");
  ASSERT_EQ(standin.registerResult(), S_OK);
  Journal journal;
  FormWindow form;
  const RECT position{0, 0, 50, 20};
  FailureSetting habit(L"MSComctlLib.Slider:propsfirst;MSComctlLib.TreeView:refusesite;"
                       L"MSComctlLib.ProgressBar:showonly;MSComctlLib.StatusBar:mnemonic");
  TestSite* site = new TestSite(form.get(), position, L"ctl");
  ComPtr<IOleObject> control;
  ComPtr<IPersistStreamInit> persist;

  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  DWORD misc = 0;
  ASSERT_EQ(control->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  EXPECT_EQ(misc & OLEMISC_SETCLIENTSITEFIRST, 0u);
  ASSERT_EQ(control.As(&persist), S_OK);
  EXPECT_EQ(persist->InitNew(), S_OK) << "properties before the site";
  EXPECT_EQ(control->SetClientSite(site), S_OK);
  control->SetClientSite(nullptr);
  ASSERT_EQ(CreateByProgId(L"MSComctlLib.Slider", control), S_OK);
  ASSERT_EQ(control.As(&persist), S_OK);
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  EXPECT_EQ(persist->InitNew(), E_UNEXPECTED) << "properties after the site";
  control->SetClientSite(nullptr);
  persist.Reset();

  ASSERT_EQ(CreateByProgId(L"MSComctlLib.TreeView", control), S_OK);
  EXPECT_EQ(control->SetClientSite(site), E_FAIL);
  IOleClientSite* kept = reinterpret_cast<IOleClientSite*>(0x1234);
  EXPECT_EQ(control->GetClientSite(&kept), S_OK);
  EXPECT_EQ(kept, nullptr) << "a refused site is not kept";

  ASSERT_EQ(CreateByProgId(L"MSComctlLib.ProgressBar", control), S_OK);
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  for (LONG verb : {OLEIVERB_INPLACEACTIVATE, OLEIVERB_UIACTIVATE, OLEIVERB_PRIMARY, OLEIVERB_OPEN}) {
    EXPECT_EQ(control->DoVerb(verb, nullptr, site, 0, form.get(), &position), OLEOBJ_E_INVALIDVERB) << verb;
  }
  EXPECT_EQ(form.StandinChild(), nullptr);
  EXPECT_EQ(control->DoVerb(OLEIVERB_SHOW, nullptr, site, 0, form.get(), &position), S_OK);
  ASSERT_TRUE(form.StandinChild());
  EXPECT_TRUE(IsWindowVisible(form.StandinChild()));
  EXPECT_EQ(control->DoVerb(OLEIVERB_HIDE, nullptr, site, 0, form.get(), &position), S_OK);
  EXPECT_FALSE(IsWindowVisible(form.StandinChild()));
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);

  ASSERT_EQ(CreateByProgId(L"MSComctlLib.StatusBar", control), S_OK);
  ComPtr<IOleControl> info;
  ASSERT_EQ(control.As(&info), S_OK);
  CONTROLINFO described{sizeof(CONTROLINFO), reinterpret_cast<HACCEL>(0x1234), 99, 99};
  ASSERT_EQ(info->GetControlInfo(&described), S_OK);
  EXPECT_EQ(described.cAccel, 0) << "no mnemonic before its caption";
  EXPECT_EQ(described.hAccel, nullptr);
  ASSERT_EQ(control->SetClientSite(site), S_OK);
  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, form.get(), &position), S_OK);
  ASSERT_EQ(info->GetControlInfo(&described), S_OK);
  ASSERT_EQ(described.cAccel, 1);
  EXPECT_EQ(described.dwFlags, 0u) << "Enter stays the container's";
  ACCEL key{};
  ASSERT_EQ(CopyAcceleratorTableW(described.hAccel, &key, 1), 1);
  EXPECT_EQ(key.fVirt, FALT | FVIRTKEY);
  EXPECT_EQ(key.key, 'T');
  MSG mnemonic{form.StandinChild(), WM_SYSKEYDOWN, 'T', 0x20000001, 0, {}};
  EXPECT_EQ(info->OnMnemonic(&mnemonic), S_OK);
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  info.Reset();
  control.Reset();
  site->Release();

  const auto lines = journal.Lines();
  std::ostringstream all;
  for (const std::string& line : lines) all << line << "\n";
  const std::vector<std::string> expected = {
      "MSComctlLib.Slider initnew",         "ctl site after its properties", "ctl initnew",
      "ctl properties after its site: refused", "MSComctlLib.TreeView site refused", "ctl verb -5 invalid",
      "ctl caption &Test",                   "ctl mnemonic 84"};
  std::size_t next = 0;
  for (const std::string& line : lines) {
    if (next < expected.size() && line == expected[next]) ++next;
  }
  EXPECT_EQ(next, expected.size()) << "missing " << (next < expected.size() ? expected[next] : "") << " in:\n"
                                   << all.str();
}

}  // namespace
