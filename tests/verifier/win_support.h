// Win32-only. What the verifier's Windows-side and end-to-end tests share: the build's program
// folder, scratch folders, registry keys written for one test and removed afterwards.
#pragma once

#include "common/win32.h"

#include <string>
#include <vector>

namespace kit::verifier::testing {

// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

// A new empty folder under the temporary folder; removed with its files when the object goes.
class ScratchFolder {
public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  const std::wstring& Path() const { return m_path; }
  std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
  void Write(const std::wstring& name, const std::string& bytes) const;

private:
  std::wstring m_path;
};

// A registry key tree created for one test and deleted with everything under it afterwards.
class ScratchKey {
public:
  ScratchKey(HKEY root, const std::wstring& path);
  ~ScratchKey();
  void SetText(const std::wstring& subkey, const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) const;
  void SetBytes(const std::wstring& subkey, const std::wstring& name, DWORD type, const std::string& bytes) const;
  void Create(const std::wstring& subkey) const;

private:
  HKEY m_root;
  std::wstring m_path;
};

// The current folder for one scope.
class CurrentFolder {
public:
  explicit CurrentFolder(const std::wstring& path);
  ~CurrentFolder();

private:
  std::wstring m_previous;
};

std::vector<std::string> ReadLines(const std::wstring& path);
std::string ReadAll(const std::wstring& path);
std::string Narrow(const std::wstring& text);

}  // namespace kit::verifier::testing
