// PNG files, written and read through libpng: the one module that knows the format.
//
// A picture is 8-bit RGB, rows top to bottom, without interlacing. Its texts are iTXt chunks
// (UTF-8, uncompressed), placed before the image data so that a reader gets them without
// decoding the pixels. The formulas' texts may hold characters outside Latin-1 (the minus
// sign U+2212 of some constants), which the older tEXt chunk cannot carry.
//
// - writePng(path, userNamed, rgb, width, height, texts, textCount) writes the picture whole
//   or not at all (output.h; userNamed: the user gave the name). Result 0; 1 after printing
//   "quarnShow: cannot write <path>: <reason>" on the error stream, and then no temporary file
//   is left behind.
// - readPng(path, withPixels, view) reads a PNG of any colour type and bit depth: its size and
//   every text chunk, and with withPixels its pixels as 8-bit RGB (alpha dropped, grey and
//   palettes expanded). Result 0; 1 when the file cannot be opened or is not a whole PNG
//   (nothing is printed: a picture that cannot be read is simply drawn again).
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PngText {
    const char *key;   // a PNG keyword: 1 to 79 Latin-1 characters
    const char *text;  // UTF-8
};

struct PngView {
    int width = 0;
    int height = 0;
    std::vector<std::pair<std::string, std::string>> texts;  // keyword and text, in file order
    std::vector<unsigned char> rgb;  // with pixels: width * height * 3 bytes, rows top to bottom
};

int writePng(const char *path, int userNamed, const unsigned char *rgb, int width, int height,
             const PngText *texts, int textCount);
int readPng(const char *path, int withPixels, PngView *view);
