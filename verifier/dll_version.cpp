// LoadFileInfo's steps: locate, classify, then version, size and date of the located file.
#include "verifier/dll_version.h"

#include "common/number_text.h"
#include "verifier/locator.h"
#include "verifier/registry_lookup.h"
#include "verifier/texts.h"
#include "verifier/version_text.h"

#include <limits>

namespace kit::verifier {
namespace {

constexpr std::size_t kLocatedPathBuffer = 1024;
constexpr std::uint32_t kErrorDllNotFound = 1157;  // ERROR_DLL_NOT_FOUND
constexpr std::uint32_t kPlatformWin9x = 1;        // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNt = 2;           // VER_PLATFORM_WIN32_NT

}  // namespace

std::wstring OsVersionName(const OsVersionInfo& info) {
  if (info.platformId == kPlatformWin9x && info.major == 4) {
    if (info.minor == 0) return L"Windows 95";
    if (info.minor == 10) return L"Windows 98";
  }
  if (info.platformId == kPlatformNt) {
    if (info.major == 3 && info.minor == 51) return L"Windows NT 3.51";
    if (info.major == 4 && info.minor == 0) return L"Windows NT 4.0";
    if (info.major == 5 && info.minor == 0) return L"Windows 2000 (Build " + kit::Decimal(info.build) + L")";
  }
  return L"Unknown";
}

std::wstring CDLLVersion::GetOSVersion() {
  OsVersionInfo info;
  if (!m_os.QueryOsVersion(info)) return L"Unknown";
  return OsVersionName(info);
}

void CDLLVersion::Clear() {
  m_filePathName.clear();
  m_fileVersion.clear();
  m_fileRegistrationInfo.clear();
  m_fileSize = 0;
  m_fileDate = 0;
}

void CDLLVersion::LoadFileInfo(std::wstring& sModule, std::wstring& sCLSID, std::wstring& sCLSIDVer) {
  if (TrimSpaces(sModule).empty()) {
    Clear();
    return;
  }

  Registration registration;
  if (!sCLSID.empty()) registration = LookUpRegistration(m_os, sCLSID, sCLSIDVer);

  // Program names are looked up without a platform call; their failure then reports code 0
  // rather than whatever an earlier call left behind.
  m_os.ResetRecordedError();
  std::wstring located(kLocatedPathBuffer, L' ');
  if (LocateFile(m_os, sModule, located)) {
    m_filePathName = located;
  } else {
    const std::uint32_t code = m_os.RecordedError();
    if (code == 0) {
      m_filePathName = sModule + L" Not Found";
    } else if (code == kErrorDllNotFound) {
      m_filePathName = L"Can't load " + sModule;
    } else {
      m_filePathName = sModule + L" " + GetErrorText(m_os, code);
    }
  }

  if (!registration.serverPath.empty()) {
    m_fileRegistrationInfo = registration.mismatch ? L"Ver " + sCLSIDVer : L"OK";
    m_filePathName = registration.serverPath;
  } else if (located.empty() && registration.notRegistered) {
    m_fileRegistrationInfo = L"SubKey not found";
  } else if (located.empty() && registration.mismatch) {
    m_fileRegistrationInfo = L"Not complete";
  } else if (located.empty()) {
    m_fileRegistrationInfo = L"Not found";
  } else if (registration.notRegistered) {
    m_fileRegistrationInfo = L"Not Registered";
  } else if (located == kUnableToLocate) {
    m_fileRegistrationInfo.clear();
    m_filePathName = std::wstring(kUnableToLocate) + L" " + sModule;
  } else if (!sCLSID.empty()) {
    m_fileRegistrationInfo = L"impossible";
  } else {
    m_fileRegistrationInfo = L"n/a";
  }

  // Version, size and date always describe the located file. When nothing was located there is
  // no file to ask: a query for the failure text would search the loader's path for a file of
  // that name, cost a whole search per row and could report a stranger's version.
  m_fileVersion.clear();
  m_fileSize = 0;
  m_fileDate = 0;
  if (located == kUnableToLocate) return;
  m_fileVersion = TrimSpaces(GetFileVersionText(m_os, located));
  const auto facts = m_os.ReadFileFacts(located);
  if (!facts) return;
  m_fileDate = facts->date;
  // A length beyond the 32-bit property cannot be reported truthfully: only the size counts as
  // unreadable, the date is still the file's.
  if (facts->size <= std::numeric_limits<std::int32_t>::max()) m_fileSize = static_cast<std::int32_t>(facts->size);
}

}  // namespace kit::verifier
