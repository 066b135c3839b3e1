// The computer's clock as the programs and the utilities read it: the local date and time,
// and a seed for RANDOMIZE. The interpreter takes a Clock from its platform (tests give a
// fixed one); the clock window shows the system's.
#pragma once

#include "regional.h"

#include <cstdint>

namespace zef {

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    virtual std::uint32_t randomSeed() = 0;
};

// The system clock.
class SystemClock : public Clock {
public:
    DateTime now() override;
    std::uint32_t randomSeed() override;
};

} // namespace zef
