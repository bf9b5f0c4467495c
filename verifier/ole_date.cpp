// Calendar arithmetic on the proleptic Gregorian calendar (days from civil and back, after
// Howard Hinnant's algorithms). Dates before 1899-12-30 carry a negative day count with a
// positive time fraction, as OLE dates do.
#include "verifier/ole_date.h"

#include <cmath>

namespace kit::verifier {
namespace {

constexpr std::int64_t kOleEpochDays = -25569;  // 1899-12-30 counted from 1970-01-01
constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

double OleDateFromCivil(const CivilTime& time) {
  const std::int64_t days = DaysFromCivil(time.year, time.month, time.day) - kOleEpochDays;
  const double fraction = (time.hour * 3600 + time.minute * 60 + time.second) / static_cast<double>(kSecondsPerDay);
  // Before the epoch the day part is negative and the time fraction still counts forward.
  return days >= 0 ? days + fraction : days - fraction;
}

CivilTime CivilFromOleDate(double date) {
  double dayPart = std::trunc(date);
  double fraction = std::fabs(date - dayPart);
  std::int64_t seconds = std::llround(fraction * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    dayPart += date >= 0 ? 1 : -1;
  }
  CivilTime time;
  CivilFromDays(static_cast<std::int64_t>(dayPart) + kOleEpochDays, time.year, time.month, time.day);
  time.hour = static_cast<int>(seconds / 3600);
  time.minute = static_cast<int>(seconds / 60 % 60);
  time.second = static_cast<int>(seconds % 60);
  return time;
}

}  // namespace kit::verifier
