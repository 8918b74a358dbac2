// The 5 x 7 pixel font of the picture's labels: digits, the signs of numbers, and the few
// letters its words need ("score", "steps", "NaN", "inf", "m", "v").
//
// glyphRows(c) returns the GLYPH_HEIGHT rows of character c, top to bottom, each a 5-bit mask
// with the leftmost pixel in bit 4; a character without a glyph gets a hollow box. The rows
// are static and never change.
#pragma once

const unsigned char *glyphRows(char c);
