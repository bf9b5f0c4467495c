// Portable. Merging the machines' reports: latest per machine, counts, cause groups, component spread.
#include "fleet/fleet_view.h"

#include "common/letter_case.h"
#include "report/comparison.h"

#include <algorithm>
#include <cwctype>
#include <tuple>
#include <unordered_map>

namespace kit::fleet {
namespace {

constexpr wchar_t kWorks[] = L"works";
constexpr std::wstring_view kFailing[] = {L"broken", L"hung", L"cannot start"};
constexpr std::wstring_view kVerdictOrder[] = {L"broken", L"hung", L"cannot start", L"needs licence key", L"not found", L"works"};
constexpr const wchar_t* kAttributes[] = {L"location", L"version", L"size"};
constexpr int kAttributeCount = 3;
constexpr wchar_t kNotLocated[] = L"(not located)";
constexpr std::size_t kMostSetApart = 10;

bool Failing(std::wstring_view verdict) { return std::ranges::find(kFailing, verdict) != std::end(kFailing); }
bool Grouped(std::wstring_view verdict) { return verdict == L"broken" || verdict == L"hung"; }

bool IsPathStart(std::wstring_view text, std::size_t at) {
  if (at + 2 < text.size() && std::iswalpha(text[at]) && text[at + 1] == L':' && (text[at + 2] == L'\\' || text[at + 2] == L'/')) {
    return at == 0 || !std::iswalnum(text[at - 1]);
  }
  return text.substr(at).starts_with(L"\\\\");
}

// Texts interned once: the fleet's component names and values repeat across thousands of reports.
class Interned {
public:
  int Id(const std::wstring& text) {
    const auto [it, added] = m_ids.try_emplace(text, static_cast<int>(m_texts.size()));
    if (added) m_texts.push_back(text);
    return it->second;
  }
  const std::wstring& Text(int id) const { return m_texts[static_cast<std::size_t>(id)]; }

private:
  std::unordered_map<std::wstring, int> m_ids;
  std::vector<std::wstring> m_texts;
};

// One machine's component file: the file (lower-case name) and a value per attribute (-1: none).
struct Component {
  int file;
  int values[kAttributeCount];
};

using Counts = std::unordered_map<int, int>;  // value -> machines

std::wstring Architecture(std::wstring_view text) {
  if (text.find(L"64") != std::wstring_view::npos) return L"64";
  if (text.find(L"32") != std::wstring_view::npos || text.find(L"86") != std::wstring_view::npos) return L"32";
  return L"";
}

std::pair<std::wstring, int> MostCommon(const Counts& counts, const Interned& texts, int except) {
  std::pair<std::wstring, int> best{L"", 0};
  for (const auto& [value, count] : counts) {
    if (value == except || count <= 0) continue;
    const std::wstring& text = texts.Text(value);
    if (count > best.second || (count == best.second && text < best.first)) best = {text, count};
  }
  return best;
}

}  // namespace

std::wstring ReducePaths(std::wstring_view text) {
  constexpr std::wstring_view kPathEnds = L"\"'()<>,;|\r\n";
  std::wstring out;
  for (std::size_t at = 0; at < text.size();) {
    if (!IsPathStart(text, at)) {
      out += text[at++];
      continue;
    }
    // A path may hold spaces: it runs to the last separator before its punctuation or the next path,
    // then through the file's name.
    std::size_t stop = at + 2;
    while (stop < text.size() && kPathEnds.find(text[stop]) == std::wstring_view::npos && !IsPathStart(text, stop)) ++stop;
    const std::size_t lastSeparator = text.substr(0, stop).find_last_of(L"\\/");
    std::size_t nameEnd = lastSeparator + 1;
    while (nameEnd < stop && !std::iswspace(text[nameEnd])) ++nameEnd;
    out += text.substr(lastSeparator + 1, nameEnd - lastSeparator - 1);
    at = nameEnd;
  }
  return out;
}

Fleet MergeFleet(std::vector<MachineReport> reports, std::wstring_view since) {
  Fleet fleet;
  fleet.reports = std::move(reports);

  // Each machine: its name with its build and architecture. A report that tells neither (an earlier
  // kit's without a readable heading) belongs to the one machine of its name that tells them.
  std::unordered_map<std::wstring, std::vector<std::size_t>> byMachine;
  std::unordered_map<std::wstring, std::vector<std::wstring>> keysByName;
  std::vector<std::size_t> untold;
  for (std::size_t i = 0; i < fleet.reports.size(); ++i) {
    const MachineReport& report = fleet.reports[i];
    if (!report.problem.empty()) {
      fleet.unreadable.push_back({report.where, report.problem});
      continue;
    }
    if (!since.empty() && !report.facts.surveyed.empty() && std::wstring_view(report.facts.surveyed) < since) {
      ++fleet.before;
      continue;
    }
    const std::wstring name = Lower(report.facts.machine);
    const std::wstring architecture = Architecture(report.facts.architecture);
    if (report.facts.build.empty() && architecture.empty()) {
      untold.push_back(i);
      continue;
    }
    const std::wstring key = name + L'\n' + report.facts.build + L'\n' + architecture;
    auto& indices = byMachine[key];
    if (indices.empty()) keysByName[name].push_back(key);
    indices.push_back(i);
  }
  for (std::size_t i : untold) {
    const std::wstring name = Lower(fleet.reports[i].facts.machine);
    const auto known = keysByName.find(name);
    if (known != keysByName.end() && known->second.size() == 1) {
      byMachine[known->second.front()].push_back(i);
    } else {
      auto& indices = byMachine[name + L"\n?\n?"];
      if (indices.empty()) keysByName[name].push_back(name + L"\n?\n?");
      indices.push_back(i);
    }
  }

  for (auto& [key, indices] : byMachine) {
    std::ranges::stable_sort(indices, [&](std::size_t a, std::size_t b) {
      return fleet.reports[a].facts.surveyed < fleet.reports[b].facts.surveyed;
    });
    FleetMachine machine;
    machine.report = indices.back();
    const MachineReport& latest = fleet.reports[machine.report];
    machine.name = latest.facts.machine;
    if (keysByName[Lower(latest.facts.machine)].size() > 1) {
      machine.name += L" [" + (latest.facts.architecture.empty() ? L"" : latest.facts.architecture + L", ") +
                      (latest.facts.build.empty() ? L"build unknown" : L"build " + latest.facts.build) + L"]";
    }
    if (indices.size() > 1) {
      const MachineReport& previous = fleet.reports[indices[indices.size() - 2]];
      machine.previousSurveyed = previous.facts.surveyed;
      std::unordered_map<std::wstring, const std::wstring*> before;
      for (const report::CsvRow& row : previous.rows) before.emplace(row.program, &row.verdict);
      for (const report::CsvRow& row : latest.rows) {
        const auto was = before.find(row.program);
        if (was == before.end()) {
          machine.changes.push_back({row.program, L"(not surveyed)", row.verdict});
        } else {
          if (*was->second != row.verdict) machine.changes.push_back({row.program, *was->second, row.verdict});
          before.erase(was);
        }
      }
      for (const report::CsvRow& row : previous.rows) {
        if (before.contains(row.program)) machine.changes.push_back({row.program, row.verdict, L"(not surveyed)"});
      }
    }
    fleet.machines.push_back(std::move(machine));
  }
  std::ranges::sort(fleet.machines, [](const FleetMachine& a, const FleetMachine& b) { return a.name < b.name; });

  // Verdicts per program, and the broken and hung rows by program and cause.
  std::unordered_map<std::wstring, std::size_t> programAt;
  std::unordered_map<std::wstring, std::unordered_map<std::wstring, int>> verdictCounts;
  std::unordered_map<std::wstring, std::size_t> groupAt;
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    FleetMachine& machine = fleet.machines[m];
    for (const report::CsvRow& row : fleet.reports[machine.report].rows) {
      if (programAt.try_emplace(row.program, fleet.programs.size()).second) fleet.programs.push_back({row.program, {}, 0});
      ++verdictCounts[row.program][row.verdict];
      if (Failing(row.verdict)) machine.broken = true;
      if (!Grouped(row.verdict)) continue;
      const std::wstring cause = ReducePaths(row.cause.empty() ? row.message : row.cause);
      const auto [at, added] = groupAt.try_emplace(row.program + L'\n' + cause, fleet.groups.size());
      if (added) fleet.groups.push_back({row.program, cause, {}, {}});
      fleet.groups[at->second].machines.push_back(m);
    }
  }
  for (ProgramCount& program : fleet.programs) {
    auto& counts = verdictCounts[program.program];
    for (std::wstring_view verdict : kVerdictOrder) {
      const auto found = counts.find(std::wstring(verdict));
      if (found == counts.end()) continue;
      program.verdicts.emplace_back(found->first, found->second);
      if (Failing(verdict)) program.failing += found->second;
      counts.erase(found);
    }
    std::vector<std::pair<std::wstring, int>> others(counts.begin(), counts.end());
    std::ranges::sort(others);
    program.verdicts.insert(program.verdicts.end(), others.begin(), others.end());
  }
  std::ranges::sort(fleet.programs, [](const ProgramCount& a, const ProgramCount& b) {
    return a.failing != b.failing ? a.failing > b.failing : a.program < b.program;
  });
  std::unordered_map<std::wstring, std::size_t> programRank;
  for (std::size_t i = 0; i < fleet.programs.size(); ++i) programRank[fleet.programs[i].program] = i;
  std::ranges::sort(fleet.groups, [&](const CauseGroup& a, const CauseGroup& b) {
    if (a.program != b.program) return programRank[a.program] < programRank[b.program];
    return a.machines.size() != b.machines.size() ? a.machines.size() > b.machines.size() : a.cause < b.cause;
  });

  // The component files of every machine, interned, and their values counted across the fleet.
  Interned texts;
  std::vector<std::wstring> fileNames;  // by file id: the name as the first log gave it
  std::unordered_map<std::wstring, int> fileIds;
  std::vector<std::vector<Component>> components(fleet.machines.size());
  std::vector<Counts> fleetCounts;  // by file id * kAttributeCount + attribute
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    for (const report::VerifierLogRow& row : fleet.reports[fleet.machines[m].report].components) {
      const auto [at, added] = fileIds.try_emplace(Lower(row.name), static_cast<int>(fileNames.size()));
      if (added) {
        fileNames.push_back(row.name);
        fleetCounts.resize(fileNames.size() * kAttributeCount);
      }
      Component component{at->second, {-1, -1, -1}};
      component.values[0] = texts.Id(row.located ? report::ComponentPlace(row.file) : kNotLocated);
      if (row.located) {
        component.values[1] = texts.Id(row.version.empty() ? L"(no version)" : row.version);
        component.values[2] = texts.Id(row.size);
      }
      for (int a = 0; a < kAttributeCount; ++a) {
        if (component.values[a] >= 0) ++fleetCounts[static_cast<std::size_t>(component.file * kAttributeCount + a)][component.values[a]];
      }
      components[m].push_back(component);
    }
  }

  // What sets a group apart: a value every machine of the group shares, which fewer than half of
  // the working machines that list the file have. The working machines' counts are the fleet's
  // less those of the machines where the program does not work, so each machine is visited once
  // per program with groups, not once per group.
  std::unordered_map<std::wstring, std::vector<std::size_t>> groupsOf;
  for (std::size_t g = 0; g < fleet.groups.size(); ++g) groupsOf[fleet.groups[g].program].push_back(g);
  for (const auto& [program, groups] : groupsOf) {
    std::vector<char> works(fleet.machines.size(), 0);
    for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
      for (const report::CsvRow& row : fleet.reports[fleet.machines[m].report].rows) {
        if (row.program == program) works[m] = row.verdict == kWorks;
      }
    }
    std::unordered_map<int, Counts> notWorking;  // file * kAttributeCount + attribute -> counts
    for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
      if (works[m]) continue;
      for (const Component& component : components[m]) {
        for (int a = 0; a < kAttributeCount; ++a) {
          if (component.values[a] >= 0) ++notWorking[component.file * kAttributeCount + a][component.values[a]];
        }
      }
    }
    for (std::size_t g : groups) {
      CauseGroup& group = fleet.groups[g];
      std::unordered_map<int, std::pair<int, int>> shared;  // slot -> (value, machines with it); value -2: mixed
      for (std::size_t m : group.machines) {
        for (const Component& component : components[m]) {
          for (int a = 0; a < kAttributeCount; ++a) {
            const int slot = component.file * kAttributeCount + a;
            auto [it, added] = shared.try_emplace(slot, component.values[a], 0);
            if (it->second.first != component.values[a]) it->second.first = -2;
            ++it->second.second;
          }
        }
      }
      for (const auto& [slot, value] : shared) {
        if (value.first < 0 || value.second != static_cast<int>(group.machines.size())) continue;
        Counts working = fleetCounts[static_cast<std::size_t>(slot)];
        if (const auto less = notWorking.find(slot); less != notWorking.end()) {
          for (const auto& [v, count] : less->second) working[v] -= count;
        }
        int listing = 0;
        for (const auto& [v, count] : working) listing += count;
        const int same = working.contains(value.first) ? working[value.first] : 0;
        if (listing == 0 || same * 2 >= listing) continue;
        const auto [otherValue, otherCount] = MostCommon(working, texts, value.first);
        group.apart.push_back({fileNames[static_cast<std::size_t>(slot / kAttributeCount)], kAttributes[slot % kAttributeCount],
                               texts.Text(value.first), listing, same, otherValue, otherCount});
      }
      std::ranges::sort(group.apart, [](const SetApart& a, const SetApart& b) {
        if (a.workingSame * b.working != b.workingSame * a.working) return a.workingSame * b.working < b.workingSame * a.working;
        return std::tie(a.file, a.attribute) < std::tie(b.file, b.attribute);
      });
      if (group.apart.size() > kMostSetApart) group.apart.resize(kMostSetApart);
    }
  }

  // Each file's spread: the values across the fleet, and the machines unlike the majority.
  std::vector<int> majority(fleetCounts.size(), -1);
  for (std::size_t slot = 0; slot < fleetCounts.size(); ++slot) {
    if (fleetCounts[slot].size() < 2) continue;
    ComponentSpread spread{fileNames[slot / kAttributeCount], kAttributes[slot % kAttributeCount], {}, {}};
    for (const auto& [value, count] : fleetCounts[slot]) spread.values.emplace_back(texts.Text(value), count);
    std::ranges::sort(spread.values, [](const auto& a, const auto& b) { return a.second != b.second ? a.second > b.second : a.first < b.first; });
    majority[slot] = texts.Id(spread.values.front().first);
    fleet.spread.push_back(std::move(spread));
  }
  std::unordered_map<std::size_t, std::size_t> spreadAt;
  for (std::size_t i = 0; i < fleet.spread.size(); ++i) {
    const ComponentSpread& spread = fleet.spread[i];
    const int file = fileIds[Lower(spread.file)];
    const int attribute = static_cast<int>(std::ranges::find(kAttributes, spread.attribute) - std::begin(kAttributes));
    spreadAt[static_cast<std::size_t>(file * kAttributeCount + attribute)] = i;
  }
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    for (const Component& component : components[m]) {
      for (int a = 0; a < kAttributeCount; ++a) {
        const std::size_t slot = static_cast<std::size_t>(component.file * kAttributeCount + a);
        if (component.values[a] < 0 || majority[slot] < 0 || component.values[a] == majority[slot]) continue;
        fleet.spread[spreadAt[slot]].differing.emplace_back(m, texts.Text(component.values[a]));
        fleet.machines[m].differs = true;
      }
    }
  }
  std::ranges::sort(fleet.spread, [](const ComponentSpread& a, const ComponentSpread& b) {
    return std::tie(a.file, a.attribute) < std::tie(b.file, b.attribute);
  });
  return fleet;
}

}  // namespace kit::fleet
