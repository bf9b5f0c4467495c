// Win32-only. The verifier's OS interface on Windows: the ANSI entry points of the loader and the
// registry, wide ones for the paths the system hands back and the file queries on them, the
// version library (bound from the system folder when the object is made), the last-error code
// recorded after each call, and the maker's search function bound from VELutil32.dll on first use.
#pragma once

#include "common/owners.h"
#include "verifier/system_library.h"
#include "verifier/verifier_os.h"

namespace kit::verifier {

class Win32VerifierOs : public VerifierOs {
public:
  // Binds version.dll from the system folder, so make one before the run loads any component.
  Win32VerifierOs();

  std::uint32_t RecordedError() const override { return m_recorded; }
  void ResetRecordedError() override { m_recorded = 0; }
  ModuleHandle LoadModule(const std::wstring& name) override;
  void UnloadModule(ModuleHandle module) override;
  ModuleHandle FindLoadedModule(const std::wstring& name) override;
  std::wstring ModuleFileName(ModuleHandle module) override;
  std::wstring MessageText(std::uint32_t code) override;
  std::optional<std::pair<std::uint32_t, std::uint32_t>> ReadFileVersion(const std::wstring& path) override;
  bool QueryOsVersion(OsVersionInfo& info) override;
  bool FindFileInPath(std::wstring& name, std::wstring& path) override;
  long OpenKey(std::int32_t root, const std::wstring& path, std::uint32_t access, KeyHandle& key) override;
  long QueryValue(KeyHandle key, const std::wstring& name, std::uint32_t& type, std::string& data) override;
  long EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity, std::wstring& name) override;
  void CloseKey(KeyHandle key) override;
  std::wstring FromAnsiBytes(std::string_view bytes) const override;
  bool OrdinaryFileExists(const std::wstring& path) override;
  std::wstring CurrentDirectory() override;
  std::optional<FileFacts> ReadFileFacts(const std::wstring& path) override;
  double Today() override;
  std::wstring ShortDate(double oleDate) override;

private:
  void Record() { m_recorded = GetLastError(); }

  using FindFileInPathFunction = long(WINAPI*)(char* name, long nameLength, char* path, long pathLength);
  enum class Binding { NotTried, Bound, Failed };

  std::uint32_t m_recorded = 0;
  Binding m_binding = Binding::NotTried;
  UniqueModule m_utilities;
  VersionLibrary m_version;
  FindFileInPathFunction m_findFileInPath = nullptr;
};

}  // namespace kit::verifier
