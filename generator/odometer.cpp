// The symbol odometer: stepping, rendering and rebuilding the table of symbol codes.
#include "generator/odometer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "generator/state.h"

const char symbolChars[] = "?MVmvn+-*/()N";

void stepTbl(int *tbl) {
    for (int i = 0; i <= LAST_ODOMETER_POS; i++) {
        if (tbl[i] < MAX_SYMBOL_CODE) {
            tbl[i]++;
            return;
        }
        // Carry: this entry restarts at 1, like every entry before it already did.
        tbl[i] = 1;
    }
}

void incsymblNumTbl() { stepTbl(symblNumTbl); }

char *next_try(unsigned char reset) {
    if (reset == 1) {
        memset(symblNumTbl, 0, sizeof symblNumTbl);
        genFormula[0] = '\0';
        return genFormula;
    }
    incsymblNumTbl();
    genFormula[0] = '\0';
    tblToFormula(genFormula);
    return genFormula;
}

void tblToFormula(char *text) {
    char *end = text + strlen(text);
    for (int i = 0; i < SYMBL_TBL_SIZE; i++) {
        int code = symblNumTbl[i];
        if (code == 0) {
            *end = '\0';
            return;
        }
        if (code < 0 || code > MAX_SYMBOL_CODE) {
            strcpy(text, "Error");
            return;
        }
        *end++ = symbolChars[code];
    }
    // No 0 in the whole table: the sequence has outgrown the table.
    strcpy(text, "Done");
    exit(1);
}

void addToNumTbl(int num) {
    symblNumTbl[numTblPos] = num;
    numTblPos++;
    if (numTblPos > SYMBL_TBL_SIZE - 1) {
        puts("symbolNumTbl is full");
        exit(0);
    }
}

void printSymblNumTbl() {
    for (int i = 0; i < SYMBL_TBL_SIZE && symblNumTbl[i] != 0; i++) {
        printf("%d, ", symblNumTbl[i]);
        if (i == 25 || i == 50 || i == 75) printf("\n");
    }
    printf("\n");
}
