// Fixed sizes and values of the evaluation client, each with its reason.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "common/formula_program.h"
#include "common/mailbox.h"

// ---- The field: 1000 cells of two doubles, a single spike in the middle.
constexpr int CELL_COUNT = 1000;     // cells per field, numbered 0..999
constexpr int SPIKE_CELL = 500;      // the spike; its neighbours are 499 and 501
constexpr int FIRST_INNER_CELL = 1;  // cells 0 and 999 are never written by a step
constexpr int LAST_INNER_CELL = CELL_COUNT - 2;
constexpr std::size_t FIELD_BYTES = 16000;  // one field: 1000 cells of two doubles
static_assert(FIELD_BYTES == CELL_COUNT * 2 * sizeof(double), "a cell is two doubles");

// The start values, given by their bit patterns so that no decimal rounding can change them.
constexpr double SPIKE_VALUE = std::bit_cast<double>(std::uint64_t{0x3FF01DCDEDA2AE9D});
constexpr double BACKGROUND_VALUE = std::bit_cast<double>(std::uint64_t{0x3CD8EB12BACD9E8A});
// The running minimum starts at the spike narrowed to single precision (bits 0x3F80EE6F).
constexpr float START_MINIMUM = static_cast<float>(SPIKE_VALUE);
static_assert(std::bit_cast<std::uint32_t>(START_MINIMUM) == 0x3F80EE6Fu);

// ---- The test a pair has to pass.
constexpr int CYCLE_COUNT = 100;         // steps at most, cycles 0..99
constexpr int SPREAD_CYCLE = 5;          // the spread check, after the sixth step
constexpr int FIRST_REBOUND_CYCLE = 16;  // the rebound checks run from this cycle on
constexpr int VARIABLE_COUNT = 4;        // every formula must use exactly m, M, v, V
constexpr int PASS_SCORE = 4;            // result of a passing pair
constexpr int SELFTEST_SCORE = 3;        // answer to a self-test request
constexpr int REPORTED_ABOVE = 2;        // only scores above this travel back as numbers
constexpr int SCORE_NOT_COMPILED = -1;   // a formula does not compile
constexpr int SCORE_FAILED = 0;          // wrong variable count, or the field fails
// The disturbance spreads one cell per step, so cycle r has to visit the cells within r + 1
// of the spike; after the last cycle that zone must still lie inside cells 1..998.
static_assert(SPIKE_CELL - CYCLE_COUNT >= FIRST_INNER_CELL &&
              SPIKE_CELL + CYCLE_COUNT <= LAST_INNER_CELL);

// ---- The formula programs. Every text of a request fits the compiler; a step evaluates the
// faces of this many cells as one batch, both faces of a cell taking a lane, so that the
// zone of the last cycle is one batch.
static_assert(FORMULA_TEXT_MAX >= static_cast<int>(FORMULA_BUF_SIZE) - 1);
constexpr int STEP_CELLS = FORMULA_LANES / 2;
static_assert(STEP_CELLS >= 2 * CYCLE_COUNT + 1);

// ---- Names handed to the expression library.
constexpr int NAME_SIZE = 10;    // one variable name and its NUL
constexpr int NAME_SLOTS = 10;   // entries of the name-pointer table; 4 are used
constexpr int VALUE_SLOTS = 10;  // entries of the value array; 4 are used
static_assert(VARIABLE_COUNT <= NAME_SLOTS && VARIABLE_COUNT <= VALUE_SLOTS);

// ---- The request splitter and its formula buffers.
constexpr std::size_t FORMULA_M_OFFSET = 0;                  // M text in `formulas`
constexpr std::size_t FORMULA_V_OFFSET = FORMULA_BUF_SIZE;   // V text in `formulas`
constexpr std::size_t FORMULAS_SIZE = 2 * FORMULA_BUF_SIZE;  // both formula buffers
// The scan reads characters while its count i is at most this (i restarts behind M for V).
constexpr int SCAN_LIMIT = static_cast<int>(FORMULA_BUF_SIZE) - 1;
// A first part longer than the letter still fits its scratch buffer: at most SCAN_LIMIT + 1
// characters and a NUL.
constexpr std::size_t SCRATCH_SIZE = SCAN_LIMIT + 2;
// Longest formulas taken whole: M's character k is scanned at i = 2 + k, V's at 3 + k.
constexpr int LONGEST_WHOLE_M = SCAN_LIMIT - 2;  // 493
constexpr int LONGEST_WHOLE_V = SCAN_LIMIT - 3;  // 492
static_assert(LONGEST_WHOLE_M + 2 <= static_cast<int>(FORMULA_BUF_SIZE),
              "a cut M (one character more) and its NUL fit the M buffer");
// The scan never reads past the segment: V's last character is read at 3 + M + V.
static_assert(3 + LONGEST_WHOLE_M + LONGEST_WHOLE_V + 1 < static_cast<int>(MB_SIZE));

// ---- Texts that do not compile. The expression library leaks about 94 bytes each time it
// fails on a text, so every such text is remembered and answered without asking it again.
// Measured: the generator's first catalogue (1.4 million formulas) holds 157,263 distinct
// texts the library cannot compile, 3,966,867 bytes without their NULs (36 at most). The
// table takes two thirds more texts and twice the bytes, allocated once, touched as it fills.
constexpr int FAILED_TEXT_MAX = 1 << 18;                         // texts remembered at most
constexpr std::size_t FAILED_TEXT_SLOTS = 2 * FAILED_TEXT_MAX;   // index, at most half full
constexpr std::size_t FAILED_TEXT_BYTES = std::size_t{8} << 20;  // the texts and their NULs
static_assert((FAILED_TEXT_SLOTS & (FAILED_TEXT_SLOTS - 1)) == 0, "slots wrap by a mask");
static_assert(FAILED_TEXT_BYTES < (std::uint64_t{1} << 32), "an offset fits a slot's low half");

// ---- Watching for the coordinator while idle. A client whose coordinator is gone would poll
// its mailbox for ever; it looks at the clock once per this many idle polls, and once a second
// asks whether it is the only process still attached to its segment. The count is small: on a
// busy machine a poll that yields can wait a few milliseconds for the processor, and reading
// the clock costs about as much as a poll.
constexpr int IDLE_POLLS_PER_CLOCK_LOOK = 256;
constexpr int ORPHAN_CHECK_SECONDS = 1;

// ---- Verdict of one cycle's checks while the pair is still open: 2, the spread check's
// result for a field that spread as required (never a final score).
constexpr int FIELD_GOES_ON = 2;
