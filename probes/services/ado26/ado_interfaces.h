// Win32-only. ADO's typed interfaces as the kit calls them: `_Connection`, `Properties` and
// `Property`, with their identifiers. Entries stand in the platform's table order (the cross
// toolchain's ADO declarations are the reference; they do not compile as C++ here), and each
// table is declared as far as the kit's last call into it: nothing after that entry is called.
// The kit's stand-in ADO implements these same tables.
#pragma once

#include "catalogue/classes.h"
#include "common/class_id.h"
#include "common/win32.h"

#include <oaidl.h>

namespace kit::ado {

inline constexpr CLSID kConnectionClass = ClassIdFromText(catalogue::kAdoConnection.classId);
inline constexpr IID kConnectionInterface = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr IID kRecordsetInterface = {0x00000556, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr IID kPropertiesInterface = {0x00000504, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
inline constexpr IID kPropertyInterface = {0x00000503, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

// Enumerations cross as 32-bit integers.
inline constexpr LONG kPromptComplete = 2;       // adPromptComplete: the provider asks for what is missing
inline constexpr LONG kUseClient = 3;            // adUseClient
inline constexpr LONG kConnectUnspecified = -1;  // adConnectUnspecified

struct Property : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) = 0;
};

struct Properties : IDispatch {
  // The collection's common part.
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** enumerator) = 0;  // `_NewEnum`
  virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
  // Properties' own.
  virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, Property** item) = 0;
};

struct Connection : IDispatch {
  // What every ADO object has.
  virtual HRESULT STDMETHODCALLTYPE get_Properties(Properties** properties) = 0;
  // The connection's own; objects of other ADO interfaces are handed out as IDispatch here.
  virtual HRESULT STDMETHODCALLTYPE get_ConnectionString(BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ConnectionString(BSTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CommandTimeout(LONG* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_CommandTimeout(LONG seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(LONG* seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(LONG seconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE Execute(BSTR command, VARIANT* recordsAffected, LONG options,
                                            IDispatch** recordset) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginTrans(LONG* level) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommitTrans() = 0;
  virtual HRESULT STDMETHODCALLTYPE RollbackTrans() = 0;
  virtual HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR userId, BSTR password, LONG options) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Errors(IDispatch** errors) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DefaultDatabase(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DefaultDatabase(BSTR name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsolationLevel(LONG* level) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IsolationLevel(LONG level) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Attributes(LONG* attributes) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Attributes(LONG attributes) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CursorLocation(LONG* location) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_CursorLocation(LONG location) = 0;
};

}  // namespace kit::ado
