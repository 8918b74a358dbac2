// The class key of a formula and the table of classes (see formula_class.h).
#include "common/formula_class.h"

#include <matheval.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/formula_print.h"
#include "common/formula_program.h"

const char *const formulaUseNames[FORMULA_USES] = {
    "do not compile", "have other than four variables", "usable, classed by their keys",
    "usable, left to the library or too long: a class each",
    "usable, the compiler and the library disagree: a class each"};

const double formulaProbePoints[FORMULA_PROBES][FORMULA_NAME_SLOTS] = {
    {1.5, 2.5, -0.5, 3.25},       {0.0, -0.0, 0.0, 1.0},
    {-7.0, 1e300, 1e-300, 2},     {1.0000000000000016, 1.4e-15, 0, 0},
    {1.4e-15, 0.99, 1e-9, -2e-9}, {INFINITY, -1, NAN, 0.75},
    {-0.25, 3e-5, 40, -40},       {2, 2, 2, 2}};

namespace {

// ---- Scratch of classifyFormula, kept between calls so that classing allocates nothing.
FormulaTree tree;
FormulaProgram program;
FormulaBatch probeBatch;
char printed[CLASS_KEY_MAX];  // the compiler's printed tree, compared with the library's
FormulaClassKey textKey;      // the key of classOfFormula's text

constexpr char PROBE_NAMES[FORMULA_NAME_SLOTS][2] = {"m", "M", "v", "V"};
constexpr std::uint64_t ONE_NAN = 0x7ff8000000000000ull;  // every NaN of a key
constexpr int HEX_NUMBER = 17;                            // '#' and 16 hex digits
constexpr std::size_t FIRST_SLOTS = 1024;                 // a new table's slots

bool sameValue(double a, double b) {
    return std::isnan(a) ? std::isnan(b)
                         : std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The number of variables the library finds in text, or -1 when it does not compile it.
int libraryVariables(const char *text) {
    void *ev = evaluator_create(const_cast<char *>(text));
    if (!ev) return -1;
    char **names;
    int count;
    evaluator_get_variables(ev, &names, &count);
    evaluator_destroy(ev);
    return count;
}

// 1 when the library compiles text to the tree the compiler printed into `printed`, with four
// variables and the values `values` at the probes.
int libraryAgrees(const char *text, const double *values) {
    void *ev = evaluator_create(const_cast<char *>(text));
    if (!ev) return 0;
    char **names;
    int count;
    evaluator_get_variables(ev, &names, &count);
    int agree = count == FORMULA_NAME_SLOTS && std::strcmp(printed, evaluator_get_string(ev)) == 0;
    char *bound[FORMULA_NAME_SLOTS];
    for (int k = 0; k < FORMULA_NAME_SLOTS; ++k) bound[k] = const_cast<char *>(PROBE_NAMES[k]);
    for (int p = 0; p < FORMULA_PROBES && agree; ++p)
        agree =
            sameValue(values[p], evaluator_evaluate(ev, FORMULA_NAME_SLOTS, bound,
                                                    const_cast<double *>(formulaProbePoints[p])));
    evaluator_destroy(ev);
    return agree;
}

// Writes text into out at `at` when it fits below `limit`; returns the new end, or -1.
int put(char *out, int at, int limit, const char *text, int length) {
    if (at < 0 || at + length > limit) return -1;
    std::memcpy(out + at, text, static_cast<std::size_t>(length));
    return at + length;
}

int put(char *out, int at, int limit, const char *text) {
    return put(out, at, limit, text, static_cast<int>(std::strlen(text)));
}

// Writes the canonical text of the subtree at i into out from `at`; returns its end, or -1
// when it does not fit below `limit`.
int canonical(int i, char *out, int at, int limit) {
    static const char operators[] = "+-*/^";
    const FormulaNode &node = tree.nodes[i];
    switch (node.kind) {
        case FORMULA_NUMBER: {
            char number[HEX_NUMBER + 1];
            std::snprintf(
                number, sizeof number, "#%016llx",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(node.value)));
            return put(out, at, limit, number);
        }
        case FORMULA_CONSTANT:
            return put(out, at, limit, formulaConstantNames[node.which]);
        case FORMULA_VARIABLE: {
            const FormulaVariable &var = tree.variables[node.which];
            return put(out, at, limit, tree.text + var.begin, var.length);
        }
        case FORMULA_FUNCTION:
            at = put(out, at, limit, formulaFunctionNames[node.which]);
            at = canonical(node.left, out, put(out, at, limit, "("), limit);
            return put(out, at, limit, ")");
        case FORMULA_NEGATE:
            at = canonical(node.left, out, put(out, at, limit, "(-"), limit);
            return put(out, at, limit, ")");
        default:
            break;
    }
    const char op = operators[node.kind - FORMULA_ADD];
    const int first = put(out, at, limit, "(");
    const int middle = canonical(node.left, out, first, limit);
    const int end = canonical(node.right, out, middle, limit);
    if (end < 0 || end + 2 > limit) return -1;
    // Operands of + and *: the smaller canonical text first, compared as bytes.
    int split = middle;  // where the first operand ends
    if ((node.kind == FORMULA_ADD || node.kind == FORMULA_MULTIPLY) &&
        std::string_view(out + middle, end - middle) <
            std::string_view(out + first, middle - first)) {
        std::rotate(out + first, out + middle, out + end);
        split = first + (end - middle);
    }
    std::memmove(out + split + 1, out + split, static_cast<std::size_t>(end - split));
    out[split] = op;
    out[end + 1] = ')';
    return end + 2;
}

std::uint64_t hashKey(const char *bytes, std::size_t length) {
    return std::hash<std::string_view>{}(std::string_view(bytes, length));
}

// Puts the slot in the first empty place of its probe sequence.
void place(std::vector<FormulaClassSlot> *slots, const FormulaClassSlot &slot) {
    const std::size_t mask = slots->size() - 1;
    std::size_t i = slot.hash & mask;
    while ((*slots)[i].cls >= 0) i = (i + 1) & mask;
    (*slots)[i] = slot;
}

}  // namespace

int classifyFormula(const char *text, int checkLibrary, FormulaClassKey *key) {
    if (compileFormulaProgram(text, &tree, &program) != FORMULA_OK) {
        // Left to the library or refused: the library has the last word, as in the client.
        const int count = libraryVariables(text);
        return count < 0                     ? USE_NOT_COMPILED
               : count != FORMULA_NAME_SLOTS ? USE_WRONG_VARIABLES
                                             : USE_OWN_LEFT;
    }
    if (program.variables != FORMULA_NAME_SLOTS) return USE_WRONG_VARIABLES;
    if (std::strlen(text) > CLASS_TEXT_MAX) return USE_OWN_LEFT;
    double values[FORMULA_PROBES];
    for (int p = 0; p < FORMULA_PROBES; ++p)
        for (int k = 0; k < FORMULA_NAME_SLOTS; ++k)
            probeBatch.registers[k][p] = formulaProbePoints[p][k];
    runFormulaBatch(program, &probeBatch, FORMULA_PROBES, values);
    if (checkLibrary &&
        (printFormula(tree, printed, sizeof printed) < 0 || !libraryAgrees(text, values)))
        return USE_OWN_DIFFERS;
    const int limit = static_cast<int>(CLASS_KEY_MAX - 1 - sizeof values);
    const int end = canonical(tree.root, key->bytes, 0, limit);
    if (end < 0) return USE_OWN_LEFT;
    key->bytes[end] = '\0';
    for (double &value : values)
        if (std::isnan(value)) value = std::bit_cast<double>(ONE_NAN);
    std::memcpy(key->bytes + end + 1, values, sizeof values);
    key->length = static_cast<std::size_t>(end) + 1 + sizeof values;
    return USE_KEYED;
}

long classOfKey(FormulaClassTable *table, const FormulaClassKey &key, long newClass) {
    std::vector<FormulaClassSlot> &slots = table->slots;
    if (static_cast<std::size_t>(table->used + 1) * 2 > slots.size()) {
        std::vector<FormulaClassSlot> grown(std::max(FIRST_SLOTS, 2 * slots.size()),
                                            FormulaClassSlot{0, -1, 0});
        for (const FormulaClassSlot &slot : slots)
            if (slot.cls >= 0) place(&grown, slot);
        slots.swap(grown);
    }
    const std::uint64_t hash = hashKey(key.bytes, key.length);
    const std::size_t mask = slots.size() - 1;
    std::size_t i = hash & mask;
    for (; slots[i].cls >= 0; i = (i + 1) & mask) {
        if (slots[i].hash != hash) continue;
        std::size_t length;
        std::memcpy(&length, table->arena.data() + slots[i].at, sizeof length);
        if (length == key.length &&
            std::memcmp(table->arena.data() + slots[i].at + sizeof length, key.bytes, length) == 0)
            return slots[i].cls;
    }
    slots[i] = {hash, newClass, table->arena.size()};
    const char *length = reinterpret_cast<const char *>(&key.length);
    table->arena.insert(table->arena.end(), length, length + sizeof key.length);
    table->arena.insert(table->arena.end(), key.bytes, key.bytes + key.length);
    ++table->used;
    return newClass;
}

long classOfFormula(FormulaClassTable *table, const char *text, int checkLibrary, long newClass,
                    int *use) {
    *use = classifyFormula(text, checkLibrary, &textKey);
    if (*use == USE_KEYED) return classOfKey(table, textKey, newClass);
    return *use > USE_KEYED ? newClass : -1;
}
