// Win32-only. Random names come from the system's generator (RtlGenRandom, exported by advapi32
// as SystemFunction036 since Windows XP); the folder's access list is set as it is created, so
// there is no moment in which another user could place a file in it.
#include "survey/survey_files.h"

#include "common/number_text.h"
#include "common/owners.h"

#include <sddl.h>


namespace kit::survey {
namespace {

constexpr int kScratchAttempts = 16;

bool RandomBytes(void* buffer, ULONG size) {
  using GenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
  static const auto generate = reinterpret_cast<GenRandom>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "SystemFunction036")));
  return generate && generate(buffer, size);
}

std::wstring RandomName() {
  unsigned char bytes[8] = {};
  if (!RandomBytes(bytes, sizeof(bytes))) return {};
  std::wstring text;
  for (unsigned char byte : bytes) text += Hex(byte, 2, false);
  return text;
}

// Full control for the survey's own user, the administrators and the system; nothing inherited
// from the parent (the Windows temporary folder lets every user add files to what lies in it).
std::wstring OwnOnlyDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  UniqueHandleObject owned(token);
  alignas(TOKEN_USER) unsigned char buffer[256] = {};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) return {};
  LPWSTR sid = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) return {};
  const UniqueLocal ownedSid(sid);
  return L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + std::wstring(sid) + L")";
}

bool CreateOwnFolder(const std::wstring& path) {
  const std::wstring sddl = OwnOnlyDescriptor();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!sddl.empty()) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
  }
  UniqueLocal ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  // CreateDirectory fails on an existing folder: the name is ours only if we made it.
  const BOOL made = CreateDirectoryW(path.c_str(), descriptor ? &attributes : nullptr);
  const DWORD error = GetLastError();
  ownedDescriptor.reset();
  SetLastError(error);
  return made != FALSE;
}

}  // namespace

bool MakeFolders(const std::wstring& folder) {
  if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const std::size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 2) MakeFolders(folder.substr(0, slash));
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring CreateScratchFolder(const std::wstring& parent, const std::wstring& prefix) {
  std::wstring base = parent;
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < kScratchAttempts; ++attempt) {
    const std::wstring name = RandomName();
    if (name.empty()) {
      error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
      break;
    }
    const std::wstring path = base + prefix + name;
    if (CreateOwnFolder(path)) return path;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) break;
  }
  SetLastError(error);
  return {};
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  // The search ends with the if statement, before the folder goes: an open search holds it.
  if (const UniqueFind search(FindFirstFileW((folder + L"\\*").c_str(), &found)); search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      const DWORD attributes = found.dwFileAttributes;
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A junction or a link: the link alone goes (its attributes are left alone, as they could
        // be its target's).
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(path.c_str());
        else DeleteFileW(path.c_str());
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file goes too
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search.get(), &found));
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  if (length == 0 || length >= std::size(full)) return path;
  return std::wstring(full, length);
}

}  // namespace kit::survey
