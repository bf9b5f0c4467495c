// Win32-only. The wrappers' platform side: the ANSI copy of the record, GetOpenFileNameA and
// GetSaveFileNameA, GetActiveWindow. Everything else about the record is file_dialog_record.cpp.
#include "probes/cmdlg/file_dialog_win32.h"

#include "common/ansi_text.h"

namespace kit::cmdlg {
namespace {

// The text converted to ANSI, at least `minimum` bytes long (padded with NULs) and, like every
// std::string, followed by a NUL of its own: the platform never reads or writes past it, even
// when the text fills the length it was told, or a character took two bytes.
std::string AnsiBuffer(std::wstring_view text, std::size_t minimum = 0) {
  std::string buffer = ToAnsi(text);
  if (buffer.size() < minimum) buffer.resize(minimum, '\0');
  return buffer;
}

// The wide text of a buffer the platform may have written, all of it, NULs included.
std::wstring WideOf(const std::string& buffer) { return FromAnsi(buffer); }

class Win32DialogPlatform final : public FileDialogPlatform {
public:
  void* ActiveWindow() override { return GetActiveWindow(); }
  void* ModuleInstance() override { return GetModuleHandleW(nullptr); }
  bool ShowFileDialog(FileDialogRecord& record) override {
    AnsiDialogRecord copy;
    MakeAnsiCopy(record, copy);
    const BOOL result = record.kind == DialogKind::Open ? GetOpenFileNameA(&copy.ofn) : GetSaveFileNameA(&copy.ofn);
    ReadAnsiCopy(copy, record);
    return result != FALSE;
  }
};

}  // namespace

void MakeAnsiCopy(const FileDialogRecord& record, AnsiDialogRecord& copy) {
  // Two NULs after the filter text: the end-of-list mark. (The string's own NUL makes a third, so
  // a list that ends on a description without a pattern still ends within the buffer.)
  copy.filter = AnsiBuffer(record.filter);
  copy.filter.append(2, '\0');
  copy.file = AnsiBuffer(record.file, kFileBufferLength);
  copy.fileTitle = AnsiBuffer(record.fileTitle, kFileBufferLength);
  copy.initialDir = AnsiBuffer(record.initialDir);
  copy.title = AnsiBuffer(record.title);
  if (record.defExt) copy.defExt = AnsiBuffer(*record.defExt);

  OPENFILENAMEA& ofn = copy.ofn;
  ofn = OPENFILENAMEA{};
  ofn.lStructSize = kOpenFileNameSize;
  ofn.hwndOwner = static_cast<HWND>(record.owner);
  ofn.hInstance = static_cast<HINSTANCE>(record.instance);
  ofn.lpstrFilter = copy.filter.c_str();
  ofn.nFilterIndex = record.filterIndex;
  ofn.lpstrFile = copy.file.data();
  ofn.nMaxFile = record.maxFile;
  ofn.lpstrFileTitle = copy.fileTitle.data();
  ofn.nMaxFileTitle = record.maxFileTitle;
  ofn.lpstrInitialDir = copy.initialDir.c_str();
  ofn.lpstrTitle = copy.title.c_str();
  ofn.Flags = record.flags;
  ofn.lpstrDefExt = record.defExt ? copy.defExt.c_str() : nullptr;
}

void ReadAnsiCopy(const AnsiDialogRecord& copy, FileDialogRecord& record) {
  record.file = WideOf(copy.file);
  record.fileTitle = WideOf(copy.fileTitle);
}

void open_file_to_read(std::wstring& fname, const std::wstring& sFilter, const std::wstring& Title,
                       std::int32_t& ierr) {
  Win32DialogPlatform platform;
  OpenFileToRead(platform, fname, sFilter, Title, ierr);
}

void open_file_to_write(std::wstring& fname, const std::wstring& defext, const std::wstring& sFilter,
                        const std::wstring& Title, std::int32_t& ierr) {
  Win32DialogPlatform platform;
  OpenFileToWrite(platform, fname, defext, sFilter, Title, ierr);
}

}  // namespace kit::cmdlg
