#pragma once

#include <algorithm>
#include <cmath>

namespace tapelink {

// Playing speeds offered to the listener: 0.5x to 2x in quarter steps. The speed is kept as a count of
// quarters, so stepping and comparing are exact.
inline constexpr int kSlowestSpeedQuarters = 2;
inline constexpr int kFastestSpeedQuarters = 8;
inline constexpr int kNormalSpeedQuarters = 4;

inline double speedFromQuarters(int quarters) {
    return quarters / 4.0;
}

// The quarter count of a speed, or 0 when the speed is not one of those offered.
inline int speedQuarters(double speed) {
    const double quarters = speed * 4.0;
    if (!std::isfinite(quarters) || std::abs(quarters - std::round(quarters)) > 1e-9) return 0;
    const int whole = static_cast<int>(std::round(quarters));
    return whole >= kSlowestSpeedQuarters && whole <= kFastestSpeedQuarters ? whole : 0;
}

inline int stepSpeedQuarters(int quarters, int steps) {
    return std::clamp(quarters + steps, kSlowestSpeedQuarters, kFastestSpeedQuarters);
}

}  // namespace tapelink
