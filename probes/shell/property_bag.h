// Win32-only. The property bag a control reads its saved properties from: the values of its
// form record, in their natural types (32-bit integer, 32-bit float, boolean, font object), or
// converted to the type the control asks for.
#pragma once

#include "common/win32.h"
#include "catalogue/form_model.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <span>

namespace kit::shell {

// Names are matched without regard to case, as controls expect. A name that was not saved
// gives E_INVALIDARG; a type the value cannot become gives the conversion's error. The bag is
// read-only: Write gives E_NOTIMPL.
Microsoft::WRL::ComPtr<IPropertyBag> CreatePropertyBag(std::span<const SavedProperty> values);

// The live bags of this process (each counted from creation to its last release).
int LivePropertyBags();

// A standard font object for a font value, as a control reads it (VT_DISPATCH).
HRESULT CreateFontObject(const FontSpec& font, IDispatch** result);

// A window font as a font value: its face (a view of `font`'s own name) and its size in points at
// `dpiY`.
FontSpec DescribeFont(const LOGFONTW& font, int dpiY);

}  // namespace kit::shell
