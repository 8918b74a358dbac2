// Constant and function insertion, and recognition of inserted function names.
#include "generator/insertion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "generator/state.h"

const char *const constantTbl[CONSTANT_TBL_SIZE] = {
    "1.0E-13",
    "pi",
    "e",
    "loge",
    "log2e",
    "log10e",
    "ln2",
    "6.62607015E\xE2\x88\x92"
    "34",  // U+2212 MINUS SIGN before the exponent
    "1.602176634E-19",
    "6.67430E-11",
    "1.25663706212E\xE2\x88\x92"
    "6",  // U+2212 MINUS SIGN before the exponent
    "7.2973525693E\xE2\x88\x92"
    "3",  // U+2212 MINUS SIGN before the exponent
    "1E-2",
    "1",
    "100",
    "10000",
    "299792458",
    "8.8541878128E12",
    "9.1093837015E31",
};

const char *const functTbl[FUNCT_TBL_SIZE] = {
    "exp",   "log",   "sqrt",  "sin",  "cos",  "tan",   "cot",      "sec",
    "csc",   "asin",  "acos",  "atan", "acot", "asec",  "acsc",     "sinh",
    "cosh",  "tanh",  "coth",  "sech", "csch", "asinh", "acosh",    "atanh",
    "acoth", "asech", "acsch", "abs",  "step", "delta", "nandelta",
};

namespace {

// tmpStr = formula with `text` put in at the first `mark`: in its place (`replace`) or just
// before it; formula unchanged when it has no mark.
char *putAtMark(const char *formula, char mark, const char *text, bool replace) {
    char temp[MAX_DECORATED_LEN];
    strcpy(tmpStr, formula);
    char *at = strchr(tmpStr, mark);
    if (at == nullptr) return tmpStr;
    strcpy(temp, replace ? at + 1 : at);
    *at = '\0';
    strcat(tmpStr, text);
    strcat(tmpStr, temp);
    return tmpStr;
}

}  // namespace

char *addConstant(char *formula, int constNum) {
    if (presConstantNum > MAX_CONSTANT_NUM || constNum < 0 || constNum > MAX_CONSTANT_NUM ||
        strlen(formula) + strlen(constantTbl[constNum]) >= MAX_DECORATED_LEN) {
        printf("addConstant failed. test_F = %s presConstantNum = %d\n", formula, presConstantNum);
        exit(0);
    }
    return putAtMark(formula, 'n', constantTbl[constNum], true);
}

char *addFunct(char *formula, int functNum) {
    if (presFunctNum > MAX_FUNCT_NUM || functNum < 0 || functNum > MAX_FUNCT_NUM ||
        strlen(formula) + strlen(functTbl[functNum]) >= MAX_DECORATED_LEN) {
        printf("addFunct failed. test_F = %s presFunctNum = %d\n", formula, presFunctNum);
        exit(0);
    }
    return putAtMark(formula, '(', functTbl[functNum], false);
}

int isFunctName(char *str, char *strPtr) {
    for (const char *name : functTbl) {
        long len = (long)strlen(name);
        long at = strPtr - str;
        // An occurrence covering strPtr begins at most len - 1 characters before it.
        for (long s = at - len + 1 > 0 ? at - len + 1 : 0; s <= at; s++) {
            if (strncmp(str + s, name, len) == 0) return 1;
        }
    }
    return 0;
}
