// Drawing the field of a pair over time and writing it as a PNG.
#include "inspector/picture.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/pair_line.h"
#include "inspector/colours.h"
#include "inspector/font.h"
#include "inspector/image.h"
#include "inspector/state.h"

namespace {

constexpr Rgb WHITE = {255, 255, 255};
constexpr Rgb INK = {40, 40, 40};       // text, marks and outlines
constexpr Rgb FRAME = {150, 150, 150};  // the line around each panel
constexpr int TRIANGLE_ROWS = 4;        // centre marks: rows 7, 5, 3 and 1 pixels wide
constexpr int TICK_PX = 3;              // decade ticks under a ramp
constexpr int SWATCH_LABEL_GAP_PX = 2;
constexpr int SWATCH_STRIDE_PX =
    SWATCH_PX + SWATCH_LABEL_GAP_PX + SWATCH_LABEL_CHARS * CHAR_ADVANCE + SWATCH_GAP_PX;
constexpr int LEGEND_WIDTH_PX =
    LEGEND_NAME_PX + RAMP_PX + SWATCH_GAP_PX + SWATCH_COUNT * SWATCH_STRIDE_PX;
constexpr std::size_t TEXT_SIZE = 2 * FORMULA_BUF_SIZE + 16;  // "M = ..., V = ..." and more

void fillRect(int x, int y, int width, int height, Rgb colour) {
    for (int row = y < 0 ? 0 : y; row < y + height && row < canvasHeight; ++row) {
        for (int col = x < 0 ? 0 : x; col < x + width && col < canvasWidth; ++col) {
            unsigned char *p = canvasTbl + (static_cast<std::size_t>(row) * canvasWidth + col) * 3;
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

int textWidth(const char *text) { return static_cast<int>(std::strlen(text)) * CHAR_ADVANCE; }

void drawText(int x, int y, const char *text, Rgb colour) {
    for (; *text; ++text, x += CHAR_ADVANCE) {
        const unsigned char *rows = glyphRows(*text);
        for (int row = 0; row < GLYPH_HEIGHT; ++row)
            for (int col = 0; col < GLYPH_WIDTH; ++col)
                if (rows[row] & (1 << (GLYPH_WIDTH - 1 - col)))
                    fillRect(x + col, y + row, 1, 1, colour);
    }
}

// A triangle of TRIANGLE_ROWS rows centred on column x, its wide row at y (pointing down
// when `down`).
void drawMark(int x, int y, int down) {
    for (int row = 0; row < TRIANGLE_ROWS; ++row) {
        int half = TRIANGLE_ROWS - 1 - row;
        fillRect(x - half, down ? y + row : y - row, 2 * half + 1, 1, INK);
    }
}

// The side of a block for `count` cells or steps: the panel fills about PANEL_TARGET_PX.
int blockPx(int count) {
    int px = PANEL_TARGET_PX / count;
    return px < BLOCK_MIN_PX ? BLOCK_MIN_PX : px > BLOCK_MAX_PX ? BLOCK_MAX_PX : px;
}

// Component 0 is m, 1 is v.
double component(const Cell &c, int which) { return which == 0 ? c.m : c.v; }

ValueScale panelScale(const Inspection &in, int which) {
    double background = which == 0 ? BACKGROUND_VALUE : 0.0;
    double largest = 0.0;
    for (int row = 0; row < in.steps; ++row) {
        for (int cell = in.firstCell; cell <= in.lastCell; ++cell) {
            double x = std::fabs(component(recordTbl[row][cell], which) - background);
            if (std::isfinite(x) && x > largest) largest = x;
        }
    }
    return makeScale(background, largest);
}

void drawPanel(int x, int y, const Inspection &in, int which, const ValueScale &scale, int cellPx,
               int stepPx) {
    int width = (in.lastCell - in.firstCell + 1) * cellPx;
    int height = in.steps * stepPx;
    fillRect(x - 1, y - 1, width + 2, height + 2, FRAME);
    for (int row = 0; row < in.steps; ++row) {
        for (int cell = in.firstCell; cell <= in.lastCell; ++cell) {
            Rgb colour = valueColour(scale, component(recordTbl[row][cell], which));
            fillRect(x + (cell - in.firstCell) * cellPx, y + row * stepPx, cellPx, stepPx, colour);
        }
    }
    int centre = x + (SPIKE_CELL - in.firstCell) * cellPx + cellPx / 2;
    drawMark(centre, y - 2 - TRIANGLE_ROWS, 1);
    drawMark(centre, y + height + 1 + TRIANGLE_ROWS, 0);
    drawText(x, y - MARKER_PX - TITLE_PX, which == 0 ? "m" : "v", INK);
}

void drawStepLabels(int y, int steps, int stepPx) {
    char label[LABEL_SIZE];
    for (int step = 1; step <= steps; ++step) {
        // The last step too, when it stands clear of the label before it.
        int last = step == steps && (step % STEP_LABEL_EVERY) * stepPx > 2 * GLYPH_HEIGHT;
        if (step % STEP_LABEL_EVERY != 0 && !last) continue;
        std::snprintf(label, sizeof label, "%d", step);
        int labelY = y + (step - 1) * stepPx + stepPx / 2 - GLYPH_HEIGHT / 2;
        drawText(BORDER_PX + AXIS_PX - 4 - textWidth(label), labelY, label, INK);
    }
}

void drawLegend(int y, int which, const ValueScale &scale) {
    drawText(BORDER_PX, y + 1, which == 0 ? "m" : "v", INK);
    int rampX = BORDER_PX + LEGEND_NAME_PX;
    for (int col = 0; col < RAMP_PX; ++col)
        fillRect(rampX + col, y, 1, RAMP_HEIGHT_PX, rampColour(2.0 * col / (RAMP_PX - 1) - 1.0));
    for (int decade = -static_cast<int>(SCALE_DECADES); decade <= SCALE_DECADES; ++decade) {
        int tickX = rampX + static_cast<int>(
                                std::lround((decade / SCALE_DECADES + 1.0) * (RAMP_PX - 1) / 2));
        fillRect(tickX, y + RAMP_HEIGHT_PX, 1, decade == 0 ? 2 * TICK_PX : TICK_PX, INK);
    }
    char low[LABEL_SIZE], centre[LABEL_SIZE], high[LABEL_SIZE];
    std::snprintf(low, sizeof low, "%.3g", scaleValue(scale, -1.0));
    std::snprintf(centre, sizeof centre, "%.3g", scale.background);
    std::snprintf(high, sizeof high, "%.3g", scaleValue(scale, 1.0));
    int labelY = y + RAMP_HEIGHT_PX + 2 * TICK_PX + 1;
    drawText(rampX, labelY, low, INK);
    drawText(rampX + RAMP_PX / 2 - textWidth(centre) / 2, labelY, centre, INK);
    drawText(rampX + RAMP_PX - textWidth(high), labelY, high, INK);

    const Rgb colours[SWATCH_COUNT] = {NAN_COLOUR, POS_INF_COLOUR, NEG_INF_COLOUR};
    const char *names[SWATCH_COUNT] = {"NaN", "+inf", "-inf"};
    int x = rampX + RAMP_PX + SWATCH_GAP_PX;
    for (int i = 0; i < SWATCH_COUNT; ++i, x += SWATCH_STRIDE_PX) {
        fillRect(x, y, SWATCH_PX, SWATCH_PX, INK);
        fillRect(x + 1, y + 1, SWATCH_PX - 2, SWATCH_PX - 2, colours[i]);
        drawText(x + SWATCH_PX + SWATCH_LABEL_GAP_PX, y + 2, names[i], INK);
    }
}

}  // namespace

int drawPicture(const char *path, int userNamed, const char *textM, const char *textV,
                const Inspection &inspection, int allCells) {
    if (inspection.steps == 0) return 1;
    int zoneCells = inspection.lastCell - inspection.firstCell + 1;
    int cellPx = allCells ? ALL_CELLS_CELL_PX : blockPx(zoneCells);
    int stepPx = blockPx(inspection.steps);
    int panelWidth = zoneCells * cellPx;
    int panelsWidth = 2 * BORDER_PX + AXIS_PX + 2 * panelWidth + PANEL_GAP_PX;
    int legendWidth = 2 * BORDER_PX + LEGEND_WIDTH_PX;
    canvasWidth = panelsWidth > legendWidth ? panelsWidth : legendWidth;
    int legendY = PICTURE_TOP_PX + inspection.steps * stepPx + MARKER_PX + LEGEND_GAP_PX;
    canvasHeight = legendY + 2 * LEGEND_ROW_PX + BORDER_PX;
    fillRect(0, 0, canvasWidth, canvasHeight, WHITE);

    char header[LABEL_SIZE];
    std::snprintf(header, sizeof header, "score %d  steps %d", inspection.score, inspection.steps);
    drawText(BORDER_PX, BORDER_PX, header, INK);
    ValueScale scales[2] = {panelScale(inspection, 0), panelScale(inspection, 1)};
    int panelX = BORDER_PX + AXIS_PX;
    for (int which = 0; which < 2; ++which) {
        drawPanel(panelX + which * (panelWidth + PANEL_GAP_PX), PICTURE_TOP_PX, inspection, which,
                  scales[which], cellPx, stepPx);
        drawLegend(legendY + which * LEGEND_ROW_PX, which, scales[which]);
    }
    drawStepLabels(PICTURE_TOP_PX, inspection.steps, stepPx);

    char title[TEXT_SIZE], scoreText[LABEL_SIZE], stepsText[LABEL_SIZE], comment[TEXT_SIZE];
    std::snprintf(title, sizeof title, "%s", pairText(textM, textV).c_str());
    std::snprintf(scoreText, sizeof scoreText, "%d", inspection.score);
    std::snprintf(stepsText, sizeof stepsText, "%d", inspection.steps);
    char background[LABEL_SIZE], largestM[LABEL_SIZE], largestV[LABEL_SIZE];
    std::snprintf(comment, sizeof comment,
                  "cells %d to %d; m centred on %s, largest deviation %s; v centred on 0, "
                  "largest deviation %s; symmetric log scale over the top %g decades; NaN "
                  "black, +inf yellow, -inf cyan",
                  inspection.firstCell, inspection.lastCell,
                  formatValue(scales[0].background, background, sizeof background),
                  formatValue(scales[0].largest, largestM, sizeof largestM),
                  formatValue(scales[1].largest, largestV, sizeof largestV), SCALE_DECADES);
    const PngText texts[] = {{"Title", title},     {"Score", scoreText},
                             {"Steps", stepsText}, {"Reason", inspection.words},
                             {"Comment", comment}, {"Software", "quarnShow"}};
    return writePng(path, userNamed, canvasTbl, canvasWidth, canvasHeight, texts,
                    static_cast<int>(sizeof texts / sizeof texts[0]));
}
