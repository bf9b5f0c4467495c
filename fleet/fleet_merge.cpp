// Portable. Merging the machines' reports: latest per machine, counts, cause groups, component spread.
#include "fleet/fleet_view.h"

#include "common/letter_case.h"

#include <algorithm>
#include <cstdint>
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
constexpr std::size_t kMostSetApart = 10;

bool Failing(std::wstring_view verdict) { return std::ranges::find(kFailing, verdict) != std::end(kFailing); }
bool Grouped(std::wstring_view verdict) { return verdict == L"broken" || verdict == L"hung"; }

bool IsPathStart(std::wstring_view text, std::size_t at) {
  if (at + 2 < text.size() && std::iswalpha(text[at]) && text[at + 1] == L':' && (text[at + 2] == L'\\' || text[at + 2] == L'/')) {
    return at == 0 || !std::iswalnum(text[at - 1]);
  }
  return text.substr(at).starts_with(L"\\\\");
}

// A component file's value per attribute: its place, version and size, each an id (kNoText: none).
using Counts = std::unordered_map<TextId, int>;  // value -> machines

TextId Value(const ReportComponent& component, int attribute) {
  return attribute == 0 ? component.place : attribute == 1 ? component.version : component.size;
}

std::wstring Architecture(std::wstring_view text) {
  if (text.find(L"64") != std::wstring_view::npos) return L"64";
  if (text.find(L"32") != std::wstring_view::npos || text.find(L"86") != std::wstring_view::npos) return L"32";
  return L"";
}

std::pair<TextId, int> MostCommon(const Counts& counts, const TextPool& texts, TextId except) {
  std::pair<TextId, int> best{kNoText, 0};
  for (const auto& [value, count] : counts) {
    if (value == except || count <= 0) continue;
    if (count > best.second || (count == best.second && texts.Text(value) < texts.Text(best.first))) best = {value, count};
  }
  return best;
}

// The value most machines have (the smaller text of a tie), and how many.
std::pair<TextId, int> Majority(const Counts& counts, const TextPool& texts) {
  std::pair<TextId, int> best{kNoText, 0};
  for (const auto& [value, count] : counts) {
    if (count > best.second || (count == best.second && texts.Text(value) < texts.Text(best.first))) best = {value, count};
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
    out += L"\u2026\\";  // the folder left out, and said to be
    out += text.substr(lastSeparator + 1, nameEnd - lastSeparator - 1);
    at = nameEnd;
  }
  return out;
}

Fleet MergeFleet(std::vector<MachineReport> reports, TextPool texts, std::wstring_view since) {
  Fleet fleet;
  fleet.texts = std::move(texts);
  fleet.reports = std::move(reports);
  const TextPool& text = fleet.texts;

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
    std::wstring key = name + L'\n' + report.facts.build + L'\n' + architecture;
    auto& indices = byMachine[key];
    if (indices.empty()) keysByName[name].push_back(std::move(key));
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

  // A machine's Windows, for comparing its component files with its peers': build and architecture.
  std::vector<std::wstring> windowsOf;
  for (auto& [key, indices] : byMachine) {
    std::ranges::stable_sort(indices, [&](std::size_t a, std::size_t b) {
      return fleet.reports[a].facts.surveyed < fleet.reports[b].facts.surveyed;
    });
    // Copies of one report (its folder and the same report zipped beside it) are one survey: the
    // first found stands, and no copy is taken for the previous report.
    const auto copies = std::ranges::unique(indices, [&](std::size_t a, std::size_t b) {
      return !fleet.reports[a].facts.surveyed.empty() && fleet.reports[a].facts.surveyed == fleet.reports[b].facts.surveyed;
    });
    indices.erase(copies.begin(), copies.end());
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
      std::unordered_map<TextId, TextId> before;  // program -> verdict
      for (const ReportRow& row : previous.rows) before.emplace(row.program, row.verdict);
      for (const ReportRow& row : latest.rows) {
        const auto was = before.find(row.program);
        if (was == before.end()) {
          machine.changes.push_back({text.Text(row.program), L"(not surveyed)", text.Text(row.verdict)});
        } else {
          if (was->second != row.verdict) machine.changes.push_back({text.Text(row.program), text.Text(was->second), text.Text(row.verdict)});
          before.erase(was);
        }
      }
      for (const ReportRow& row : previous.rows) {
        if (before.contains(row.program)) machine.changes.push_back({text.Text(row.program), text.Text(row.verdict), L"(not surveyed)"});
      }
    }
    fleet.machines.push_back(std::move(machine));
  }
  std::ranges::sort(fleet.machines, [](const FleetMachine& a, const FleetMachine& b) { return a.name < b.name; });

  // Verdicts per program, and the broken and hung rows by program and cause.
  std::unordered_map<TextId, std::size_t> programAt;
  std::vector<Counts> verdictCounts;  // by programAt
  std::unordered_map<TextId, bool> failingVerdict, groupedVerdict;
  std::unordered_map<std::uint64_t, std::size_t> groupAt;  // program and reduced cause -> group
  std::unordered_map<TextId, TextId> reduced;  // cause -> the cause with paths reduced
  std::vector<TextId> groupProgram;
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    FleetMachine& machine = fleet.machines[m];
    for (const ReportRow& row : fleet.reports[machine.report].rows) {
      const auto [at, added] = programAt.try_emplace(row.program, fleet.programs.size());
      if (added) {
        fleet.programs.push_back({text.Text(row.program), {}, 0});
        verdictCounts.emplace_back();
      }
      ++verdictCounts[at->second][row.verdict];
      if (!failingVerdict.contains(row.verdict)) {
        failingVerdict[row.verdict] = Failing(text.Text(row.verdict));
        groupedVerdict[row.verdict] = Grouped(text.Text(row.verdict));
      }
      if (failingVerdict[row.verdict]) machine.broken = true;
      if (!groupedVerdict[row.verdict]) continue;
      const TextId said = text.Text(row.cause).empty() ? row.message : row.cause;
      auto cause = reduced.find(said);
      if (cause == reduced.end()) cause = reduced.emplace(said, fleet.texts.Id(ReducePaths(text.Text(said)))).first;
      const auto [group, fresh] = groupAt.try_emplace((std::uint64_t{row.program} << 32) | cause->second, fleet.groups.size());
      if (fresh) {
        fleet.groups.push_back({text.Text(row.program), text.Text(cause->second), {}, {}});
        groupProgram.push_back(row.program);
      }
      fleet.groups[group->second].machines.push_back(m);
    }
  }
  for (std::size_t p = 0; p < fleet.programs.size(); ++p) {
    ProgramCount& program = fleet.programs[p];
    std::vector<std::pair<std::wstring, int>> others;
    for (const auto& [verdict, count] : verdictCounts[p]) others.emplace_back(text.Text(verdict), count);
    for (std::wstring_view verdict : kVerdictOrder) {
      const auto found = std::ranges::find(others, verdict, &std::pair<std::wstring, int>::first);
      if (found == others.end()) continue;
      program.verdicts.push_back(*found);
      if (Failing(verdict)) program.failing += found->second;
      others.erase(found);
    }
    std::ranges::sort(others);
    program.verdicts.insert(program.verdicts.end(), others.begin(), others.end());
  }
  {
    // The groups sorted along with the programs they belong to.
    std::vector<std::size_t> order(fleet.groups.size());
    for (std::size_t g = 0; g < order.size(); ++g) order[g] = g;
    std::ranges::sort(fleet.programs, [](const ProgramCount& a, const ProgramCount& b) {
      return a.failing != b.failing ? a.failing > b.failing : a.program < b.program;
    });
    std::unordered_map<std::wstring, std::size_t> programRank;
    for (std::size_t i = 0; i < fleet.programs.size(); ++i) programRank[fleet.programs[i].program] = i;
    std::ranges::sort(order, [&](std::size_t x, std::size_t y) {
      const CauseGroup& a = fleet.groups[x];
      const CauseGroup& b = fleet.groups[y];
      if (a.program != b.program) return programRank[a.program] < programRank[b.program];
      return a.machines.size() != b.machines.size() ? a.machines.size() > b.machines.size() : a.cause < b.cause;
    });
    std::vector<CauseGroup> groups;
    std::vector<TextId> programs;
    for (std::size_t g : order) {
      groups.push_back(std::move(fleet.groups[g]));
      programs.push_back(groupProgram[g]);
    }
    fleet.groups = std::move(groups);
    groupProgram = std::move(programs);
  }

  // The component files' values counted across the fleet, and per Windows (build and architecture).
  std::unordered_map<TextId, int> fileIds;  // by key
  std::vector<TextId> fileNames;            // by file id: the name as the first log gave it
  std::vector<Counts> fleetCounts;          // by file id * kAttributeCount + attribute
  std::unordered_map<std::wstring, std::size_t> peerAt;
  std::vector<std::size_t> peerOf(fleet.machines.size());
  std::vector<std::unordered_map<int, Counts>> peerCounts;  // by peer: slot -> counts
  std::vector<std::vector<int>> fileOf(fleet.machines.size());  // each component's file id
  // A place is compared in lower case and shown as the first report that names it spells it.
  std::unordered_map<TextId, TextId> shownPlace;
  const auto shown = [&](int attribute, TextId value) -> const std::wstring& {
    return text.Text(attribute == 0 ? shownPlace.at(value) : value);
  };
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    const MachineReport& report = fleet.reports[fleet.machines[m].report];
    const auto [peer, added] = peerAt.try_emplace(report.facts.build + L'\n' + Architecture(report.facts.architecture), peerCounts.size());
    if (added) peerCounts.emplace_back();
    peerOf[m] = peer->second;
    for (const ReportComponent& component : report.components) {
      const auto [at, fresh] = fileIds.try_emplace(component.key, static_cast<int>(fileNames.size()));
      if (fresh) {
        fileNames.push_back(component.name);
        fleetCounts.resize(fileNames.size() * kAttributeCount);
      }
      fileOf[m].push_back(at->second);
      shownPlace.try_emplace(component.place, component.shownPlace);
      for (int a = 0; a < kAttributeCount; ++a) {
        const TextId value = Value(component, a);
        if (value == kNoText) continue;
        const int slot = at->second * kAttributeCount + a;
        ++fleetCounts[static_cast<std::size_t>(slot)][value];
        ++peerCounts[peer->second][slot][value];
      }
    }
  }
  const auto components = [&](std::size_t m) -> const std::vector<ReportComponent>& { return fleet.reports[fleet.machines[m].report].components; };

  // What sets a group apart: a value every machine of the group shares, which fewer than a quarter
  // of the working machines on the same Windows (build and architecture) as the group's machines
  // have, among those that list the file. Working machines on other Windows are not compared: the
  // system's own files follow the build, and a group on one build would seem set apart by all of
  // them. The working machines' counts are their Windows' counts less those of the machines where
  // the program does not work (few), so each machine is visited once per program with groups, not
  // once per group.
  std::unordered_map<TextId, std::vector<std::size_t>> groupsOf;
  for (std::size_t g = 0; g < fleet.groups.size(); ++g) groupsOf[groupProgram[g]].push_back(g);
  const TextId works = fleet.texts.Id(kWorks);
  for (const auto& [program, groups] : groupsOf) {
    std::unordered_map<std::size_t, std::unordered_map<int, Counts>> notWorking;  // peer -> slot -> counts
    for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
      bool working = false;
      for (const ReportRow& row : fleet.reports[fleet.machines[m].report].rows) {
        if (row.program == program) working = row.verdict == works;
      }
      if (working) continue;
      auto& counts = notWorking[peerOf[m]];
      for (std::size_t c = 0; c < components(m).size(); ++c) {
        for (int a = 0; a < kAttributeCount; ++a) {
          const TextId value = Value(components(m)[c], a);
          if (value != kNoText) ++counts[fileOf[m][c] * kAttributeCount + a][value];
        }
      }
    }
    for (std::size_t g : groups) {
      CauseGroup& group = fleet.groups[g];
      std::unordered_map<int, std::pair<TextId, int>> shared;  // slot -> (value, machines with it); kMixed: mixed
      constexpr TextId kMixed = kNoText - 1;
      std::vector<std::size_t> peers;
      for (std::size_t m : group.machines) {
        if (std::ranges::find(peers, peerOf[m]) == peers.end()) peers.push_back(peerOf[m]);
        for (std::size_t c = 0; c < components(m).size(); ++c) {
          for (int a = 0; a < kAttributeCount; ++a) {
            const TextId value = Value(components(m)[c], a);
            auto [it, added] = shared.try_emplace(fileOf[m][c] * kAttributeCount + a, value, 0);
            if (it->second.first != value) it->second.first = kMixed;
            ++it->second.second;
          }
        }
      }
      for (const auto& [slot, value] : shared) {
        if (value.first == kNoText || value.first == kMixed || value.second != static_cast<int>(group.machines.size())) continue;
        Counts working;  // the working machines on the group's Windows: value -> machines
        for (std::size_t peer : peers) {
          if (const auto all = peerCounts[peer].find(slot); all != peerCounts[peer].end()) {
            for (const auto& [v, count] : all->second) working[v] += count;
          }
          if (const auto less = notWorking.find(peer); less != notWorking.end()) {
            if (const auto counts = less->second.find(slot); counts != less->second.end()) {
              for (const auto& [v, count] : counts->second) working[v] -= count;
            }
          }
        }
        int listing = 0;
        for (const auto& [v, count] : working) listing += count;
        const int same = working.contains(value.first) ? working.at(value.first) : 0;
        if (listing == 0 || same * 4 >= listing) continue;
        const auto [otherValue, otherCount] = MostCommon(working, text, value.first);
        const int attribute = slot % kAttributeCount;
        group.apart.push_back({text.Text(fileNames[static_cast<std::size_t>(slot / kAttributeCount)]), kAttributes[attribute],
                               shown(attribute, value.first), listing, same,
                               otherValue == kNoText ? std::wstring() : shown(attribute, otherValue), otherCount});
      }
      // The cleanest separation first; of equals, a version before a place before a size (which
      // mostly follows the version).
      const auto rank = [](const std::wstring& attribute) { return attribute == L"version" ? 0 : attribute == L"location" ? 1 : 2; };
      std::ranges::sort(group.apart, [&](const SetApart& a, const SetApart& b) {
        if (a.workingSame * b.working != b.workingSame * a.working) return a.workingSame * b.working < b.workingSame * a.working;
        const int first = rank(a.attribute), second = rank(b.attribute);
        return std::tie(first, a.file) < std::tie(second, b.file);
      });
      if (group.apart.size() > kMostSetApart) group.apart.resize(kMostSetApart);
    }
  }

  // Each file's spread: the values across the fleet, and the machines unlike most machines on
  // their Windows (a file that follows the build is no machine's oddity).
  std::vector<std::size_t> spreadAt(fleetCounts.size(), SIZE_MAX);
  for (std::size_t slot = 0; slot < fleetCounts.size(); ++slot) {
    if (fleetCounts[slot].size() < 2) continue;
    ComponentSpread spread{text.Text(fileNames[slot / kAttributeCount]), kAttributes[slot % kAttributeCount], {}, {}};
    for (const auto& [value, count] : fleetCounts[slot]) spread.values.emplace_back(shown(static_cast<int>(slot % kAttributeCount), value), count);
    std::ranges::sort(spread.values, [](const auto& a, const auto& b) { return a.second != b.second ? a.second > b.second : a.first < b.first; });
    spreadAt[slot] = fleet.spread.size();
    fleet.spread.push_back(std::move(spread));
  }
  std::vector<std::unordered_map<int, TextId>> peerMajority(peerCounts.size());
  for (std::size_t peer = 0; peer < peerCounts.size(); ++peer) {
    for (const auto& [slot, counts] : peerCounts[peer]) {
      if (spreadAt[static_cast<std::size_t>(slot)] != SIZE_MAX && counts.size() > 1) peerMajority[peer][slot] = Majority(counts, text).first;
    }
  }
  for (std::size_t m = 0; m < fleet.machines.size(); ++m) {
    FleetMachine& machine = fleet.machines[m];
    const auto& majority = peerMajority[peerOf[m]];
    std::vector<std::pair<int, std::wstring>> unusual;  // machines on its Windows with the value, and what
    for (std::size_t c = 0; c < components(m).size(); ++c) {
      for (int a = 0; a < kAttributeCount; ++a) {
        const TextId value = Value(components(m)[c], a);
        const int slot = fileOf[m][c] * kAttributeCount + a;
        const auto most = majority.find(slot);
        if (value == kNoText || most == majority.end() || most->second == value) continue;
        fleet.spread[spreadAt[static_cast<std::size_t>(slot)]].differing.emplace_back(m, shown(a, value));
        unusual.emplace_back(peerCounts[peerOf[m]][slot][value], text.Text(fileNames[static_cast<std::size_t>(fileOf[m][c])]) + L" " +
                                                                     kAttributes[a] + L" " + shown(a, value));
      }
    }
    std::ranges::sort(unusual);
    machine.differs = !unusual.empty();
    if (machine.differs) machine.rarest = unusual.front().first;
    for (auto& [count, what] : unusual) machine.unusual.push_back(std::move(what));
  }
  std::ranges::sort(fleet.spread, [](const ComponentSpread& a, const ComponentSpread& b) {
    return std::tie(a.file, a.attribute) < std::tie(b.file, b.attribute);
  });
  return fleet;
}

}  // namespace kit::fleet
