// Hosting a real (stand-in) control inside the test process: after the form is gone, every site
// and property bag the shell made has reached its last release.
#include "probes/hosts/probe_VELGraphControl.h"
#include "probes/hosts/probe_mscomctl.h"
#include "probes/shell/form_window.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/site_object.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <string>

namespace {
using namespace kit::shell;

HRESULT RegisterBesideMe(const wchar_t* file) { return kit::driver::RegisterServer(kit::driver::BesideMe(file)); }

class HostedControls : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", nullptr);
    SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", nullptr);
  }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(HostedControls, SitesAndBagsAreAllReleasedWhenTheFormCloses) {
  ASSERT_EQ(RegisterBesideMe(L"MSCOMCTL.OCX"), S_OK);
  ASSERT_EQ(RegisterBesideMe(L"VELGraphControl.ocx"), S_OK);
  for (FormDescription description : {FormDescription(kit::hosts::probe_mscomctl::kForm),
                                      FormDescription(kit::hosts::probe_VELGraphControl::kForm)}) {
    const int sitesBefore = ControlSite::Live();
    BuildFailure failure;
    auto form = Form::Build(description, {}, failure);
    ASSERT_TRUE(form) << std::string(failure.message.begin(), failure.message.end());
    EXPECT_GT(ControlSite::Live(), sitesBefore);
    HWND slider = form->ItemWindow(L"sld_mscomctl");
    if (description.size() > 3) {
      ASSERT_TRUE(slider) << "a visible control has its own window";
      wchar_t parent[64] = {};
      GetWindowTextW(GetParent(slider), parent, 64);
      EXPECT_STREQ(parent, L"Form1");
    }
    form.reset();
    EXPECT_EQ(ControlSite::Live(), sitesBefore) << "a site outlived its control";
    EXPECT_EQ(LivePropertyBags(), 0) << "a property bag outlived the load";
  }
}

}  // namespace
