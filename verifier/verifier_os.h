// The verifier's narrow window on the operating system: exactly the platform operations the
// inspector, the locator, the registry walks and the data-access line need, each mirroring one
// platform call. Texts are wide here; an implementation crosses into the ANSI code page itself
// where the verifier uses the ANSI entry points (names, messages, registry, the maker's search),
// and keeps the paths the system hands back wide.
// After every platform call an implementation records the thread's last-error code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit::verifier {

using ModuleHandle = std::uintptr_t;  // 0: none
using KeyHandle = std::uintptr_t;     // an opened registry key

// Registry roots as the predefined 32-bit handle values, taken as signed numbers.
inline constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kLastPredefinedRoot = static_cast<std::int32_t>(0x80000006u);

inline constexpr std::uint32_t kKeyRead = 0x20019;  // KEY_READ

inline constexpr long kRegSuccess = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;

struct OsVersionInfo {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;
};

struct FileFacts {
  std::int64_t size = 0;
  double date = 0;  // OLE automation date, local time
};

class VerifierOs {
public:
  virtual ~VerifierOs() = default;

  // The last-error code recorded after the most recent platform call. Reset lets a caller tell
  // "no platform call since" apart from a stale code.
  virtual std::uint32_t RecordedError() const = 0;
  virtual void ResetRecordedError() = 0;

  // Loader (LoadLibraryA, FreeLibrary, GetModuleHandleA, GetModuleFileNameW).
  virtual ModuleHandle LoadModule(const std::wstring& name) = 0;
  virtual void UnloadModule(ModuleHandle module) = 0;
  virtual ModuleHandle FindLoadedModule(const std::wstring& name) = 0;
  // The module's whole file name, however long; empty on failure.
  virtual std::wstring ModuleFileName(ModuleHandle module) = 0;

  // FormatMessageA from the system into a 1024-character buffer: exactly the characters written,
  // line end included; empty when the system has no text.
  virtual std::wstring MessageText(std::uint32_t code) = 0;

  // GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW on the root block: the file
  // version's most and least significant 32 bits. Nothing on any failure.
  virtual std::optional<std::pair<std::uint32_t, std::uint32_t>> ReadFileVersion(const std::wstring& path) = 0;

  // GetVersionExA with the 148-byte single-byte record; false when the call fails.
  virtual bool QueryOsVersion(OsVersionInfo& info) = 0;

  // The maker's search function `_FINDFILEINPATH@16` of VELutil32.dll, bound on first use and
  // kept for the life of this object. Both texts go in and come back (up to the first NUL).
  // False when the library or its export cannot be bound; nothing is called then, and the
  // recorded code stays the one the caller's own search left.
  virtual bool FindFileInPath(std::wstring& name, std::wstring& path) = 0;

  // Registry (RegOpenKeyExA, RegQueryValueExA, RegEnumKeyExA, CloseKey). Results are the
  // platform's codes, 0 for success.
  virtual long OpenKey(std::int32_t root, const std::wstring& path, std::uint32_t access, KeyHandle& key) = 0;
  // `data` comes in with the buffer's capacity as its size and leaves with the bytes written.
  virtual long QueryValue(KeyHandle key, const std::wstring& name, std::uint32_t& type, std::string& data) = 0;
  // `capacity` characters for the name, terminating zero included.
  virtual long EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity, std::wstring& name) = 0;
  virtual void CloseKey(KeyHandle key) = 0;
  // Registry data in the ANSI code page, as text.
  virtual std::wstring FromAnsiBytes(std::string_view bytes) const = 0;

  // File system services; these are not platform calls for the recorded code.
  // Whether at least one ordinary file (not hidden, not system, not a folder) matches `path`.
  virtual bool OrdinaryFileExists(const std::wstring& path) = 0;
  virtual std::wstring CurrentDirectory() = 0;
  // Length and last-modified date of the file at `path`, the date in local time by the
  // daylight-saving rule of the date itself; nothing for a folder or any failure.
  virtual std::optional<FileFacts> ReadFileFacts(const std::wstring& path) = 0;

  // Today's date (OLE date, no time) and the user's short date pattern applied to a date.
  virtual double Today() = 0;
  virtual std::wstring ShortDate(double oleDate) = 0;
};

// Closes a key opened through VerifierOs on every path.
class OpenedKey {
public:
  OpenedKey(VerifierOs& os, KeyHandle key) : m_os(os), m_key(key) {}
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() { m_os.CloseKey(m_key); }
  KeyHandle get() const { return m_key; }

private:
  VerifierOs& m_os;
  KeyHandle m_key;
};

}  // namespace kit::verifier
