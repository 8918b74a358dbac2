// The generator driver: start or resume the generation cycle, then write 20 new files.
#include "generator/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "generator/cycle.h"
#include "generator/formula_file.h"

int zindelMain(int argc, char **argv) {
    if (argc == 2) {
        printf("have formula to start at: %s\n", argv[1]);
        if (strcmp(zindel(2, argv[1]), "error") == 0) {
            puts("failed to parse given formula");
            return 0;
        }
    } else {
        // A formula never holds a blank, so two or more arguments cannot be one formula.
        if (argc > 2)
            fprintf(stderr,
                    "zindel: %d arguments; it takes one formula to go on after (a formula has no "
                    "blanks), or none: starting from the beginning\n",
                    argc - 1);
        char none[] = "";
        zindel(1, none);
    }

    char filename[FILENAME_SIZE];
    for (int nFilesIndx = 0; nFilesIndx < FILES_PER_RUN; nFilesIndx++) {
        if (!freeFilename(filename)) {
            printf("no more filenames, last was: %s\n", filename);
            return 0;
        }
        printf("filename is: %s\n", filename);
        int result = writeFormulaFile(filename);
        if (result == WRITE_OPEN_FAILED) {
            puts("Could not open file");
            return 0;
        }
        if (result == WRITE_CLOSE_FAILED) {
            puts("Could not close file formulas.txt");
            return EXIT_FAILURE;
        }
    }
    puts("\nDone");
    return 0;
}
