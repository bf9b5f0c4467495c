// Win32-only. The loader is asked with LoadLibraryExW(DONT_RESOLVE_DLL_REFERENCES): it searches
// as for a real load (API sets, known DLLs, the activation context) but maps the library without
// calling its entry point or loading what it imports; the survey then reads the file the module
// came from. A library that was already loaded is only counted up and down again.
#include "diagnosis/dependency_walk.h"

#include "common/number_text.h"
#include "common/owners.h"
#include "common/letter_case.h"
#include "common/whole_file.h"
#include "diagnosis/pe_image.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace kit::diagnosis {
namespace {

// Program files beyond 256 MB are not what a component is.
constexpr std::size_t kLargestComponentFile = (std::size_t{256} << 20) - 1;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

PeImage ReadFileImage(const std::wstring& path) {
  const std::string bytes = ReadWholeFile(path, kLargestComponentFile);
  return ReadPeImage({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::wstring VersionText(const PeImage& image) {
  if (!image.hasVersion) return {};
  return kit::Decimal(image.version[0]) + L"." + kit::Decimal(image.version[1]) + L"." +
         kit::Decimal(image.version[2]) + L"." + kit::Decimal(image.version[3]);
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool IsApiSetName(const std::wstring& lowerName) {
  return lowerName.rfind(L"api-", 0) == 0 || lowerName.rfind(L"ext-", 0) == 0;
}

bool IsKnownDll(const std::wstring& lowerName) {
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", 0,
                    KEY_READ, key.put()) != ERROR_SUCCESS) {
    return false;
  }
  bool known = false;
  wchar_t valueName[256];
  wchar_t data[MAX_PATH];
  for (DWORD i = 0; !known; ++i) {
    DWORD nameLength = ARRAYSIZE(valueName), dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(key.get(), i, valueName, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    data[dataSize / sizeof(wchar_t)] = L'\0';
    known = type == REG_SZ && Lower(data) == lowerName;
  }
  return known;
}

// The activation context of the file's own manifest (its side-by-side assemblies), active for the
// life of this object; nothing when the file carries none.
class OwnManifest {
public:
  explicit OwnManifest(const std::wstring& file) {
    for (const ULONG_PTR id : {ULONG_PTR{2}, ULONG_PTR{1}}) {  // a library's manifest, then a program's
      ACTCTXW context{};
      context.cbSize = sizeof(context);
      context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
      context.lpSource = file.c_str();
      context.lpResourceName = MAKEINTRESOURCEW(id);
      m_context.reset(CreateActCtxW(&context));
      if (m_context) break;
    }
    if (m_context && !ActivateActCtx(m_context.get(), &m_cookie)) m_cookie = 0;
  }
  // Deactivated here, released after (the member goes once this has run).
  ~OwnManifest() {
    if (m_cookie) DeactivateActCtx(0, m_cookie);
  }
  OwnManifest(const OwnManifest&) = delete;
  OwnManifest& operator=(const OwnManifest&) = delete;

private:
  UniqueActivationContext m_context;
  ULONG_PTR m_cookie = 0;
};

// A library as the loader mapped it (without running it): where from, and its image read from
// memory, exports as the loader will look them up.
struct Located {
  UniqueModule module;
  std::wstring path;
  std::wstring where;
  DWORD error = 0;  // when the loader mapped nothing
};

PeImage ReadMapped(HMODULE module) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const std::uint32_t size = MappedImageSize({base, 4096});
  return ReadPeImage({base, size}, PeLayout::Mapped);
}

class Walk {
public:
  Walk(DependencyReport& report, PeMachine machine) : m_report(report), m_machine(machine) {
    m_folder = FolderOf(report.file);
  }

  void File(const PeImage& image, const std::vector<std::wstring>& chain) {
    for (const ImportedLibrary& library : image.imports) Library(library, chain);
  }

private:
  Located Locate(const std::wstring& name) {
    const std::wstring lower = Lower(name);
    const bool apiSet = IsApiSetName(lower);
    const bool known = !apiSet && IsKnownDll(lower);
    const bool loaded = !apiSet && GetModuleHandleW(name.c_str()) != nullptr;
    Located located;
    // Loaded by its path, the file's own folder comes first for what is neither loaded already
    // nor the system's own.
    const std::wstring beside = m_folder + L"\\" + name;
    const bool fromBeside = !apiSet && !known && !loaded && Exists(beside);
    located.module.reset(LoadLibraryExW(fromBeside ? beside.c_str() : name.c_str(), nullptr,
                                        DONT_RESOLVE_DLL_REFERENCES));
    if (!located.module) {
      located.error = GetLastError();
      if (fromBeside) located.path = beside;
      return located;
    }
    located.path = ModulePath(located.module.get());
    const std::wstring folder = Lower(FolderOf(located.path));
    if (fromBeside) {
      located.where = L"beside the file";
    } else if (apiSet) {
      located.where = L"API set";
    } else if (known) {
      located.where = L"known DLL";
    } else if (loaded) {
      located.where = L"already loaded by the system";
    } else if (folder.find(L"\\winsxs\\") != std::wstring::npos || folder.rfind(Lower(m_folder) + L"\\", 0) == 0) {
      located.where = L"side-by-side assembly";
    } else {
      located.where = L"search order";
    }
    return located;
  }

  void Library(const ImportedLibrary& library, const std::vector<std::wstring>& chain) {
    const std::wstring name = Widen(library.name);
    const std::wstring key = Lower(name);
    DependencyProblem problem;
    problem.library = name;
    problem.chain = chain;
    problem.delayed = library.delayed;
    const Located located = Locate(name);
    problem.path = located.path;
    if (!located.module) {
      if (located.error == ERROR_BAD_EXE_FORMAT) {
        problem.kind = DependencyProblem::WrongMachine;
        const PeImage other = ReadFileImage(located.path);
        problem.detail = other.error.empty() ? MachineText(other) : L"a file for another machine";
      } else {
        problem.kind = DependencyProblem::Missing;
      }
      if (m_missing.insert(key).second) m_report.problems.push_back(problem);
      return;
    }
    const PeImage found = ReadMapped(located.module.get());
    problem.version = VersionText(found);
    if (!found.error.empty()) {
      problem.kind = DependencyProblem::Unreadable;
      problem.detail = Widen(found.error);
      m_report.problems.push_back(problem);
      return;
    }
    problem.kind = DependencyProblem::LacksFunction;
    const std::set<std::string> names(found.exportNames.begin(), found.exportNames.end());
    const std::set<std::uint16_t> ordinals(found.exportOrdinals.begin(), found.exportOrdinals.end());
    for (const ImportedFunction& function : library.functions) {
      const bool there = function.name.empty() ? ordinals.count(function.ordinal) > 0 : names.count(function.name) > 0;
      if (there) continue;
      problem.function = function.name.empty() ? L"#" + kit::Decimal(function.ordinal) : Widen(function.name);
      m_report.problems.push_back(problem);
    }
    if (!m_seen.insert(key).second) return;
    m_report.found.push_back({name, located.path, located.where});
    std::vector<std::wstring> deeper = chain;
    deeper.push_back(NameOf(located.path));
    File(found, deeper);
  }

  DependencyReport& m_report;
  PeMachine m_machine;
  std::wstring m_folder;
  std::set<std::wstring> m_seen;
  std::set<std::wstring> m_missing;
};

PeMachine ThisProcessMachine() { return sizeof(void*) == 8 ? PeMachine::Amd64 : PeMachine::I386; }

}  // namespace

DependencyReport WalkDependencies(const std::wstring& file) {
  DependencyReport report;
  report.file = file;
  const PeImage image = ReadFileImage(file);
  if (!image.error.empty()) {
    report.fileError = Exists(file) ? Widen(image.error) : L"the file is missing";
    return report;
  }
  report.fileKind = MachineText(image);
  report.fileVersion = VersionText(image);
  if (image.machine != ThisProcessMachine()) {
    report.fileError = L"a " + MachineText(image) + L" file, where a " +
                       (ThisProcessMachine() == PeMachine::Amd64 ? L"64-bit" : L"32-bit") + L" one is needed";
    return report;
  }
  // The loader must not show a box of its own for a library it cannot map.
  const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  {
    OwnManifest manifest(file);
    Walk(report, image.machine).File(image, {NameOf(file)});
  }
  SetErrorMode(mode);
  return report;
}

std::wstring LoaderPath(const std::wstring& name) {
  const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const UniqueModule module(LoadLibraryExW(name.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  SetErrorMode(mode);
  return module ? ModulePath(module.get()) : std::wstring();
}

std::wstring ProblemText(const DependencyProblem& problem) {
  std::wstring needs;
  for (std::size_t i = 0; i < problem.chain.size(); ++i) {
    needs += i == 0 ? problem.chain[i] : L", which needs " + problem.chain[i];
  }
  const std::wstring importer = problem.chain.empty() ? std::wstring() : problem.chain.back();
  const std::wstring at = problem.library + (problem.version.empty() ? L"" : L" " + problem.version) + L" at " +
                          problem.path;
  std::wstring text;
  switch (problem.kind) {
    case DependencyProblem::Missing:
      text = problem.library + L" is missing (" + (problem.chain.size() > 1 ? needs + L", which" : importer) +
             L" imports it)";
      break;
    case DependencyProblem::LacksFunction:
      text = at + L" lacks `" + problem.function + L"`, which " + importer + L" imports";
      break;
    case DependencyProblem::WrongMachine:
      text = at + L" is " + problem.detail + L", which " + importer + L" cannot use";
      break;
    case DependencyProblem::Unreadable:
      text = at + L" is " + problem.detail;
      break;
  }
  if (problem.delayed) text += L" (a delayed import: only the feature that calls it fails)";
  return text;
}

}  // namespace kit::diagnosis
