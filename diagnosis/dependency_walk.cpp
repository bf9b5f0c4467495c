// Win32-only. The loader is asked with LoadLibraryExW(DONT_RESOLVE_DLL_REFERENCES): it searches
// as for a real load (API sets, known DLLs, the activation context) and validates the image, but
// maps it without calling its entry point or loading what it imports; the walk then reads the
// file the module came from. Every library mapped stays mapped until the walk ends, as in a real
// load, where a library already loaded answers for its name.
//
// Statically imported libraries are walked first, all of them; delayed imports after, so a library
// reached both ways counts as static, and everything below a delayed import counts as delayed.
// Libraries are told apart by the path the loader resolved, not by the name they were asked by.
#include "diagnosis/dependency_walk.h"

#include "common/letter_case.h"
#include "common/module_path.h"
#include "common/number_text.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "diagnosis/file_view.h"
#include "diagnosis/manifest_text.h"
#include "diagnosis/pe_image.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace kit::diagnosis {
namespace {

// Program files beyond 256 MB are not what a component is.
constexpr std::uint64_t kLargestComponentFile = std::uint64_t{256} << 20;
// Bounds of one walk: far beyond what a real component needs, near enough to end a hostile one.
constexpr std::size_t kMostLibraries = 1024;
constexpr std::size_t kMostProblems = 256;
constexpr int kLongestForwarding = 8;
// Side-by-side: what the loader says of an activation context it cannot make.
constexpr DWORD kSideBySideIncorrect = 14001;  // ERROR_SXS_CANT_GEN_ACTCTX

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

// Only these mean the loader found no file; any other refusal is of a file it found.
bool IsNotFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_MOD_NOT_FOUND ||
         error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

std::wstring VersionText(const PeImage& image) {
  if (!image.hasVersion) return {};
  return kit::Decimal(image.version[0]) + L"." + kit::Decimal(image.version[1]) + L"." +
         kit::Decimal(image.version[2]) + L"." + kit::Decimal(image.version[3]);
}

std::wstring FunctionText(const ImportedFunction& function) {
  return function.name.empty() ? L"#" + kit::Decimal(function.ordinal) : Widen(function.name);
}

// The system's text for the loader's error, its "%1" the file it speaks of.
std::wstring ErrorText(DWORD error, const std::wstring& file) {
  std::wstring text = kit::DescribeError(error);
  if (const std::size_t insert = text.find(L"%1"); insert != std::wstring::npos) text.replace(insert, 2, file);
  return L"the system says \"" + text + L"\" (error " + kit::Decimal(error) + L")";
}

// Where the search order finds a file by its bare name (for a file the loader found and refused).
std::wstring SearchedPath(const std::wstring& name) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = SearchPathW(nullptr, name.c_str(), nullptr, static_cast<DWORD>(std::size(path)), path, nullptr);
  return length > 0 && length < std::size(path) ? std::wstring(path, length) : std::wstring();
}

bool IsApiSetName(const std::wstring& lowerName) {
  return lowerName.rfind(L"api-", 0) == 0 || lowerName.rfind(L"ext-", 0) == 0;
}

std::set<std::wstring> KnownDlls() {
  std::set<std::wstring> known;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs", 0,
                    KEY_READ, key.put()) != ERROR_SUCCESS) {
    return known;
  }
  wchar_t valueName[256];
  wchar_t data[MAX_PATH];
  for (DWORD i = 0; i < 4096; ++i) {
    DWORD nameLength = ARRAYSIZE(valueName), dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
    const LONG status = RegEnumValueW(key.get(), i, valueName, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize / sizeof(wchar_t)] = L'\0';
    known.insert(Lower(data));
  }
  return known;
}

PeMachine ThisProcessMachine() { return sizeof(void*) == 8 ? PeMachine::Amd64 : PeMachine::I386; }

// "A.dll, which needs B.dll, which imports it" or "A.dll imports it".
std::wstring ImportedBy(const std::vector<std::wstring>& chain) {
  if (chain.empty()) return {};
  std::wstring needs;
  for (std::size_t i = 0; i < chain.size(); ++i) needs += i == 0 ? chain[i] : L", which needs " + chain[i];
  return (chain.size() > 1 ? needs + L", which" : chain.back()) + L" imports it";
}

// An activation context made active on this thread for the life of the scope.
class ActiveContext {
public:
  explicit ActiveContext(HANDLE context) {
    if (context != INVALID_HANDLE_VALUE && !ActivateActCtx(context, &m_cookie)) m_cookie = 0;
  }
  ~ActiveContext() {
    if (m_cookie) DeactivateActCtx(0, m_cookie);
  }
  ActiveContext(const ActiveContext&) = delete;
  ActiveContext& operator=(const ActiveContext&) = delete;

private:
  ULONG_PTR m_cookie = 0;
};

// A library's imports still to be looked up, as one importer names them.
struct Edge {
  ImportedLibrary library;
  std::vector<std::wstring> chain;  // up to the importer
  std::wstring importer;            // its path: its manifest rules the lookup
  std::vector<std::pair<std::wstring, std::wstring>> forwarded;  // function, how it was forwarded here
};

struct Located {
  HMODULE module = nullptr;  // held by the walk
  std::wstring path;
  std::wstring where;
  bool system = false;
  DWORD error = 0;           // when the loader mapped nothing
};

class Walk {
public:
  Walk(DependencyReport& report, const PeImage& image)
      : m_report(report), m_root(image), m_folder(FolderOf(report.file)), m_known(KnownDlls()) {}

  void Run() {
    const std::wstring& file = m_report.file;
    if (m_root.manifestId != 0) {
      const DWORD error = MakeContext(file);
      if (error) {
        DependencyProblem problem;
        problem.library = NameOf(file);
        problem.path = file;
        problem.kind = DependencyProblem::Manifest;
        problem.detail = ManifestDetail(m_root, error);
        return Add(std::move(problem));
      }
    }
    {
      const ActiveContext active(ContextFor(file));
      const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
      if (!module) {
        const DWORD error = GetLastError();
        DependencyProblem problem;
        problem.library = NameOf(file);
        problem.path = file;
        Refusal(problem, error);
        m_report.fileError = L"the loader refuses it: " + problem.detail;
        return;
      }
      Hold(module, false);
    }
    Imports(m_root, file, {NameOf(file)}, false);
    // Edges are taken by index: walking one may add more (never while below a delayed import,
    // which walks all it meets at once, but the vector may grow all the same).
    for (std::size_t i = 0; i < m_pending.size() && m_report.cut.empty(); ++i) {
      const Edge edge = std::move(m_pending[i]);
      const ActiveContext active(ContextFor(edge.importer));
      Library(edge, true, 0);
    }
    if (m_root.importsCut && m_report.cut.empty()) m_report.cut = L"its import table is larger than any real file's";
  }

private:
  void Imports(const PeImage& image, const std::wstring& path, const std::vector<std::wstring>& chain, bool delayed) {
    const ActiveContext active(ContextFor(path));
    for (const ImportedLibrary& library : image.imports) {
      Edge edge{library, chain, path, {}};
      if (library.delayed && !delayed) {
        m_pending.push_back(std::move(edge));
        continue;
      }
      Library(edge, delayed || library.delayed, 0);
    }
  }

  void Library(const Edge& edge, bool delayed, int forwarding) {
    if (!m_report.cut.empty()) return;
    const std::wstring name = Widen(edge.library.name);
    DependencyProblem problem;
    problem.library = name;
    problem.chain = edge.chain;
    problem.delayed = delayed;
    if (!edge.forwarded.empty()) problem.forwarded = edge.forwarded.front().second;
    // A name the loader found nothing for, asked again in the same activation context, finds
    // nothing again: a table that names one absent library thousands of times is asked once.
    const std::wstring missingKey =
        Lower(name) + L"|" + kit::Decimal(reinterpret_cast<std::uintptr_t>(ContextFor(edge.importer)));
    if (m_missing.count(missingKey)) return;
    const Located located = Locate(name);
    problem.path = located.path;
    if (!located.module) {
      if (IsNotFound(located.error)) {
        problem.kind = DependencyProblem::Missing;
        m_missing.insert(missingKey);
        if (m_missingNames.insert(Lower(name)).second) Add(std::move(problem));
      } else {
        Refusal(problem, located.error);
        if (m_refused.insert(Lower(problem.path.empty() ? name : problem.path)).second) Add(std::move(problem));
      }
      return;
    }
    const FileView view(located.path, kLargestComponentFile);
    const PeImage found = ReadPeImage(view.Bytes());
    problem.version = VersionText(found);
    if (!found.error.empty() || view.Error()) {
      // The loader took it, but its file does not read.
      problem.kind = DependencyProblem::Refused;
      problem.detail = view.Error() ? L"its file cannot be read: " + ErrorText(view.Error(), NameOf(located.path)) : Widen(found.error);
      if (m_refused.insert(Lower(located.path)).second) Add(std::move(problem));
      return;
    }
    const std::wstring foundName = NameOf(located.path);
    std::vector<Edge> forwards;  // one per library forwarded to
    std::vector<std::string> names = found.exportNames;
    std::vector<std::uint16_t> ordinals = found.exportOrdinals;
    std::sort(names.begin(), names.end());
    std::sort(ordinals.begin(), ordinals.end());
    for (const ImportedFunction& function : edge.library.functions) {
      const std::wstring text = FunctionText(function);
      const auto how = std::find_if(edge.forwarded.begin(), edge.forwarded.end(),
                                    [&](const auto& forwarded) { return forwarded.first == text; });
      const std::wstring reached = how != edge.forwarded.end()
                                       ? how->second
                                       : (edge.chain.empty() ? std::wstring() : edge.chain.back()) + L" imports `" +
                                             text + L"` from " + foundName;
      const bool there = function.name.empty() ? std::binary_search(ordinals.begin(), ordinals.end(), function.ordinal)
                                               : std::binary_search(names.begin(), names.end(), function.name);
      if (!there) {
        DependencyProblem lacks = problem;
        lacks.kind = DependencyProblem::LacksFunction;
        lacks.function = text;
        lacks.forwarded = how != edge.forwarded.end() ? how->second : std::wstring();
        Add(std::move(lacks));
        continue;
      }
      // The system's own forwards are the system's business; a vendor's are followed.
      if (located.system) continue;
      const PeImage::Forwarder* forwarder = ForwarderOf(found, function);
      if (!forwarder) continue;
      if (forwarding >= kLongestForwarding) continue;
      auto next = std::find_if(forwards.begin(), forwards.end(),
                               [&](const Edge& edge) { return edge.library.name == forwarder->library; });
      if (next == forwards.end()) {
        forwards.emplace_back();
        next = forwards.end() - 1;
        next->library.name = forwarder->library;
      }
      ImportedFunction target;
      if (!forwarder->function.empty() && forwarder->function[0] == '#') {
        target.ordinal = static_cast<std::uint16_t>(std::strtoul(forwarder->function.c_str() + 1, nullptr, 10));
      } else {
        target.name = forwarder->function;
      }
      next->library.functions.push_back(target);
      const std::wstring targetText = FunctionText(target);
      next->forwarded.emplace_back(targetText, reached + L", which forwards it to " + Widen(forwarder->library) +
                                       (targetText == text ? L"" : L" as `" + targetText + L"`"));
    }
    const bool firstTime = m_seen.insert(Lower(located.path)).second;
    if (firstTime) m_report.found.push_back({name, located.path, located.where, delayed, located.system});
    if (m_report.found.size() >= kMostLibraries && m_report.cut.empty()) {
      m_report.cut = L"the walk stopped at " + kit::Decimal(kMostLibraries) + L" libraries";
    }
    std::vector<std::wstring> deeper = edge.chain;
    deeper.push_back(foundName);
    for (Edge& next : forwards) {
      next.chain = deeper;
      next.importer = located.path;
      Library(next, delayed, forwarding + 1);
    }
    if (!firstTime || located.system) return;
    if (found.manifestId != 0) {
      if (const DWORD error = MakeContext(located.path)) {
        problem.kind = DependencyProblem::Manifest;
        problem.detail = ManifestDetail(found, error);
        return Add(std::move(problem));
      }
    }
    Imports(found, located.path, deeper, delayed);
  }

  Located Locate(const std::wstring& name) {
    const std::wstring lower = Lower(name);
    const bool apiSet = IsApiSetName(lower);
    const bool known = !apiSet && m_known.count(lower) > 0;
    const HMODULE already = apiSet ? nullptr : GetModuleHandleW(name.c_str());
    const bool loaded = already && std::find(m_mine.begin(), m_mine.end(), already) == m_mine.end();
    Located located;
    // Loaded by its path, the file's own folder comes first for what is neither loaded already
    // nor the system's own.
    const std::wstring beside = m_folder + L"\\" + name;
    const bool fromBeside = !apiSet && !known && !already && Exists(beside);
    const HMODULE module =
        LoadLibraryExW(fromBeside ? beside.c_str() : name.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) {
      located.error = GetLastError();
      located.path = fromBeside ? beside : IsNotFound(located.error) ? std::wstring() : SearchedPath(name);
      return located;
    }
    Hold(module, loaded);
    located.module = module;
    located.path = ModulePath(module);
    located.system = apiSet || known || loaded;
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

  void Hold(HMODULE module, bool system) {
    m_modules.emplace_back(module);
    if (!system) m_mine.push_back(module);
  }

  // The loader's refusal of a file it found: what the file is, and the loader's own words.
  void Refusal(DependencyProblem& problem, DWORD error) {
    problem.kind = DependencyProblem::Refused;
    std::wstring what;
    if (!problem.path.empty()) {
      const FileView view(problem.path, kLargestComponentFile);
      if (view.Error() == 0) {
        const PeImage image = ReadPeImage(view.Bytes());
        if (image.error.empty() && image.machine != ThisProcessMachine()) {
          problem.kind = DependencyProblem::WrongMachine;
          problem.detail = MachineText(image);
          return;
        }
        if (image.error.empty() && error == kSideBySideIncorrect) {
          problem.kind = DependencyProblem::Manifest;
          problem.detail = ManifestDetail(image, error);
          return;
        }
        what = Widen(image.error);
      }
    }
    problem.detail = (what.empty() ? L"" : what + L"; ") + ErrorText(error, problem.library);
  }

  // Makes the activation context of the file's own manifest; the system's error when it cannot.
  DWORD MakeContext(const std::wstring& path) {
    const std::wstring key = Lower(path);
    if (Context(key) != INVALID_HANDLE_VALUE) return 0;
    const FileView view(path, kLargestComponentFile);
    const PeImage image = ReadPeImage(view.Bytes());
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(image.manifestId);
    UniqueActivationContext made(CreateActCtxW(&context));
    if (!made) {
      const DWORD error = GetLastError();
      return error ? error : kSideBySideIncorrect;
    }
    m_contexts.emplace_back(key, std::move(made));
    return 0;
  }

  // A library's own manifest, else the component's: the context its imports are looked up in.
  HANDLE ContextFor(const std::wstring& path) const {
    const HANDLE own = Context(Lower(path));
    return own != INVALID_HANDLE_VALUE ? own : Context(Lower(m_report.file));
  }

  HANDLE Context(const std::wstring& lowerPath) const {
    for (const auto& [path, context] : m_contexts) {
      if (path == lowerPath) return context.get();
    }
    return INVALID_HANDLE_VALUE;
  }

  static std::wstring ManifestDetail(const PeImage& image, DWORD error) {
    std::wstring asks;
    for (const std::string& assembly : DependentAssemblies(image.manifest)) {
      asks += (asks.empty() ? L"" : L", ") + Widen(assembly);
    }
    return L"its side-by-side manifest (resource " + kit::Decimal(image.manifestId) + L") cannot be used" +
           (asks.empty() ? L"" : L"; it asks for " + asks) + L"; " + ErrorText(error, L"it");
  }

  void Add(DependencyProblem problem) {
    if (m_report.problems.size() >= kMostProblems) {
      if (m_report.cut.empty()) m_report.cut = L"the walk stopped at " + kit::Decimal(kMostProblems) + L" problems";
      return;
    }
    m_report.problems.push_back(std::move(problem));
  }

  DependencyReport& m_report;
  const PeImage& m_root;
  std::wstring m_folder;
  std::set<std::wstring> m_known;
  std::vector<UniqueModule> m_modules;
  std::vector<HMODULE> m_mine;  // mapped by the walk, not by the system
  std::vector<std::pair<std::wstring, UniqueActivationContext>> m_contexts;  // by lower-case path
  std::vector<Edge> m_pending;  // delayed imports met while walking what loads at once
  std::set<std::wstring> m_seen;
  std::set<std::wstring> m_missing;       // by name and activation context
  std::set<std::wstring> m_missingNames;  // reported once
  std::set<std::wstring> m_refused;
};

}  // namespace

DependencyReport WalkDependencies(const std::wstring& file) {
  DependencyReport report;
  report.file = file;
  const FileView view(file, kLargestComponentFile);
  if (view.Error()) {
    report.fileError = IsNotFound(view.Error()) ? L"the file is missing" : L"it cannot be read: " + ErrorText(view.Error(), NameOf(file));
    return report;
  }
  const PeImage image = ReadPeImage(view.Bytes());
  if (!image.error.empty()) {
    report.fileError = Widen(image.error);
    return report;
  }
  report.fileKind = MachineText(image);
  report.fileVersion = VersionText(image);
  if (image.machine != ThisProcessMachine()) {
    report.otherMachine = true;
    report.fileError = L"a " + MachineText(image) + L" file, where a " +
                       (ThisProcessMachine() == PeMachine::Amd64 ? L"64-bit" : L"32-bit") + L" one is needed";
    return report;
  }
  Walk(report, image).Run();
  return report;
}

std::wstring LoaderPath(const std::wstring& name) {
  const UniqueModule module(LoadLibraryExW(name.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
  return module ? ModulePath(module.get()) : std::wstring();
}

std::wstring ProblemText(const DependencyProblem& problem) {
  const std::wstring importer = problem.chain.empty() ? std::wstring() : problem.chain.back();
  const std::wstring at = problem.library + (problem.version.empty() ? L"" : L" " + problem.version) + L" at " +
                          problem.path;
  const std::wstring why = problem.forwarded.empty() ? ImportedBy(problem.chain) : problem.forwarded;
  std::wstring text;
  switch (problem.kind) {
    case DependencyProblem::Missing:
      text = problem.library + L" is missing (" + why + L")";
      break;
    case DependencyProblem::LacksFunction:
      text = at + L" lacks `" + problem.function + L"`" +
             (problem.forwarded.empty() ? L", which " + importer + L" imports" : L" (" + problem.forwarded + L")");
      break;
    case DependencyProblem::WrongMachine:
      text = at + L" is " + problem.detail + L", which " + importer + L" cannot use";
      break;
    case DependencyProblem::Refused:
      text = at + L" cannot be loaded: " + problem.detail + (why.empty() ? L"" : L" (" + why + L")");
      break;
    case DependencyProblem::Manifest:
      text = at + L": " + problem.detail + (why.empty() ? L"" : L" (" + why + L")");
      break;
  }
  if (problem.delayed) text += L" (a delayed import: only the feature that calls it fails)";
  return text;
}

}  // namespace kit::diagnosis
