// The direct file dialogs' record and result, against a scripted platform that keeps the record
// it was shown and answers as a user would.
#include "probes/cmdlg/file_dialog_record.h"

#include <gtest/gtest.h>

#include <string>

namespace kit::cmdlg {
namespace {

using namespace std::string_literals;

// Printable form of a text with NULs in it, for failure messages.
std::string Shown(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c == L'\0' ? std::string("\\0") : std::string(1, static_cast<char>(c));
  return out;
}

class ScriptedPlatform final : public FileDialogPlatform {
public:
  void* ActiveWindow() override { return &ownerTag; }
  void* ModuleInstance() override { return &instanceTag; }
  bool ShowFileDialog(FileDialogRecord& record) override {
    ++calls;
    shown = record;
    if (!choice) return false;
    // The platform writes the chosen path and its NUL over the start of the buffer only.
    std::copy(choice->begin(), choice->end(), record.file.begin());
    record.file[choice->size()] = L'\0';
    return true;
  }

  std::optional<std::wstring> choice{};  // absent: the user cancels
  FileDialogRecord shown{};
  int calls = 0;
  int ownerTag = 0;  // their addresses stand for the window and the instance handle
  int instanceTag = 0;
};

TEST(FilterText, EveryBarBecomesNulAndTheLengthStays) {
  struct Case {
    std::wstring list;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"*.*", L"*.*"},
      {L"A|*.a|B|*.b", L"A\0*.a\0B\0*.b"s},
      {L"A|*.a|", L"A\0*.a\0"s},
      {L"", L""},
      {L"||", L"\0\0"s},
      {L"A\0B|*.b"s, L"A\0B\0*.b"s},  // NULs of its own pass through as they are
  };
  for (const Case& c : cases) {
    const std::wstring text = FilterText(c.list);
    EXPECT_EQ(text, c.expected) << "list " << Shown(c.list) << " gave " << Shown(text);
    EXPECT_EQ(text.size(), c.list.size()) << Shown(c.list);
  }
}

TEST(FileDialogRecord, OpenRecordSetsEveryFieldAsTheDialogNeedsIt) {
  int owner = 0;
  int instance = 0;
  const FileDialogRecord record = OpenRecord(&owner, &instance, L"A|*.a|B|*.b", L"test dll");
  EXPECT_EQ(record.kind, DialogKind::Open);
  EXPECT_EQ(record.owner, &owner);
  EXPECT_EQ(record.instance, &instance);
  EXPECT_EQ(record.filter, L"A\0*.a\0B\0*.b"s) << Shown(record.filter);
  EXPECT_EQ(record.filterIndex, 1u);
  EXPECT_EQ(record.file, std::wstring(513, L'\0'));
  EXPECT_EQ(record.maxFile, 512u);
  EXPECT_EQ(record.fileTitle, record.file);
  EXPECT_EQ(record.maxFileTitle, 512u);
  EXPECT_EQ(record.initialDir, L".");
  EXPECT_EQ(record.title, L"test dll");
  EXPECT_EQ(record.flags, 0x804u);
  EXPECT_FALSE(record.defExt.has_value());
}

TEST(FileDialogRecord, SaveRecordProposesTheTrimmedNameInBothBuffers) {
  const FileDialogRecord record = SaveRecord(nullptr, nullptr, L"  report.txt ", L"txt", L"*.*", L"t");
  EXPECT_EQ(record.kind, DialogKind::Save);
  EXPECT_EQ(record.file, L"report.txt" + std::wstring(503, L'\0'));
  EXPECT_EQ(record.file.size(), 513u);
  EXPECT_EQ(record.fileTitle, record.file);
  EXPECT_EQ(record.maxFile, 512u);
  EXPECT_EQ(record.maxFileTitle, 512u);
  EXPECT_EQ(record.flags, 0x4u);
  EXPECT_EQ(record.filter, L"*.*");
  EXPECT_EQ(record.initialDir, L".");
  ASSERT_TRUE(record.defExt.has_value());
  EXPECT_EQ(*record.defExt, L"txt");

  EXPECT_FALSE(SaveRecord(nullptr, nullptr, L"", L"", L"*.*", L"t").defExt.has_value());
  EXPECT_EQ(SaveRecord(nullptr, nullptr, L"", L"", L"*.*", L"t").file, std::wstring(513, L'\0'));
  EXPECT_EQ(SaveRecord(nullptr, nullptr, L"    ", L"", L"*.*", L"t").file, std::wstring(513, L'\0'));
}

TEST(FileDialogRecord, AnInitialNameLongerThanTheBufferIsCutAndTheBufferKeepsItsLength) {
  std::wstring longName;
  for (int i = 0; i < 4000; ++i) longName += static_cast<wchar_t>(L'a' + i % 26);
  for (std::size_t length : {512u, 513u, 514u, 4000u}) {
    const FileDialogRecord record = SaveRecord(nullptr, nullptr, longName.substr(0, length), L"", L"*.*", L"t");
    ASSERT_EQ(record.file.size(), 513u) << "initial name of " << length;
    EXPECT_EQ(record.file.substr(0, std::min<std::size_t>(length, 513)), longName.substr(0, std::min<std::size_t>(length, 513)));
    EXPECT_EQ(record.fileTitle, record.file);
  }
}

TEST(FileDialogOperations, ACancelGivesMinusOneAndLeavesTheNameExactlyAsPassed) {
  ScriptedPlatform platform;
  std::wstring fname = L"  keep me  ";
  std::int32_t ierr = 12345;
  OpenFileToRead(platform, fname, L"*.*", L"test dll", ierr);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(fname, L"  keep me  ");
  EXPECT_EQ(platform.shown.owner, &platform.ownerTag);
  EXPECT_EQ(platform.shown.instance, &platform.instanceTag);

  ierr = 12345;
  OpenFileToWrite(platform, fname, L"", L"*.*", L"test dll", ierr);
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(fname, L"  keep me  ");
  // The save dialog was proposed the trimmed name.
  EXPECT_EQ(platform.shown.file.substr(0, 8), L"keep me\0"s);
  EXPECT_EQ(platform.calls, 2);
}

TEST(FileDialogOperations, AChoiceShorterThanTheProposedNameGivesThePathAloneTrimmed) {
  ScriptedPlatform platform;
  platform.choice = L"C:\\a.txt  ";
  std::wstring fname = L"a much longer proposed name.txt";
  std::int32_t ierr = 12345;
  OpenFileToWrite(platform, fname, L"txt", L"Text|*.txt", L"save", ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(fname, L"C:\\a.txt");

  platform.choice = L"  Z:\\tmp\\b c.dat";
  fname = L"ignored on entry";
  OpenFileToRead(platform, fname, L"*.*", L"open", ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(fname, L"Z:\\tmp\\b c.dat");
  EXPECT_EQ(platform.shown.flags, 0x804u);
}

TEST(FileDialogOperations, AChoiceThatFillsTheWholeBufferIsReadUpToItsEnd) {
  // A platform that leaves no NUL in the buffer must not make the result run past it.
  ScriptedPlatform platform;
  FileDialogRecord record = OpenRecord(nullptr, nullptr, L"*.*", L"t");
  std::fill(record.file.begin(), record.file.end(), L'x');
  std::wstring fname;
  std::int32_t ierr = 5;
  ReadChoice(true, record, fname, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(fname, std::wstring(513, L'x'));
}

}  // namespace
}  // namespace kit::cmdlg
