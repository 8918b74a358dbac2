// Fixed sizes, intervals and thresholds of the coordinator, each with its reason.
#pragma once

#include <cstddef>

#include "common/mailbox.h"

constexpr int MAX_FILES = 100;              // catalogue entries taken from the directory
constexpr std::size_t FILENAME_SIZE = 120;  // a catalogue name: 119 characters and a NUL
constexpr std::size_t LINE_BUF_SIZE = 496;  // one read takes at most 495 bytes of a line
static_assert(LINE_BUF_SIZE == FORMULA_BUF_SIZE, "a formula can be as long as a line piece");
constexpr int SHORT_LINE_LEN = 3;  // a line this short gives only its first formula

constexpr std::size_t LOG_LINE_SIZE = 2 * LINE_BUF_SIZE + 256;  // the longest log line built
// "y%04dm%02dd%02d %02d:%02d:%02d": 20 bytes for real dates; room for six ints of any width.
constexpr std::size_t STAMP_SIZE = 80;
constexpr std::size_t END_TEXT_SIZE = 32;  // a reason read back from a "Run ended" line

constexpr int CHECK_INTERVAL_S = 1;      // stop-file and free-memory checks
constexpr int PROGRESS_INTERVAL_S = 10;  // the "log. M = ..." progress line
constexpr int ASSIGN_TIMEOUT_S = 10;     // longest wait for an idle mailbox per pair
constexpr int END_PAUSE_S = 3;           // pause between "all done." and the shutdown
constexpr int COLLECT_WAIT_S = 10;       // longest wait for the last replies at an orderly end
constexpr int STOP_GRACE_S = 2;          // wait after the stop letters before the first pass
constexpr int STOP_LIMIT_S = 55;         // longest wait for stop confirmations
constexpr int FAILED_FARM_WAIT_S = 5;    // wait for confirmations when the farm cannot be built

constexpr long DEFAULT_MIN_FREE_KB = 32000000;  // the search goes on while free memory >= this
constexpr long LOW_MEMORY_DIVISOR = 10;  // below it, scripts and campaigns stop at MemTotal / 10
constexpr long SELFTEST_AT_TOTAL = 500;  // the pair written while totalFormulas is 500 is 't'

// A resumed total (pairs or passes) above this is refused: the counts must be able to grow for
// as long as any search can run (10^18 pairs take 30,000 years at 10^6 pairs/s).
constexpr long MAX_RESUME_TOTAL = 1000000000000000000L;

// ---- Mailbox keys. A run uses MB_NUM_CLIENTS keys from its key base on (QUARN_KEY_BASE).
constexpr int KEY_RANGE_STEP = MB_NUM_CLIENTS;  // "auto" tries 1000, 1050, 1100, ...
constexpr int AUTO_KEY_RANGES = 64;             // ranges "auto" tries before it gives up
constexpr unsigned MAILBOX_MODE_MAX = 0660;     // a mailbox open to others is not ours to use

// ---- Client faults.
constexpr int CLIENT_START_LIMIT_S = 10;  // a started client must attach within this time
constexpr int ORPHAN_STOP_LIMIT_S = 10;   // clients of an earlier run must stop within this
// A client holding one pair this long is taken as hung. The slowest pair of the client's test
// corpus takes 15 ms of processor time (100 steps of the widest zone); with 50 clients sharing
// 2 processors that is under a second of wall time, so 60 s leaves a wide margin. A client
// taken as hung by mistake only costs a restart: its pair is evaluated once, elsewhere.
constexpr int DEFAULT_HOLD_LIMIT_S = 60;
constexpr int MAX_CLIENT_RESTARTS = 3;  // replacements per key before the key is given up
