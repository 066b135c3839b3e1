// The calendar's date arithmetic and caption, shared with the clock's date checks.
#pragma once

#include "regional.h"

#include <string>

namespace zef {

struct CalendarDate {
    int year = 2000, month = 1, day = 1;
    bool operator==(const CalendarDate&) const = default;
};

int daysInMonth(int year, int month);

// The same day number in a month `months` away, or that month's last day when the day
// does not exist there: 31 January and one month give 28 or 29 February.
CalendarDate addMonths(const CalendarDate& date, int months);

// "mmmmm  yyyy": the full month name of the regional language, two spaces, the year
// (8-bit text, as the regional settings hold the names).
std::string calendarCaption(const CalendarDate& date, const RegionalSettings& regional);

} // namespace zef
