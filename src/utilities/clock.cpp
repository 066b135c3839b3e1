#include "clock.h"

#include "calendar.h"
#include "numtext.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace zef {
namespace {

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// Where each choice of the selector lives in the texts and how far it may go.
struct FieldPlace {
    bool inTime;
    std::size_t start; // 0-based
    std::size_t length;
    int lowest, highest;
};

// The hour goes up to 24 and the day down to 0, as the spin button always allowed: the
// day is not checked against its month until the texts are applied, where such values
// are refused with their reason.
constexpr FieldPlace kFields[] = {
    {true, 0, 2, 0, 24}, {true, 3, 2, 0, 59}, {false, 0, 2, 0, 31}, {false, 3, 2, 0, 12}, {false, 6, 4, 1900, 2099},
};

std::optional<int> readField(const std::string& text, std::size_t start, std::size_t length) {
    const auto value = parseInteger(start < text.size() ? text.substr(start, length) : std::string());
    if (!value) return std::nullopt;
    return *value;
}

std::string notAnInteger(const std::string& text, std::size_t start, std::size_t length) {
    return "'" + (start < text.size() ? text.substr(start, length) : std::string()) +
           "' n'est pas une valeur entière correcte";
}

DateTime fromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

} // namespace

std::int64_t secondsSinceEpoch(const DateTime& utc) {
    using namespace std::chrono;
    const sys_days day{std::chrono::year{utc.year} / std::chrono::month{static_cast<unsigned>(utc.month)} /
                       std::chrono::day{static_cast<unsigned>(utc.day)}};
    return day.time_since_epoch().count() * 86400LL + utc.hour * 3600LL + utc.minute * 60LL + utc.second;
}

DateTime localToUniversal(const DateTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1; // the zone's rules say whether daylight saving applies that day
    tzset();
    const std::time_t t = std::mktime(&tm);
    std::tm utc{};
    gmtime_r(&t, &utc);
    return fromTm(utc);
}

std::optional<std::string> PosixClockSetter::setUniversalTime(const DateTime& utc) {
    const timespec ts{static_cast<std::time_t>(secondsSinceEpoch(utc)), 0};
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return std::nullopt;
    switch (errno) {
    case EPERM: return "vous n'avez pas le droit de changer l'heure de l'ordinateur";
    case EINVAL: return kDateRefused;
    default: return "le système a refusé le changement (erreur " + std::to_string(errno) + ")";
    }
}

void ClockModel::activate(const DateTime& now) {
    editing_ = false;
    show(now);
}

void ClockModel::show(const DateTime& now) {
    time = twoDigits(now.hour) + ":" + twoDigits(now.minute) + ":" + twoDigits(now.second);
    date = twoDigits(now.day) + "/" + twoDigits(now.month) + "/" + std::to_string(now.year);
}

std::optional<std::string> ClockModel::spin(ClockField field, int step) {
    if (field == ClockField::None) return std::nullopt;
    const FieldPlace& place = kFields[static_cast<int>(field)];
    std::string& text = place.inTime ? time : date;
    const auto read = readField(text, place.start, place.length);
    if (!read) return notAnInteger(text, place.start, place.length);
    int value = *read;
    // A date written with a two-digit year: 98 is 1998.
    if (field == ClockField::Year && value < 100) value += 1900;
    value = std::clamp(value + step, place.lowest, place.highest);
    const std::string written = field == ClockField::Year ? std::to_string(value) : twoDigits(value);
    // The year replaces everything from its start, so a two-digit year becomes four.
    text.replace(place.start, field == ClockField::Year ? std::string::npos : place.length, written);
    return std::nullopt;
}

std::optional<std::string> ClockModel::pressSet() {
    const bool wasEditing = editing_;
    editing_ = !editing_;
    if (!wasEditing) return std::nullopt;
    if (auto reason = apply()) return "L'heure n'a pas pu être changée : " + *reason;
    return std::nullopt;
}

std::optional<std::string> ClockModel::apply() {
    DateTime local;
    int* const parts[] = {&local.hour, &local.minute, &local.second, &local.day, &local.month, &local.year};
    const std::size_t starts[] = {0, 3, 6, 0, 3, 6};
    for (int i = 0; i < 6; ++i) {
        const std::string& text = i < 3 ? time : date;
        const std::size_t length = i == 5 ? 4 : 2;
        const auto value = readField(text, starts[i], length);
        if (!value) return notAnInteger(text, starts[i], length);
        *parts[i] = *value;
    }
    // The system would refuse these anyway; saying which part is wrong helps more.
    if (local.month < 1 || local.month > 12 || local.day < 1 || local.day > daysInMonth(local.year, local.month))
        return "la date " + date + " n'existe pas";
    if (local.hour > 23 || local.minute > 59 || local.second > 59) return "l'heure " + time + " n'existe pas";
    return clock_.setUniversalTime(localToUniversal(local));
}

} // namespace zef
