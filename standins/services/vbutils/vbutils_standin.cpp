// Win32-only. Stand-in for the global object of the maker's utility library VELvbutils, for the
// tests of probe_VELvbutils. Its interface derives from IDispatch and has `trimn` in slot 30 of
// its table; `trimn` trims its text. Creations, calls and the final release are journaled.
// KIT_STANDIN_MODE: "no-interface" withholds the interface; "fail-silent", "fail-long" and
// "fail-wide" make `trimn` fail with such a description in its error information; "hang" makes
// `trimn` never return, as a component stuck in a call does; "crash" makes it crash the program.
#include "catalogue/classes.h"
#include "common/class_id.h"
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

#include <cwctype>

namespace {
using namespace kit::standins;

constexpr CLSID kGlobalClass = kit::ClassIdFromText(kit::catalogue::kVbUtilsGlobal.classId);
constexpr IID kGlobalInterface = {0xC86C8910, 0x21C9, 0x4872, {0xB2, 0xFF, 0x4A, 0x96, 0xE5, 0x1D, 0xE4, 0x63}};

// The library's interface as far as the table goes: 23 entries of its own before `trimn`
// (slots 7 to 29), which this stand-in does not serve.
#define KIT_UNSERVED(n) virtual HRESULT STDMETHODCALLTYPE Unserved##n() { return E_NOTIMPL; }
struct IGlobal : IDispatch {
  KIT_UNSERVED(7) KIT_UNSERVED(8) KIT_UNSERVED(9) KIT_UNSERVED(10) KIT_UNSERVED(11) KIT_UNSERVED(12)
  KIT_UNSERVED(13) KIT_UNSERVED(14) KIT_UNSERVED(15) KIT_UNSERVED(16) KIT_UNSERVED(17) KIT_UNSERVED(18)
  KIT_UNSERVED(19) KIT_UNSERVED(20) KIT_UNSERVED(21) KIT_UNSERVED(22) KIT_UNSERVED(23) KIT_UNSERVED(24)
  KIT_UNSERVED(25) KIT_UNSERVED(26) KIT_UNSERVED(27) KIT_UNSERVED(28) KIT_UNSERVED(29)
  virtual HRESULT STDMETHODCALLTYPE trimn(BSTR* text, BSTR* result) = 0;  // slot 30
};
#undef KIT_UNSERVED

class Global final : public TypedObject<IGlobal> {
public:
  Global() : TypedObject(L"VELvbutils", Mode() == L"no-interface" ? nullptr : &kGlobalInterface) {}

  HRESULT STDMETHODCALLTYPE trimn(BSTR* text, BSTR* result) override {
    if (!text || !result) return E_POINTER;
    const std::wstring in = *text ? std::wstring(*text, SysStringLen(*text)) : std::wstring();
    if (Mode() == L"crash") {
      Journal(L"trimn \"" + in + L"\" crashes");
      *static_cast<volatile int*>(nullptr) = 0;
    }
    if (Mode() == L"hang") {
      Journal(L"trimn \"" + in + L"\" hangs");
      for (;;) Sleep(INFINITE);
    }
    if (Mode().starts_with(L"fail-")) {
      Journal(L"trimn \"" + in + L"\" failed");
      return Fail(E_FAIL, DescriptionForMode(L""));
    }
    std::size_t begin = 0, end = in.size();
    while (begin < end && std::iswspace(in[begin])) ++begin;
    while (end > begin && std::iswspace(in[end - 1])) --end;
    const std::wstring out = in.substr(begin, end - begin);
    *result = SysAllocStringLen(out.data(), static_cast<UINT>(out.size()));
    Journal(L"trimn \"" + in + L"\" -> \"" + out + L"\"");
    return *result ? S_OK : E_OUTOFMEMORY;
  }
};

HRESULT CreateGlobal(const void*, REFIID iid, void** object) { return HandOut(new Global(), iid, object); }

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetClassObjectFor(clsid, kGlobalClass, CreateGlobal, iid, object);
}
STDAPI DllCanUnloadNow() { return CanUnloadNow(); }
STDAPI DllRegisterServer() { return RegisterServerClass(kGlobalClass, L"VELvbutils.Global"); }
STDAPI DllUnregisterServer() { return UnregisterServerClass(kGlobalClass, L"VELvbutils.Global"); }
