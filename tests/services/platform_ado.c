/* Win32-only. probe_ado26's calls through the toolchain's C declarations of ADO. Their C side
   names the interfaces' types without declaring them, and lays each table out under a second
   name (struct _Connection for _ADOConnection): the tables are the platform's, the casts only
   bridge the two names. */
#include "tests/services/platform_tables.h"

#include <oaidl.h>
#include <oleauto.h>

typedef struct ADOErrors ADOErrors;
typedef struct ADOError ADOError;
typedef struct ADOFields ADOFields;
typedef struct ADOField ADOField;
typedef struct ADOParameters ADOParameters;
typedef struct ADOProperties ADOProperties;
typedef struct ADOProperty ADOProperty;
typedef struct _ADOCommand _ADOCommand;
typedef struct _ADOConnection _ADOConnection;
typedef struct _ADOParameter _ADOParameter;
typedef struct _ADORecordset _ADORecordset;
typedef struct _ADORecord _ADORecord;
typedef struct _ADOStream _ADOStream;
#include <adoint_backcompat.h>

static const IID kConnectionInterface = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

HRESULT PlatformAdoCalls(IUnknown* object) {
  struct _Connection* connection = NULL;
  struct Properties* properties = NULL;
  struct Property* prompt = NULL;
  BSTR empty = SysAllocString(L"");
  VARIANT index;
  VARIANT value;
  HRESULT hr = object->lpVtbl->QueryInterface(object, &kConnectionInterface, (void**)&connection);
  VariantInit(&index);
  V_VT(&index) = VT_BSTR;
  V_BSTR(&index) = SysAllocString(L"Prompt");
  VariantInit(&value);
  V_VT(&value) = VT_I4;
  V_I4(&value) = adPromptComplete;
  if (SUCCEEDED(hr)) hr = connection->lpVtbl->put_ConnectionString((_ADOConnection*)connection, empty);
  if (SUCCEEDED(hr)) hr = connection->lpVtbl->get_Properties((_ADOConnection*)connection, (ADOProperties**)&properties);
  if (SUCCEEDED(hr)) hr = properties->lpVtbl->get_Item((ADOProperties*)properties, index, (ADOProperty**)&prompt);
  if (SUCCEEDED(hr)) hr = prompt->lpVtbl->put_Value((ADOProperty*)prompt, value);
  if (SUCCEEDED(hr)) hr = connection->lpVtbl->put_CursorLocation((_ADOConnection*)connection, adUseClient);
  if (SUCCEEDED(hr)) hr = connection->lpVtbl->Open((_ADOConnection*)connection, empty, empty, empty, adConnectUnspecified);
  if (prompt) prompt->lpVtbl->Release((ADOProperty*)prompt);
  if (properties) properties->lpVtbl->Release((ADOProperties*)properties);
  if (connection) connection->lpVtbl->Release((_ADOConnection*)connection);
  VariantClear(&index);
  SysFreeString(empty);
  return hr;
}
