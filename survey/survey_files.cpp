// Win32-only. Random names come from the system's generator (RtlGenRandom, exported by advapi32
// as SystemFunction036 since Windows XP); the folder's access list is set as it is created, so
// there is no moment in which another user could place a file in it. A tree is removed by handles:
// each folder is opened without following a link in its place, checked by its handle to be a real
// folder, and what lies in it is opened by name relative to that handle and deleted by its own
// handle, so that a folder swapped for a junction between a check and a step down is never entered.
#include "survey/survey_files.h"

#include "common/number_text.h"
#include "common/owners.h"

#include <sddl.h>
#include <winternl.h>

#include <vector>


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

// ntdll is loaded in every process and is no import the kit allows (check_imports): what removal
// needs from it (all there since Windows 2000) is bound at run time.
struct NtFiles {
  using Open = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*, ULONG, ULONG);
  using List = LONG(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, void*, IO_STATUS_BLOCK*, void*, ULONG,
                            FILE_INFORMATION_CLASS, BOOLEAN, UNICODE_STRING*, BOOLEAN);
  using Set = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, FILE_INFORMATION_CLASS);
  Open open;
  List list;
  Set set;
};

const NtFiles* Nt() {
  static const NtFiles nt = [] {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto bind = [ntdll](const char* name) { return reinterpret_cast<void*>(GetProcAddress(ntdll, name)); };
    return NtFiles{reinterpret_cast<NtFiles::Open>(bind("NtOpenFile")),
                   reinterpret_cast<NtFiles::List>(bind("NtQueryDirectoryFile")),
                   reinterpret_cast<NtFiles::Set>(bind("NtSetInformationFile"))};
  }();
  return nt.open && nt.list && nt.set ? &nt : nullptr;
}

constexpr ACCESS_MASK kRemoveAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kFolderOrLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
// Deeper than any program makes its files: the rest stays rather than the survey's stack running out.
constexpr int kDeepest = 512;

struct Entry {
  std::wstring name;
  DWORD attributes;  // as the folder lists it
};

// What a folder holds, read whole before anything in it goes.
std::vector<Entry> List(const NtFiles& nt, HANDLE folder) {
  std::vector<Entry> entries;
  std::vector<ULONGLONG> buffer(2048);  // 16 KB, aligned for the records
  IO_STATUS_BLOCK io{};
  for (BOOLEAN restart = TRUE;
       nt.list(folder, nullptr, nullptr, nullptr, &io, buffer.data(), static_cast<ULONG>(buffer.size() * 8),
               FileDirectoryInformation, FALSE, nullptr, restart) >= 0 && io.Information;
       restart = FALSE) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (ULONG at = 0;;) {
      const auto* record = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(bytes + at);
      const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") entries.push_back({name, record->FileAttributes});
      if (!record->NextEntryOffset) break;
      at += record->NextEntryOffset;
    }
  }
  return entries;
}

void RemoveOpened(const NtFiles& nt, HANDLE opened, DWORD listed, int depth);

// Each entry of the folder, opened by its name in the folder's handle, never through a link.
void RemoveEntries(const NtFiles& nt, HANDLE folder, int depth) {
  for (Entry& entry : List(nt, folder)) {
    const bool isFolder = (entry.attributes & kFolderOrLink) == FILE_ATTRIBUTE_DIRECTORY;
    UNICODE_STRING name;
    name.Length = name.MaximumLength = static_cast<USHORT>(entry.name.size() * sizeof(wchar_t));
    name.Buffer = entry.name.data();
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &name, 0, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE child = nullptr;
    if (nt.open(&child, kRemoveAccess | (isFolder ? FILE_LIST_DIRECTORY : 0), &object, &io, kShareAll,
                FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT |
                    (isFolder ? FILE_DIRECTORY_FILE : 0)) < 0) {
      continue;
    }
    const UniqueHandleObject owned(child);
    RemoveOpened(nt, child, entry.attributes, depth + 1);
  }
}

// Removes what `opened` holds, marked for deletion when its handle closes. It is a link when the
// handle or the folder's listing says so (Wine opens the target of a Unix link and lists the link):
// a link goes itself, its attributes left alone, as they could be its target's. A real folder is
// emptied first; a read-only file or folder goes too.
void RemoveOpened(const NtFiles& nt, HANDLE opened, DWORD listed, int depth) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(opened, &information)) return;
  const DWORD attributes = information.dwFileAttributes | (listed & FILE_ATTRIBUTE_REPARSE_POINT);
  IO_STATUS_BLOCK io{};
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    // Before what lies in it: Wine keeps a read-only folder's files too.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      FILE_BASIC_INFORMATION basic{};  // times left as they are
      basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      nt.set(opened, &io, &basic, sizeof(basic), FileBasicInformation);
    }
    if ((attributes & listed & FILE_ATTRIBUTE_DIRECTORY) && depth < kDeepest) RemoveEntries(nt, opened, depth);
  }
  FILE_DISPOSITION_INFORMATION disposition{TRUE};
  nt.set(opened, &io, &disposition, sizeof(disposition), FileDispositionInformation);
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
  const NtFiles* nt = Nt();
  if (!nt) return;
  // The folder's own attributes as its parent lists it, then the folder itself, not what a link
  // in its place would point to.
  const DWORD listed = GetFileAttributesW(folder.c_str());
  if (listed == INVALID_FILE_ATTRIBUTES) return;
  const UniqueFile top(CreateFileW(folder.c_str(), kRemoveAccess | FILE_LIST_DIRECTORY, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (top) RemoveOpened(*nt, top.get(), listed, 0);
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  if (length == 0 || length >= std::size(full)) return path;
  return std::wstring(full, length);
}

}  // namespace kit::survey
