// The component files the stand-in controls are built as, and the classes each one registers:
// ProgID, class identifier and file (from the kit's catalogue), whether the class is invisible at
// run time and the ordered names it reads from a property bag. Plain C++: the table is data,
// shared by the DLLs and their tests.
#pragma once

#include <span>
#include <string_view>

namespace kit::standin {

struct StandinClass {
  const wchar_t* progId{};
  // In registry form, braces included.
  const wchar_t* clsid{};
  // The component file that holds it.
  const wchar_t* file{};
  // Such a control has no visible area while the form runs (it still shows at design time).
  bool invisibleAtRunTime{};
  // Read from a property bag in this order, each with an empty VARIANT.
  std::span<const wchar_t* const> savedNames{};
};

struct ComponentFile {
  const wchar_t* fileName{};
  std::span<const StandinClass> classes{};
};

std::span<const ComponentFile> AllComponentFiles();
// Case-insensitive, as Windows compares file names; null when the table has no such file.
const ComponentFile* FindComponentFile(std::wstring_view fileName);

}  // namespace kit::standin
