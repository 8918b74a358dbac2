// The library's scanner and parser, written again: the tokens its scanner makes (longest match,
// the earlier rule on a tie) and the tree its grammar builds with its precedences.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/formula_tree.h"

const char *const formulaConstantNames[FORMULA_CONSTANT_COUNT] = {
    "e",    "log2e", "log10e", "ln2",      "ln10",  "pi",     "pi_2",
    "pi_4", "1_pi",  "2_pi",   "2_sqrtpi", "sqrt2", "sqrt1_2"};
// The library's values are these constants to twenty digits, which round to the same doubles.
const double formulaConstantValues[FORMULA_CONSTANT_COUNT] = {
    M_E,    M_LOG2E, M_LOG10E, M_LN2,      M_LN10,  M_PI,     M_PI_2,
    M_PI_4, M_1_PI,  M_2_PI,   M_2_SQRTPI, M_SQRT2, M_SQRT1_2};
const char *const formulaFunctionNames[FORMULA_FUNCTION_COUNT] = {
    "exp",   "log",   "sqrt",  "sin",  "cos",  "tan",   "cot",      "sec",
    "csc",   "asin",  "acos",  "atan", "acot", "asec",  "acsc",     "sinh",
    "cosh",  "tanh",  "coth",  "sech", "csch", "asinh", "acosh",    "atanh",
    "acoth", "asech", "acsch", "abs",  "step", "delta", "nandelta", "erf"};

static_assert(FORMULA_NODE_MAX >= FORMULA_TEXT_MAX, "a token makes at most one node");
static_assert(FORMULA_TEXT_MAX < 32768, "text positions and node indices fit 16 bits");

namespace {

enum Token {
    TOKEN_END,  // the end of the text
    TOKEN_NUMBER,
    TOKEN_CONSTANT,
    TOKEN_FUNCTION,
    TOKEN_VARIABLE,
    TOKEN_OPERATOR,  // + - * / ^ ( ), in `symbol`
    TOKEN_FOREIGN,   // a byte no scanner rule reads, or a line end: left to the library
};

// Binding strength of the operators; unary minus binds between * and ^.
constexpr int PREC_ADD = 1;
constexpr int PREC_MULTIPLY = 2;
constexpr int PREC_NEGATE = 3;
constexpr int PREC_POWER = 4;

struct Parser {
    FormulaTree *tree;
    int pos;      // next byte to scan
    Token token;  // the current token, text[begin, end)
    int begin;
    int end;
    char symbol;  // TOKEN_OPERATOR: the character
    int which;    // TOKEN_CONSTANT, TOKEN_FUNCTION: the id; TOKEN_VARIABLE: variable index
    int status;   // FORMULA_OK until an error
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
// The scanner lets an identifier go on with '[' too.
bool isNameChar(char c) { return isLetter(c) || isDigit(c) || c == '['; }

// Length of the number at s, or 0: digits, an optional point and digits (at least one digit
// in all), and an optional exponent that has at least one digit.
int numberLength(const char *s) {
    int n = 0;
    while (isDigit(s[n])) ++n;
    int digits = n;
    if (s[n] == '.') {
        for (++n; isDigit(s[n]); ++n) ++digits;
    }
    if (digits == 0) return 0;
    if (s[n] == 'e' || s[n] == 'E') {
        int k = n + 1;
        if (s[k] == '+' || s[k] == '-') ++k;
        if (isDigit(s[k])) {
            while (isDigit(s[k])) ++k;
            n = k;
        }
    }
    return n;
}

// Index of the name text[0, length) in names, or -1.
int findName(const char *const *names, int count, const char *text, int length) {
    for (int i = 0; i < count; ++i) {
        if (names[i][0] == text[0] && std::strncmp(names[i], text, length) == 0 &&
            names[i][length] == '\0')
            return i;
    }
    return -1;
}

// The variable named text[begin, begin + length), added when new; -1 when the tree is full.
int variableIndex(FormulaTree *tree, int begin, int length) {
    const char *name = tree->text + begin;
    for (int i = 0; i < tree->variableCount; ++i) {
        const FormulaVariable &var = tree->variables[i];
        const char *known = tree->text + var.begin;
        if (var.length == length && known[0] == name[0] &&
            (length == 1 || std::memcmp(known, name, length) == 0))
            return i;
    }
    if (tree->variableCount == FORMULA_VARIABLE_MAX) return -1;
    FormulaVariable &var = tree->variables[tree->variableCount];
    var.begin = static_cast<std::int16_t>(begin);
    var.length = static_cast<std::int16_t>(length);
    var.slot = -1;
    for (int slot = 0; length == 1 && slot < FORMULA_NAME_SLOTS; ++slot)
        if (name[0] == "mMvV"[slot]) var.slot = static_cast<std::int8_t>(slot);
    return tree->variableCount++;
}

// Scans the next token into p.
void scan(Parser &p) {
    const char *text = p.tree->text;
    while (text[p.pos] == ' ' || text[p.pos] == '\t') ++p.pos;
    p.begin = p.pos;
    const char *s = text + p.pos;
    int length = 1;
    if (*s == '\0') {
        p.token = TOKEN_END;
        length = 0;
    } else if (*s == '+' || *s == '-' || *s == '*' || *s == '/' || *s == '^' || *s == '(' ||
               *s == ')') {
        p.token = TOKEN_OPERATOR;
        p.symbol = *s;
    } else if (isLetter(*s)) {
        while (isNameChar(s[length])) ++length;
        // Of the names of one letter only "e" is taken: the variables skip the search.
        p.which = length == 1 && *s != 'e'
                      ? -1
                      : findName(formulaConstantNames, FORMULA_CONSTANT_COUNT, s, length);
        p.token = TOKEN_CONSTANT;
        if (p.which < 0 && length > 1) {
            p.which = findName(formulaFunctionNames, FORMULA_FUNCTION_COUNT, s, length);
            p.token = TOKEN_FUNCTION;
        }
        if (p.which < 0) {
            p.which = variableIndex(p.tree, p.pos, length);
            p.token = p.which < 0 ? TOKEN_FOREIGN : TOKEN_VARIABLE;
        }
    } else if ((length = numberLength(s)) > 0) {
        p.token = TOKEN_NUMBER;
        // The constants that start with a digit ("1_pi", "2_pi", "2_sqrtpi") are longer than
        // the digit they start with.
        for (int id = CONST_1_PI; length == 1 && s[1] == '_' && id <= CONST_2_SQRTPI; ++id) {
            int size = static_cast<int>(std::strlen(formulaConstantNames[id]));
            if (std::strncmp(s, formulaConstantNames[id], size) == 0) {
                p.token = TOKEN_CONSTANT;
                p.which = id;
                length = size;
            }
        }
    } else {
        p.token = TOKEN_FOREIGN;
        length = 1;
    }
    p.pos += length;
    p.end = p.pos;
}

int newNode(Parser &p, FormulaKind kind, int which, int left, int right, int begin) {
    FormulaNode &node = p.tree->nodes[p.tree->nodeCount];
    node.value = 0.0;
    node.kind = kind;
    node.which = static_cast<std::uint8_t>(which);
    node.left = static_cast<std::int16_t>(left);
    node.right = static_cast<std::int16_t>(right);
    node.begin = static_cast<std::int16_t>(begin);
    node.end =
        static_cast<std::int16_t>(left < 0 ? p.end : p.tree->nodes[right < 0 ? left : right].end);
    return p.tree->nodeCount++;
}

// Records the first error: a foreign token leaves the text to the library, anything else in
// the wrong place is a syntax error. Result -1, for the caller to pass on.
int fail(Parser &p) {
    if (p.status == FORMULA_OK)
        p.status = p.token == TOKEN_FOREIGN ? FORMULA_UNHANDLED : FORMULA_REFUSED;
    return -1;
}

// Takes the operator c or fails.
bool expect(Parser &p, char c) {
    if (p.token != TOKEN_OPERATOR || p.symbol != c) return fail(p), false;
    scan(p);
    return true;
}

int parseExpression(Parser &p, int minPrec);

// The number text[0, length), read as the library reads it (atof).
double readNumber(const char *text, int length) {
    char number[FORMULA_TEXT_MAX + 1];
    std::memcpy(number, text, length);
    number[length] = '\0';
    return std::atof(number);
}

// An operand: a leaf, a function call, a parenthesised expression or a unary minus, whose
// operand takes only the ^ operators behind it.
int parseOperand(Parser &p) {
    int begin = p.begin;
    int node = -1;
    switch (p.token) {
        case TOKEN_NUMBER:
            node = newNode(p, FORMULA_NUMBER, 0, -1, -1, begin);
            p.tree->nodes[node].value = readNumber(p.tree->text + begin, p.end - begin);
            scan(p);
            return node;
        case TOKEN_CONSTANT:
            node = newNode(p, FORMULA_CONSTANT, p.which, -1, -1, begin);
            p.tree->nodes[node].value = formulaConstantValues[p.which];
            scan(p);
            return node;
        case TOKEN_VARIABLE:
            node = newNode(p, FORMULA_VARIABLE, p.which, -1, -1, begin);
            scan(p);
            return node;
        case TOKEN_FUNCTION: {
            int which = p.which;
            scan(p);
            if (!expect(p, '(')) return -1;
            int argument = parseExpression(p, PREC_ADD);
            if (argument < 0 || p.token != TOKEN_OPERATOR || p.symbol != ')') return fail(p);
            node = newNode(p, FORMULA_FUNCTION, which, argument, -1, begin);
            p.tree->nodes[node].end = static_cast<std::int16_t>(p.end);
            scan(p);
            return node;
        }
        case TOKEN_OPERATOR:
            if (p.symbol == '(') {
                scan(p);
                node = parseExpression(p, PREC_ADD);
                if (node < 0 || p.token != TOKEN_OPERATOR || p.symbol != ')') return fail(p);
                // The parentheses belong to the expression's text.
                p.tree->nodes[node].begin = static_cast<std::int16_t>(begin);
                p.tree->nodes[node].end = static_cast<std::int16_t>(p.end);
                scan(p);
                return node;
            }
            if (p.symbol == '-') {
                scan(p);
                int operand = parseExpression(p, PREC_NEGATE + 1);
                if (operand < 0) return -1;
                return newNode(p, FORMULA_NEGATE, 0, operand, -1, begin);
            }
            return fail(p);
        default:
            return fail(p);
    }
}

// Binding strength of the binary operator of the current token, or 0.
int binaryPrec(const Parser &p, FormulaKind *kind) {
    if (p.token != TOKEN_OPERATOR) return 0;
    switch (p.symbol) {
        case '+':
            *kind = FORMULA_ADD;
            return PREC_ADD;
        case '-':
            *kind = FORMULA_SUBTRACT;
            return PREC_ADD;
        case '*':
            *kind = FORMULA_MULTIPLY;
            return PREC_MULTIPLY;
        case '/':
            *kind = FORMULA_DIVIDE;
            return PREC_MULTIPLY;
        case '^':
            *kind = FORMULA_POWER;
            return PREC_POWER;
        default:
            return 0;
    }
}

// An expression of operators binding at least minPrec; every operator groups from the left.
int parseExpression(Parser &p, int minPrec) {
    int left = parseOperand(p);
    FormulaKind kind = FORMULA_ADD;
    for (int prec; left >= 0 && (prec = binaryPrec(p, &kind)) >= minPrec;) {
        scan(p);
        int right = parseExpression(p, prec + 1);
        if (right < 0) return -1;
        left = newNode(p, kind, 0, left, right, p.tree->nodes[left].begin);
    }
    return left;
}

}  // namespace

int parseFormula(const char *text, FormulaTree *tree) {
    std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(FORMULA_TEXT_MAX)) return FORMULA_UNHANDLED;
    std::memcpy(tree->text, text, length + 1);
    tree->nodeCount = 0;
    tree->variableCount = 0;
    tree->root = -1;
    Parser p{tree, 0, TOKEN_END, 0, 0, 0, 0, FORMULA_OK};
    scan(p);
    int root = parseExpression(p, PREC_ADD);
    if (root >= 0 && p.token != TOKEN_END) fail(p);
    if (p.status != FORMULA_OK) return p.status;
    tree->root = root;
    return FORMULA_OK;
}
