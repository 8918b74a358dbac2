// The value scale and the diverging colour map of the picture.
#include "inspector/colours.h"

#include <cmath>
#include <limits>

#include "inspector/state.h"

namespace {

// CIE D65 white point and the sRGB primaries, for CIELAB to sRGB.
constexpr double WHITE_X = 0.95047;
constexpr double WHITE_Z = 1.08883;
constexpr double LAB_EPSILON = 6.0 / 29.0;
constexpr double PI = 3.14159265358979323846;

double labInverse(double f) {
    return f > LAB_EPSILON ? f * f * f : 3.0 * LAB_EPSILON * LAB_EPSILON * (f - 4.0 / 29.0);
}

// Linear light in [0, 1] to an 8-bit sRGB channel, clipped to the gamut.
unsigned char encode(double linear) {
    if (linear <= 0.0) return 0;
    if (linear >= 1.0) return 255;
    double encoded =
        linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<unsigned char>(std::lround(encoded * 255.0));
}

Rgb labToRgb(double lightness, double a, double b) {
    double fy = (lightness + 16.0) / 116.0;
    double x = WHITE_X * labInverse(fy + a / 500.0);
    double y = labInverse(fy);
    double z = WHITE_Z * labInverse(fy - b / 200.0);
    return {encode(3.2404542 * x - 1.5371385 * y - 0.4985314 * z),
            encode(-0.9692660 * x + 1.8760108 * y + 0.0415560 * z),
            encode(0.0556434 * x - 0.2040259 * y + 1.0572252 * z)};
}

}  // namespace

void buildRamp() {
    for (int i = -RAMP_HALF_STEPS; i <= RAMP_HALF_STEPS; ++i) {
        double share = std::abs(i) / static_cast<double>(RAMP_HALF_STEPS);
        double hue = (i < 0 ? LOW_HUE_DEGREES : HIGH_HUE_DEGREES) * PI / 180.0;
        double lightness = CENTRE_LIGHTNESS + share * (END_LIGHTNESS - CENTRE_LIGHTNESS);
        double chroma = share * END_CHROMA;
        rampTbl[i + RAMP_HALF_STEPS] =
            labToRgb(lightness, chroma * std::cos(hue), chroma * std::sin(hue));
    }
}

ValueScale makeScale(double background, double largest) {
    ValueScale scale;
    scale.background = background;
    scale.largest = largest;
    scale.linear = largest / std::pow(10.0, SCALE_DECADES);
    if (!(scale.linear > 0.0)) scale.linear = std::numeric_limits<double>::denorm_min();
    scale.norm = std::log10(1.0 + largest / scale.linear);
    return scale;
}

double scalePosition(const ValueScale &scale, double value) {
    double x = value - scale.background;
    if (x == 0.0 || !(scale.norm > 0.0)) return 0.0;
    double t = std::log10(1.0 + std::fabs(x) / scale.linear) / scale.norm;
    if (t > 1.0) t = 1.0;  // beyond X only by rounding
    return x < 0.0 ? -t : t;
}

double scaleValue(const ValueScale &scale, double t) {
    double x = scale.linear * (std::pow(10.0, std::fabs(t) * scale.norm) - 1.0);
    return scale.background + (t < 0.0 ? -x : x);
}

Rgb rampColour(double t) { return rampTbl[std::lround(t * RAMP_HALF_STEPS) + RAMP_HALF_STEPS]; }

Rgb valueColour(const ValueScale &scale, double value) {
    if (std::isnan(value)) return NAN_COLOUR;
    if (std::isinf(value)) return value > 0 ? POS_INF_COLOUR : NEG_INF_COLOUR;
    return rampColour(scalePosition(scale, value));
}
