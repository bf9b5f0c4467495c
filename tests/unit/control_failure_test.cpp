// The report of a control that cannot be created: the component file first, then a precise
// diagnosis from the stage, the code and the class's registration, then the system's code.
#include "probes/shell/control_failure.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace kit::shell;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

constexpr ItemRecord kSlider{.name = L"sld_mscomctl", .kind = ItemKind::ActiveX,
                             .control = {L"MSComctlLib.Slider", L"{F08DF954-8592-11D1-B16A-00C0F0283628}",
                                         L"MSCOMCTL.OCX"}};
constexpr ItemRecord kOption{.name = L"Option_threed32", .index = 1, .kind = ItemKind::ActiveX,
                             .control = {L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}",
                                         L"THREED32.OCX"}};

TEST(ControlFailure, DiagnosesWhatPreciselyFailed) {
  const ClassRegistration notRegistered{};
  const ClassRegistration fileGone{true, L"C:\\windows\\system32\\MSCOMCTL.OCX", false};
  const ClassRegistration fileThere{true, L"C:\\windows\\system32\\MSCOMCTL.OCX", true};
  struct Case {
    CreationStage stage;
    std::uint32_t code;
    ClassRegistration registration;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {CreationStage::Create, 0x80040154u, notRegistered,
       L"its class {F08DF954-8592-11D1-B16A-00C0F0283628} is not registered."},
      {CreationStage::Create, 0x8007007Eu, fileGone, L"its file C:\\windows\\system32\\MSCOMCTL.OCX is missing."},
      {CreationStage::Create, 0x8007007Eu, fileThere, L"a file it needs is missing (C:\\windows\\system32\\MSCOMCTL.OCX is there)."},
      {CreationStage::Create, 0x8007000Eu, fileThere, L"creating it failed."},
      {CreationStage::ClientSite, 0x80004005u, fileThere, L"it refused its client site."},
      {CreationStage::LoadProperties, 0x80004005u, fileThere, L"it refused its saved properties."},
      {CreationStage::Events, 0x80040202u, fileThere, L"it refused the connection for its events."},
      {CreationStage::Activate, 0x80004005u, fileThere, L"it could not be placed in the window."},
  };
  for (const Case& c : cases) {
    const std::wstring text = ControlFailureText(kSlider, c.stage, c.code, L"described", c.registration);
    EXPECT_EQ(text.rfind(L"MSCOMCTL.OCX\r\n\r\n", 0), 0u) << Narrow(text);
    EXPECT_NE(text.find(std::wstring(L"MSComctlLib.Slider (sld_mscomctl) could not be created: ") + c.expected),
              std::wstring::npos)
        << Narrow(text);
  }
}

TEST(ControlFailure, CarriesTheDescriptionAndCodeOnceAndNamesArrayMembers) {
  const ClassRegistration fileThere{true, L"THREED32.OCX", true};
  const std::wstring text =
      ControlFailureText(kOption, CreationStage::Create, 0x80040154u, L"Class not registered", fileThere);
  EXPECT_NE(text.find(L"Threed.SSOption (Option_threed32(1))"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"\r\nClass not registered (0x80040154)"), std::wstring::npos) << Narrow(text);
  // A code the registry cannot explain still says the class is not registered.
  EXPECT_NE(text.find(L"is not registered"), std::wstring::npos) << Narrow(text);
  const std::wstring again = ControlFailureText(kOption, CreationStage::Activate, 0x80040154u,
                                                L"Class not registered (0x80040154)", fileThere);
  EXPECT_EQ(again.find(L"0x80040154"), again.rfind(L"0x80040154")) << Narrow(again);
}

TEST(ControlFailure, ALicensingRefusalHasItsOwnDiagnosisWithAndWithoutAKey) {
  const ClassRegistration fileThere{true, L"C:\\windows\\system32\\MSCOMCTL.OCX", true};
  ItemRecord withKey = kSlider;
  withKey.control.licenceKey = L"key";
  const std::wstring without = ControlFailureText(kSlider, CreationStage::Create, 0x80040112u, L"d", fileThere);
  const std::wstring with = ControlFailureText(withKey, CreationStage::Create, 0x80040112u, L"d", fileThere);
  EXPECT_NE(without.find(L"could not be created: its class is registered and its file loads, but it refuses to be "
                         L"created without a licence key on this machine.\r\nd (0x80040112)"),
            std::wstring::npos)
      << Narrow(without);
  EXPECT_NE(with.find(L"but it refuses the licence key this program carries."), std::wstring::npos) << Narrow(with);
}

TEST(ControlFailure, AQuotedServerPathIsReadAsAPath) {
  EXPECT_EQ(ServerPathFromRegistry(L"\"C:\\Program Files\\x\\A.OCX\""), L"C:\\Program Files\\x\\A.OCX");
  EXPECT_EQ(ServerPathFromRegistry(L"\"C:\\a b\\A.OCX\" /extra"), L"C:\\a b\\A.OCX");
  EXPECT_EQ(ServerPathFromRegistry(L"C:\\windows\\A.OCX"), L"C:\\windows\\A.OCX");
  EXPECT_EQ(ServerPathFromRegistry(L"\"unterminated"), L"unterminated");
}

}  // namespace
