// OLE automation dates: days since 30 December 1899 00:00, the time of day as fraction. The
// verifier keeps file dates in this form; 0 means no date.
#pragma once

#include <cstdint>

namespace kit::verifier {

struct CivilTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

double OleDateFromCivil(const CivilTime& time);
// The calendar date and time of an OLE date, to the second (rounded).
CivilTime CivilFromOleDate(double date);

}  // namespace kit::verifier
