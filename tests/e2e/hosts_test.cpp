// The twenty control hosts under Wine with the recording stand-in controls: each window with
// its controls at the catalogue's places and given exactly their saved values, each ending, and
// the failure report when a control's file is not registered or gone.
#include "common/twips.h"
#include "tests/e2e/host_support.h"

#include <algorithm>
#include <set>

namespace {
using namespace kit;
using namespace kit::e2e;
using HostProgram = kit::catalogue::KitProgram;
using kit::shell::ItemKind;
using kit::shell::ItemRecord;

const DWORD kEndMs = driver::Scaled(10000);
constexpr wchar_t kStandinClass[] = L"KitStandinControl";
constexpr wchar_t kCloseWithoutSaving[] = L"close 1";  // OLECLOSE_NOSAVE

std::set<std::wstring> ComponentFiles(const HostProgram& program) {
  std::set<std::wstring> files;
  for (const ItemRecord& item : program.form) {
    if (item.kind == ItemKind::ActiveX) files.emplace(item.control.componentFile);
  }
  return files;
}

std::wstring Exe(const HostProgram& program) { return std::wstring(program.name) + L".exe"; }

bool UsesCommand1(const HostProgram& program) {
  for (const ItemRecord& item : program.form) {
    if (item.name == L"Command1") return true;
  }
  return false;
}

const driver::Item* FindControl(const std::vector<driver::Item>& items, const ItemRecord& record, const RECT& where) {
  for (const driver::Item& item : items) {
    if (item.className == kStandinClass && item.text == record.control.progId && EqualRect(&item.rect, &where)) {
      return &item;
    }
  }
  return nullptr;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// The journal's lines contain `expected` as one unbroken run.
bool ContainsRun(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& expected) {
  if (expected.empty()) return true;
  for (std::size_t start = 0; start + expected.size() <= lines.size(); ++start) {
    if (std::equal(expected.begin(), expected.end(), lines.begin() + static_cast<std::ptrdiff_t>(start))) return true;
  }
  return false;
}

// The journal's lines hold `expected` in this order, other lines between allowed.
bool ContainsInOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& expected) {
  std::size_t next = 0;
  for (const std::wstring& line : lines) {
    if (next < expected.size() && line == expected[next]) ++next;
  }
  return next == expected.size();
}

class ControlHost : public testing::TestWithParam<std::size_t> {
protected:
  const HostProgram& Program() const { return ControlHostPrograms()[GetParam()]; }
  void SetUp() override { SetControlFailure(L""); }
  void RegisterAll() {
    for (const std::wstring& file : ComponentFiles(Program())) {
      ASSERT_EQ(RegisterStandin(file), S_OK) << driver::Narrow(file);
    }
  }
};

TEST_P(ControlHost, ShowsItsControlsAtTheirPlacesWithTheirSavedValuesAndEnds) {
  RegisterAll();
  const std::wstring journalPath = NewControlJournal(std::wstring(Program().name));
  auto started = StartAndWaitForForm(Exe(Program()));
  ASSERT_TRUE(started.form);
  const shell::FormDescription form = Program().form;
  const SIZE client = driver::ClientSize(started.form);
  EXPECT_EQ(client.cx, PixelsX(form[0].width));
  EXPECT_EQ(client.cy, PixelsY(form[0].height));
  const auto items = driver::ListItems(started.form);
  const std::string seen = driver::Narrow(driver::Describe(items));

  // Every item where the catalogue puts it; the focus on the lowest tab index.
  const ItemRecord* first = nullptr;
  for (const ItemRecord& record : form.subspan(1)) {
    if (record.tabIndex && (!first || *record.tabIndex < *first->tabIndex)) first = &record;
  }
  for (std::size_t i = 1; i < form.size(); ++i) {
    const ItemRecord& record = form[i];
    const RECT where = ExpectedRect(form, i, client);
    if (record.kind == ItemKind::ActiveX) {
      if (record.invisibleAtRunTime) continue;
      const driver::Item* control = FindControl(items, record, where);
      EXPECT_TRUE(control) << driver::Narrow(InstanceName(record)) << " not at " << RectText(where) << "; seen:\n"
                           << seen;
      if (control && &record == first) {
        EXPECT_TRUE(control->focused) << seen;
      }
    } else {
      auto button = driver::FindItem(started.form, record.caption);
      ASSERT_TRUE(button) << seen;
      EXPECT_TRUE(EqualRect(&button->rect, &where)) << RectText(button->rect) << " instead of " << RectText(where);
      if (&record == first) {
        EXPECT_TRUE(button->focused) << seen;
      }
    }
  }

  // Form1's own items are stacked as on any form: a later one above an earlier one.
  std::vector<std::wstring> expectedOrder, siblingOrder;
  for (std::size_t i = form.size() - 1; i > 0; --i) {
    if (form[i].container.empty() && !form[i].invisibleAtRunTime) {
      expectedOrder.emplace_back(form[i].kind == ItemKind::ActiveX ? form[i].control.progId : form[i].caption);
    }
  }
  for (const driver::Item& item : items) {
    if (GetParent(item.window) == started.form) siblingOrder.push_back(item.text);
  }
  EXPECT_EQ(siblingOrder, expectedOrder) << seen;

  // Each control got exactly its saved values, in order, and its extent.
  const auto journal = ReadJournal(journalPath);
  for (const ItemRecord& record : form) {
    if (record.kind != ItemKind::ActiveX) continue;
    const auto lines = LinesOf(journal, InstanceName(record));
    auto expected = ExpectedPropertyLines(record);
    expected.push_back(L"prop kitnotsaved absent");
    EXPECT_TRUE(ContainsRun(lines, expected)) << driver::Narrow(InstanceName(record)) << " got:\n"
                                              << JoinLines(lines) << "expected:\n"
                                              << JoinLines(expected);
    const std::wstring extent = L"extent " + std::to_wstring(TwipsToHimetric(record.width)) + L" " +
                                std::to_wstring(TwipsToHimetric(record.height));
    EXPECT_TRUE(Contains(lines, extent)) << driver::Narrow(extent) << " missing:\n" << JoinLines(lines);
    EXPECT_EQ(Contains(lines, L"activate"), !record.invisibleAtRunTime) << JoinLines(lines);
  }

  // The end button: Command1 closes every control in the orderly way, Command_done closes none.
  const bool orderly = UsesCommand1(Program());
  driver::Click(driver::FindItem(started.form, orderly ? L"Done" : L"done")->window);
  DWORD exitCode = 1234;
  ASSERT_TRUE(started.program.WaitForExit(kEndMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  const auto after = ReadJournal(journalPath);
  for (const ItemRecord& record : form) {
    if (record.kind != ItemKind::ActiveX) continue;
    const auto lines = LinesOf(after, InstanceName(record));
    if (orderly) {
      // Closed without saving, client site cleared, released: in that order.
      EXPECT_TRUE(ContainsInOrder(lines, {kCloseWithoutSaving, L"site null", L"release"})) << JoinLines(lines);
    } else {
      EXPECT_FALSE(Contains(lines, kCloseWithoutSaving)) << JoinLines(lines);
      EXPECT_FALSE(Contains(lines, L"release")) << JoinLines(lines);
    }
  }
}

void ExpectFailureReportNaming(const HostProgram& program, const std::wstring& file, const std::wstring& diagnosis) {
  auto started = driver::Program::Start(driver::BesideMe(Exe(program)));
  ASSERT_TRUE(started.Started());
  auto box = driver::WaitForMessageBox(started.Id());
  ASSERT_TRUE(box) << "no failure report";
  EXPECT_EQ(box->text.rfind(file, 0), 0u) << "the report starts with the file: " << driver::Narrow(box->text);
  EXPECT_NE(box->text.find(diagnosis), std::wstring::npos) << driver::Narrow(box->text);
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  for (HWND window : driver::TopLevelWindows(started.Id(), false)) {
    EXPECT_FALSE(IsWindowVisible(window) && driver::WindowText(window) == L"Form1") << "Form1 must never show";
  }
  ASSERT_TRUE(driver::PressOk(*box));
  DWORD exitCode = 0;
  EXPECT_TRUE(started.WaitForExit(kEndMs, &exitCode));
  EXPECT_NE(exitCode, 0u);
}

TEST_P(ControlHost, WithoutItsRegisteredFileOneReportNamesTheFile) {
  for (const std::wstring& file : ComponentFiles(Program())) {
    SCOPED_TRACE(driver::Narrow(file));
    NewControlJournal(std::wstring(Program().name) + L".unregistered");
    ASSERT_EQ(UnregisterStandin(file), S_OK);
    ExpectFailureReportNaming(Program(), file, L"is not registered");
    ASSERT_EQ(RegisterThenRemoveFile(file), S_OK);
    ExpectFailureReportNaming(Program(), file, L"is missing");
    ASSERT_EQ(RegisterStandin(file), S_OK);
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ControlHost, testing::Range<std::size_t>(0, ControlHostPrograms().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                           return driver::Narrow(ControlHostPrograms()[info.param].name);
                         });

}  // namespace
