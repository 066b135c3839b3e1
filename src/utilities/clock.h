// The clock's logic: the time and date texts that the window shows and edits field by
// field, and the setting of the computer's clock from them.
#pragma once

#include "regional.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zef {

// Sets the computer's clock. Implementations: the system's time service on D-Bus (in
// the window library), clock_settime below, and the tests' fake, so that no test ever
// changes the machine's time.
class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the clock to a universal date and time; the French reason when it is refused.
    virtual std::optional<std::string> setUniversalTime(const DateTime& utc) = 0;
};

// The reason given when the system refuses the date itself (before 1970, for instance).
inline constexpr const char* kDateRefused = "le système n'accepte pas cette date";

// clock_settime(CLOCK_REALTIME): for a system without a time service.
class PosixClockSetter : public ClockSetter {
public:
    std::optional<std::string> setUniversalTime(const DateTime& utc) override;
};

// Seconds since 1970-01-01 00:00:00 UTC.
std::int64_t secondsSinceEpoch(const DateTime& utc);

// A local date and time turned into universal time by the time-zone rules in force (the
// TZ variable or the system's zone), daylight saving included.
DateTime localToUniversal(const DateTime& local);

// The field selector's choices, in the window's order.
enum class ClockField { None = -1, Hour, Minute, Day, Month, Year };

class ClockModel {
public:
    explicit ClockModel(ClockSetter& clock) : clock_(clock) {}

    // Every opening: back to following the clock, unapplied edits forgotten.
    void activate(const DateTime& now);
    // A timer tick: the texts follow the clock.
    void show(const DateTime& now);
    // Up (+1) or down (-1) on the chosen field, within its bounds and without wrapping
    // around. A field that does not read as a number gives the French message.
    std::optional<std::string> spin(ClockField field, int step);
    // "Set": the first press freezes the texts for editing, the second writes them to
    // the clock. A refused change gives the whole French message to show.
    std::optional<std::string> pressSet();
    // The one-second timer runs exactly while the texts are not being edited.
    bool following() const { return !editing_; }

    // "hh:mm:ss" and "dd/mm/yyyy": the field positions below depend on this layout,
    // so the clock keeps it whatever the regional formats.
    std::string time;
    std::string date;

private:
    std::optional<std::string> apply();

    ClockSetter& clock_;
    bool editing_ = false;
};

} // namespace zef
