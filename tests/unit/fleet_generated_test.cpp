// kit_fleet over a fleet derived from the survey's own reports by tools/fleet_generate.py (100
// machines, a fixed seed, made at build time): the shared fault the generator planted is found as
// one group with its telling component file, and the counts are the ones it planted.
#include "fleet/fleet_read.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
using namespace kit::fleet;
namespace fs = std::filesystem;

// planted.json, written flat by the generator: "key": number or "key": "text".
class Planted {
public:
  explicit Planted(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    m_json = text.str();
  }
  std::size_t Count(const std::string& key) const { return std::stoul(Raw(key)); }
  std::wstring Text(const std::string& key) const {
    const std::string raw = Raw(key);
    return fs::path(raw.substr(1, raw.find('"', 1) - 1)).wstring();
  }

private:
  std::string Raw(const std::string& key) const {
    const std::size_t at = m_json.find("\"" + key + "\": ");
    return at == std::string::npos ? "0" : m_json.substr(at + key.size() + 4);
  }
  std::string m_json;
};

TEST(GeneratedFleet, ThePlantedSharedFaultIsOneGroupWithItsTellingFileAndTheCountsMatch) {
  const fs::path folder = KIT_GENERATED_FLEET;
  const Planted planted(folder / "planted.json");
  ASSERT_GE(planted.Count("shared"), 3u) << "the seed plants a group worth finding";
  const Fleet fleet = ReadFleet(FindReports({folder}, folder / "out"), L"");

  EXPECT_EQ(fleet.machines.size(), planted.Count("machines") - planted.Count("damaged"));
  EXPECT_EQ(fleet.unreadable.size(), planted.Count("damaged"));
  EXPECT_EQ(std::ranges::count(fleet.machines, true, &FleetMachine::broken), static_cast<long>(planted.Count("broken")));
  EXPECT_EQ(std::ranges::count_if(fleet.machines, [](const FleetMachine& m) { return !m.changes.empty(); }),
            static_cast<long>(planted.Count("changed")));
  EXPECT_GE(std::ranges::count(fleet.machines, true, &FleetMachine::differs), static_cast<long>(planted.Count("odd")));

  const auto shared = std::ranges::find(fleet.groups, planted.Text("shared program"), &CauseGroup::program);
  ASSERT_NE(shared, fleet.groups.end());
  EXPECT_EQ(shared->machines.size(), planted.Count("shared")) << shared->cause;
  const auto apart = [&](const wchar_t* attribute) {
    return std::ranges::find_if(shared->apart, [&](const SetApart& a) { return a.file == planted.Text("shared file") && a.attribute == attribute; });
  };
  ASSERT_NE(apart(L"version"), shared->apart.end());
  EXPECT_EQ(apart(L"version")->groupValue, planted.Text("shared version"));
  EXPECT_EQ(apart(L"version")->workingValue, planted.Text("working version"));
  EXPECT_EQ(apart(L"version")->workingSame, 0);
  ASSERT_NE(apart(L"size"), shared->apart.end());
  EXPECT_EQ(apart(L"size")->groupValue, planted.Text("shared size"));
  // The telling file leads the group's differences: no working machine shares it.
  ASSERT_FALSE(shared->apart.empty());
  EXPECT_EQ(shared->apart[0].file, planted.Text("shared file"));
}

}  // namespace
