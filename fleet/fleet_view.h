// Portable. The reports of many machines merged into one view: each machine by its latest report
// (and what changed since its previous one), the verdicts counted per program, the broken rows
// grouped by cause with the component files that set a group apart from the working machines,
// and the spread of each component file across the fleet. Linear in the number of reports: every
// grouping goes through hash maps over the ids of the fleet's text pool.
#pragma once

#include "fleet/machine_report.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kit::fleet {

struct VerdictChange {
  std::wstring program, before, now;
};

struct FleetMachine {
  std::wstring name;  // the computer's name; two machines of one name carry their Windows after it
  std::size_t report = 0;  // into Fleet::reports: the latest
  std::wstring previousSurveyed;  // "" when surveyed once
  std::vector<VerdictChange> changes;
  bool broken = false;   // a program broken, hung or unable to start
  // Component files unlike most machines' on its Windows (the same build and architecture: the
  // system's own files follow the build), "MSCOMCT2.OCX version 6.0.88.4", the rarest first.
  bool differs = false;
  std::vector<std::wstring> unusual;
  int rarest = 0;  // machines on its Windows that share its rarest unusual value, itself included
};

struct ProgramCount {
  std::wstring program;
  std::vector<std::pair<std::wstring, int>> verdicts;  // verdict word and machines, the failing ones first
  int failing = 0;  // broken, hung or unable to start
};

// A component file whose location, version or size is one and the same on every machine of a
// group, and another on most working machines of the same Windows (build and architecture).
struct SetApart {
  std::wstring file, attribute, groupValue;
  int working = 0;        // working machines on the group's Windows that list the file
  int workingSame = 0;    // of those, with the group's value
  std::wstring workingValue;  // the working machines' most common other value
  int workingValueCount = 0;
};

struct CauseGroup {
  std::wstring program, cause;
  std::vector<std::size_t> machines;  // into Fleet::machines
  std::vector<SetApart> apart;
};

struct ComponentSpread {
  std::wstring file, attribute;
  std::vector<std::pair<std::wstring, int>> values;  // across the fleet, the majority first
  std::vector<std::pair<std::size_t, std::wstring>> differing;  // machines unlike most on their Windows
};

struct Unreadable {
  std::wstring where, reason;
};

struct Fleet {
  TextPool texts;  // every report's texts
  std::vector<MachineReport> reports;
  std::vector<FleetMachine> machines;  // by name
  std::vector<Unreadable> unreadable;
  std::size_t before = 0;  // readable reports surveyed before --since
  std::vector<ProgramCount> programs;
  std::vector<CauseGroup> groups;  // per program in the summary's order, largest group first
  std::vector<ComponentSpread> spread;
};

// A cause or message with every path in it reduced to "…\" and the file's name, so that machines
// with the component in another folder group together.
std::wstring ReducePaths(std::wstring_view text);

// `since`: an ISO 8601 date or time; reports surveyed earlier are left out ("" keeps all, and a
// report whose time is unknown is kept).
Fleet MergeFleet(std::vector<MachineReport> reports, TextPool texts, std::wstring_view since);

}  // namespace kit::fleet
