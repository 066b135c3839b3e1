#include "real48.h"

#include <bit>
#include <cmath>

namespace zef {

std::optional<double> roundToReal48(double value) {
    auto r = Real48::fromDouble(value);
    if (!r) return std::nullopt;
    return r->toDouble();
}

} // namespace zef
