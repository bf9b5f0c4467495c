// Win32-only. The read-only property bag over a form record's saved values.
#include "probes/shell/property_bag.h"

#include "common/com_values.h"

#include <olectl.h>

#include <cmath>
#include <cwchar>
#include <new>
#include <string>
#include <type_traits>

namespace kit::shell {
namespace {

int g_liveBags = 0;

// A currency value carries four decimal places: 8 points are 80000.
constexpr double kCurrencyScale = 10000.0;

HRESULT NaturalValue(const PropertyValue& value, VARIANT* out) {
  VariantInit(out);
  return std::visit(
      [out](const auto& v) -> HRESULT {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int32_t>) {
          out->vt = VT_I4;
          out->lVal = v;
        } else if constexpr (std::is_same_v<T, float>) {
          out->vt = VT_R4;
          out->fltVal = v;
        } else if constexpr (std::is_same_v<T, bool>) {
          out->vt = VT_BOOL;
          out->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
        } else if constexpr (std::is_same_v<T, std::wstring_view>) {
          out->vt = VT_BSTR;
          out->bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
          if (!out->bstrVal) {
            out->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
          }
        } else {
          IDispatch* font = nullptr;
          const HRESULT hr = CreateFontObject(v, &font);
          if (FAILED(hr)) return hr;
          out->vt = VT_DISPATCH;
          out->pdispVal = font;
        }
        return S_OK;
      },
      value);
}

class PropertyBag final : public IPropertyBag {
public:
  explicit PropertyBag(std::span<const SavedProperty> values) : m_values(values) { ++g_liveBags; }
  ~PropertyBag() { --g_liveBags; }
  PropertyBag(const PropertyBag&) = delete;
  PropertyBag& operator=(const PropertyBag&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyBag) return E_NOINTERFACE;
    *object = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (!name || !value) return E_POINTER;
    for (const SavedProperty& saved : m_values) {
      if (saved.name.size() != std::wcslen(name) ||
          _wcsnicmp(saved.name.data(), name, saved.name.size()) != 0) {
        continue;
      }
      UniqueVariant natural;
      const HRESULT hr = NaturalValue(saved.value, natural.put());
      if (FAILED(hr)) return hr;
      const VARTYPE wanted = value->vt;
      if (wanted == VT_EMPTY || wanted == natural.get()->vt) {
        natural.DetachTo(value);
        return S_OK;
      }
      // The caller's VARIANT holds only the type it wants; convert into it.
      VariantInit(value);
      return VariantChangeType(value, natural.get(), 0, wanted);
    }
    return E_INVALIDARG;
  }

  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
  ULONG m_references = 1;
  std::span<const SavedProperty> m_values;
};

}  // namespace

Microsoft::WRL::ComPtr<IPropertyBag> CreatePropertyBag(std::span<const SavedProperty> values) {
  return AdoptNew<IPropertyBag>(new (std::nothrow) PropertyBag(values));
}

int LivePropertyBags() { return g_liveBags; }

FontSpec DescribeFont(const LOGFONTW& font, int dpiY) {
  constexpr int kPointsPerInch = 72;
  FontSpec described;
  described.face = font.lfFaceName;
  described.points = font.lfHeight < 0 ? -static_cast<double>(font.lfHeight) * kPointsPerInch / dpiY : 8.0;
  described.weight = static_cast<std::int16_t>(font.lfWeight ? font.lfWeight : FW_NORMAL);
  described.italic = font.lfItalic != 0;
  described.underline = font.lfUnderline != 0;
  described.strikeout = font.lfStrikeOut != 0;
  described.charset = font.lfCharSet;
  return described;
}

HRESULT CreateFontObject(const FontSpec& font, IDispatch** result) {
  std::wstring face(font.face);
  FONTDESC description{};
  description.cbSizeofstruct = sizeof(description);
  description.lpstrName = face.data();
  description.cySize.int64 = static_cast<LONGLONG>(std::llround(font.points * kCurrencyScale));
  description.sWeight = font.weight;
  description.sCharset = font.charset;
  description.fItalic = font.italic;
  description.fUnderline = font.underline;
  description.fStrikethrough = font.strikeout;
  return OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(result));
}

}  // namespace kit::shell
