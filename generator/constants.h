// Every fixed size of the formula generator, with the reason for it.
#pragma once

// Entries of the symbol table. The odometer uses entries 0..98 only, so entry 99 is always
// the 0 that ends the sequence: a raw candidate has at most 99 symbols.
constexpr int SYMBL_TBL_SIZE = 100;
// Highest index the odometer writes; a carry out of it wraps the table to all 1s.
constexpr int LAST_ODOMETER_POS = SYMBL_TBL_SIZE - 2;
// Largest symbol code (N); codes run 1..12, 0 ends a sequence.
constexpr int MAX_SYMBOL_CODE = 12;

// The rendered raw candidate: at most 99 characters and the NUL, with room to spare.
constexpr int GEN_FORMULA_SIZE = 130;
// The generation cycle's formula buffer; every decorated formula is at most 119 bytes.
constexpr int TEST_F_SIZE = 120;
// The raw candidate kept for a run, and the insertion result buffer (same generous size).
constexpr int OLD_FORMULA_SIZE = 132;
constexpr int TMP_STR_SIZE = 132;
// A text plus the entry it receives must stay below this many bytes (result <= 119 bytes).
constexpr int MAX_DECORATED_LEN = 120;
// The filter never looks beyond this many characters.
constexpr int PRETEST_MAX_CHARS = 120;
// A resume formula is read up to this many bytes.
constexpr int RECOVER_MAX_BYTES = 120;

// Entries of the constant and function tables, and the highest index of each.
constexpr int CONSTANT_TBL_SIZE = 19;
constexpr int MAX_CONSTANT_NUM = CONSTANT_TBL_SIZE - 1;
constexpr int FUNCT_TBL_SIZE = 31;
constexpr int MAX_FUNCT_NUM = FUNCT_TBL_SIZE - 1;

// One run of the driver writes this many files of this many lines of this many formulas.
constexpr int FILES_PER_RUN = 20;
constexpr int LINES_PER_FILE = 10000;
constexpr int FORMULAS_PER_LINE = 7;
// File numbers 1..999 keep "formulas_%03d.txt" at three digits.
constexpr int MAX_FILE_NUM = 999;
// The driver's name buffer.
constexpr int FILENAME_SIZE = 120;
// stdio buffer of a formula file: a few hundred formulas per write call.
constexpr int FILE_BUF_SIZE = 1 << 20;

static_assert(TEST_F_SIZE >= SYMBL_TBL_SIZE, "a rendered table must fit the formula buffer");
static_assert(GEN_FORMULA_SIZE > SYMBL_TBL_SIZE, "the renderer's buffer holds 99 symbols");
static_assert(TMP_STR_SIZE > MAX_DECORATED_LEN, "an insertion result fits tmpStr");
static_assert(TEST_F_SIZE >= MAX_DECORATED_LEN, "an insertion result fits test_F");
