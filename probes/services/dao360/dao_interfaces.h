// Win32-only. DAO 3.60's typed interfaces as the kit calls them: `_DBEngine` and `Database`, with
// their identifiers (the toolchain's DAO declarations carry none). Entries stand in the
// platform's table order (those declarations are the reference), and each table is declared as
// far as the kit's last call into it: nothing after that entry is called. The kit's stand-in
// engine implements these same tables.
#pragma once

#include "catalogue/classes.h"
#include "common/class_id.h"
#include "common/win32.h"

#include <oaidl.h>

namespace kit::dao {

inline constexpr CLSID kEngineClass = ClassIdFromText(catalogue::kDaoEngine.classId);
inline constexpr IID kEngineInterface = {0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr IID kDatabaseInterface = {0x00000071, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

// Objects of other DAO interfaces are handed out as IDispatch here.
struct Database : IDispatch {
  // What every DAO object has.
  virtual HRESULT STDMETHODCALLTYPE get_Properties(IDispatch** properties) = 0;
  // The database's own.
  virtual HRESULT STDMETHODCALLTYPE get_CollatingOrder(LONG* order) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Connect(BSTR* connect) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_QueryTimeout(short* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_QueryTimeout(short seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Transactions(VARIANT_BOOL* transactions) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Updatable(VARIANT_BOOL* updatable) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RecordsAffected(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TableDefs(IDispatch** tableDefs) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_QueryDefs(IDispatch** queryDefs) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Relations(IDispatch** relations) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Containers(IDispatch** containers) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Recordsets(IDispatch** recordsets) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct DBEngine : IDispatch {
  // What every DAO object has.
  virtual HRESULT STDMETHODCALLTYPE get_Properties(IDispatch** properties) = 0;
  // The engine's own.
  virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IniPath(BSTR* path) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IniPath(BSTR path) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DefaultUser(BSTR user) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DefaultPassword(BSTR password) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LoginTimeout(short* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_LoginTimeout(short seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Workspaces(IDispatch** workspaces) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Errors(IDispatch** errors) = 0;
  virtual HRESULT STDMETHODCALLTYPE Idle(VARIANT action) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompactDatabase(BSTR source, BSTR destination, VARIANT destinationLocale,
                                                    VARIANT options, VARIANT sourceLocale) = 0;
  virtual HRESULT STDMETHODCALLTYPE RepairDatabase(BSTR name) = 0;
  virtual HRESULT STDMETHODCALLTYPE RegisterDatabase(BSTR dsn, BSTR driver, VARIANT_BOOL silent, BSTR attributes) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateWorkspace30(BSTR name, BSTR user, BSTR password,
                                                      IDispatch** workspace) = 0;  // `_30_CreateWorkspace`
  virtual HRESULT STDMETHODCALLTYPE OpenDatabase(BSTR name, VARIANT options, VARIANT readOnly, VARIANT connect,
                                                 Database** database) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDatabase(BSTR name, BSTR locale, VARIANT options, Database** database) = 0;
};

}  // namespace kit::dao
