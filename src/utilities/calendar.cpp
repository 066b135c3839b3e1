#include "calendar.h"

#include <algorithm>
#include <chrono>

namespace zef {

int daysInMonth(int year, int month) {
    using namespace std::chrono;
    const year_month_day_last last{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} / std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

CalendarDate addMonths(const CalendarDate& date, int months) {
    // Months counted from year 0 make the step across years a plain division.
    const int index = date.year * 12 + (date.month - 1) + months;
    CalendarDate out;
    out.year = index / 12;
    out.month = index % 12 + 1;
    out.day = std::min(date.day, daysInMonth(out.year, out.month));
    return out;
}

std::string calendarCaption(const CalendarDate& date, const RegionalSettings& regional) {
    return regional.monthNames.at(static_cast<std::size_t>(date.month - 1)) + "  " + std::to_string(date.year);
}

} // namespace zef
