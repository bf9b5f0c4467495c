// Win32-only. Stand-in for the DAO 3.60 engine, for the tests of probe_dao360. CreateDatabase
// makes a small file and fails, described, when the name exists already; OpenDatabase opens
// it; Close closes it. Every call and value is journaled. With KIT_STANDIN_MODE "fail-silent",
// "fail-long" or "fail-wide" CreateDatabase fails with such a description instead.
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

#include <string>

namespace {
using namespace kit::standins;

constexpr CLSID kEngineClass = {0x00000100, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kEngineInterface = {0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kDatabaseInterface = {0x00000071, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
// Errors as a control-facility code with the engine's error number, as Automation servers give them.
constexpr HRESULT kDatabaseExists = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3204);
constexpr HRESULT kFileNotFound = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3024);
constexpr char kContent[] = "kit stand-in database\r\n";

std::wstring Values(std::span<const VARIANT> arguments) {
  std::wstring text;
  for (const VARIANT& argument : arguments) text += L" " + DescribeValue(argument);
  return text;
}

class Database final : public DispatchObject {
public:
  Database(std::wstring file, HANDLE handle) : DispatchObject(L"Database " + file, kInterfaces, kMembers), m_file(handle) {}

private:
  static constexpr const IID* kInterfaces[] = {&kDatabaseInterface};
  static constexpr DispatchMember kMembers[] = {{L"Close", 1}};
  ~Database() override { CloseFile(); }
  void CloseFile() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
  }
  HRESULT Call(DISPID, WORD, std::span<const VARIANT> arguments, VARIANT*, EXCEPINFO*) override {
    Journal(Name() + L" Close" + Values(arguments));
    CloseFile();
    return S_OK;
  }
  HANDLE m_file;
};

class Engine final : public DispatchObject {
public:
  Engine() : DispatchObject(L"DBEngine", kInterfaces, kMembers) {}

private:
  enum : DISPID { kCreateDatabase = 1, kOpenDatabase };
  static constexpr const IID* kInterfaces[] = {&kEngineInterface};
  static constexpr DispatchMember kMembers[] = {{L"CreateDatabase", kCreateDatabase},
                                                {L"OpenDatabase", kOpenDatabase}};

  static HRESULT Return(Database* database, VARIANT* result) {
    if (!result) {
      database->Release();
      return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = database;
    return S_OK;
  }

  HRESULT Call(DISPID id, WORD, std::span<const VARIANT> arguments, VARIANT* result, EXCEPINFO* exception) override {
    const std::wstring file = arguments.empty() ? std::wstring() : TextOf(arguments[0]);
    if (id == kCreateDatabase) {
      Journal(Name() + L" CreateDatabase" + Values(arguments));
      const std::wstring mode = Mode();
      if (mode.starts_with(L"fail-")) return RaiseException(exception, E_FAIL, DescriptionForMode(L""));
      if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return RaiseException(exception, kDatabaseExists, L"Database already exists.");
      }
      HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle == INVALID_HANDLE_VALUE) {
        return RaiseException(exception, HRESULT_FROM_WIN32(GetLastError()), L"Could not create the database.");
      }
      DWORD written = 0;
      WriteFile(handle, kContent, sizeof(kContent) - 1, &written, nullptr);
      return Return(new Database(file, handle), result);
    }
    Journal(Name() + L" OpenDatabase" + Values(arguments));
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      return RaiseException(exception, kFileNotFound, L"Could not find file '" + file + L"'.");
    }
    return Return(new Database(file, handle), result);
  }
};

HRESULT CreateEngine(const void*, REFIID iid, void** object) {
  auto* engine = new Engine();
  const HRESULT hr = engine->QueryInterface(iid, object);
  engine->Release();
  return hr;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObjectFor(clsid, kEngineClass, CreateEngine, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(kEngineClass, nullptr); }
STDAPI DllUnregisterServer() { return UnregisterServerClass(kEngineClass, nullptr); }
