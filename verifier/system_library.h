// Win32-only. Libraries the verifier binds at run time from the system folder only. Windows takes
// only its known DLLs from its own folder whatever lies beside a program; any other library the
// program imported would be looked for in the program's folder first (a downloads folder, a
// share) and loaded before any of the program's code runs.
#pragma once

#include "common/owners.h"
#include "common/win32.h"

namespace kit::verifier {

// How a library is taken from the system folder: the loader's system-folder search flag where the
// loader has it (Windows 8, or Vista and 7 with the loader update), else the folder's full path.
enum class SystemFolderLoad { SearchFlag, FullPath };
SystemFolderLoad SystemFolderLoadOfThisWindows();

// `name` (a bare file name) from the system folder, or null with the loader's last error.
HMODULE LoadFromSystemFolder(const char* name, SystemFolderLoad how);

// The three functions of the system's version.dll that read a file's version resource.
class VersionLibrary {
public:
  using InfoSizeFunction = DWORD(WINAPI*)(LPCWSTR file, LPDWORD handle);
  using InfoFunction = BOOL(WINAPI*)(LPCWSTR file, DWORD handle, DWORD size, LPVOID block);
  using QueryFunction = BOOL(WINAPI*)(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);

  // Binds on the first call and keeps the binding for the life of this object. False when the
  // library or one of its functions cannot be bound.
  bool Bind();

  InfoSizeFunction GetFileVersionInfoSizeW = nullptr;
  InfoFunction GetFileVersionInfoW = nullptr;
  QueryFunction VerQueryValueW = nullptr;

private:
  enum class State { NotTried, Bound, Failed };
  State m_state = State::NotTried;
  UniqueModule m_module;
};

}  // namespace kit::verifier
