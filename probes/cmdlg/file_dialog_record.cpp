// Building the open-file record and reading the choice back: no platform calls here.
#include "probes/cmdlg/file_dialog_record.h"

#include <algorithm>

namespace kit::cmdlg {
namespace {

constexpr wchar_t kCurrentFolder[] = L".";

// The fields both dialogs share; the file buffer is set by the caller.
FileDialogRecord CommonRecord(DialogKind kind, void* owner, void* instance, std::wstring_view sFilter,
                              std::wstring_view Title, std::wstring file) {
  FileDialogRecord record;
  record.kind = kind;
  record.owner = owner;
  record.instance = instance;
  record.filter = FilterText(sFilter);
  record.filterIndex = 1;
  record.file = std::move(file);
  record.maxFile = kMaxFile;
  record.fileTitle = record.file;
  record.maxFileTitle = record.maxFile;
  record.initialDir = kCurrentFolder;
  record.title = std::wstring(Title);
  return record;
}

}  // namespace

std::wstring FilterText(std::wstring_view list) {
  std::wstring text(list);
  std::replace(text.begin(), text.end(), L'|', L'\0');
  return text;
}

std::wstring TrimSpaces(std::wstring_view text) {
  const std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const std::size_t last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

FileDialogRecord OpenRecord(void* owner, void* instance, std::wstring_view sFilter, std::wstring_view Title) {
  FileDialogRecord record = CommonRecord(DialogKind::Open, owner, instance, sFilter, Title,
                                         std::wstring(kFileBufferLength, L'\0'));
  record.flags = kOfnPathMustExist | kOfnHideReadOnly;
  return record;
}

FileDialogRecord SaveRecord(void* owner, void* instance, std::wstring_view fname, std::wstring_view defext,
                            std::wstring_view sFilter, std::wstring_view Title) {
  // The initial name over the start of the buffer; the buffer keeps its length, so a longer
  // name is cut.
  std::wstring file(kFileBufferLength, L'\0');
  const std::wstring initial = TrimSpaces(fname);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size()), file.begin());
  FileDialogRecord record = CommonRecord(DialogKind::Save, owner, instance, sFilter, Title, std::move(file));
  if (!defext.empty()) record.defExt = std::wstring(defext);
  record.flags = kOfnHideReadOnly;
  return record;
}

void ReadChoice(bool chosen, const FileDialogRecord& record, std::wstring& fname, std::int32_t& ierr) {
  if (!chosen) {
    ierr = kNotChosen;
    return;
  }
  const std::wstring_view file = record.file;
  fname = TrimSpaces(file.substr(0, file.find(L'\0')));
  ierr = kChosen;
}

void OpenFileToRead(FileDialogPlatform& platform, std::wstring& fname, const std::wstring& sFilter,
                    const std::wstring& Title, std::int32_t& ierr) {
  FileDialogRecord record = OpenRecord(platform.ActiveWindow(), platform.ModuleInstance(), sFilter, Title);
  const bool chosen = platform.ShowFileDialog(record);
  ReadChoice(chosen, record, fname, ierr);
}

void OpenFileToWrite(FileDialogPlatform& platform, std::wstring& fname, const std::wstring& defext,
                     const std::wstring& sFilter, const std::wstring& Title, std::int32_t& ierr) {
  FileDialogRecord record =
      SaveRecord(platform.ActiveWindow(), platform.ModuleInstance(), fname, defext, sFilter, Title);
  const bool chosen = platform.ShowFileDialog(record);
  ReadChoice(chosen, record, fname, ierr);
}

}  // namespace kit::cmdlg
