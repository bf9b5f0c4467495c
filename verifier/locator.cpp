// The locator's order of look-ups.
#include "verifier/locator.h"

#include <cwctype>

namespace kit::verifier {

bool IsProgramName(const std::wstring& name) {
  if (name.size() < 3) return false;
  std::wstring tail = name.substr(name.size() - 3);
  for (wchar_t& c : tail) c = static_cast<wchar_t>(std::towupper(c));
  return tail == L"EXE";
}

std::wstring GetModulePath(VerifierOs& os, std::wstring name) {
  const ModuleHandle module = os.FindLoadedModule(name);
  if (module == 0) return {};
  return os.ModuleFileName(module);
}

namespace {

bool LocateProgram(VerifierOs& os, const std::wstring& name, std::wstring& path) {
  if (name.find(L'\\') != std::wstring::npos) {
    if (!os.OrdinaryFileExists(name)) return false;
    path = name;
    return true;
  }
  const std::wstring directory = os.CurrentDirectory();
  // A drive root already ends in "\"; no second one is put in.
  const std::wstring candidate =
      !directory.empty() && directory.back() == L'\\' ? directory + name : directory + L"\\" + name;
  if (!os.OrdinaryFileExists(candidate)) return false;
  path = candidate;
  return true;
}

bool LocateLibrary(VerifierOs& os, std::wstring& name, std::wstring& path) {
  const ModuleHandle module = os.LoadModule(name);
  if (module != 0) {
    // The path is read while the module is loaded, then the load is undone.
    path = GetModulePath(os, name);
    os.UnloadModule(module);
    return true;
  }
  os.FindFileInPath(name, path);
  return false;
}

}  // namespace

bool LocateFile(VerifierOs& os, std::wstring& name, std::wstring& path) {
  const bool found = IsProgramName(name) ? LocateProgram(os, name, path) : LocateLibrary(os, name, path);
  if (!found) path = kUnableToLocate;
  return found;
}

}  // namespace kit::verifier
