// The utilities without their windows: the calculator's keys and displays, the clock's
// field editing and setting through a fake clock, the calendar's month steps.
#include "calculator.h"
#include "calendar.h"
#include "clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace zef;

namespace {

// Types keys as on the keyboard; returns the display, and the refusals in `messages`.
std::string type(Calculator& c, const std::string& keys, std::vector<std::string>* messages = nullptr) {
    for (char ch : keys) {
        const auto key = calculatorKeyFor(ch);
        if (!key) continue;
        if (auto refused = c.press(*key); refused && messages) messages->push_back(*refused);
    }
    return c.display();
}

} // namespace

TEST(Calculator, ImmediateExecutionWithOnePendingOperator) {
    struct Case {
        const char* keys;
        const char* display;
    } cases[] = {
        {"2+3=", "5"},      {"2+3==", "10"},   // "=" again applies the pending + again
        {"2+3*4=", "20"},   {"2+3=*", "10"},   // an operator first applies the one before
        {"9s", "3"},        {"4x", "0,25"},    {"4x7", "7"}, {"9S1", "1"}, // a digit then starts anew
        {"2.5", "2,5"},     {"2+3=,", "5,"},   {"2+3=,7", "7"},
        {"12-20=", "-8"},   {"=", ""},         {"c5", "5"},  {"2+3=c", ""},
        {"7x", "0,142857142857143"},           // shown as computed, before it is stored
    };
    for (const auto& [keys, display] : cases) {
        Calculator c;
        EXPECT_EQ(type(c, keys), display) << keys;
    }
    Calculator c;
    type(c, "2+3=");
    c.clear();
    EXPECT_EQ(type(c, "4="), "4") << "after C the first number is taken as it is";
    EXPECT_EQ(type(c, "6="), "4") << "and with no operator pending, = keeps the accumulator";
}

TEST(Calculator, ResultsShowEverySignificantDigitAndNoNoise) {
    struct Case {
        const char* keys;
        const char* display;
    } cases[] = {
        {"2+0,1=", "2,1"},          {"3,05*1=", "3,05"},   {"1/3=", "0,333333333333"},
        {"10/4=", "2,5"},           {"2/3=", "0,666666666667"}, {"0,1*3=", "0,3"},
        {"1-1,1=", "-0,1"},         {"100000*100000=", "10000000000"},
        {"1/1024=", "0,0009765625"}, {"123456,789+0=", "123456,789"},
        {"1/300000=", "3,33333333333E-6"},
    };
    for (const auto& [keys, display] : cases) {
        Calculator c;
        EXPECT_EQ(type(c, keys), display) << keys;
    }
}

TEST(Calculator, RefusedKeysKeepTheCalculation) {
    std::vector<std::string> messages;
    Calculator c;
    // The operand does not read: the display and the pending + stay.
    EXPECT_EQ(type(c, "1+2,,5=", &messages), "2,,5");
    // Division by zero, then a new operator that does not become pending: 6 / 3 follows.
    Calculator d;
    EXPECT_EQ(type(d, "6/0=", &messages), "0");
    EXPECT_EQ(type(d, "+", &messages), "0");
    EXPECT_EQ(type(d, "3=", &messages), "2");
    Calculator e;
    type(e, "x", &messages);              // nothing to invert
    EXPECT_EQ(type(e, "0-4=s", &messages), "-4"); // no square root of -4
    EXPECT_EQ(type(e, "c0s", &messages), "0");    // but one of 0
    type(e, "c100000000000000000000*100000000000000000000=", &messages);
    type(e, "c0," + std::string(38, '0') + "3x", &messages); // 1 / 3E-39 is beyond the range
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "'2,,5' n'est pas une valeur flottante correcte",
                            "Division flottante par zéro",
                            "Division flottante par zéro",
                            "'' n'est pas une valeur flottante correcte",
                            "Opération flottante incorrecte",
                            "Débordement flottant",
                            "Débordement flottant",
                        }));
    // The first number of a calculation that does not read is cleared without a word.
    Calculator f;
    messages.clear();
    EXPECT_EQ(type(f, "2,,5=", &messages), "");
    EXPECT_TRUE(messages.empty());
}

TEST(Calculator, ResultsAreRoundedToTheSixByteReal) {
    // 0,1 is held as 0,100000000000023 and 2 + 0,1 as 2,09999999999854.
    EXPECT_NEAR(static_cast<double>(*roundToCalculatorReal(0.1L)), 0.100000000000023, 1e-15);
    EXPECT_NEAR(static_cast<double>(*roundToCalculatorReal(2 + *roundToCalculatorReal(0.1L))), 2.09999999999854, 1e-14);
    EXPECT_EQ(*roundToCalculatorReal(1e-40L), 0) << "too small becomes 0";
    EXPECT_FALSE(roundToCalculatorReal(1e39L)) << "too large does not fit";
}

namespace {

struct FakeClock : ClockSetter {
    std::optional<std::string> setUniversalTime(const DateTime& utc) override {
        set.push_back(utc);
        return refusal;
    }
    std::vector<DateTime> set;
    std::optional<std::string> refusal;
};

std::string text(const DateTime& d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    return buf;
}

// A zone with daylight saving, given by rule so that the test needs no time-zone files.
struct ParisTime : ::testing::Test {
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) saved = tz;
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    }
    void TearDown() override {
        if (saved) setenv("TZ", saved->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved;
    FakeClock clock;
    ClockModel model{clock};
};

} // namespace

TEST_F(ParisTime, SpinChangesOneFieldWithinItsBounds) {
    struct Case {
        ClockField field;
        int step;
        const char* time;
        const char* date;
        const char* expected; // time or date, after the spin
    } cases[] = {
        {ClockField::Minute, +1, "10:59:00", "01/01/2026", "10:59:00"},
        {ClockField::Hour, -1, "00:30:00", "01/01/2026", "00:30:00"},
        {ClockField::Hour, +1, "23:30:00", "01/01/2026", "24:30:00"},
        {ClockField::Year, -1, "10:00:00", "01/01/1900", "01/01/1900"},
        {ClockField::Year, +1, "10:00:00", "01/01/2099", "01/01/2099"},
        {ClockField::Day, +1, "10:00:00", "09/01/2026", "10/01/2026"},
        {ClockField::Day, +1, "10:00:00", "31/04/2026", "31/04/2026"},
        {ClockField::Month, -1, "10:00:00", "01/10/2026", "01/09/2026"},
        {ClockField::Year, +1, "10:00:00", "25/12/98", "25/12/1999"},
        {ClockField::None, +1, "10:00:00", "25/12/2026", "25/12/2026"},
    };
    for (const auto& c : cases) {
        model.time = c.time;
        model.date = c.date;
        EXPECT_FALSE(model.spin(c.field, c.step));
        const bool inTime = c.field == ClockField::Hour || c.field == ClockField::Minute;
        EXPECT_EQ(inTime ? model.time : model.date, c.expected) << c.time << " " << c.date;
    }
    model.time = "1:05:00 PM";
    EXPECT_EQ(model.spin(ClockField::Hour, +1), "'1:' n'est pas une valeur entière correcte");
    EXPECT_EQ(model.time, "1:05:00 PM");
}

TEST_F(ParisTime, SetAppliesTheDisplayedLocalTimeAsUniversalTime) {
    model.activate({2026, 1, 15, 12, 0, 0});
    EXPECT_EQ(model.time, "12:00:00");
    EXPECT_EQ(model.date, "15/01/2026");
    EXPECT_FALSE(model.pressSet());
    EXPECT_FALSE(model.following()) << "the first press freezes the texts";
    EXPECT_FALSE(model.spin(ClockField::Minute, +1));
    EXPECT_FALSE(model.pressSet());
    EXPECT_TRUE(model.following());
    model.date = "15/07/2026"; // summer time
    model.pressSet();
    model.pressSet();
    model.time = "00:30:00";
    model.date = "01/01/2026"; // the day before in universal time
    model.pressSet();
    model.pressSet();
    model.pressSet();
    model.activate({2026, 3, 1, 0, 0, 0}); // closing while editing applies nothing
    std::vector<std::string> set;
    for (const auto& d : clock.set) set.push_back(text(d));
    EXPECT_EQ(set, (std::vector<std::string>{"2026-01-15 11:01:00", "2026-07-15 10:01:00", "2025-12-31 23:30:00"}));
}

TEST_F(ParisTime, ARefusedChangeSaysWhy) {
    const std::string prefix = "L'heure n'a pas pu être changée : ";
    clock.refusal = "vous n'avez pas le droit de changer l'heure de l'ordinateur";
    model.activate({2026, 1, 15, 12, 0, 0});
    model.pressSet();
    EXPECT_EQ(model.pressSet(), prefix + *clock.refusal);
    EXPECT_TRUE(model.following());
    for (const auto& [time, date, part] : {std::tuple{"12:00:00", "31/04/2026", "31/04/2026"},
                                           std::tuple{"12:00:00", "00/05/2026", "00/05/2026"},
                                           std::tuple{"12:00:00", "29/02/2026", "29/02/2026"},
                                           std::tuple{"24:00:00", "15/01/2026", "24:00:00"}}) {
        model.time = time;
        model.date = date;
        model.pressSet();
        const auto refused = model.pressSet();
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->rfind(prefix, 0), 0u) << *refused;
        EXPECT_NE(refused->find(part), std::string::npos) << *refused;
    }
    EXPECT_EQ(clock.set.size(), 1u) << "an impossible date never reaches the clock";
}

TEST_F(ParisTime, TheLastDayOfAMonthIsADate) {
    model.activate({2026, 1, 15, 12, 0, 0});
    std::vector<std::string> set;
    for (const char* date :
         {"31/01/2026", "28/02/2026", "29/02/2024", "30/04/2026", "31/12/2026"}) {
        model.date = date;
        model.pressSet();
        EXPECT_EQ(model.pressSet(), std::nullopt) << date;
    }
    for (const auto& d : clock.set) set.push_back(text(d));
    EXPECT_EQ(set, (std::vector<std::string>{"2026-01-31 11:00:00", "2026-02-28 11:00:00",
                                             "2024-02-29 11:00:00", "2026-04-30 10:00:00",
                                             "2026-12-31 11:00:00"}));
}

TEST(Calendar, MonthStepsKeepTheDayOrTakeTheLastOne) {
    CalendarDate d{2025, 1, 31};
    d = addMonths(d, 1);
    EXPECT_EQ(d, (CalendarDate{2025, 2, 28}));
    EXPECT_EQ(addMonths(d, 1), (CalendarDate{2025, 3, 28}));
    EXPECT_EQ(addMonths({2024, 1, 31}, 1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(addMonths({2024, 3, 31}, -1), (CalendarDate{2024, 2, 29}));
    EXPECT_EQ(addMonths({2025, 12, 15}, 1), (CalendarDate{2026, 1, 15}));
    EXPECT_EQ(addMonths({2026, 1, 15}, -1), (CalendarDate{2025, 12, 15}));
    EXPECT_EQ(calendarCaption({1998, 10, 5}, RegionalSettings::french()), "octobre  1998");
    EXPECT_EQ(calendarCaption({2026, 12, 1}, RegionalSettings::forLocale("en_US")), "December  2026");
}
