// Win32-only. `open_file_to_read` and `open_file_to_write`, the public operations of the dialog
// probe's `Form1`: the platform's Open and Save dialogs shown directly through comdlg32, without
// the control, modal to the window active at the call.
#pragma once

#include "common/win32.h"
#include "probes/cmdlg/file_dialog_record.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace kit::cmdlg {

// `ierr` 0: a file was chosen and `fname` holds its path; -1: cancelled or failed, `fname` as it was.
void open_file_to_read(std::wstring& fname, const std::wstring& sFilter, const std::wstring& Title,
                       std::int32_t& ierr);
// `fname` on entry is the proposed name; an empty `defext` means none.
void open_file_to_write(std::wstring& fname, const std::wstring& defext, const std::wstring& sFilter,
                        const std::wstring& Title, std::int32_t& ierr);

// The ANSI copy of a record as the dialog receives it: the platform's record in its pre-2000
// version, and a buffer of its own for every string field. Not copyable: the record points into
// the buffers.
struct AnsiDialogRecord {
  AnsiDialogRecord() = default;
  AnsiDialogRecord(const AnsiDialogRecord&) = delete;
  AnsiDialogRecord& operator=(const AnsiDialogRecord&) = delete;

  OPENFILENAMEA ofn{};
  std::string filter{};
  std::string file{};
  std::string fileTitle{};
  std::string initialDir{};
  std::string title{};
  std::string defExt{};
};

// The record's size as the platform's ANSI entry points of the pre-2000 version take it
// (OPENFILENAME_SIZE_VERSION_400A, the record up to and with lpTemplateName): 76 bytes on
// 32-bit Windows.
inline constexpr DWORD kOpenFileNameSize =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
#if defined(_WIN64)
static_assert(kOpenFileNameSize == 136, "the pre-2000 open-file record on 64-bit Windows");
#else
static_assert(kOpenFileNameSize == 76, "the pre-2000 open-file record on 32-bit Windows");
#endif

// Fills `copy` from `record`; the filter ends with the platform's end-of-list mark.
void MakeAnsiCopy(const FileDialogRecord& record, AnsiDialogRecord& copy);
// After the call: the buffers the platform writes (file and title) back into `record`.
void ReadAnsiCopy(const AnsiDialogRecord& copy, FileDialogRecord& record);

}  // namespace kit::cmdlg
