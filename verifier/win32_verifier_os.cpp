// Win32-only. Thin calls: convert at the ANSI edge, call, record the last-error code. Paths
// the system hands back (a module's file name, the current folder) and the file queries on them
// stay wide: a folder whose name lies outside the ANSI code page would come back with the code
// page's substitute characters and name no file at all.
#include "verifier/win32_verifier_os.h"

#include "common/ansi_text.h"
#include "verifier/ole_date.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kit::verifier {
namespace {

constexpr char kUtilitiesLibrary[] = "VELutil32.dll";
constexpr char kFindFileInPathExport[] = "_FINDFILEINPATH@16";
constexpr DWORD kMessageBuffer = 1024;
constexpr DWORD kMessageFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;  // 0x1200
constexpr DWORD kFixedFileInfoSize = 52;
constexpr DWORD kOrdinaryFileExcluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
// The maker's search function may write a longer name or path than it was handed: each of its
// two texts gets at least this many bytes, the terminating zero included.
constexpr std::size_t kSearchTextBytes = 1025;
constexpr DWORD kLongestPath = 32768;  // characters, the loader's own limit

static_assert(sizeof(OSVERSIONINFOA) == 148, "the single-byte version record is 148 bytes on every target");
static_assert(sizeof(VS_FIXEDFILEINFO) == kFixedFileInfoSize);

HMODULE AsModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }
HKEY AsKey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }
// A predefined root is a sign-extended 32-bit value on 64-bit Windows.
HKEY RootKey(std::int32_t root) { return reinterpret_cast<HKEY>(static_cast<INT_PTR>(root)); }

// A text in the ANSI code page, writable and zero-filled to at least kSearchTextBytes; `length`
// is the text's own length, as the search function is told it.
struct SearchText {
  explicit SearchText(const std::wstring& text) {
    const std::string ansi = ToAnsi(text);
    bytes.assign(std::max(ansi.size() + 1, kSearchTextBytes), '\0');
    std::copy(ansi.begin(), ansi.end(), bytes.begin());
    length = static_cast<long>(ansi.size());
  }
  // What the function left, up to the first zero; the buffer's last byte stays a zero whatever
  // it wrote.
  std::wstring Text() {
    bytes.back() = '\0';
    return FromAnsi(std::string_view(bytes.data(), std::strlen(bytes.data())));
  }
  std::vector<char> bytes;
  long length = 0;
};

// The file's time of day by the daylight-saving rule of its own date. FileTimeToLocalFileTime
// would apply today's offset: a file written near midnight would show another day in a summer
// report than in a winter one.
bool LocalTimeOfFile(const FILETIME& written, SYSTEMTIME& local) {
  SYSTEMTIME utc{};
  return FileTimeToSystemTime(&written, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
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

Win32VerifierOs::Win32VerifierOs() {
  // Before any component is loaded: a component's own import of version.dll may come from its
  // folder, and once a module of that name is in the process, a load by the bare name gets it.
  m_version.Bind();
}

std::wstring Win32VerifierOs::ModuleFileName(ModuleHandle module) {
  // The whole path, however long: the buffer grows until the name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(AsModule(module), buffer.data(), static_cast<DWORD>(buffer.size()));
    Record();
    if (length == 0) return {};
    if (length < buffer.size() - 1 || buffer.size() >= kLongestPath) return std::wstring(buffer.data(), length);
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
  DWORD unused = 0;
  const DWORD size = m_version.GetFileVersionInfoSizeW(path.c_str(), &unused);
  Record();
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(size) + 1);
  const BOOL read = m_version.GetFileVersionInfoW(path.c_str(), 0, size, block.data());
  Record();
  if (!read) return std::nullopt;
  void* root = nullptr;
  UINT length = 0;
  const BOOL found = m_version.VerQueryValueW(block.data(), L"\\", &root, &length);
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
  SearchText nameText(name);
  SearchText pathText(path);
  // The function runs with the code the caller's failed load left, whatever binding it did since.
  SetLastError(m_recorded);
  m_findFileInPath(nameText.bytes.data(), nameText.length, pathText.bytes.data(), pathText.length);
  Record();
  name = nameText.Text();
  path = pathText.Text();
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
  WIN32_FIND_DATAW found{};
  const UniqueFind search(FindFirstFileW(path.c_str(), &found));
  bool any = false;
  if (search) {
    do {
      if ((found.dwFileAttributes & kOrdinaryFileExcluded) == 0) any = true;
    } while (!any && FindNextFileW(search.get(), &found));
  }
  return any;
}

std::wstring Win32VerifierOs::CurrentDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0 || length >= buffer.size()) return {};
  return std::wstring(buffer.data(), length);
}

std::optional<FileFacts> Win32VerifierOs::ReadFileFacts(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const BOOL ok = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  if (!ok || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  SYSTEMTIME time{};
  if (!LocalTimeOfFile(data.ftLastWriteTime, time)) return std::nullopt;
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
