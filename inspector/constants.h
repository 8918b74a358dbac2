// Fixed sizes and values of the pair inspector quarnShow, each with its reason. It includes the
// client's, client/constants.h.
#pragma once

#include <cstddef>

#include "client/constants.h"

// ---- Exit statuses of quarnShow.
constexpr int EXIT_EVALUATED = 0;      // the field ran: score and reason printed, files written
constexpr int EXIT_IO_ERROR = 1;       // a file could not be read or written
constexpr int EXIT_USAGE = 2;          // bad command line
constexpr int EXIT_NOT_EVALUATED = 3;  // a formula does not compile or has the wrong variables
constexpr int EXIT_REFUSED = 4;        // a text the client does not take whole (too long, ...)

// ---- The zone shown: cells that ever left the start state, with a margin on each side.
constexpr int ZONE_MARGIN_CELLS = 5;
// The disturbance spreads one cell per step, so the zone and its margins stay inside the field.
static_assert(SPIKE_CELL - CYCLE_COUNT - ZONE_MARGIN_CELLS >= 0 &&
              SPIKE_CELL + CYCLE_COUNT + ZONE_MARGIN_CELLS < CELL_COUNT);

// ---- Picture layout, in pixels. Each cell-step is a block as large as lets the panel fill
// about PANEL_TARGET_PX in each direction, from BLOCK_MIN_PX to BLOCK_MAX_PX on a side: a
// short run or a narrow zone is drawn larger. With all cells shown a cell is one pixel wide,
// so that 1000 cells stay readable on a screen.
constexpr int PANEL_TARGET_PX = 400;
constexpr int BLOCK_MIN_PX = 4;
constexpr int BLOCK_MAX_PX = 16;
constexpr int ALL_CELLS_CELL_PX = 1;
constexpr int BORDER_PX = 8;          // white frame around everything
constexpr int AXIS_PX = 22;           // step labels left of the panels
constexpr int HEADER_PX = 14;         // the score line at the top
constexpr int TITLE_PX = 10;          // "m" and "v" above the panels
constexpr int MARKER_PX = 7;          // centre-cell marks and the frame above and below a panel
constexpr int PANEL_GAP_PX = 16;      // between the m panel and the v panel
constexpr int STEP_LABEL_EVERY = 10;  // steps between labels on the axis
constexpr int LEGEND_GAP_PX = 10;     // between the panels and the legend
constexpr int LEGEND_ROW_PX = 30;     // one legend row: ramp, ticks and value labels
constexpr int LEGEND_NAME_PX = 12;    // the component's name left of its ramp
constexpr int RAMP_PX = 256;          // width of a colour ramp
constexpr int RAMP_HEIGHT_PX = 10;
constexpr int SWATCH_PX = 10;  // NaN and infinity swatches right of the ramp
constexpr int SWATCH_GAP_PX = 12;
constexpr int SWATCH_LABEL_CHARS = 4;  // "+inf"
constexpr int SWATCH_COUNT = 3;        // NaN, +inf, -inf

// ---- Text drawn into the picture: a 5 x 7 pixel font with one pixel between characters.
constexpr int GLYPH_WIDTH = 5;
constexpr int GLYPH_HEIGHT = 7;
constexpr int CHAR_ADVANCE = GLYPH_WIDTH + 1;
constexpr std::size_t LABEL_SIZE = 64;  // one label of the picture and its NUL

// The largest picture: all cells in both panels, every step, and the legend.
constexpr int MAX_PANEL_WIDTH_PX = CELL_COUNT * ALL_CELLS_CELL_PX;
static_assert(MAX_PANEL_WIDTH_PX >= (2 * CYCLE_COUNT + 1 + 2 * ZONE_MARGIN_CELLS) * BLOCK_MIN_PX &&
                  MAX_PANEL_WIDTH_PX >= PANEL_TARGET_PX,
              "a zone never spans more pixels than all cells do");
constexpr int MAX_PANEL_HEIGHT_PX = CYCLE_COUNT * BLOCK_MIN_PX;
static_assert(MAX_PANEL_HEIGHT_PX >= PANEL_TARGET_PX);
constexpr int MAX_PICTURE_WIDTH_PX =
    2 * BORDER_PX + AXIS_PX + 2 * MAX_PANEL_WIDTH_PX + PANEL_GAP_PX;
constexpr int PICTURE_TOP_PX = BORDER_PX + HEADER_PX + TITLE_PX + MARKER_PX;
constexpr int MAX_PICTURE_HEIGHT_PX = PICTURE_TOP_PX + MAX_PANEL_HEIGHT_PX + MARKER_PX +
                                      LEGEND_GAP_PX + 2 * LEGEND_ROW_PX + BORDER_PX;
constexpr std::size_t CANVAS_BYTES =
    static_cast<std::size_t>(MAX_PICTURE_WIDTH_PX) * MAX_PICTURE_HEIGHT_PX * 3;

// ---- Colour map: a diverging map built in CIELAB, straight lines from the centre colour to
// each end so that equal steps of the scale are equal perceived steps; dark blue below the
// background, dark orange-red above, near-white at the background value. Blue against orange
// stays distinct in the common red-green colour-vision deficiencies.
constexpr int RAMP_HALF_STEPS = 128;  // colours on each side of the centre in the table
constexpr double CENTRE_LIGHTNESS = 97.0;
constexpr double END_LIGHTNESS = 38.0;
constexpr double END_CHROMA = 58.0;
constexpr double LOW_HUE_DEGREES = 268.0;  // blue
constexpr double HIGH_HUE_DEGREES = 42.0;  // orange-red
// Value scale: t = sign(x) log10(1 + |x| / c) / log10(1 + X / c), x the value less the
// background, X the largest |x| shown, c = X / 10^SCALE_DECADES: the top six decades below
// the largest deviation share the ramp evenly; smaller deviations fade into the centre colour.
constexpr double SCALE_DECADES = 6.0;

// ---- The results page.
// Class pairs whose fields print the same with this many significant digits at every step form
// one behaviour family on the results page: the precision of the library's printed constants,
// far coarser than the last digits in which rewrites of a formula differ.
constexpr int FAMILY_DIGITS = 6;
constexpr std::size_t FAMILY_TEXT_SIZE = 64;  // the two values of one cell so written
constexpr int THUMBNAIL_WIDTH_PX = 240;  // widest thumbnail; the full picture is one click away
constexpr std::size_t PICTURE_NAME_SIZE = 32;  // "pair_" + 16 hex digits + ".png" and NUL
