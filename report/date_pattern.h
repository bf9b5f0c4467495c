// Portable. The short date pattern a verifier's log was written in, as far as its dates show it.
// The verifier writes dates in the machine's own short format (M/d/yyyy, dd/MM/yyyy, yyyy-MM-dd,
// dd.MM.yy, ...), so the same date reads differently on two machines, and "1/2/2020" can be the
// first of February or the second of January: two logs' dates are compared only when one pattern
// fits the dates of both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit::report {

struct DatePattern {
  std::wstring separators;  // the dates' text with each run of digits as '#', e.g. "#/#/#"
  std::uint32_t forms = 0;  // the forms (order of day, month and year; leading zeros; year digits) every date fits
};

// The pattern of a log's dates ("na" and empty ones left out). Dates of more than one shape, or of
// no numeric form, fit no form.
DatePattern DetectDatePattern(const std::vector<std::wstring>& dates);

bool SameDatePattern(const DatePattern& earlier, const DatePattern& now);

}  // namespace kit::report
