// The scripted OS: every call is journalled, every platform call records an error code.
#include "fake_os.h"

#include "verifier/ole_date.h"

#include <algorithm>

namespace kit::verifier::testing {
namespace {

constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr std::uint32_t kModuleNotFound = 126;

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = path.find(L'\\', start);
    const std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return parts;
}

FakeKey* Child(FakeKey& key, const std::wstring& name) {
  for (auto& [childName, child] : key.subkeys) {
    if (childName == name) return &child;
  }
  return nullptr;
}

}  // namespace

FakeKey& FakeKey::Sub(const std::wstring& name) {
  if (FakeKey* child = Child(*this, name)) return *child;
  subkeys.emplace_back(name, FakeKey{});
  return subkeys.back().second;
}

FakeValue TextValue(const std::string& text) { return {kRegSz, text + std::string(1, '\0')}; }

FakeKey& FakeOs::Key(std::int32_t root, const std::wstring& path) {
  FakeKey* key = &roots[root];
  for (const std::wstring& part : SplitPath(path)) key = &key->Sub(part);
  return *key;
}

int FakeOs::CallCount(const std::wstring& prefix) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                        [&](const std::wstring& call) { return call.starts_with(prefix); }));
}

ModuleHandle FakeOs::LoadModule(const std::wstring& name) {
  calls.push_back(L"LoadModule " + name);
  const auto library = libraries.find(name);
  if (library == libraries.end()) {
    const auto error = loadErrors.find(name);
    recorded = error == loadErrors.end() ? kModuleNotFound : error->second;
    return 0;
  }
  recorded = 0;
  ++loadCounts[name];
  m_handleNames.push_back(name);
  return m_handleNames.size();
}

void FakeOs::UnloadModule(ModuleHandle module) {
  calls.push_back(L"UnloadModule");
  if (module == 0 || module > m_handleNames.size()) return;
  --loadCounts[m_handleNames[module - 1]];
}

ModuleHandle FakeOs::FindLoadedModule(const std::wstring& name) {
  calls.push_back(L"FindLoadedModule " + name);
  const auto library = libraries.find(name);
  if (library == libraries.end() || !library->second.hasHandle || loadCounts[name] <= 0) {
    recorded = kModuleNotFound;
    return 0;
  }
  for (std::size_t i = m_handleNames.size(); i > 0; --i) {
    if (m_handleNames[i - 1] == name) return i;
  }
  return 0;
}

std::wstring FakeOs::ModuleFileName(ModuleHandle module) {
  calls.push_back(L"ModuleFileName");
  if (module == 0 || module > m_handleNames.size()) return {};
  return libraries[m_handleNames[module - 1]].path;
}

std::wstring FakeOs::MessageText(std::uint32_t code) {
  calls.push_back(L"MessageText " + std::to_wstring(code));
  const auto message = messages.find(code);
  return message == messages.end() ? std::wstring() : message->second;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> FakeOs::ReadFileVersion(const std::wstring& path) {
  calls.push_back(L"ReadFileVersion " + path);
  const auto version = versions.find(path);
  if (version == versions.end()) return std::nullopt;
  return version->second;
}

bool FakeOs::QueryOsVersion(OsVersionInfo& info) {
  calls.push_back(L"QueryOsVersion");
  if (!osVersion) return false;
  info = *osVersion;
  return true;
}

bool FakeOs::FindFileInPath(std::wstring& name, std::wstring& path) {
  calls.push_back(L"FindFileInPath " + name);
  if (!searchBound) return false;
  ++searchCalls;
  if (searchRewritesName) name = *searchRewritesName;
  if (searchRewritesPath) path = *searchRewritesPath;
  if (searchError) recorded = *searchError;
  return true;
}

long FakeOs::OpenKey(std::int32_t root, const std::wstring& path, std::uint32_t access, KeyHandle& key) {
  calls.push_back(L"OpenKey " + path);
  openAccess.push_back(access);
  const auto rootKey = roots.find(root);
  FakeKey* current = rootKey == roots.end() ? nullptr : &rootKey->second;
  for (const std::wstring& part : SplitPath(path)) {
    if (!current) break;
    current = Child(*current, part);
  }
  if (!current) return recorded = kFileNotFound, kFileNotFound;
  if (current->denyOpen) return recorded = kAccessDenied, kAccessDenied;
  key = m_nextKey++;
  m_keys[key] = current;
  ++openKeys;
  recorded = 0;
  return kRegSuccess;
}

long FakeOs::QueryValue(KeyHandle key, const std::wstring& name, std::uint32_t& type, std::string& data) {
  calls.push_back(L"QueryValue " + name);
  FakeKey* opened = m_keys.at(key);
  const auto value = opened->values.find(name);
  if (value == opened->values.end()) return recorded = kFileNotFound, kFileNotFound;
  if (value->second.bytes.size() > data.size()) return recorded = kMoreData, kMoreData;
  type = value->second.type;
  data = value->second.bytes;
  recorded = 0;
  return kRegSuccess;
}

long FakeOs::EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity, std::wstring& name) {
  calls.push_back(L"EnumSubKey " + std::to_wstring(index));
  FakeKey* opened = m_keys.at(key);
  if (opened->enumFailure && index >= opened->enumFailure->first) {
    return recorded = opened->enumFailure->second, opened->enumFailure->second;
  }
  if (index >= opened->subkeys.size()) return recorded = kNoMoreItems, kNoMoreItems;
  const std::wstring& subkey = opened->subkeys[index].first;
  if (subkey.size() + 1 > capacity) return recorded = kMoreData, kMoreData;
  name = subkey;
  recorded = 0;
  return kRegSuccess;
}

void FakeOs::CloseKey(KeyHandle key) {
  calls.push_back(L"CloseKey");
  if (m_keys.erase(key) != 0) --openKeys;
}

std::wstring FakeOs::FromAnsiBytes(std::string_view bytes) const {
  std::wstring text;
  for (const char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return text;
}

bool FakeOs::OrdinaryFileExists(const std::wstring& path) {
  calls.push_back(L"OrdinaryFileExists " + path);
  return std::find(ordinaryFiles.begin(), ordinaryFiles.end(), path) != ordinaryFiles.end();
}

std::optional<FileFacts> FakeOs::ReadFileFacts(const std::wstring& path) {
  calls.push_back(L"ReadFileFacts " + path);
  const auto facts = fileFacts.find(path);
  if (facts == fileFacts.end()) return std::nullopt;
  return facts->second;
}

std::wstring FakeOs::ShortDate(double oleDate) {
  const CivilTime time = CivilFromOleDate(oleDate);
  return std::to_wstring(time.day) + L"/" + std::to_wstring(time.month) + L"/" + std::to_wstring(time.year);
}

}  // namespace kit::verifier::testing
