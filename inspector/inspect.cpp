// Scoring one pair with the client's simulation and saying why it scored what it did.
#include "inspector/inspect.h"

#include <matheval.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "client/field.h"
#include "inspector/state.h"

namespace {

constexpr std::size_t VALUE_TEXT_SIZE = 32;  // one value written by formatValue
constexpr int SURE_PRECISION = 15;  // digits a double always keeps: shorter texts pad to these
constexpr int MAX_PRECISION = 17;   // digits that always write a double exactly

// Appends formatted words to out->words (cut at its end).
void say(Inspection *out, const char *format, ...) {
    std::size_t used = std::strlen(out->words);
    va_list args;
    va_start(args, format);
    std::vsnprintf(out->words + used, sizeof out->words - used, format, args);
    va_end(args);
}

// The value as text, in one of four rotating buffers so that a sentence can hold several.
const char *value(double x) {
    static char texts[4][VALUE_TEXT_SIZE];
    static int next;
    next = (next + 1) % 4;
    return formatValue(x, texts[next], VALUE_TEXT_SIZE);
}

// The client's rule for a text it takes whole; 0 when taken, else 1 after saying why not.
int refuseText(const char *name, const char *text, int longest, Inspection *out) {
    int length = static_cast<int>(std::strlen(text));
    if (length > longest) {
        say(out,
            "refused: %s has %d characters; the client takes %s whole up to %d characters "
            "and answers a longer one with 'f' without evaluating it",
            name, length, name, longest);
        return 1;
    }
    if (std::strpbrk(text, ",\n")) {
        say(out,
            "refused: %s holds a comma or a line end, which split and end the client's "
            "request; it answers such a request with 'f' without evaluating it",
            name);
        return 1;
    }
    return 0;
}

// Says which formula does not compile or has the wrong variables, in the client's order:
// M first, V only when M is usable.
void explainFormulas(const char *textM, const char *textV, Inspection *out) {
    const char *names[2] = {"M", "V"};
    const char *texts[2] = {textM, textV};
    for (int i = 0; i < 2; ++i) {
        int saved = muteOutput();
        void *evaluator = evaluator_create(const_cast<char *>(texts[i]));
        restoreOutput(saved);
        if (!evaluator) {
            out->reason = REASON_NOT_COMPILED;
            say(out, "does not compile: the expression library cannot read %s", names[i]);
            return;
        }
        char **variables;
        int count;
        evaluator_get_variables(evaluator, &variables, &count);
        if (count != VARIABLE_COUNT) {
            out->reason = REASON_WRONG_VARIABLES;
            say(out, "wrong number of variables: %s uses %d (", names[i], count);
            for (int k = 0; k < count; ++k) say(out, k ? ", %s" : "%s", variables[k]);
            say(out, "); a formula needs exactly the four m, M, v and V");
            evaluator_destroy(evaluator);
            return;
        }
        evaluator_destroy(evaluator);
    }
    say(out, "not evaluated (score %d)", out->score);
}

int isFinite(const Cell &c) { return std::isfinite(c.m) && std::isfinite(c.v); }

int inStartState(const Cell &c, int cell) {
    return c.m == (cell == SPIKE_CELL ? SPIKE_VALUE : BACKGROUND_VALUE) && c.v == 0.0;
}

// The zone shown: cells that ever left the start state, the spike cell and a margin.
void findZone(int steps, int allCells, Inspection *out) {
    if (allCells) {
        out->firstCell = 0;
        out->lastCell = CELL_COUNT - 1;
        return;
    }
    int first = SPIKE_CELL;
    int last = SPIKE_CELL;
    for (int row = 0; row < steps; ++row) {
        for (int cell = 0; cell < CELL_COUNT; ++cell) {
            if (inStartState(recordTbl[row][cell], cell)) continue;
            if (cell < first) first = cell;
            if (cell > last) last = cell;
        }
    }
    out->firstCell = first - ZONE_MARGIN_CELLS;
    out->lastCell = last + ZONE_MARGIN_CELLS;
}

void explainSpread(const Cell *field, Inspection *out) {
    double centre = field[SPIKE_CELL].m;
    double left = field[SPIKE_CELL - 1].m;
    double right = field[SPIKE_CELL + 1].m;
    out->reason = REASON_SPREAD;
    say(out, "the spread check after step 6 failed (score %d):", out->score);
    const char *joint = " ";
    if (!(centre < SPIKE_VALUE)) {
        say(out, "%sthe centre did not fall below its start value (m = %s, start %s)", joint,
            value(centre), value(SPIKE_VALUE));
        joint = "; ";
    }
    if (!(left > BACKGROUND_VALUE && right > BACKGROUND_VALUE)) {
        say(out,
            "%sthe neighbours did not both rise above the background (left %s, right %s, "
            "background %s)",
            joint, value(left), value(right), value(BACKGROUND_VALUE));
        joint = "; ";
    }
    if (!(centre - right == centre - left)) {
        say(out, "%sthe neighbours rose unevenly (centre - left = %s, centre - right = %s)", joint,
            value(centre - left), value(centre - right));
    }
}

void explainPass(Inspection *out) {
    int row = out->steps - 1;
    const Cell *field = recordTbl[row];
    int lowestRow = 0;
    for (int r = 1; r <= row; ++r)
        if (recordTbl[r][SPIKE_CELL].m < recordTbl[lowestRow][SPIKE_CELL].m) lowestRow = r;
    double centre = field[SPIKE_CELL].m;
    double lowest = recordTbl[lowestRow][SPIKE_CELL].m;
    out->reason = REASON_PASSED;
    say(out,
        "passed at step %d: the centre (m = %s) is a strict local minimum (left %s, right "
        "%s) above its lowest value (%s at step %d",
        out->steps, value(centre), value(field[SPIKE_CELL - 1].m), value(field[SPIKE_CELL + 1].m),
        value(lowest), lowestRow + 1);
    // The client holds the lowest value in single precision, which can lie below it.
    if (!(centre > lowest))
        say(out, ", held in single precision as %s", value(static_cast<float>(lowest)));
    say(out, ")");
}

void explainNoPass(Inspection *out) {
    out->reason = REASON_NO_PASS;
    int minima = 0;
    for (int row = FIRST_REBOUND_CYCLE; row < out->steps; ++row) {
        const Cell *f = recordTbl[row];
        if (f[SPIKE_CELL - 1].m > f[SPIKE_CELL].m && f[SPIKE_CELL + 1].m > f[SPIKE_CELL].m)
            ++minima;
    }
    say(out, "ran %d steps without passing: from step %d on, the centre was ", out->steps,
        FIRST_REBOUND_CYCLE + 1);
    if (minima == 0) {
        say(out, "never a strict local minimum");
    } else {
        say(out, "a strict local minimum at %d of %d steps, never above its lowest value", minima,
            out->steps - FIRST_REBOUND_CYCLE);
    }
}

// The first value in the recording that is not finite.
struct NotFinite {
    int found = 0;  // 1 when there is one
    int step = 0;
    int cell = 0;
    const char *component = "m";
    double value = 0.0;
};

NotFinite firstNotFinite(int steps) {
    NotFinite first;
    for (int row = 0; row < steps && !first.found; ++row) {
        for (int k = 0; k < CELL_COUNT; ++k) {
            const Cell &c = recordTbl[row][k];
            if (isFinite(c)) continue;
            first = {1, row + 1, k, std::isfinite(c.m) ? "v" : "m", std::isfinite(c.m) ? c.v : c.m};
            break;
        }
    }
    return first;
}

void explainField(Inspection *out) {
    const Cell *last = recordTbl[out->steps - 1];
    NotFinite first = firstNotFinite(out->steps);
    int checkedNotFinite = !std::isfinite(last[SPIKE_CELL - 1].m) ||
                           !std::isfinite(last[SPIKE_CELL].m) ||
                           !std::isfinite(last[SPIKE_CELL + 1].m);
    if (out->score == PASS_SCORE) {
        explainPass(out);
    } else if (checkedNotFinite) {
        out->reason = REASON_NOT_FINITE;
        say(out,
            "a value became NaN or infinite: from step %d (cell %d, %s = %s); at step %d the "
            "centre is %s and its neighbours %s and %s: ",
            first.step, first.cell, first.component, value(first.value), out->steps,
            value(last[SPIKE_CELL].m), value(last[SPIKE_CELL - 1].m),
            value(last[SPIKE_CELL + 1].m));
        if (out->steps == SPREAD_CYCLE + 1) {
            say(out, "the spread check after step 6 failed (score %d)", out->score);
        } else {
            say(out, "no rebound check passed in %d steps", out->steps);
        }
        return;
    } else if (out->steps == SPREAD_CYCLE + 1) {
        explainSpread(last, out);
    } else if (out->steps == CYCLE_COUNT) {
        explainNoPass(out);
    } else {
        out->reason = REASON_NO_PASS;
        say(out, "stopped after step %d with score %d", out->steps, out->score);
    }
    if (first.found)
        say(out, "; the field holds non-finite values from step %d on (cell %d, %s = %s)",
            first.step, first.cell, first.component, value(first.value));
}

}  // namespace

char *formatValue(double x, char *buffer, std::size_t size) {
    if (std::isnan(x)) {
        std::snprintf(buffer, size, "NaN");
    } else if (std::isinf(x)) {
        std::snprintf(buffer, size, x > 0 ? "inf" : "-inf");
    } else {
        // The fewest digits that read back as the same double: %g drops trailing zeros, so
        // a value that needs fewer than 15 digits already comes out short at 15.
        for (int precision = SURE_PRECISION; precision <= MAX_PRECISION; ++precision) {
            std::snprintf(buffer, size, "%.*g", precision, x);
            if (std::strtod(buffer, nullptr) == x) break;
        }
    }
    return buffer;
}

int muteOutput() {
    std::fflush(stdout);
    int saved = quietFd == -1 ? -1 : dup(STDOUT_FILENO);
    if (saved != -1 && dup2(quietFd, STDOUT_FILENO) == -1) {
        close(saved);
        return -1;
    }
    return saved;
}

void restoreOutput(int saved) {
    if (saved == -1) return;
    std::fflush(stdout);
    if (dup2(saved, STDOUT_FILENO) == -1) std::perror("quarnShow: restore standard output");
    close(saved);
}

const char *clientAnswer(const Inspection &inspection) {
    static char answer[VALUE_TEXT_SIZE];
    if (inspection.reason == REASON_REFUSED || inspection.score <= REPORTED_ABOVE) return "f";
    std::snprintf(answer, sizeof answer, "s,%d", inspection.score);
    return answer;
}

int inspectPair(const char *textM, const char *textV, int allCells, Inspection *out) {
    out->words[0] = '\0';
    out->score = SCORE_FAILED;
    out->steps = 0;
    out->firstCell = out->lastCell = 0;
    out->reason = REASON_REFUSED;
    if (refuseText("M", textM, LONGEST_WHOLE_M, out) ||
        refuseText("V", textV, LONGEST_WHOLE_V, out))
        return EXIT_REFUSED;

    recordedSteps = 0;
    int saved = muteOutput();
    out->score = evaluateFunction(textM, textV);
    restoreOutput(saved);
    out->steps = fieldReach;
    if (out->steps == 0) {
        explainFormulas(textM, textV, out);
        return EXIT_NOT_EVALUATED;
    }
    findZone(out->steps, allCells, out);
    explainField(out);
    return EXIT_EVALUATED;
}
