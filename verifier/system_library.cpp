// Win32-only. Binding from the system folder; the flag's availability is read from the loader.
#include "verifier/system_library.h"

#include <string>

namespace kit::verifier {
namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr char kVersionLibrary[] = "version.dll";

template <typename Function>
bool BindFunction(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

}  // namespace

SystemFolderLoad SystemFolderLoadOfThisWindows() {
  // A loader that knows AddDllDirectory knows the search flags too; an older one refuses them
  // as an invalid parameter.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  const bool hasFlags = kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
  return hasFlags ? SystemFolderLoad::SearchFlag : SystemFolderLoad::FullPath;
}

HMODULE LoadFromSystemFolder(const char* name, SystemFolderLoad how) {
  if (how == SystemFolderLoad::SearchFlag) return LoadLibraryExA(name, nullptr, kLoadLibrarySearchSystem32);
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder, length) + "\\" + name;
  return LoadLibraryA(path.c_str());
}

bool VersionLibrary::Bind() {
  if (m_state != State::NotTried) return m_state == State::Bound;
  m_state = State::Failed;
  m_module.reset(LoadFromSystemFolder(kVersionLibrary, SystemFolderLoadOfThisWindows()));
  if (!m_module) return false;
  if (!BindFunction(m_module.get(), "GetFileVersionInfoSizeW", GetFileVersionInfoSizeW) ||
      !BindFunction(m_module.get(), "GetFileVersionInfoW", GetFileVersionInfoW) ||
      !BindFunction(m_module.get(), "VerQueryValueW", VerQueryValueW)) {
    return false;
  }
  m_state = State::Bound;
  return true;
}

}  // namespace kit::verifier
