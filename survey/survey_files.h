// Win32-only. The survey's files: scratch folders made exclusively under random names, and trees
// removed without following junctions or links. Whole files are read and written with
// kit::ReadWholeFile and kit::WriteWholeFile (common/whole_file.h).
#pragma once

#include "common/win32.h"

#include <string>

namespace kit::survey {

// Creates a folder and the folders above it that are missing.
bool MakeFolders(const std::wstring& folder);

// Creates a new folder "<parent>\<prefix><random>" that nobody else made first (an existing one is
// never reused) and that only the survey's own user, the administrators and the system may open.
// Empty, with the last error set, when none could be made.
std::wstring CreateScratchFolder(const std::wstring& parent, const std::wstring& prefix);

// Removes a folder and what lies in it. A junction or a link inside is removed itself, never
// followed: what it points to is not the survey's. What cannot go stays.
void RemoveTree(const std::wstring& folder);

// The full path of `path` (relative to the current folder), or `path` itself.
std::wstring FullPath(const std::wstring& path);

}  // namespace kit::survey
