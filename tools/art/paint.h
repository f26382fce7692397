// Small colour helpers shared by the texture generators.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tdf/image.h"

namespace velmo::art {

struct Colour {
  double r, g, b;  // 0..255
};

inline Colour mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Colour scale(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }

inline uint32_t toPixel(Colour c) {
  auto channel = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); };
  return tools::packArgb(255, channel(c.r), channel(c.g), channel(c.b));
}

// Piecewise-linear colour ramp over stops sorted by position.
struct RampStop {
  double at;
  Colour colour;
};

template <size_t N>
Colour ramp(const RampStop (&stops)[N], double t) {
  if (t <= stops[0].at) return stops[0].colour;
  for (size_t i = 1; i < N; ++i)
    if (t <= stops[i].at)
      return mix(stops[i - 1].colour, stops[i].colour,
                 (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
  return stops[N - 1].colour;
}

constexpr double pi = 3.14159265358979323846;

}  // namespace velmo::art
