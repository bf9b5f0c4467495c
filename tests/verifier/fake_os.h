// A scripted stand-in for the verifier's OS interface: a loader with named modules, a registry
// tree, files, version resources and a journal of the platform calls made, so the unit tests can
// drive every decision of the verifier without Windows.
#pragma once

#include "verifier/verifier_os.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kit::verifier::testing {

struct FakeValue {
  std::uint32_t type = kRegSz;
  std::string bytes;
};

struct FakeKey {
  std::vector<std::pair<std::wstring, FakeKey>> subkeys;  // in enumeration order
  std::map<std::wstring, FakeValue> values;
  // Enumeration fails with this code at this index (and beyond).
  std::optional<std::pair<std::uint32_t, long>> enumFailure;
  bool denyOpen = false;

  FakeKey& Sub(const std::wstring& name);  // the child, created when missing
};

// A REG_SZ value stored with its terminating zero.
FakeValue TextValue(const std::string& text);

class FakeOs : public VerifierOs {
public:
  // Loader script.
  struct Library {
    std::wstring path;        // what ModuleFileName returns
    bool hasHandle = true;    // FindLoadedModule finds it after a load
  };
  std::map<std::wstring, Library> libraries;      // by name as passed
  std::map<std::wstring, std::uint32_t> loadErrors;  // load failures by name; default 126
  std::map<std::wstring, int> loadCounts;         // current use count per name
  std::map<std::uint32_t, std::wstring> messages; // MessageText texts
  std::map<std::wstring, std::pair<std::uint32_t, std::uint32_t>> versions;
  std::optional<OsVersionInfo> osVersion;
  // Outside search function.
  bool searchBound = true;
  std::optional<std::uint32_t> searchError;  // code the search leaves; none: it keeps the loader's
  std::optional<std::wstring> searchRewritesName;
  std::optional<std::wstring> searchRewritesPath;
  int searchCalls = 0;
  // Registry: roots by signed value.
  std::map<std::int32_t, FakeKey> roots;
  int openKeys = 0;
  std::vector<std::uint32_t> openAccess;
  // Files.
  std::vector<std::wstring> ordinaryFiles;
  std::wstring currentDirectory = L"C:\\work";
  std::map<std::wstring, FileFacts> fileFacts;
  double today = 45000;

  std::vector<std::wstring> calls;  // journal: "LoadModule advpack.dll", ...
  std::uint32_t recorded = 0;

  std::uint32_t RecordedError() const override { return recorded; }
  void ResetRecordedError() override { recorded = 0; }
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
  std::wstring CurrentDirectory() override { return currentDirectory; }
  std::optional<FileFacts> ReadFileFacts(const std::wstring& path) override;
  double Today() override { return today; }
  std::wstring ShortDate(double oleDate) override;

  // Registry key by root and backslash path, created when missing.
  FakeKey& Key(std::int32_t root, const std::wstring& path);
  int CallCount(const std::wstring& prefix) const;

private:
  std::vector<std::wstring> m_handleNames;  // module handle n is m_handleNames[n - 1]
  std::map<KeyHandle, FakeKey*> m_keys;
  KeyHandle m_nextKey = 0x100;
};

}  // namespace kit::verifier::testing
