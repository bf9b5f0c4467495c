// Portable. A date pattern is narrowed date by date: every form a date does not fit is struck out.
#include "report/date_pattern.h"

#include <array>
#include <string_view>
#include <utility>

namespace kit::report {
namespace {

enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };
constexpr std::array kOrders = {Order::DayMonthYear, Order::MonthDayYear, Order::YearMonthDay};

// One candidate short date format, e.g. d/M/yyyy: the order, whether day and month always have two
// digits (dd, MM) or none leading zero (d, M), and the year's digits (yyyy or yy).
struct DateForm {
  Order order;
  bool dayPadded;
  bool monthPadded;
  bool longYear;
};

constexpr std::size_t kFormCount = kOrders.size() * 2 * 2 * 2;
static_assert(kFormCount <= 32, "the forms are bits of one 32-bit mask");

// Bit (order * 8 + dayPadded * 4 + monthPadded * 2 + longYear) of a pattern's mask.
DateForm Form(std::size_t bit) {
  return {kOrders[bit / 8], (bit & 4) != 0, (bit & 2) != 0, (bit & 1) != 0};
}

// ASCII digits only: the C library's test takes other scripts' digits too on some platforms.
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool FitsDayOrMonth(std::wstring_view digits, bool padded, int highest) {
  if (digits.size() > 2 || (padded && digits.size() != 2) || (!padded && digits.starts_with(L'0'))) return false;
  int value = 0;
  for (const wchar_t digit : digits) value = value * 10 + (digit - L'0');
  return value >= 1 && value <= highest;
}

bool Fits(const DateForm& form, const std::vector<std::wstring_view>& groups) {
  const std::size_t year = form.order == Order::YearMonthDay ? 0 : 2;
  const std::size_t month = form.order == Order::MonthDayYear ? 0 : 1;
  const std::size_t day = 3 - year - month;
  return groups[year].size() == (form.longYear ? 4u : 2u) && FitsDayOrMonth(groups[month], form.monthPadded, 12) &&
         FitsDayOrMonth(groups[day], form.dayPadded, 31);
}

// A date's runs of digits, and its text with each run as '#'.
struct DateShape {
  std::wstring separators;
  std::vector<std::wstring_view> groups;
};

DateShape Shape(std::wstring_view date) {
  DateShape shape;
  for (std::size_t at = 0; at < date.size();) {
    if (!IsDigit(date[at])) {
      shape.separators += date[at++];
      continue;
    }
    const std::size_t start = at;
    while (at < date.size() && IsDigit(date[at])) ++at;
    shape.groups.push_back(date.substr(start, at - start));
    shape.separators += L'#';
  }
  return shape;
}

}  // namespace

DatePattern DetectDatePattern(const std::vector<std::wstring>& dates) {
  DatePattern pattern;
  bool first = true;
  for (const std::wstring& date : dates) {
    if (date.empty() || date == L"na") continue;
    const DateShape shape = Shape(date);
    if (std::exchange(first, false)) {
      pattern.separators = shape.separators;
      pattern.forms = (std::uint32_t{1} << kFormCount) - 1;
    }
    if (shape.groups.size() != 3 || shape.separators != pattern.separators) return {pattern.separators, 0};
    for (std::size_t bit = 0; bit < kFormCount; ++bit) {
      if (!Fits(Form(bit), shape.groups)) pattern.forms &= ~(std::uint32_t{1} << bit);
    }
  }
  return pattern;
}

bool SameDatePattern(const DatePattern& earlier, const DatePattern& now) {
  return earlier.separators == now.separators && (earlier.forms & now.forms) != 0;
}

}  // namespace kit::report
