// The direct file dialogs as plain logic: the open-file record that `open_file_to_read` and
// `open_file_to_write` fill, and the result they read back. The platform is reached only through
// FileDialogPlatform; its Win32 side (the ANSI copy and the dialog call) is file_dialog_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kit::cmdlg {

enum class DialogKind : std::uint8_t { Open, Save };

// The file buffer and the title buffer hold this many characters; the dialog is told one less.
inline constexpr std::size_t kFileBufferLength = 513;
inline constexpr std::uint32_t kMaxFile = kFileBufferLength - 1;

// The platform's open-file flags the wrappers set.
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnPathMustExist = 0x800;

inline constexpr std::int32_t kChosen = 0;
inline constexpr std::int32_t kNotChosen = -1;  // cancelled, or the dialog failed

// The kit's wide side of the platform's open-file record: every field the wrappers set; the
// rest of the platform's record is zero or null. Handles are carried as pointers, whole.
struct FileDialogRecord {
  DialogKind kind = DialogKind::Open;
  void* owner = nullptr;     // the window active at the call
  void* instance = nullptr;  // the program's module instance
  // '|' replaced by NUL, same length; the end-of-list mark is added where the record crosses
  // into ANSI.
  std::wstring filter{};
  std::uint32_t filterIndex = 0;
  std::wstring file{};  // kFileBufferLength characters: the initial name, then NULs
  std::uint32_t maxFile = 0;
  std::wstring fileTitle{};  // a copy of `file` as it was before the call
  std::uint32_t maxFileTitle = 0;
  std::wstring initialDir{};
  std::wstring title{};
  std::uint32_t flags = 0;
  std::optional<std::wstring> defExt{};  // absent: the platform gets null
};

// What the wrappers need of the platform.
class FileDialogPlatform {
public:
  virtual ~FileDialogPlatform() = default;
  virtual void* ActiveWindow() = 0;
  virtual void* ModuleInstance() = 0;
  // Shows the dialog of `record.kind` over an ANSI copy of `record` and converts the copy's
  // strings back into `record` afterwards. Returns whether the platform's result was nonzero.
  virtual bool ShowFileDialog(FileDialogRecord& record) = 0;
};

// The filter list with every '|' replaced by NUL; nothing added or removed.
std::wstring FilterText(std::wstring_view list);
// Leading and trailing spaces removed (spaces only, not tabs or other blanks).
std::wstring TrimSpaces(std::wstring_view text);

FileDialogRecord OpenRecord(void* owner, void* instance, std::wstring_view sFilter, std::wstring_view Title);
FileDialogRecord SaveRecord(void* owner, void* instance, std::wstring_view fname, std::wstring_view defext,
                            std::wstring_view sFilter, std::wstring_view Title);

// After the call: on a nonzero result the file buffer up to its first NUL, trimmed, into
// `fname` and 0 into `ierr`; otherwise -1 into `ierr` and `fname` untouched.
void ReadChoice(bool chosen, const FileDialogRecord& record, std::wstring& fname, std::int32_t& ierr);

// The two operations over any platform. Nothing is kept between calls.
void OpenFileToRead(FileDialogPlatform& platform, std::wstring& fname, const std::wstring& sFilter,
                    const std::wstring& Title, std::int32_t& ierr);
void OpenFileToWrite(FileDialogPlatform& platform, std::wstring& fname, const std::wstring& defext,
                     const std::wstring& sFilter, const std::wstring& Title, std::int32_t& ierr);

}  // namespace kit::cmdlg
