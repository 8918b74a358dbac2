// How values become colours in the picture: a symmetric logarithmic scale around the
// background value and a perceptually uniform diverging colour map, with NaN and the two
// infinities in colours of their own that the map never takes.
//
// The map (constants in inspector/constants.h) runs in CIELAB along two straight lines that meet
// at a near-white centre: to dark blue for values below the background and to dark
// orange-red above it, so equal steps of the scale are equal perceived steps and the two sides
// stay apart for the common red-green colour-vision deficiencies. NaN is black, +inf a bright
// yellow and -inf a bright cyan: saturated light colours where the map is nearly grey.
//
// The scale: x = value - background, X the largest |x| among the finite values shown,
// c = X / 10^SCALE_DECADES, and the position t = sign(x) log10(1 + |x| / c) / log10(1 + X / c)
// in [-1, 1] picks the colour. Values can span hundreds of decades; this way the top six
// decades below the largest deviation share the ramp evenly, and a field that is everywhere
// the background shows the centre colour.
//
// buildRamp() fills rampTbl (inspector/state.h); it is called once by setupShowState().
#pragma once

struct Rgb {
    unsigned char r, g, b;
};

constexpr Rgb NAN_COLOUR = {0, 0, 0};
constexpr Rgb POS_INF_COLOUR = {255, 222, 40};
constexpr Rgb NEG_INF_COLOUR = {40, 226, 240};

struct ValueScale {
    double background;  // the value shown in the centre colour
    double largest;     // X: the largest |value - background| among the finite values shown
    double linear;      // c = X / 10^SCALE_DECADES (at least the smallest positive double)
    double norm;        // log10(1 + X / c), so that t reaches 1 at X
};

ValueScale makeScale(double background, double largest);

// The position of a finite value on the scale, in [-1, 1] (0 at the background).
double scalePosition(const ValueScale &scale, double value);

// The value at position t in [-1, 1]: the inverse of scalePosition, for legend labels.
double scaleValue(const ValueScale &scale, double t);

// The colour of position t in [-1, 1] on the map.
Rgb rampColour(double t);

// The colour of a value: its position's colour, or the colour of NaN, +inf or -inf.
Rgb valueColour(const ValueScale &scale, double value);

void buildRamp();
