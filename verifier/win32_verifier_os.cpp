// Win32-only. Thin calls: convert at the ANSI edge, call, record the last-error code.
#include "verifier/win32_verifier_os.h"

#include "common/ansi_text.h"
#include "verifier/ole_date.h"

#include <vector>

namespace kit::verifier {
namespace {

constexpr char kUtilitiesLibrary[] = "VELutil32.dll";
constexpr char kFindFileInPathExport[] = "_FINDFILEINPATH@16";
constexpr DWORD kMessageBuffer = 1024;
constexpr DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;  // 0x1200
constexpr DWORD kFixedFileInfoSize = 52;
constexpr DWORD kOrdinaryFileExcluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

static_assert(sizeof(OSVERSIONINFOA) == 148, "the single-byte version record is 148 bytes on every target");
static_assert(sizeof(VS_FIXEDFILEINFO) == kFixedFileInfoSize);

HMODULE AsModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }
HKEY AsKey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }
// A predefined root is a sign-extended 32-bit value on 64-bit Windows.
HKEY RootKey(std::int32_t root) { return reinterpret_cast<HKEY>(static_cast<INT_PTR>(root)); }

// A writable, zero-terminated copy of a text in the ANSI code page.
std::vector<char> AnsiBuffer(const std::wstring& text) {
  const std::string ansi = ToAnsi(text);
  std::vector<char> buffer(ansi.begin(), ansi.end());
  buffer.push_back('\0');
  return buffer;
}

std::wstring FromBuffer(const std::vector<char>& buffer) {
  return FromAnsi(std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size())));
}

}  // namespace

ModuleHandle Win32VerifierOs::LoadModule(const std::wstring& name) {
  const HMODULE module = LoadLibraryA(ToAnsi(name).c_str());
  Record();
  return reinterpret_cast<ModuleHandle>(module);
}

void Win32VerifierOs::UnloadModule(ModuleHandle module) {
  ::FreeLibrary(AsModule(module));
  Record();
}

ModuleHandle Win32VerifierOs::FindLoadedModule(const std::wstring& name) {
  const HMODULE module = GetModuleHandleA(ToAnsi(name).c_str());
  Record();
  return reinterpret_cast<ModuleHandle>(module);
}

std::wstring Win32VerifierOs::ModuleFileName(ModuleHandle module) {
  // The whole path, however long: the buffer grows until the name fits.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(AsModule(module), buffer.data(), static_cast<DWORD>(buffer.size()));
    Record();
    if (length == 0) return {};
    if (length < buffer.size() - 1 || buffer.size() >= 32768) {
      return FromAnsi(std::string_view(buffer.data(), length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring Win32VerifierOs::MessageText(std::uint32_t code) {
  std::vector<char> buffer(kMessageBuffer, ' ');
  const DWORD length = FormatMessageA(kMessageFlags, nullptr, code, 0, buffer.data(), kMessageBuffer, nullptr);
  Record();
  return FromAnsi(std::string_view(buffer.data(), length));
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> Win32VerifierOs::ReadFileVersion(const std::wstring& path) {
  // No version library from the system folder: no version text, like any other failed query.
  if (!m_version.Bind()) return std::nullopt;
  const std::string file = ToAnsi(path);
  DWORD unused = 0;
  const DWORD size = m_version.GetFileVersionInfoSizeA(file.c_str(), &unused);
  Record();
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(size) + 1);
  const BOOL read = m_version.GetFileVersionInfoA(file.c_str(), 0, size, block.data());
  Record();
  if (!read) return std::nullopt;
  void* root = nullptr;
  UINT length = 0;
  const BOOL found = m_version.VerQueryValueA(block.data(), "\\", &root, &length);
  Record();
  // A root block shorter than the record is no fixed file information: nothing is read past it.
  if (!found || root == nullptr || length < kFixedFileInfoSize) return std::nullopt;
  VS_FIXEDFILEINFO info{};
  CopyMemory(&info, root, kFixedFileInfoSize);
  return std::make_pair(static_cast<std::uint32_t>(info.dwFileVersionMS), static_cast<std::uint32_t>(info.dwFileVersionLS));
}

bool Win32VerifierOs::QueryOsVersion(OsVersionInfo& info) {
  OSVERSIONINFOA record{};
  record.dwOSVersionInfoSize = sizeof(record);
  FillMemory(record.szCSDVersion, sizeof(record.szCSDVersion), ' ');
  // GetVersionExA is deprecated in newer SDKs; the verifier wants exactly what it reports.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL ok = ::GetVersionExA(&record);
#pragma GCC diagnostic pop
  Record();
  if (!ok) return false;
  info = {record.dwMajorVersion, record.dwMinorVersion, record.dwBuildNumber, record.dwPlatformId};
  return true;
}

bool Win32VerifierOs::FindFileInPath(std::wstring& name, std::wstring& path) {
  if (m_binding == Binding::NotTried) {
    // The binding records nothing: the code a row reports is the one its own search left, not
    // that of a failed attempt to bind the maker's library.
    m_binding = Binding::Failed;
    m_utilities.reset(LoadLibraryA(kUtilitiesLibrary));
    if (m_utilities) {
      m_findFileInPath =
          reinterpret_cast<FindFileInPathFunction>(reinterpret_cast<void*>(GetProcAddress(m_utilities.get(), kFindFileInPathExport)));
      if (m_findFileInPath) m_binding = Binding::Bound;
    }
  }
  if (m_binding != Binding::Bound) return false;
  std::vector<char> nameBuffer = AnsiBuffer(name);
  std::vector<char> pathBuffer = AnsiBuffer(path);
  // The function runs with the code the caller's failed load left, whatever binding it did since.
  SetLastError(m_recorded);
  m_findFileInPath(nameBuffer.data(), static_cast<long>(nameBuffer.size() - 1), pathBuffer.data(),
                   static_cast<long>(pathBuffer.size() - 1));
  Record();
  // The function may have written its findings; a well-behaved one leaves the zero at the end.
  nameBuffer.back() = '\0';
  pathBuffer.back() = '\0';
  name = FromBuffer(nameBuffer);
  path = FromBuffer(pathBuffer);
  return true;
}

long Win32VerifierOs::OpenKey(std::int32_t root, const std::wstring& path, std::uint32_t access, KeyHandle& key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(RootKey(root), ToAnsi(path).c_str(), 0, access, &opened);
  Record();
  if (result == ERROR_SUCCESS) key = reinterpret_cast<KeyHandle>(opened);
  return result;
}

long Win32VerifierOs::QueryValue(KeyHandle key, const std::wstring& name, std::uint32_t& type, std::string& data) {
  DWORD valueType = 0;
  DWORD size = static_cast<DWORD>(data.size());
  const LONG result = RegQueryValueExA(AsKey(key), ToAnsi(name).c_str(), nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
  Record();
  if (result != ERROR_SUCCESS) return result;
  type = valueType;
  data.resize(size < data.size() ? size : data.size());
  return result;
}

long Win32VerifierOs::EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity, std::wstring& name) {
  std::vector<char> buffer(capacity, ' ');
  DWORD size = capacity;
  FILETIME written{};
  const LONG result = RegEnumKeyExA(AsKey(key), index, buffer.data(), &size, nullptr, nullptr, nullptr, &written);
  Record();
  if (result == ERROR_SUCCESS) name = FromAnsi(std::string_view(buffer.data(), size < capacity ? size : capacity));
  return result;
}

void Win32VerifierOs::CloseKey(KeyHandle key) {
  ::RegCloseKey(AsKey(key));
  Record();
}

std::wstring Win32VerifierOs::FromAnsiBytes(std::string_view bytes) const { return FromAnsi(bytes); }

bool Win32VerifierOs::OrdinaryFileExists(const std::wstring& path) {
  // A directory lookup, not a platform call of the inspector: nothing is recorded.
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(ToAnsi(path).c_str(), &found);
  bool any = false;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & kOrdinaryFileExcluded) == 0) any = true;
    } while (!any && FindNextFileA(search, &found));
    FindClose(search);
  }
  return any;
}

std::wstring Win32VerifierOs::CurrentDirectory() {
  std::vector<char> buffer(MAX_PATH);
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0 || length >= buffer.size()) return {};
  return FromAnsi(std::string_view(buffer.data(), length));
}

std::optional<FileFacts> Win32VerifierOs::ReadFileFacts(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const BOOL ok = GetFileAttributesExA(ToAnsi(path).c_str(), GetFileExInfoStandard, &data);
  if (!ok || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time)) {
    return std::nullopt;
  }
  FileFacts facts;
  facts.size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  facts.date = OleDateFromCivil({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
  return facts;
}

double Win32VerifierOs::Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return OleDateFromCivil({now.wYear, now.wMonth, now.wDay});
}

std::wstring Win32VerifierOs::ShortDate(double oleDate) {
  const CivilTime civil = CivilFromOleDate(oleDate);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(civil.year);
  time.wMonth = static_cast<WORD>(civil.month);
  time.wDay = static_cast<WORD>(civil.day);
  wchar_t buffer[128] = {};
  const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, 128);
  return length > 1 ? std::wstring(buffer, static_cast<std::size_t>(length - 1)) : std::wstring();
}

}  // namespace kit::verifier
