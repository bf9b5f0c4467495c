// Win32-only. Stand-in for the DAO 3.60 engine, for the tests of probe_dao360: it serves
// `_DBEngine` and `Database` through their typed tables (the declarations the probe calls).
// CreateDatabase makes a small file and fails, described, when the name exists already;
// OpenDatabase opens it; Close closes it. Every call and value is journaled. With
// KIT_STANDIN_MODE "fail-silent", "fail-long" or "fail-wide" CreateDatabase fails with such a
// description instead; with "errorbox" the engine shows an error box of its own first, as a
// damaged engine does, and then goes on.
#include "common/owners.h"
#include "probes/services/dao360/dao_interfaces.h"
#include "standins/com_server/licensing_factory.h"
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

#include <string>
#include <utility>

namespace {
using namespace kit::standins;
namespace dao = kit::dao;

// Errors as a control-facility code with the engine's error number, as Automation servers give them.
constexpr HRESULT kDatabaseExists = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3204);
constexpr HRESULT kFileNotFound = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 3024);
constexpr char kContent[] = "kit stand-in database\r\n";

std::wstring Text(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

class Database final : public TypedObject<dao::Database> {
public:
  Database(const std::wstring& file, kit::UniqueFile handle)
      : TypedObject(L"Database " + file, &dao::kDatabaseInterface), m_file(std::move(handle)) {}

  HRESULT STDMETHODCALLTYPE Close() override {
    Journal(Name() + L" Close");
    m_file.reset();
    return S_OK;
  }

  // The rest of the table: there, in its place, and not served.
  HRESULT STDMETHODCALLTYPE get_Properties(IDispatch** properties) override { return Unserved(properties); }
  HRESULT STDMETHODCALLTYPE get_CollatingOrder(LONG* order) override { return Unserved(order); }
  HRESULT STDMETHODCALLTYPE get_Connect(BSTR* connect) override { return Unserved(connect); }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return Unserved(name); }
  HRESULT STDMETHODCALLTYPE get_QueryTimeout(short* seconds) override { return Unserved(seconds); }
  HRESULT STDMETHODCALLTYPE put_QueryTimeout(short) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Transactions(VARIANT_BOOL* transactions) override { return Unserved(transactions); }
  HRESULT STDMETHODCALLTYPE get_Updatable(VARIANT_BOOL* updatable) override { return Unserved(updatable); }
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override { return Unserved(version); }
  HRESULT STDMETHODCALLTYPE get_RecordsAffected(LONG* count) override { return Unserved(count); }
  HRESULT STDMETHODCALLTYPE get_TableDefs(IDispatch** tableDefs) override { return Unserved(tableDefs); }
  HRESULT STDMETHODCALLTYPE get_QueryDefs(IDispatch** queryDefs) override { return Unserved(queryDefs); }
  HRESULT STDMETHODCALLTYPE get_Relations(IDispatch** relations) override { return Unserved(relations); }
  HRESULT STDMETHODCALLTYPE get_Containers(IDispatch** containers) override { return Unserved(containers); }
  HRESULT STDMETHODCALLTYPE get_Recordsets(IDispatch** recordsets) override { return Unserved(recordsets); }

private:
  ~Database() override = default;
  kit::UniqueFile m_file;
};

class Engine final : public TypedObject<dao::DBEngine> {
public:
  Engine() : TypedObject(L"DBEngine", &dao::kEngineInterface) {}

  HRESULT STDMETHODCALLTYPE CreateDatabase(BSTR name, BSTR locale, VARIANT options, dao::Database** database) override {
    const std::wstring file = Text(name);
    Journal(Name() + L" CreateDatabase \"" + file + L"\" \"" + Text(locale) + L"\" " + DescribeValue(options));
    if (!database) return E_POINTER;
    *database = nullptr;
    if (Mode().starts_with(L"fail-")) return Fail(E_FAIL, DescriptionForMode(L""));
    if (Mode() == L"errorbox") {
      MessageBoxW(nullptr, L"The database engine could not read its system database.", L"DAO stand-in",
                  MB_OK | MB_ICONERROR);
    }
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return Fail(kDatabaseExists, L"Database already exists.");
    }
    kit::UniqueFile handle(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return Fail(HRESULT_FROM_WIN32(GetLastError()), L"Could not create the database.");
    DWORD written = 0;
    WriteFile(handle.get(), kContent, sizeof(kContent) - 1, &written, nullptr);
    return HandOut(new Database(file, std::move(handle)), dao::kDatabaseInterface, reinterpret_cast<void**>(database));
  }

  HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR name, VARIANT options, VARIANT readOnly, VARIANT connect,
                                         dao::Database** database) override {
    const std::wstring file = Text(name);
    Journal(Name() + L" OpenDatabase \"" + file + L"\" " + DescribeValue(options) + L" " + DescribeValue(readOnly) +
            L" " + DescribeValue(connect));
    if (!database) return E_POINTER;
    *database = nullptr;
    kit::UniqueFile handle(
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return Fail(kFileNotFound, L"Could not find file '" + file + L"'.");
    return HandOut(new Database(file, std::move(handle)), dao::kDatabaseInterface, reinterpret_cast<void**>(database));
  }

  // The rest of the table: there, in its place, and not served.
  HRESULT STDMETHODCALLTYPE get_Properties(IDispatch** properties) override { return Unserved(properties); }
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override { return Unserved(version); }
  HRESULT STDMETHODCALLTYPE get_IniPath(BSTR* path) override { return Unserved(path); }
  HRESULT STDMETHODCALLTYPE put_IniPath(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_DefaultUser(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_DefaultPassword(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LoginTimeout(short* seconds) override { return Unserved(seconds); }
  HRESULT STDMETHODCALLTYPE put_LoginTimeout(short) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Workspaces(IDispatch** workspaces) override { return Unserved(workspaces); }
  HRESULT STDMETHODCALLTYPE get_Errors(IDispatch** errors) override { return Unserved(errors); }
  HRESULT STDMETHODCALLTYPE Idle(VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompactDatabase(BSTR, BSTR, VARIANT, VARIANT, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RepairDatabase(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterDatabase(BSTR, BSTR, VARIANT_BOOL, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateWorkspace30(BSTR, BSTR, BSTR, IDispatch** workspace) override {
    return Unserved(workspace);
  }
};

HRESULT CreateEngine(const void*, REFIID iid, void** object) { return HandOut(new Engine(), iid, object); }

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  // "licensed": the engine refuses plain creation as on a machine without its licence.
  if (Mode() == L"licensed" && IsEqualCLSID(clsid, dao::kEngineClass)) {
    return kit::comserver::GetLicensingFactory(
        CreateEngine, nullptr, [](const void*, std::wstring_view event) { Journal(event); }, iid, object);
  }
  return GetClassObjectFor(clsid, dao::kEngineClass, CreateEngine, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(dao::kEngineClass, nullptr); }
STDAPI DllUnregisterServer() { return UnregisterServerClass(dao::kEngineClass, nullptr); }
