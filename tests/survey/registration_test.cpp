// A class's registration read as COM reads it, under Wine against classes registered for each
// case: the TreatAs chain, local servers' command lines, .NET classes' runtime and assembly, the
// user's own classes, type library entries; and the diagnosis walking the file that serves.
#include "tests/support/driver_support.h"
#include "diagnosis/class_registration.h"
#include "diagnosis/diagnosis.h"
#include "tests/survey/test_classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using namespace kit::diagnosis;
using kit::driver::BesideMe;
using kit::driver::Narrow;
using kit::survey_test::TestKeys;

constexpr wchar_t kAsked[] = L"{6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7B01}";
constexpr wchar_t kTarget[] = L"{6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7B02}";
constexpr wchar_t kNowhere[] = L"{6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7B03}";
constexpr wchar_t kLibrary[] = L"{6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7BA1}";
constexpr bool k64 = sizeof(void*) == 8;

std::wstring Key(const wchar_t* classId, const wchar_t* below = L"") { return std::wstring(L"CLSID\\") + classId + below; }

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  return std::wstring(folder, GetSystemWindowsDirectoryW(folder, MAX_PATH));
}

// A file made for one test, with the folders it needs, and removed after it with those folders;
// a file already there (a real one) is left as it is.
class ScratchFile {
public:
  explicit ScratchFile(const std::wstring& path, const std::wstring& copyOf = L"") {
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
      if (CreateDirectoryW(path.substr(0, slash).c_str(), nullptr)) m_folders.push_back(path.substr(0, slash));
    }
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const bool made = copyOf.empty() ? CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr))
                                     : CopyFileW(copyOf.c_str(), path.c_str(), TRUE);
    EXPECT_TRUE(made) << Narrow(path);
    if (made) m_path = path;
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    if (!m_path.empty()) DeleteFileW(m_path.c_str());
    for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder) RemoveDirectoryW(folder->c_str());
  }

private:
  std::wstring m_path;
  std::vector<std::wstring> m_folders;
};

struct Entry {
  HKEY root;
  std::wstring path;  // below Software\Classes
  const wchar_t* name;
  std::wstring value;
};

std::string Described(const ClassRegistration& registration) {
  std::string text;
  for (const std::wstring& line : registration.lines) text += "\n  line: " + Narrow(line);
  return text + "\n  cause: " + Narrow(registration.cause) + "\n  server: " + Narrow(registration.serverFile);
}

TEST(ClassRegistration, IsReadAsComReadsIt) {
  const HKEY machine = HKEY_LOCAL_MACHINE, user = HKEY_CURRENT_USER;
  const std::wstring asked = kAsked, target = kTarget, nowhere = kNowhere, library = kLibrary;
  const std::wstring server = BesideMe(L"dependency_fixtures\\absent\\kit_fx_needs_absent.dll");
  const std::wstring fixtures = BesideMe(L"registration_fixtures");
  const std::wstring self = BesideMe(L"survey_win_tests.exe");
  const std::wstring spaced = fixtures + L"\\local server\\kit server.exe";
  const ScratchFile spacedProgram(spaced, self);

  // Wine has no .NET runtime: a stand-in for the one a case needs present.
  const std::wstring windows = WindowsFolder();
  const std::wstring framework = windows + (k64 ? L"\\Microsoft.NET\\Framework64\\" : L"\\Microsoft.NET\\Framework\\");
  const ScratchFile runtime4(framework + L"v4.0.30319\\clr.dll");
  const std::wstring assembly = L"Kit.Net, Version=1.10.0.0, Culture=neutral, PublicKeyToken=0123456789ABCDEF";
  const std::wstring ownCache = k64 ? L"GAC_64" : L"GAC_32";
  std::wstring codeBase = L"file:///" + server;
  for (wchar_t& c : codeBase) c = c == L'\\' ? L'/' : c;
  codeBase.replace(codeBase.rfind(L"kit_fx"), 6, L"kit%5Ffx");
  const std::wstring dotNetLine = L"Kit.Net " + asked + L" is registered: server mscoree.dll, threading model Both";
  const std::vector<Entry> dotNet = {
      {machine, Key(kAsked, L"\\InprocServer32"), nullptr, L"mscoree.dll"},
      {machine, Key(kAsked, L"\\InprocServer32"), L"ThreadingModel", L"Both"},
      {machine, Key(kAsked, L"\\InprocServer32"), L"Class", L"Kit.Net.Thing"},
      {machine, Key(kAsked, L"\\InprocServer32"), L"Assembly", assembly},
  };
  const auto with = [](std::vector<Entry> entries, const std::vector<Entry>& more) {
    entries.insert(entries.end(), more.begin(), more.end());
    return entries;
  };
  const std::wstring platform = k64 ? L"\\win64" : L"\\win32";
  const std::vector<Entry> typed = {
      {machine, Key(kAsked, L"\\InprocServer32"), nullptr, server},
      {machine, Key(kAsked, L"\\InprocServer32"), L"ThreadingModel", L"Apartment"},
      {machine, Key(kAsked, L"\\TypeLib"), nullptr, library},
      {machine, L"TypeLib\\" + library + L"\\1.0\\0" + platform, nullptr, fixtures + L"\\gone.tlb"},
      {machine, L"TypeLib\\" + library + L"\\2.0\\9" + platform, nullptr, server + L"\\2"},
      {machine, L"TypeLib\\" + library + L"\\2.0\\FLAGS", nullptr, L"0"},
  };
  const std::wstring typedLine = L"Kit.Typed " + asked + L" is registered: server " + server + L", threading model Apartment";

  struct Case {
    const char* what;
    std::vector<Entry> registry;
    ComponentPart part;
    std::vector<std::wstring> lines;
    std::wstring cause;
    std::wstring serverFile;
    bool program;
  };
  const Case cases[] = {
      {"treated as a registered class: that class serves, the asked one's own server is passed over",
       {{machine, Key(kAsked, L"\\InprocServer32"), nullptr, fixtures + L"\\passed_over.dll"},
        {machine, Key(kAsked, L"\\TreatAs"), nullptr, target},
        {machine, Key(kTarget, L"\\InprocServer32"), nullptr, server},
        {machine, Key(kTarget, L"\\InprocServer32"), L"ThreadingModel", L"Both"}},
       {L"Kit.Treated", asked, L"TREATED.OCX"},
       {L"Kit.Treated " + asked + L" is treated as " + target,
        target + L" is registered: server " + server + L", threading model Both"},
       L"", server, false},
      {"TreatAs entries in a loop",
       {{machine, Key(kAsked, L"\\TreatAs"), nullptr, target},
        {machine, Key(kTarget, L"\\TreatAs"), nullptr, asked},
        {machine, Key(kTarget, L"\\InprocServer32"), nullptr, server}},
       {L"Kit.Loop", asked, L"LOOP.OCX"},
       {L"Kit.Loop " + asked + L" is treated as " + target, target + L" is treated as " + asked},
       L"the TreatAs entries of Kit.Loop " + asked + L" form a loop: " + asked + L", " + target + L", " + asked, L"", false},
      {"treated as a class nobody registered",
       {{machine, Key(kAsked, L"\\TreatAs"), nullptr, nowhere}},
       {L"Kit.Orphan", asked, L"ORPHAN.OCX"},
       {L"Kit.Orphan " + asked + L" is treated as " + nowhere},
       L"Kit.Orphan " + asked + L" is treated as " + nowhere + L", which is not registered", L"", false},
      {"a local server quoted, with arguments",
       {{machine, Key(kAsked, L"\\LocalServer32"), nullptr, L"\"" + self + L"\" /automation"}},
       {L"Kit.Local", asked, L"LOCAL.EXE"},
       {L"Kit.Local " + asked + L" is registered: local server \"" + self + L"\" /automation"},
       L"", self, true},
      {"a local server unquoted, its folder and name with spaces, with arguments",
       {{machine, Key(kAsked, L"\\LocalServer32"), nullptr, spaced + L" /automation -x"}},
       {L"Kit.Local", asked, L"LOCAL.EXE"},
       {L"Kit.Local " + asked + L" is registered: local server " + spaced + L" /automation -x"},
       L"", spaced, true},
      {"a local server named without its extension",
       {{machine, Key(kAsked, L"\\LocalServer32"), nullptr, fixtures + L"\\local server\\kit server /automation"}},
       {L"Kit.Local", asked, L"LOCAL.EXE"},
       {L"Kit.Local " + asked + L" is registered: local server " + fixtures + L"\\local server\\kit server /automation"},
       L"", spaced, true},
      {"a local server whose program is gone: the name up to .exe",
       {{machine, Key(kAsked, L"\\LocalServer32"), nullptr, fixtures + L"\\gone server\\kit app.exe /automation"}},
       {L"Kit.Local", asked, L"LOCAL.EXE"},
       {L"Kit.Local " + asked + L" is registered: local server " + fixtures + L"\\gone server\\kit app.exe /automation"},
       L"", fixtures + L"\\gone server\\kit app.exe", true},
      {".NET class whose runtime is not installed",
       with(dotNet, {{machine, Key(kAsked, L"\\InprocServer32"), L"RuntimeVersion", L"v2.0.50727"}}),
       {L"Kit.Net", asked, L"KITNET.DLL"},
       {dotNetLine, L"its .NET class Kit.Net.Thing in " + assembly},
       L"Kit.Net " + asked + L" needs the .NET runtime v2.0.50727, which is not installed for " + (k64 ? L"64" : L"32") +
           L"-bit programs (" + framework + L"v2.0.50727\\mscorwks.dll is missing)",
       L"", false},
      {".NET class whose assembly is nowhere",
       with(dotNet, {{machine, Key(kAsked, L"\\InprocServer32"), L"RuntimeVersion", L"v4.0.30319"},
                     {machine, Key(kAsked, L"\\InprocServer32"), L"CodeBase", L"file:///" + fixtures + L"/Kit.Net.dll"}}),
       {L"Kit.Net", asked, L"KITNET.DLL"},
       {dotNetLine, L"its .NET class Kit.Net.Thing in " + assembly,
        L"its .NET runtime v4.0.30319: " + framework + L"v4.0.30319\\clr.dll"},
       L"Kit.Net " + asked + L"'s assembly " + assembly + L" is not found (looked for in the global assembly cache " +
           windows + L"\\Microsoft.NET\\assembly\\" + ownCache + L"|GAC_MSIL\\Kit.Net\\v4.0_1.10.0.0__0123456789abcdef, " +
           windows + L"\\assembly\\" + ownCache + L"|GAC_MSIL|GAC\\Kit.Net\\1.10.0.0__0123456789abcdef; the program's folder " +
           BesideMe(L"").substr(0, BesideMe(L"").size() - 1) + L"; its CodeBase " + fixtures + L"\\Kit.Net.dll)",
       L"", false},
      {".NET class whose values are on its highest version's subkey, its assembly at its CodeBase",
       {{machine, Key(kAsked, L"\\InprocServer32"), nullptr, L"mscoree.dll"},
        {machine, Key(kAsked, L"\\InprocServer32"), L"ThreadingModel", L"Both"},
        // The highest is neither the first nor the last, in the order written or in the order of names.
        {machine, Key(kAsked, L"\\InprocServer32\\1.0.0.0"), L"Class", L"Kit.Net.Older"},
        {machine, Key(kAsked, L"\\InprocServer32\\1.0.0.0"), L"Assembly", L"Kit.Net, Version=1.0.0.0"},
        {machine, Key(kAsked, L"\\InprocServer32\\10.0.0.0"), L"Class", L"Kit.Net.Thing"},
        {machine, Key(kAsked, L"\\InprocServer32\\10.0.0.0"), L"Assembly", assembly},
        {machine, Key(kAsked, L"\\InprocServer32\\10.0.0.0"), L"RuntimeVersion", L"v4.0.30319"},
        {machine, Key(kAsked, L"\\InprocServer32\\10.0.0.0"), L"CodeBase", codeBase},
        {machine, Key(kAsked, L"\\InprocServer32\\9.0.0.0"), L"Class", L"Kit.Net.Older"},
        {machine, Key(kAsked, L"\\InprocServer32\\9.0.0.0"), L"Assembly", L"Kit.Net, Version=9.0.0.0"}},
       {L"Kit.Net", asked, L"KITNET.DLL"},
       {dotNetLine, L"its .NET class Kit.Net.Thing in " + assembly,
        L"its .NET runtime v4.0.30319: " + framework + L"v4.0.30319\\clr.dll",
        L"its assembly " + assembly + L": " + server + L" (its CodeBase)"},
       L"", server, false},
      {"class and ProgID registered for the current user only",
       {{user, L"Kit.UserOnly\\CLSID", nullptr, asked},
        {user, Key(kAsked, L"\\InprocServer32"), nullptr, server},
        {user, Key(kAsked, L"\\InprocServer32"), L"ThreadingModel", L"Apartment"}},
       {L"Kit.UserOnly", L"", L"USER.OCX", true},
       {L"Kit.UserOnly " + asked + L" is registered: server " + server +
        L", threading model Apartment (for the current user only)"},
       L"", server, false},
      {"type library: the highest version, its language 9 entry, a resource of a file",
       typed,
       {L"Kit.Typed", asked, L"TYPED.OCX"},
       {typedLine, L"its type library " + library + L" 2.0 (LCID 9): " + server + L"\\2"},
       L"", server, false},
      {"type library: the version the class names",
       with(typed, {{machine, Key(kAsked, L"\\Version"), nullptr, L"1.0"}}),
       {L"Kit.Typed", asked, L"TYPED.OCX"},
       {typedLine, L"its type library " + library + L" 1.0: " + fixtures + L"\\gone.tlb (missing)"},
       L"", server, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestKeys machineKeys(machine), userKeys(user);
    for (const Entry& entry : c.registry) (entry.root == user ? userKeys : machineKeys).Set(entry.path, entry.name, entry.value);
    const ClassRegistration registration = ReadClassRegistration(c.part);
    SCOPED_TRACE(Described(registration));
    EXPECT_EQ(registration.lines, c.lines);
    EXPECT_EQ(registration.cause, c.cause);
    EXPECT_EQ(registration.serverFile, c.serverFile);
    EXPECT_EQ(registration.serverIsProgram, c.program);
  }
}

TEST(ClassRegistration, TheDiagnosisWalksTheFileThatServes) {
  const std::wstring server = BesideMe(L"dependency_fixtures\\absent\\kit_fx_needs_absent.dll");
  const std::wstring gone = BesideMe(L"registration_fixtures\\gone server\\kit app.exe");
  struct Case {
    const char* what;
    std::vector<std::pair<std::wstring, std::wstring>> defaults;  // key below Software\Classes, its default value
    std::wstring cause;
  };
  const Case cases[] = {
      {"the class treated as",
       {{Key(kAsked, L"\\TreatAs"), kTarget}, {Key(kTarget, L"\\InprocServer32"), server}},
       L"kit_fx_absent.dll is missing (kit_fx_needs_absent.dll imports it)"},
      {"a local server's program", {{Key(kAsked, L"\\LocalServer32"), gone + L" -Embedding"}}, gone + L" is missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestKeys keys(HKEY_LOCAL_MACHINE);
    for (const auto& [path, value] : c.defaults) keys.Set(path, nullptr, value);
    const Diagnosis diagnosis = DiagnoseParts({{L"Kit.Served", kAsked, L"SERVED.OCX"}});
    std::string lines;
    for (const std::wstring& line : diagnosis.lines) lines += Narrow(line) + "\n";
    EXPECT_EQ(diagnosis.cause, c.cause) << lines;
  }
}

}  // namespace
