// The generation cycle zindel: draws raw candidates and hands out their decorated runs one
// formula per call (the run table is at the top of cycle.h).
#include "generator/cycle.h"

#include <cstring>

#include "generator/fast_draw.h"
#include "generator/filter.h"
#include "generator/insertion.h"
#include "generator/odometer.h"
#include "generator/resume.h"
#include "generator/state.h"

void replacePlaceholders(char *formula) {
    for (char *p = formula; *p != '\0'; p++) {
        if (*p != 'n') continue;
        if (isFunctName(formula, p)) continue;
        // The constant ln2 is the only other text with an n; raw symbols never make an "l".
        if (p > formula && p[-1] == 'l' && p[1] == '2') continue;
        *p = '1';
    }
}

namespace {

// Advances presConstantNum past k, back to 0 after the last constant.
void advanceConstant(int k) { presConstantNum = k + 1 > MAX_CONSTANT_NUM ? 0 : k + 1; }

// Branch 1: the function run. The function inserted is the one pending on entry, j.
void functionStep() {
    int j = presFunctNum;
    if (presConstantNum == 0) {
        presFunctNum = j + 1 > MAX_FUNCT_NUM ? 0 : j + 1;
        if (strchr(oldFormula, 'n') == nullptr) {
            strcpy(test_F, addFunct(oldFormula, j));
            replacePlaceholders(test_F);
            return;
        }
        presConstantNum = 1;
    }
    int k = presConstantNum;
    strcpy(test_F, addConstant(oldFormula, k));
    strcpy(test_F, addFunct(test_F, j));
    advanceConstant(k);
    replacePlaceholders(test_F);
}

// Branch 2: the constant run without functions.
void constantStep() {
    int k = presConstantNum;
    strcpy(test_F, addConstant(oldFormula, k));
    advanceConstant(k);
    replacePlaceholders(test_F);
}

// Branch 3: draw the next acceptable raw candidate and hand out its first formula.
void newCandidate() {
    for (;;) {
        strcpy(test_F, drawFast ? nextAccepted() : next_try(0));
        if (strcmp(test_F, oldFormula) == 0) continue;
        if (preTest(test_F)) break;
    }
    strcpy(oldFormula, test_F);
    if (strchr(oldFormula, 'n') != nullptr) {
        presConstantNum = 0;
        strcpy(test_F, addConstant(test_F, 0));
        presConstantNum = 1;
    }
    replacePlaceholders(test_F);
    if (strchr(oldFormula, '(') != nullptr) presFunctNum = 1;
}

}  // namespace

void clearCycle() {
    test_F[0] = '\0';
    oldFormula[0] = '\0';
    presConstantNum = 0;
    presFunctNum = 0;
}

void resetCycle(int fast) {
    clearCycle();
    drawFast = fast;
    next_try(1);
}

char *zindel(unsigned char reset, char *startF) {
    test_F[0] = '\0';
    if (reset == 1) {
        resetCycle(1);
        return test_F;
    }
    if (reset == 2) return resumeCycle(startF);

    if (presFunctNum != 0) {
        functionStep();
    } else if (presConstantNum != 0) {
        constantStep();
    } else {
        newCandidate();
    }
    return test_F;
}
