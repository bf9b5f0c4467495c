// Controls nobody here wrote: the platform's own web browser, media player and script controls,
// made to stand for catalogue classes through TreatAs keys in the test prefix (a registered class
// is created as the one it is treated as). Real controls ask their site for interfaces no
// stand-in asks for and keep habits of their own; each host must place them, give them the focus
// by Tab where they take it, and end cleanly by the close box and by its end button.
#include "tests/e2e/host_support.h"

#include <algorithm>
#include <vector>

namespace {
using namespace kit;
using namespace kit::e2e;
using kit::shell::FormDescription;

const DWORD kEndMs = driver::Scaled(15000);
const DWORD kStepMs = driver::Scaled(5000);

constexpr wchar_t kWebBrowser[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
constexpr wchar_t kMediaPlayer[] = L"{6BF52A52-394A-11D3-B153-00C04F79FAA6}";
constexpr wchar_t kScriptControl[] = L"{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}";

struct Place {
  const wchar_t* name;
  std::optional<std::int16_t> index;
};

struct Case {
  const wchar_t* program;
  const wchar_t* file;                  // its stand-in serves the form's other classes
  std::vector<const wchar_t*> classes;  // catalogue classes treated as `real`
  const wchar_t* real;
  std::vector<Place> places;  // where the real control must lie (none: invisible at run time)
};

const Case kCases[] = {
    {L"probe_VELEditControl", L"VELEditControl.ocx", {L"{0DF2F74E-5EF9-462D-B2AD-75D5A5EE5201}"}, kWebBrowser,
     {{L"EditControl1", {}}}},
    {L"probe_mscomctl",
     L"MSCOMCTL.OCX",
     {L"{66833FE6-8583-11D1-B16A-00C0F0283628}", L"{8E3867A3-8586-11D1-B16A-00C0F0283628}",
      L"{35053A22-8589-11D1-B16A-00C0F0283628}", L"{C74190B6-8589-11D1-B16A-00C0F0283628}",
      L"{F08DF954-8592-11D1-B16A-00C0F0283628}"},
     kWebBrowser,
     {{L"tlb_mscomctl", {}}, {L"Status_mscomctl", {}}, {L"prg_mscomctl", {}}, {L"Tree_mscomctl", {}},
      {L"sld_mscomctl", {}}}},
    // The option buttons inside the 3-D frame (the frame and check box stay stand-ins).
    {L"probe_threed32", L"THREED32.OCX", {L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}"}, kWebBrowser,
     {{L"Option_threed32", 0}, {L"Option_threed32", 1}}},
    {L"probe_graph32", L"GRAPH32.OCX", {L"{0842D100-1E19-101B-9AAF-1A1626551E7C}"}, kMediaPlayer,
     {{L"graph32", {}}}},
    {L"probe_VELControlResizer", L"VELControlResizer.ocx", {L"{54FF8ABC-6A06-46ED-BA34-755864724256}"},
     kScriptControl, {}},
};

// TreatAs keys for the case's classes, taken away again when the scope ends.
class TreatedAs {
public:
  explicit TreatedAs(const Case& c) : m_case(c) {
    m_ok = RegisterStandin(c.file) == S_OK;
    for (const wchar_t* classId : c.classes) {
      HKEY key = nullptr;
      const std::wstring path = std::wstring(L"CLSID\\") + classId + L"\\TreatAs";
      m_ok = m_ok && RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                     nullptr) == ERROR_SUCCESS;
      if (!key) continue;
      const DWORD bytes = static_cast<DWORD>((wcslen(c.real) + 1) * sizeof(wchar_t));
      m_ok = m_ok && RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(c.real), bytes) ==
                         ERROR_SUCCESS;
      RegCloseKey(key);
    }
  }
  ~TreatedAs() {
    for (const wchar_t* classId : m_case.classes) {
      RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + classId + L"\\TreatAs").c_str());
    }
  }
  bool Ok() const { return m_ok; }

private:
  const Case& m_case;
  bool m_ok = false;
};

bool FocusIn(HWND form, HWND control) {
  HWND focus = driver::FocusedWindow(form);
  return focus && (focus == control || IsChild(control, focus));
}

HWND EndButton(HWND form) {
  for (const wchar_t* caption : {L"Done", L"done"}) {
    if (auto button = driver::FindItem(form, caption)) return button->window;
  }
  return nullptr;
}

TEST(RealControls, ArePlacedFocusedByTabAndEndCleanlyByTheCloseBoxAndTheEndButton) {
  for (const Case& c : kCases) {
    for (const bool byCloseBox : {true, false}) {
      SCOPED_TRACE(driver::Narrow(c.program) + (byCloseBox ? " closed by the close box" : " ended by its button"));
      TreatedAs treated(c);
      ASSERT_TRUE(treated.Ok()) << "the test prefix's registry refused the TreatAs keys";
      auto started = StartAndWaitForForm(std::wstring(c.program) + L".exe");
      ASSERT_TRUE(started.form);
      ExpectNoMessageBox(started.program);
      const FormDescription form = FormOf(c.program);
      const auto items = driver::ListItems(started.form);

      std::vector<HWND> real;
      for (const Place& place : c.places) {
        HWND window = WindowOf(started.form, form, place.name, place.index);
        EXPECT_TRUE(window && driver::ClassName(window) != L"KitStandinControl")
            << driver::Narrow(place.name) << ": no real control at its place:\n"
            << driver::Narrow(driver::Describe(items));
        if (window) real.push_back(window);
      }
      // Tab walks the whole form once round; every real control takes the focus on the way.
      std::vector<bool> reached(real.size(), false);
      HWND previous = driver::FocusedWindow(started.form);
      const auto allReached = [&] { return std::find(reached.begin(), reached.end(), false) == reached.end(); };
      for (std::size_t step = 0; step < form.size() + 1 && !allReached(); ++step) {
        driver::PressKey(started.form, VK_TAB);
        driver::WaitUntil([&] {
          HWND focus = driver::FocusedWindow(started.form);
          return focus && focus != previous;
        }, kStepMs);
        previous = driver::FocusedWindow(started.form);
        for (std::size_t i = 0; i < real.size(); ++i) reached[i] = reached[i] || FocusIn(started.form, real[i]);
      }
      for (std::size_t i = 0; i < real.size(); ++i) {
        EXPECT_TRUE(reached[i]) << driver::Narrow(c.places[i].name) << " never took the focus by Tab";
      }

      if (byCloseBox) {
        driver::CloseWithCloseBox(started.form);
      } else {
        HWND end = EndButton(started.form);
        ASSERT_TRUE(end) << "no end button:\n" << driver::Narrow(driver::Describe(items));
        driver::Click(end);
      }
      DWORD exitCode = 1234;
      EXPECT_TRUE(started.program.WaitForExit(kEndMs, &exitCode));
      EXPECT_EQ(exitCode, 0u);
    }
  }
}

}  // namespace
