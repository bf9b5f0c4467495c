// probe_richtx32: hosts the rich text box. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_richtx32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{7920}},
    {L"_ExtentY", std::int32_t{3157}},
    {L"Text", std::wstring_view{L"RichTextBox1"}},
    {L"TextRTF", std::wstring_view{L"{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\\viewkind4\\uc1\\pard\\f0\\fs17 RichTextBox1\\par }"}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(4850, 2580),
    Control(L"rtf", kRichTextBox, 150, 60, 4485, 1785, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(3510, 2040),
};

}  // namespace kit::catalogue::probe_richtx32
