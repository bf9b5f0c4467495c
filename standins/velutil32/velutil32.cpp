// Stand-in for the maker's utility library VELutil32.dll: its search function only returns.
// For tests it can leave a chosen last-error code (VELUTIL32_LAST_ERROR, decimal), write a
// finding into the caller's path buffer (VELUTIL32_WRITE_PATH), journal every call with what
// it was handed (VELUTIL32_JOURNAL, a file to append to) and fail its own start-up, as a broken
// copy would (VELUTIL32_REFUSE_LOAD set).
#include "common/owners.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>

namespace {

bool ReadVariable(const char* name, char* value, DWORD size) {
  const DWORD length = GetEnvironmentVariableA(name, value, size);
  return length > 0 && length < size;
}

void Journal(const char* name, long nameLength, long pathLength) {
  char file[MAX_PATH];
  if (!ReadVariable("VELUTIL32_JOURNAL", file, sizeof(file))) return;
  const kit::UniqueFile journal(CreateFileA(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!journal) return;
  char line[1200];
  const int length = std::snprintf(line, sizeof(line), "FINDFILEINPATH %.1024s %ld %ld\r\n", name, nameLength, pathLength);
  DWORD written = 0;
  if (length > 0) WriteFile(journal.get(), line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const DWORD loadersError = GetLastError();
  if (GetEnvironmentVariableA("VELUTIL32_REFUSE_LOAD", nullptr, 0) > 0) return FALSE;
  SetLastError(loadersError);
  return TRUE;
}

// Four 32-bit arguments on the 32-bit build: the module name and its length, the path buffer
// and its length, both texts writable and zero-terminated.
extern "C" long WINAPI FINDFILEINPATH(char* name, long nameLength, char* path, long pathLength) {
  // The caller reads the thread's last-error code after the call: whatever this function does
  // for its tests must leave the code the caller had, unless a test asks for another.
  const DWORD callersError = GetLastError();
  Journal(name, nameLength, pathLength);
  char finding[MAX_PATH];
  if (path && pathLength > 0 && ReadVariable("VELUTIL32_WRITE_PATH", finding, sizeof(finding))) {
    const std::size_t room = static_cast<std::size_t>(pathLength);
    const std::size_t length = std::min(std::strlen(finding), room);
    std::memcpy(path, finding, length);
    if (length < room) path[length] = '\0';
  }
  char code[16];
  // Set last: nothing after this may touch the thread's last-error code.
  const DWORD lastError = ReadVariable("VELUTIL32_LAST_ERROR", code, sizeof(code)) ? std::strtoul(code, nullptr, 10) : 0;
  SetLastError(lastError != 0 ? lastError : callersError);
  return 0;
}
