// Win32-only. Stand-in for ADO's Connection class, for the tests of probe_ado26: it serves
// `_Connection`, its `Properties` and their items through their typed tables (the declarations
// the probe calls) and journals every call and value it receives. KIT_STANDIN_MODE "cancel" makes
// Open fail as a cancelled provider prompt does; "prompt" shows a prompt with no owner window, as
// a provider does when no window handle was preset: a dialog that asks for the data source in an
// edit field, with OK and Cancel, as a provider's login window does (not a plain message box).
// Open waits for its answer (the journal
// says whether the caller's thread had entered OLE, which a real prompt needs).
#include "probes/services/ado26/ado_interfaces.h"
#include "standins/services/common/standin_support.h"

#include <ole2.h>
#include <oleauto.h>

#include <string_view>
#include <vector>

namespace {
using namespace kit::standins;
namespace ado = kit::ado;

// The operation was cancelled (the OLE DB code a provider gives when the user cancels its prompt).
constexpr HRESULT kCanceled = static_cast<HRESULT>(0x80040E4Eu);
constexpr wchar_t kPromptTitle[] = L"stand-in data source";

// The prompt's dialog template, built in memory: a text, an edit field, OK and Cancel.
class PromptTemplate {
public:
  PromptTemplate() {
    Header(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 4, 200, 70);
    Item(SS_LEFT | WS_CHILD | WS_VISIBLE, 7, 9, 60, 8, kStaticId, kStaticClass, L"Data source:");
    Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 70, 7, 123, 12, kEditId, kEditClass, L"");
    Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 86, 50, 50, 14, IDOK, kButtonClass, L"OK");
    Item(BS_PUSHBUTTON | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 143, 50, 50, 14, IDCANCEL, kButtonClass, L"Cancel");
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
  static constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;
  static constexpr WORD kStaticId = 100, kEditId = 101;
  void Dword(DWORD value) {
    m_words.push_back(LOWORD(value));
    m_words.push_back(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    for (wchar_t c : text) m_words.push_back(static_cast<WORD>(c));
    m_words.push_back(0);
  }
  void Align() {
    if (m_words.size() % 2) m_words.push_back(0);
  }
  void Header(DWORD style, WORD items, short width, short height) {
    Dword(style);
    Dword(0);
    m_words.insert(m_words.end(), {items, 0, 0, static_cast<WORD>(width), static_cast<WORD>(height), 0, 0});
    Text(kPromptTitle);
    m_words.push_back(8);
    Text(L"MS Shell Dlg");
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, std::wstring_view text) {
    Align();
    Dword(style);
    Dword(0);
    m_words.insert(m_words.end(), {static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(cx),
                                   static_cast<WORD>(cy), id, 0xFFFF, atom});
    Text(text);
    m_words.push_back(0);  // no creation data
  }
  std::vector<WORD> m_words;
};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

int ShowPrompt() {
  const PromptTemplate prompt;
  return static_cast<int>(DialogBoxIndirectParamW(GetModuleHandleW(nullptr), prompt.Get(), nullptr, PromptProc, 0));
}

class Property final : public TypedObject<ado::Property> {
public:
  explicit Property(const std::wstring& name) : TypedObject(L"Property " + name, &ado::kPropertyInterface) {}
  HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) override {
    Journal(Name() + L" put Value " + DescribeValue(value));
    return S_OK;
  }
};

class Properties final : public TypedObject<ado::Properties> {
public:
  Properties() : TypedObject(L"Properties", &ado::kPropertiesInterface) {}
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** enumerator) override {
    if (enumerator) *enumerator = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ado::Property** item) override {
    Journal(Name() + L" get Item " + DescribeValue(index));
    if (!item) return E_POINTER;
    *item = nullptr;
    return HandOut(new Property(TextOf(index)), ado::kPropertyInterface, reinterpret_cast<void**>(item));
  }
};

class Connection final : public TypedObject<ado::Connection> {
public:
  Connection() : TypedObject(L"Connection", &ado::kConnectionInterface) {}

  HRESULT STDMETHODCALLTYPE get_Properties(ado::Properties** properties) override {
    Journal(Name() + L" get Properties");
    if (!properties) return E_POINTER;
    *properties = nullptr;
    return HandOut(new Properties(), ado::kPropertiesInterface, reinterpret_cast<void**>(properties));
  }
  HRESULT STDMETHODCALLTYPE put_ConnectionString(BSTR text) override {
    Journal(Name() + L" put ConnectionString " + Quoted(text));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_CursorLocation(LONG location) override {
    Journal(Name() + L" put CursorLocation " + std::to_wstring(location));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR userId, BSTR password, LONG options) override {
    Journal(Name() + L" call Open " + Quoted(connectionString) + L" " + Quoted(userId) + L" " + Quoted(password) +
            L" " + std::to_wstring(options));
    const std::wstring mode = Mode();
    if (mode == L"cancel") return Fail(kCanceled, L"Operation was cancelled.");
    if (mode == L"prompt") {
      // A provider's prompt relies on OLE (its clipboard, drag and drop), not only on COM.
      Journal(Name() + (OleReady() ? L" prompt, OLE initialised" : L" prompt, OLE not initialised"));
      const int answer = ShowPrompt();
      Journal(Name() + L" prompt answered");
      if (answer != IDOK) return Fail(kCanceled, L"Operation was cancelled.");
    }
    return S_OK;
  }

  // The rest of the table: there, in its place, and not served.
  HRESULT STDMETHODCALLTYPE get_ConnectionString(BSTR* text) override { return Unserved(text); }
  HRESULT STDMETHODCALLTYPE get_CommandTimeout(LONG* seconds) override { return Unserved(seconds); }
  HRESULT STDMETHODCALLTYPE put_CommandTimeout(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(LONG* seconds) override { return Unserved(seconds); }
  HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override { return Unserved(version); }
  HRESULT STDMETHODCALLTYPE Close() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Execute(BSTR, VARIANT*, LONG, IDispatch** recordset) override { return Unserved(recordset); }
  HRESULT STDMETHODCALLTYPE BeginTrans(LONG* level) override { return Unserved(level); }
  HRESULT STDMETHODCALLTYPE CommitTrans() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RollbackTrans() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Errors(IDispatch** errors) override { return Unserved(errors); }
  HRESULT STDMETHODCALLTYPE get_DefaultDatabase(BSTR* name) override { return Unserved(name); }
  HRESULT STDMETHODCALLTYPE put_DefaultDatabase(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IsolationLevel(LONG* level) override { return Unserved(level); }
  HRESULT STDMETHODCALLTYPE put_IsolationLevel(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Attributes(LONG* attributes) override { return Unserved(attributes); }
  HRESULT STDMETHODCALLTYPE put_Attributes(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CursorLocation(LONG* location) override { return Unserved(location); }

private:
  // Whether the calling thread has entered OLE: OleInitialize answers S_FALSE there, and (as
  // Wine answers it) S_OK on a thread that has entered COM only. The trial entry is undone.
  static bool OleReady() {
    const HRESULT hr = OleInitialize(nullptr);
    if (SUCCEEDED(hr)) OleUninitialize();
    return hr == S_FALSE;
  }
  static std::wstring Quoted(BSTR text) {
    return L"\"" + (text ? std::wstring(text, SysStringLen(text)) : std::wstring()) + L"\"";
  }
};

HRESULT CreateConnection(const void*, REFIID iid, void** object) { return HandOut(new Connection(), iid, object); }

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObjectFor(clsid, ado::kConnectionClass, CreateConnection, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(ado::kConnectionClass, nullptr); }
STDAPI DllUnregisterServer() { return UnregisterServerClass(ado::kConnectionClass, nullptr); }
