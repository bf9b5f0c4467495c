// Win32-only. Shared steps of the control-host tests.
#include "tests/e2e/host_support.h"

#include "common/ansi_text.h"
#include "common/kit_window.h"
#include "probes/shell/form_layout.h"

#include <cstdio>
#include <type_traits>

namespace kit::e2e {
namespace {

std::wstring Printed(const wchar_t* format, double value) {
  wchar_t text[64];
  std::swprintf(text, 64, format, value);
  return text;
}

std::wstring ValueText(const shell::PropertyValue& value) {
  return std::visit(
      [](const auto& v) -> std::wstring {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::int32_t>) {
          return L"i4 " + std::to_wstring(v);
        } else if constexpr (std::is_same_v<T, float>) {
          return L"r4 " + Printed(L"%g", v);
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? L"bool true" : L"bool false";
        } else if constexpr (std::is_same_v<T, std::wstring_view>) {
          return L"bstr " + std::wstring(v);
        } else {
          return L"font " + std::wstring(v.face) + L"|" + Printed(L"%g", v.points) + L"|" + std::to_wstring(v.weight) +
                 L"|" + std::to_wstring(v.charset) + L"|" + (v.italic ? L"1" : L"0") + L"|" +
                 (v.underline ? L"1" : L"0") + L"|" + (v.strikeout ? L"1" : L"0");
        }
      },
      value);
}

}  // namespace

const std::vector<catalogue::KitProgram>& ControlHostPrograms() {
  static const std::vector<catalogue::KitProgram> hosts = [] {
    std::vector<catalogue::KitProgram> found;
    for (const catalogue::KitProgram& program : catalogue::KitPrograms()) {
      if (program.kind == catalogue::ProgramKind::ControlHost) found.push_back(program);
    }
    return found;
  }();
  return hosts;
}

shell::FormDescription FormOf(std::wstring_view program) {
  for (const auto& host : ControlHostPrograms()) {
    if (host.name == program) return host.form;
  }
  return {};
}

HWND WindowOf(HWND form, shell::FormDescription description, std::wstring_view name,
              std::optional<std::int16_t> index) {
  const SIZE client = driver::ClientSize(form);
  for (std::size_t i = 1; i < description.size(); ++i) {
    if (description[i].name != name || description[i].index != index) continue;
    const RECT where = ExpectedRect(description, i, client);
    for (const driver::Item& item : driver::ListItems(form)) {
      if (EqualRect(&item.rect, &where)) return item.window;
    }
  }
  return nullptr;
}

HRESULT RegisterStandin(const std::wstring& file) { return driver::RegisterServer(driver::BesideMe(file)); }
HRESULT UnregisterStandin(const std::wstring& file) { return driver::UnregisterServer(driver::BesideMe(file)); }

HRESULT RegisterThenRemoveFile(const std::wstring& file) {
  const std::wstring folder = driver::BesideMe(L"removed_standins");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"\\" + file;
  if (!CopyFileW(driver::BesideMe(file).c_str(), copy.c_str(), FALSE)) return HRESULT_FROM_WIN32(GetLastError());
  const HRESULT hr = driver::RegisterServer(copy);
  if (!DeleteFileW(copy.c_str())) return HRESULT_FROM_WIN32(GetLastError());
  return hr;
}

std::wstring NewControlJournal(const std::wstring& name) {
  const std::wstring path = driver::BesideMe(name + L".controls.journal");
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", path.c_str());
  return path;
}

void SetControlFailure(const std::wstring& progIdAndStage) {
  SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", progIdAndStage.empty() ? nullptr : progIdAndStage.c_str());
}

std::vector<std::wstring> LinesOf(const std::vector<std::wstring>& journal, const std::wstring& instance) {
  std::vector<std::wstring> lines;
  const std::wstring prefix = instance + L" ";
  for (const std::wstring& line : journal) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  }
  return lines;
}

std::wstring InstanceName(const shell::ItemRecord& item) {
  std::wstring name(item.name);
  if (item.index) name += L"(" + std::to_wstring(*item.index) + L")";
  return name;
}

std::vector<std::wstring> ExpectedPropertyLines(const shell::ItemRecord& item) {
  std::vector<std::wstring> lines;
  for (const shell::SavedProperty& property : item.saved.bag) {
    lines.push_back(L"prop " + std::wstring(property.name) + L" " + ValueText(property.value));
  }
  return lines;
}

RECT ExpectedRect(shell::FormDescription form, std::size_t record, SIZE client) {
  const shell::Dpi dpi{ScreenDpiX(), ScreenDpiY()};
  shell::PixelRect rect = shell::AlignedPixels(form[record], shell::ItemPixels(form[record], dpi), client.cx, client.cy);
  const std::size_t container = shell::ContainerOf(form, record);
  if (container != 0) {
    const shell::PixelRect outer = shell::ItemPixels(form[container], dpi);
    rect.left += outer.left;
    rect.top += outer.top;
  }
  return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

std::string JoinLines(const std::vector<std::wstring>& lines) {
  std::string text;
  for (const std::wstring& line : lines) text += ToAnsi(line) + "\n";
  return text;
}

Host StartHost(const wchar_t* name, const wchar_t* file, const std::wstring& failure) {
  EXPECT_EQ(RegisterStandin(file), S_OK);
  SetControlFailure(failure);
  std::wstring journal = NewControlJournal(name);
  auto started = StartAndWaitForForm(std::wstring(name) + L".exe");
  SetControlFailure(L"");
  return Host{std::move(started.program), started.form, std::move(journal)};
}

const driver::Item* StandinWindow(const std::vector<driver::Item>& items, std::wstring_view progId) {
  for (const auto& item : items) {
    if (item.className == L"KitStandinControl" && item.text == progId) return &item;
  }
  return nullptr;
}

}  // namespace kit::e2e
