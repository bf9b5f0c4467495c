/* Win32-only. probe_dao360's calls through the toolchain's C declarations of DAO. */
#include "tests/services/platform_tables.h"

#include <oaidl.h>
#include <oleauto.h>

#include <dbdaoint.h>

static const IID kEngineInterface = {0x00000021, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

HRESULT PlatformDaoCalls(IUnknown* object, const wchar_t* file) {
  _DAODBEngine* engine = NULL;
  DAODatabase* created = NULL;
  DAODatabase* opened = NULL;
  BSTR name = SysAllocString(file);
  BSTR locale = SysAllocString(L";LANGID=0x0409;CP=1252;COUNTRY=0");
  VARIANT noOptions;
  VARIANT missing;
  HRESULT hr = object->lpVtbl->QueryInterface(object, &kEngineInterface, (void**)&engine);
  VariantInit(&noOptions);
  V_VT(&noOptions) = VT_BOOL;
  V_BOOL(&noOptions) = VARIANT_FALSE;
  VariantInit(&missing);
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
  if (SUCCEEDED(hr)) hr = engine->lpVtbl->CreateDatabase(engine, name, locale, noOptions, &created);
  if (SUCCEEDED(hr)) hr = created->lpVtbl->Close(created);
  if (SUCCEEDED(hr)) hr = engine->lpVtbl->OpenDatabase(engine, name, missing, missing, missing, &opened);
  if (opened) opened->lpVtbl->Release(opened);
  if (created) created->lpVtbl->Release(created);
  if (engine) engine->lpVtbl->Release(engine);
  SysFreeString(locale);
  SysFreeString(name);
  return hr;
}
