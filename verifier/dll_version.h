// The component inspector: one instance examines one component file per LoadFileInfo call and
// keeps what it found in five read-only properties; it also names the running Windows version.
// It reaches the system only through the VerifierOs it is given.
#pragma once

#include "verifier/verifier_os.h"

#include <cstdint>
#include <string>

namespace kit::verifier {

class CDLLVersion {
public:
  explicit CDLLVersion(VerifierOs& os) : m_os(os) {}

  const std::wstring& FilePathName() const { return m_filePathName; }
  double FileDate() const { return m_fileDate; }
  std::int32_t FileSize() const { return m_fileSize; }
  const std::wstring& FileVersion() const { return m_fileVersion; }
  const std::wstring& FileRegistrationInfo() const { return m_fileRegistrationInfo; }

  std::wstring GetOSVersion();

  // Sets all five values. `sModule` receives what the locator leaves in it; `sCLSIDVer` is
  // replaced by the registered version when a lookup finds another one.
  void LoadFileInfo(std::wstring& sModule, std::wstring& sCLSID, std::wstring& sCLSIDVer);

private:
  void Clear();

  VerifierOs& m_os;
  std::wstring m_filePathName;
  std::wstring m_fileVersion;
  std::wstring m_fileRegistrationInfo;
  std::int32_t m_fileSize = 0;
  double m_fileDate = 0;
};

// The name of a Windows version by platform, major and minor number, or "Unknown".
std::wstring OsVersionName(const OsVersionInfo& info);

}  // namespace kit::verifier
