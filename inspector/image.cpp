// Writing and reading PNG files with libpng.
#include "inspector/image.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "inspector/output.h"

namespace {

constexpr int MAX_TEXTS = 8;  // text chunks of one picture

constexpr std::size_t FAULT_SIZE = 128;  // libpng's message about a fault

// libpng reports a fault through this and then jumps back to the setjmp of the caller; the
// message goes to the caller's buffer, the error pointer of the libpng structure.
void onPngError(png_structp png, png_const_charp message) {
    std::snprintf(static_cast<char *>(png_get_error_ptr(png)), FAULT_SIZE, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Encodes the picture into an open file; 0, or 1 with libpng's message in `fault`.
int encodePng(FILE *file, const unsigned char *rgb, int width, int height, const PngText *texts,
              int textCount, char *fault) {
    png_text chunks[MAX_TEXTS] = {};
    int chunkCount = textCount < MAX_TEXTS ? textCount : MAX_TEXTS;
    for (int i = 0; i < chunkCount; ++i) {
        chunks[i].compression = PNG_ITXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char *>(texts[i].key);
        chunks[i].text = const_cast<char *>(texts[i].text);
        chunks[i].lang = const_cast<char *>("");
        chunks[i].lang_key = const_cast<char *>("");
    }
    std::snprintf(fault, FAULT_SIZE, "out of memory");
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, fault, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 1;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_text(png, info, chunks, chunkCount);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}

}  // namespace

int writePng(const char *path, int userNamed, const unsigned char *rgb, int width, int height,
             const PngText *texts, int textCount) {
    OutputFile out;
    if (openOutput(path, userNamed, &out) != 0) return 1;
    char fault[FAULT_SIZE];
    const int failed = encodePng(out.file, rgb, width, height, texts, textCount, fault);
    // A write the system refused says more in the system's words than in libpng's.
    if (failed && std::ferror(out.file))
        std::snprintf(fault, sizeof fault, "%s", std::strerror(errno));
    return closeOutput(&out, failed, failed ? fault : nullptr);
}

int readPng(const char *path, int withPixels, PngView *view) {
    FILE *file = std::fopen(path, "rb");
    if (!file) return 1;
    char fault[FAULT_SIZE];
    std::vector<png_bytep> rows;  // before setjmp: a jump back must not skip its destructor
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, fault, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return 1;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    view->width = static_cast<int>(png_get_image_width(png, info));
    view->height = static_cast<int>(png_get_image_height(png, info));
    view->texts.clear();
    png_textp chunks;
    int count = png_get_text(png, info, &chunks, nullptr);
    for (int i = 0; i < count; ++i) view->texts.emplace_back(chunks[i].key, chunks[i].text);
    if (withPixels) {
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_strip_alpha(png);
        png_set_gray_to_rgb(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        std::size_t rowBytes = static_cast<std::size_t>(view->width) * 3;
        view->rgb.assign(rowBytes * view->height, 0);
        rows.resize(view->height);
        for (int y = 0; y < view->height; ++y) rows[y] = view->rgb.data() + y * rowBytes;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return 0;
}
