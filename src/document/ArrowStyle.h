#pragma once

// The lengths of an arrow's outline, in points.
struct ArrowStyle {
    double shaft = 0; // the widest the shaft may be
    double headLength = 0; // tip to barbs when there is room
    double headWidth = 0; // between the barbs at full head length

    // The style every user draws with, for an arrow's scaled base length s.
    static constexpr ArrowStyle forScale(double s) { return {6 * s, 26 * s, 24 * s}; }

    friend bool operator==(const ArrowStyle &, const ArrowStyle &) = default;
};
