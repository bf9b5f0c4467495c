// Win32-only. Reading a class's registration in the order COM reads it (class_registration.h):
// the emulation first, then the server of the class that serves, then what that server needs
// before any file of it is loaded (a .NET class's runtime and assembly).
#include "diagnosis/class_registration.h"

#include "common/letter_case.h"
#include "common/module_path.h"
#include "common/number_text.h"
#include "common/owners.h"
#include "diagnosis/registration.h"

#include <algorithm>
#include <cwctype>
#include <optional>
#include <tuple>

namespace kit::diagnosis {
namespace {

// A TreatAs chain longer than this is taken for broken: no working registration needs one.
constexpr std::size_t kTreatAsDepth = 8;
// The type library entry for this process's width.
constexpr const wchar_t* kTypeLibPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
// The .NET runtime's loader, which a .NET class names as its in-process server.
constexpr wchar_t kDotNetLoader[] = L"mscoree.dll";

bool IsClassId(std::wstring_view text) {
  if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != L'-' : !std::iswxdigit(text[i])) return false;
  }
  return true;
}

std::wstring Trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring Joined(const std::vector<std::wstring>& parts, const wchar_t* separator) {
  std::wstring all;
  for (const std::wstring& part : parts) all += (all.empty() ? L"" : separator) + part;
  return all;
}

std::size_t NameStart(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? 0 : slash + 1;
}

bool HasFolder(const std::wstring& path) { return path.find_first_of(L"\\/:") != std::wstring::npos; }

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : L"C:\\Windows";
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : WindowsFolder() + L"\\system32";
}

bool ServiceInstalled(const std::wstring& name) {
  UniqueKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"SYSTEM\\CurrentControlSet\\Services\\" + name).c_str(), 0, KEY_READ,
                       key.put()) == ERROR_SUCCESS;
}

// CreateProcess gives a program name without an extension ".exe".
std::wstring WithExe(std::wstring name) {
  if (name.find(L'.', NameStart(name)) == std::wstring::npos) name += L".exe";
  return name;
}

// The program a local server's command line starts. COM hands the line to CreateProcess alone,
// which takes a quoted name as it stands and tries an unquoted one word by word, each run up to a
// space in turn, the first that is a file ("C:\Program Files\A\s.exe /x" runs C:\Program.exe when
// there is one). When none is there: the words up to ".exe", for the page to say it is missing.
// A bare name is left to the loader's search.
std::wstring ProgramOfCommandLine(const std::wstring& commandLine) {
  const std::wstring line = Trimmed(commandLine);
  if (line.empty()) return {};
  if (line.front() == L'"') return WithExe(Unquoted(line));
  for (std::size_t end = line.find(L' ');; end = line.find(L' ', end + 1)) {
    const std::wstring candidate = WithExe(line.substr(0, end));
    if (HasFolder(candidate) && IsFile(candidate)) return candidate;
    if (end == std::wstring::npos) break;
  }
  const std::wstring lower = Lower(line);
  for (std::size_t at = lower.find(L".exe"); at != std::wstring::npos; at = lower.find(L".exe", at + 1)) {
    if (at + 4 == line.size() || line[at + 4] == L' ') return line.substr(0, at + 4);
  }
  return WithExe(line.substr(0, line.find(L' ')));
}

// A CodeBase URL ("file:///C:/dir/x.dll", "file://server/share/x.dll", %-escapes in UTF-8) as a
// path; empty for any other kind of address.
std::wstring PathOfFileUrl(const std::wstring& url) {
  if (!StartsWithNoCase(url, L"file://")) return {};
  std::wstring rest = url.substr(7);
  std::wstring path;
  if (!rest.empty() && rest.front() == L'/') {
    rest.erase(0, 1);
  } else {
    path = L"\\\\";
  }
  for (std::size_t i = 0; i < rest.size();) {
    if (rest[i] != L'%') {
      path += rest[i] == L'/' ? L'\\' : rest[i];
      ++i;
      continue;
    }
    std::string bytes;
    while (i + 2 < rest.size() && rest[i] == L'%' && std::iswxdigit(rest[i + 1]) && std::iswxdigit(rest[i + 2])) {
      bytes += static_cast<char>(std::wcstoul(std::wstring(rest, i + 1, 2).c_str(), nullptr, 16));
      i += 3;
    }
    if (bytes.empty()) {
      path += rest[i++];
      continue;
    }
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), static_cast<int>(text.size()))));
    path += text;
  }
  return path;
}

// "Name, Version=1.2.3.4, Culture=neutral, PublicKeyToken=0123456789abcdef": what the binder
// looks it up by.
struct AssemblyIdentity {
  std::wstring name, version, culture, token;
};

AssemblyIdentity ParseAssembly(const std::wstring& text) {
  AssemblyIdentity identity;
  std::size_t start = 0;
  for (bool first = true; start <= text.size(); first = false) {
    const std::size_t end = std::min(text.find(L',', start), text.size());
    const std::wstring field = Trimmed(text.substr(start, end - start));
    start = end + 1;
    if (first) {
      identity.name = field;
      continue;
    }
    const std::size_t equals = field.find(L'=');
    if (equals == std::wstring::npos) continue;
    const std::wstring key = Trimmed(field.substr(0, equals));
    const std::wstring value = Trimmed(field.substr(equals + 1));
    if (SameNoCase(key, L"Version")) identity.version = value;
    if (SameNoCase(key, L"Culture")) identity.culture = SameNoCase(value, L"neutral") ? L"" : value;
    if (SameNoCase(key, L"PublicKeyToken")) identity.token = SameNoCase(value, L"null") ? L"" : Lower(value);
  }
  return identity;
}

// "v4.0.30319" -> 4; 0 when the text says no version.
unsigned RuntimeMajor(const std::wstring& runtime) {
  std::size_t at = !runtime.empty() && (runtime.front() == L'v' || runtime.front() == L'V') ? 1 : 0;
  unsigned major = 0;
  for (; at < runtime.size() && std::iswdigit(runtime[at]) && major < 1000; ++at) major = major * 10 + (runtime[at] - L'0');
  return major;
}

// A dotted version ("1.2.3.4") as numbers; nothing for any other text.
std::optional<std::vector<unsigned long>> DottedVersion(const std::wstring& text) {
  std::vector<unsigned long> numbers;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(text.find(L'.', start), text.size());
    if (end == start || end - start > 9) return std::nullopt;
    unsigned long number = 0;
    for (std::size_t i = start; i < end; ++i) {
      if (!std::iswdigit(text[i])) return std::nullopt;
      number = number * 10 + (text[i] - L'0');
    }
    numbers.push_back(number);
    if (end == text.size()) return numbers;
    start = end + 1;
  }
}

// A type library version key, "major.minor" in hexadecimal.
struct TypeLibVersion {
  unsigned long major = 0, minor = 0;
  std::wstring key;
};

std::optional<TypeLibVersion> ParseTypeLibVersion(const std::wstring& text) {
  const std::size_t dot = text.find(L'.');
  if (dot == std::wstring::npos || dot == 0 || dot + 1 == text.size() || text.size() > 9) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != dot && !std::iswxdigit(text[i])) return std::nullopt;
  }
  return TypeLibVersion{std::wcstoul(text.c_str(), nullptr, 16), std::wcstoul(text.c_str() + dot + 1, nullptr, 16), text};
}

// The file a type library entry names. "x.dll\2" is the type library resource numbered 2 in
// x.dll; a bare name is found on the search path.
bool TypeLibraryFileExists(const std::wstring& entry) {
  if (entry.empty()) return false;
  if (!HasFolder(entry)) return SearchPathW(nullptr, entry.c_str(), nullptr, 0, nullptr, nullptr) != 0;
  if (IsFile(entry)) return true;
  const std::size_t slash = entry.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == entry.size()) return false;
  if (!std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(slash) + 1, entry.end(), [](wchar_t c) { return std::iswdigit(c); })) {
    return false;
  }
  return IsFile(entry.substr(0, slash));
}

class Reader {
public:
  explicit Reader(ClassRegistration& out) : m_out(out) {}

  void Read(const std::wstring& classId, const std::wstring& file) {
    std::wstring serving = classId;
    if (!FollowTreatAs(serving)) return;
    Serve(serving, SameNoCase(serving, classId) ? m_out.name : serving, file);
  }

private:
  // CoGetTreatAsClass: the class named by TreatAs serves in place of the one asked for, and each
  // class along the way may be treated as another again. AutoTreatAs becomes TreatAs only when the
  // class's emulation is reset (CoTreatAsClass), so creating the class does not read it.
  bool FollowTreatAs(std::wstring& serving) {
    std::vector<std::wstring> chain{serving};
    for (;;) {
      const std::wstring who = chain.size() == 1 ? m_out.name : serving;
      bool found = false;
      const std::wstring treatAs = Trimmed(ClassesValue(L"CLSID\\" + serving + L"\\TreatAs", nullptr, found));
      NoteAutoTreatAs(serving, who, treatAs);
      // A class treated as itself is not emulated.
      if (!found || treatAs.empty() || SameNoCase(treatAs, serving)) return true;
      if (!IsClassId(treatAs)) {
        Line(who + L"'s TreatAs \"" + treatAs + L"\" is no class identifier: not followed");
        return true;
      }
      const bool loop = std::any_of(chain.begin(), chain.end(), [&](const std::wstring& c) { return SameNoCase(c, treatAs); });
      chain.push_back(treatAs);
      Line(who + L" is treated as " + treatAs);
      if (loop) return Fail(L"the TreatAs entries of " + m_out.name + L" form a loop: " + Joined(chain, L", "));
      if (chain.size() > kTreatAsDepth + 1) {
        return Fail(L"the TreatAs entries of " + m_out.name + L" go deeper than " + kit::Decimal(kTreatAsDepth) +
                    L" classes: " + Joined(chain, L", "));
      }
      // Registered in the other view only, it is still the class that serves: Serve says what that means.
      if (!ClassesKeyExists(L"CLSID\\" + treatAs) && !ClassesKeyExists(L"CLSID\\" + treatAs, kOtherView)) {
        return Fail(who + L" is treated as " + treatAs + L", which is not registered");
      }
      serving = treatAs;
    }
  }

  void NoteAutoTreatAs(const std::wstring& classId, const std::wstring& who, const std::wstring& treatAs) {
    bool found = false;
    const std::wstring automatic = Trimmed(ClassesValue(L"CLSID\\" + classId + L"\\AutoTreatAs", nullptr, found));
    if (!found || automatic.empty() || SameNoCase(automatic, treatAs) || SameNoCase(automatic, classId)) return;
    Line(who + L"'s AutoTreatAs " + automatic + L" is not in effect (COM applies it only when the class's emulation is reset)");
  }

  // The server of the class that serves, as COM picks it: in-process first, then out of process.
  void Serve(const std::wstring& classId, const std::wstring& who, const std::wstring& file) {
    const std::wstring key = L"CLSID\\" + classId;
    const bool here = ClassesKeyExists(key);
    const std::wstring forUser = here && ForCurrentUserOnly(key) ? L" (for the current user only)" : L"";
    if (here) {
      bool found = false;
      const std::wstring server = ClassesValue(key + L"\\InprocServer32", nullptr, found);
      if (found && !Trimmed(server).empty()) return InProcess(key, who, server, forUser);
      if (OutOfProcess(key, who, 0, forUser)) return;
      if (ClassesKeyExists(key + L"\\InprocServer32")) {
        Fail(who + L" is registered, but its InprocServer32 names no file");
        return;
      }
    }
    if (ClassesKeyExists(key + L"\\InprocServer32", kOtherView)) {
      Fail(who + L" is registered for " + kOtherPrograms + L" programs only");
      return;
    }
    // COM starts a local server registered in either view, for programs of either width.
    if (OutOfProcess(key, who, kOtherView,
                     std::wstring(L" (registered for ") + kOtherPrograms + L" programs; COM starts it for programs of either width)")) {
      return;
    }
    Fail(here ? who + L" is registered without a server (no InprocServer32, LocalServer32 nor service)"
              : who + L" is not registered (" + file + L")");
  }

  void InProcess(const std::wstring& key, const std::wstring& who, const std::wstring& server, const std::wstring& note) {
    bool found = false;
    const std::wstring threading = ClassesValue(key + L"\\InprocServer32", L"ThreadingModel", found);
    Line(who + L" is registered: server " + server + L", threading model " +
         (found && !threading.empty() ? threading : std::wstring(L"none (single)")) + note);
    TypeLibrary(key);
    const std::wstring file = Unquoted(Trimmed(server));
    if (SameNoCase(std::wstring_view(file).substr(NameStart(file)), kDotNetLoader)) {
      DotNet(key, who, file);
      return;
    }
    m_out.serverFile = file;
  }

  // A service named by the class's AppID, a local server program (LocalServer32, or the older
  // LocalServer), or another machine (the AppID's RemoteServerName): false when there is none.
  bool OutOfProcess(const std::wstring& key, const std::wstring& who, REGSAM view, const std::wstring& note) {
    bool found = false;
    const std::wstring appId = Trimmed(ClassesValue(key, L"AppID", found, view));
    const std::wstring appKey = L"AppID\\" + appId;
    if (IsClassId(appId)) {
      const std::wstring service = Trimmed(ClassesValue(appKey, L"LocalService", found, view));
      if (found && !service.empty()) {
        Line(who + L" is registered: service " + service + note);
        TypeLibrary(key);
        if (!ServiceInstalled(service)) Fail(L"the service " + service + L", which serves " + who + L", is not installed");
        return true;
      }
    }
    for (const wchar_t* serverKey : {L"\\LocalServer32", L"\\LocalServer"}) {
      const std::wstring commandLine = Trimmed(ClassesValue(key + serverKey, nullptr, found, view));
      if (!found || commandLine.empty()) continue;
      // ServerExecutable, when there, names the program apart from its command line.
      bool named = false;
      const std::wstring executable = Trimmed(ClassesValue(key + serverKey, L"ServerExecutable", named, view));
      named = named && !executable.empty();
      Line(who + L" is registered: local server " + commandLine + (named ? L" (program " + executable + L")" : L"") + note);
      TypeLibrary(key);
      m_out.serverFile = named ? Unquoted(executable) : ProgramOfCommandLine(commandLine);
      m_out.serverIsProgram = true;
      return true;
    }
    if (IsClassId(appId)) {
      const std::wstring machine = Trimmed(ClassesValue(appKey, L"RemoteServerName", found, view));
      if (found && !machine.empty()) {
        Line(who + L" is registered: served by the machine " + machine + note);
        TypeLibrary(key);
        return true;
      }
    }
    return false;
  }

  // A .NET class: the runtime's loader (mscoree.dll) starts the runtime the class names and has it
  // load the class's assembly, as the binder finds it: the global assembly cache for a strong-named
  // one, then the program's folder, then the CodeBase registered with the class. The assembly is
  // the file whose imports matter.
  bool DotNet(const std::wstring& key, const std::wstring& who, const std::wstring& loader) {
    const std::wstring loaderPath = HasFolder(loader) ? loader : SystemFolder() + L"\\" + loader;
    if (!IsFile(loaderPath)) return Fail(loaderPath + L", the .NET runtime's loader " + who + L" names, is missing");

    // The values on InprocServer32 itself; else on its highest version subkey (regasm writes both).
    const std::wstring serverKey = key + L"\\InprocServer32";
    std::wstring valuesKey = serverKey;
    bool found = false;
    ClassesValue(serverKey, L"Assembly", found);
    if (!found) {
      std::optional<std::vector<unsigned long>> highest;
      for (const std::wstring& subkey : ClassesSubkeys(serverKey)) {
        const auto version = DottedVersion(subkey);
        ClassesValue(serverKey + L"\\" + subkey, L"Assembly", found);
        if (version && found && (!highest || *version > *highest)) {
          highest = version;
          valuesKey = serverKey + L"\\" + subkey;
        }
      }
    }
    const std::wstring className = Trimmed(ClassesValue(valuesKey, L"Class", found));
    const std::wstring assembly = Trimmed(ClassesValue(valuesKey, L"Assembly", found));
    const std::wstring runtime = Trimmed(ClassesValue(valuesKey, L"RuntimeVersion", found));
    const std::wstring codeBase = Trimmed(ClassesValue(valuesKey, L"CodeBase", found));
    if (className.empty()) return Fail(who + L" is registered for .NET without a class (no Class value)");
    if (assembly.empty()) return Fail(who + L" is registered for .NET without an assembly (no Assembly value)");
    Line(L"its .NET class " + className + L" in " + assembly);

    const std::wstring windows = WindowsFolder();
    const unsigned major = RuntimeMajor(runtime);
    if (runtime.empty()) {
      Line(who + L" names no .NET runtime version: the runtime's loader picks one");
    } else {
      const std::wstring runtimeFile = windows + (sizeof(void*) == 8 ? L"\\Microsoft.NET\\Framework64\\" : L"\\Microsoft.NET\\Framework\\") +
                                       runtime + (major >= 4 ? L"\\clr.dll" : L"\\mscorwks.dll");
      if (!IsFile(runtimeFile)) {
        return Fail(who + L" needs the .NET runtime " + runtime + L", which is not installed for " + kThesePrograms +
                         L" programs (" + runtimeFile + L" is missing)");
      }
      Line(L"its .NET runtime " + runtime + L": " + runtimeFile);
    }

    const AssemblyIdentity identity = ParseAssembly(assembly);
    const std::wstring dll = identity.name + L".dll";
    std::vector<std::wstring> lookedIn;
    const auto there = [&](const std::wstring& path, const wchar_t* where) {
      if (!IsFile(path)) return false;
      Line(L"its assembly " + assembly + L": " + path + L" (" + where + L")");
      m_out.serverFile = path;
      return true;
    };
    // The cache keeps strong-named assemblies only, a folder per processor kind: this process's,
    // then the portable one (and, in the old cache, the one of .NET 1). Runtime 4 reads its own
    // cache and the old one; the older runtimes only theirs. Without a runtime version: either.
    if (!identity.name.empty() && !identity.version.empty() && !identity.token.empty()) {
      const std::wstring own = sizeof(void*) == 8 ? L"GAC_64" : L"GAC_32";
      struct Cache {
        std::wstring root;
        std::vector<std::wstring> kinds;
        std::wstring folder;
      };
      std::vector<Cache> caches;
      if (major >= 4 || runtime.empty()) {
        caches.push_back({windows + L"\\Microsoft.NET\\assembly", {own, L"GAC_MSIL"},
                          L"v4.0_" + identity.version + L"_" + identity.culture + L"_" + identity.token});
      }
      caches.push_back({windows + L"\\assembly", {own, L"GAC_MSIL", L"GAC"},
                        identity.version + L"_" + identity.culture + L"_" + identity.token});
      std::vector<std::wstring> folders;
      for (const Cache& cache : caches) {
        for (const std::wstring& kind : cache.kinds) {
          if (there(cache.root + L"\\" + kind + L"\\" + identity.name + L"\\" + cache.folder + L"\\" + dll, L"global assembly cache")) return true;
        }
        folders.push_back(cache.root + L"\\" + Joined(cache.kinds, L"|") + L"\\" + identity.name + L"\\" + cache.folder);
      }
      lookedIn.push_back(L"the global assembly cache " + Joined(folders, L", "));
    }
    if (!identity.name.empty()) {
      const std::wstring folder = ProgramFolder();
      if (there(folder + L"\\" + dll, L"the program's folder") ||
          there(folder + L"\\" + identity.name + L"\\" + dll, L"the program's folder")) {
        return true;
      }
      lookedIn.push_back(L"the program's folder " + folder);
    }
    if (!codeBase.empty()) {
      const std::wstring path = PathOfFileUrl(codeBase);
      if (path.empty()) {
        Line(L"its CodeBase " + codeBase + L" is no file on this machine: not looked at");
      } else {
        if (there(path, L"its CodeBase")) return true;
        lookedIn.push_back(L"its CodeBase " + path);
      }
    }
    return Fail(who + L"'s assembly " + assembly + L" is not found (looked for in " + Joined(lookedIn, L"; ") + L")");
  }

  // The class's type library, as LoadRegTypeLib reads it: the version the class's Version names
  // (that one, else the highest minor of its major), else the highest; each language entry of it
  // for this process's width. A missing type library stays a line: many classes work without.
  void TypeLibrary(const std::wstring& key) {
    bool found = false;
    const std::wstring library = Trimmed(ClassesValue(key + L"\\TypeLib", nullptr, found));
    if (!found || library.empty()) return;
    const std::wstring libraryKey = L"TypeLib\\" + library;
    std::vector<TypeLibVersion> versions;
    for (const std::wstring& subkey : ClassesSubkeys(libraryKey)) {
      if (const auto version = ParseTypeLibVersion(subkey)) versions.push_back(*version);
    }
    if (versions.empty()) return Line(L"its type library " + library + L" is not registered");
    const std::wstring wantedText = Trimmed(ClassesValue(key + L"\\Version", nullptr, found));
    const std::optional<TypeLibVersion> wanted = found ? ParseTypeLibVersion(wantedText) : std::nullopt;
    const TypeLibVersion* chosen = nullptr;
    for (const TypeLibVersion& version : versions) {
      if (wanted) {
        if (version.major != wanted->major || version.minor < wanted->minor) continue;
        if (version.minor == wanted->minor) {
          chosen = &version;
          break;
        }
      }
      if (!chosen || std::tie(version.major, version.minor) > std::tie(chosen->major, chosen->minor)) chosen = &version;
    }
    if (!chosen) {
      std::vector<std::wstring> registered;
      for (const TypeLibVersion& version : versions) registered.push_back(version.key);
      return Line(L"its type library " + library + L" " + wantedText + L" is not registered (registered: " +
                  Joined(registered, L", ") + L")");
    }
    const std::wstring versionKey = libraryKey + L"\\" + chosen->key;
    const std::wstring label = L"its type library " + library + L" " + chosen->key;
    std::vector<std::pair<unsigned long, std::wstring>> languages;
    for (const std::wstring& subkey : ClassesSubkeys(versionKey)) {
      if (subkey.empty() || subkey.size() > 8 || !std::all_of(subkey.begin(), subkey.end(), [](wchar_t c) { return std::iswxdigit(c); })) continue;
      languages.emplace_back(std::wcstoul(subkey.c_str(), nullptr, 16), subkey);
    }
    std::sort(languages.begin(), languages.end());
    bool any = false;
    for (const auto& [lcid, subkey] : languages) {
      const std::wstring entryKey = versionKey + L"\\" + subkey + L"\\";
      std::wstring entry = ClassesValue(entryKey + kTypeLibPlatform, nullptr, found);
      std::wstring note;
      // Only a line: whether a 64-bit program takes the win32 entry is the platform's to say.
      if (!found && sizeof(void*) == 8) {
        entry = ClassesValue(entryKey + L"win32", nullptr, found);
        note = L" (a win32 entry; there is no win64 one)";
      }
      if (!found) continue;
      any = true;
      Line(label + (lcid == 0 ? L"" : L" (LCID " + subkey + L")") + L": " + entry + note +
           (TypeLibraryFileExists(Unquoted(Trimmed(entry))) ? L"" : L" (missing)"));
    }
    if (!any) Line(label + L" names no file for these programs");
  }

  void Line(const std::wstring& text) { m_out.lines.push_back(text); }
  bool Fail(const std::wstring& text) {
    if (m_out.cause.empty()) m_out.cause = text;
    return false;
  }

  ClassRegistration& m_out;
};

}  // namespace

ClassRegistration ReadClassRegistration(const ComponentPart& part) {
  ClassRegistration out;
  std::wstring classId = part.classId;
  if (part.byProgId) {
    // Created by its ProgID: the class is the one the ProgID names.
    out.name = part.progId;
    bool found = false;
    classId = Trimmed(ClassesValue(part.progId + L"\\CLSID", nullptr, found));
    if (classId.empty()) {
      out.cause = L"the ProgID " + part.progId + L" is not registered (" + part.file + L")";
      return out;
    }
    if (!IsClassId(classId)) {
      out.cause = L"the ProgID " + part.progId + L" names \"" + classId + L"\", which is no class identifier";
      return out;
    }
  }
  out.classId = classId;
  out.name = part.progId.empty() ? classId : part.progId + L" " + classId;
  Reader(out).Read(classId, part.file);
  return out;
}

}  // namespace kit::diagnosis
