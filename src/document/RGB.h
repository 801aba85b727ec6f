#pragma once

// A colour as three sRGB (gamma-encoded) components in 0...1.
struct RGB {
    double r = 0;
    double g = 0;
    double b = 0;

    friend bool operator==(const RGB &, const RGB &) = default;

    static constexpr RGB white() { return {1, 1, 1}; }
    static constexpr RGB nearBlack() { return {0.07, 0.07, 0.09}; }
};
