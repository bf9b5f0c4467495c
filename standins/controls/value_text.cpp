// Win32-only. Numbers are written the way the host's tests spell them: integers in decimal,
// floats with %g, so -99999.0 reads "-99999" and 10.0 reads "10".
#include "standins/controls/value_text.h"

#include "standins/controls/com_owners.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>

namespace kit::standin {
namespace {

std::wstring Number(const wchar_t* format, double value) {
  wchar_t text[64];
  std::swprintf(text, ARRAYSIZE(text), format, value);
  return text;
}

std::wstring Integer(long long value) { return std::to_wstring(value); }

std::wstring FontText(const std::wstring& face, double points, long weight, long charset, bool italic,
                      bool underline, bool strike) {
  return L"font " + face + L"|" + Number(L"%g", points) + L"|" + Integer(weight) + L"|" + Integer(charset) + L"|" +
         (italic ? L"1" : L"0") + L"|" + (underline ? L"1" : L"0") + L"|" + (strike ? L"1" : L"0");
}

// CY is a fixed-point number with four decimal places: points times 10000.
constexpr double kCurrencyScale = 10000.0;

// A font object's own persistent form, as a control saves its font property:
//   version (1 byte), charset (2), attributes (1), weight (2), size (4, CY low part),
//   face length (1), face (ANSI).
// It holds the font as described by whoever made it. IFont's getters instead realize the font
// first and answer the face and height GDI actually picked (Wine: a face missing from the
// prefix comes back as its substitute, 8 points as 8.25), which depends on the machine.
bool DescribeSavedFont(IUnknown* object, std::wstring& text) {
  Microsoft::WRL::ComPtr<IPersistStream> persist;
  if (FAILED(object->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(persist.GetAddressOf())))) {
    return false;
  }
  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
      FAILED(persist->Save(stream.Get(), FALSE))) {
    return false;
  }
  const LARGE_INTEGER start{};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return false;
  BYTE header[11]{};
  ULONG read = 0;
  if (FAILED(stream->Read(header, sizeof(header), &read)) || read != sizeof(header)) return false;
  constexpr BYTE kFontPersistVersion = 1;
  constexpr BYTE kItalic = 0x02;
  constexpr BYTE kUnderline = 0x04;
  constexpr BYTE kStrikethrough = 0x08;
  if (header[0] != kFontPersistVersion) return false;
  const int charset = header[1] | (header[2] << 8);
  const BYTE attributes = header[3];
  const int weight = header[4] | (header[5] << 8);
  const std::uint32_t size = header[6] | (header[7] << 8) | (header[8] << 16) | (static_cast<std::uint32_t>(header[9]) << 24);
  const ULONG faceLength = header[10];
  char face[256]{};
  if (FAILED(stream->Read(face, faceLength, &read)) || read != faceLength) return false;
  wchar_t wideFace[256]{};
  const int wideLength = faceLength ? MultiByteToWideChar(CP_ACP, 0, face, static_cast<int>(faceLength), wideFace, 255) : 0;
  text = FontText(std::wstring(wideFace, static_cast<std::size_t>(wideLength > 0 ? wideLength : 0)),
                  static_cast<double>(size) / kCurrencyScale, weight, charset, attributes & kItalic,
                  attributes & kUnderline, attributes & kStrikethrough);
  return true;
}

// A font object that cannot save itself: what IFont answers.
bool DescribeRealizedFont(IUnknown* object, std::wstring& text) {
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
  text = FontText(name.text(), static_cast<double>(size.int64) / kCurrencyScale, weight, charset, italic, underline,
                  strike);
  return true;
}

// A font comes as its IFontDisp or IFont; the font object answers both.
bool DescribeFont(IUnknown* object, std::wstring& text) {
  if (!object) return false;
  Microsoft::WRL::ComPtr<IFont> font;
  if (FAILED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.GetAddressOf())))) return false;
  return DescribeSavedFont(object, text) || DescribeRealizedFont(object, text);
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
