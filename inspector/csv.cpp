// Writing the recorded field values of an inspection as CSV.
#include "inspector/csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "inspector/output.h"
#include "inspector/state.h"

namespace {

constexpr std::size_t NUMBER_SIZE = 32;  // one value as formatValue writes it

}  // namespace

int writeCsv(const char *path, const Inspection &inspection) {
    OutputFile out;
    if (openOutput(path, 1, &out) != 0) return 1;
    FILE *file = out.file;
    std::fputs("step,cell,m,v\n", file);
    char m[NUMBER_SIZE], v[NUMBER_SIZE];
    for (int row = 0; row < inspection.steps; ++row) {
        for (int cell = inspection.firstCell; cell <= inspection.lastCell; ++cell) {
            const Cell &c = recordTbl[row][cell];
            std::fprintf(file, "%d,%d,%s,%s\n", row + 1, cell, formatValue(c.m, m, sizeof m),
                         formatValue(c.v, v, sizeof v));
        }
    }
    return closeOutput(&out, 0);
}
