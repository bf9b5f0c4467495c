// Win32-only. Scratch folders, keys and files for the verifier's Windows-side tests.
#include "win_support.h"

#include <fstream>
#include <sstream>

namespace kit::verifier::testing {

std::wstring ProgramFolder() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  m_path = std::wstring(temp) + L"kitverifier_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  // Files and folders directly inside, then the folder itself.
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = m_path + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(full.c_str());
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(m_path.c_str());
}

void ScratchFolder::Write(const std::wstring& name, const std::string& bytes) const {
  HANDLE file = CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

ScratchKey::ScratchKey(HKEY root, const std::wstring& path) : m_root(root), m_path(path) {
  RegDeleteTreeW(m_root, m_path.c_str());
  Create(L"");
}

ScratchKey::~ScratchKey() { RegDeleteTreeW(m_root, m_path.c_str()); }

void ScratchKey::Create(const std::wstring& subkey) const {
  HKEY key = nullptr;
  const std::wstring path = subkey.empty() ? m_path : m_path + L"\\" + subkey;
  if (RegCreateKeyExW(m_root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegCloseKey(key);
  }
}

void ScratchKey::SetBytes(const std::wstring& subkey, const std::wstring& name, DWORD type, const std::string& bytes) const {
  HKEY key = nullptr;
  const std::wstring path = subkey.empty() ? m_path : m_path + L"\\" + subkey;
  if (RegCreateKeyExW(m_root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(key, Narrow(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void ScratchKey::SetText(const std::wstring& subkey, const std::wstring& name, const std::wstring& value, DWORD type) const {
  std::string bytes = Narrow(value);
  bytes.push_back('\0');
  SetBytes(subkey, name, type, bytes);
}

CurrentFolder::CurrentFolder(const std::wstring& path) {
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  m_previous = previous;
  SetCurrentDirectoryW(path.c_str());
}

CurrentFolder::~CurrentFolder() { SetCurrentDirectoryW(m_previous.c_str()); }

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  const std::string text = ReadAll(path);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace kit::verifier::testing
