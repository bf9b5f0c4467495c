// Win32-only. Numbers are written the way the host's tests spell them: integers in decimal,
// floats with %g, so -99999.0 reads "-99999" and 10.0 reads "10".
#include "standins/controls/value_text.h"

#include "standins/controls/com_owners.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdio>

namespace kit::standin {
namespace {

std::wstring Number(const wchar_t* format, double value) {
  wchar_t text[64];
  std::swprintf(text, ARRAYSIZE(text), format, value);
  return text;
}

std::wstring Integer(long long value) { return std::to_wstring(value); }

// A font comes as its IFontDisp or IFont; both answer IFont.
bool DescribeFont(IUnknown* object, std::wstring& text) {
  if (!object) return false;
  Microsoft::WRL::ComPtr<IFont> font;
  if (FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.GetAddressOf())))) return false;
  UniqueBstr name;
  CY size{};
  SHORT weight = 0;
  SHORT charset = 0;
  BOOL italic = FALSE;
  BOOL underline = FALSE;
  BOOL strike = FALSE;
  if (FAILED(font->get_Name(name.put())) || FAILED(font->get_Size(&size)) || FAILED(font->get_Weight(&weight)) ||
      FAILED(font->get_Charset(&charset)) || FAILED(font->get_Italic(&italic)) ||
      FAILED(font->get_Underline(&underline)) || FAILED(font->get_Strikethrough(&strike))) {
    return false;
  }
  // CY is a fixed-point number with four decimal places: points times 10000.
  constexpr double kCurrencyScale = 10000.0;
  text = L"font " + name.text() + L"|" + Number(L"%g", static_cast<double>(size.int64) / kCurrencyScale) + L"|" +
         Integer(weight) + L"|" + Integer(charset) + L"|" + (italic ? L"1" : L"0") + L"|" + (underline ? L"1" : L"0") +
         L"|" + (strike ? L"1" : L"0");
  return true;
}

}  // namespace

std::wstring DescribeValue(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_I4: return L"i4 " + Integer(V_I4(&value));
    case VT_I2: return L"i2 " + Integer(V_I2(&value));
    case VT_R4: return L"r4 " + Number(L"%g", V_R4(&value));
    case VT_BOOL: return V_BOOL(&value) != VARIANT_FALSE ? L"bool true" : L"bool false";
    case VT_BSTR:
      return L"bstr " + (V_BSTR(&value) ? std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))) : std::wstring());
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      std::wstring text;
      if (DescribeFont(V_UNKNOWN(&value), text)) return text;
      break;
    }
    default: break;
  }
  return L"other " + Integer(V_VT(&value));
}

}  // namespace kit::standin
