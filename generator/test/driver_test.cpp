// The real program zindel in a fresh temporary directory: the files it writes, what it
// prints and its exit status. The expected contents come from the cycle in this process.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "testutil.h"

namespace fs = std::filesystem;

static std::string name(int n) { return "formulas_" + std::to_string(1000 + n).substr(1) + ".txt"; }

// The 20 files that follow a start (given empty) or a resume after given, which rebuilds
// the table from clear, as in a new process.
static std::vector<std::string> expectedFiles(std::string given) {
    next_try(1);
    zindel(given.empty() ? 1 : 2, given.data());
    std::vector<std::string> files(20);
    for (std::string &file : files) {
        for (int i = 0; i < 70000; i++) (file += zindel(0, nullptr)) += i % 7 == 6 ? ", \n" : ", ";
        file += '\n';
    }
    return files;
}

TEST(GeneratorDriver, WritesTwentyFilesAtTheLowestFreeNumbers) {
    char tmpl[] = "/tmp/zindel_driver_XXXXXX";
    std::string dir = mkdtemp(tmpl);
    auto file = [&](int n) {
        std::ifstream in(dir + "/" + name(n), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // Runs zindel with args in dir; it must print head, a line for each of 20 files from
    // number first on (skipping number skip) and "\nDone", and write them as expected.
    auto run = [&](const std::string &args, std::string head = "", int first = 0,
                   const std::vector<std::string> &expected = {}, int skip = 0) {
        FILE *p =
            popen(("cd " + dir + " && " ZINDEL_PATH " " + args + " 2>&1; echo $?").c_str(), "r");
        std::string out(1 << 16, '\0');
        out.resize(fread(out.data(), 1, out.size(), p));
        pclose(p);
        for (int i = 0, n = first; first > 0 && i < 20; i++, n += n + 1 == skip ? 2 : 1) {
            head += "filename is: " + name(n) + "\n";
            EXPECT_TRUE(file(n) == expected[i]) << name(n);
        }
        EXPECT_TRUE(first == 0 || out == head + "\nDone\n0\n") << args << " printed " << out;
        return out;
    };
    EXPECT_EQ(run("'M+exp(V)'"),
              "have formula to start at: M+exp(V)\n1, 6, 5, \n"
              "recovered formula: M+n\nfailed to parse given formula\n0\n");
    std::string given = "log(M+pi)*m-V/v+1";
    run("'" + given + "'",
        "have formula to start at: " + given + "\nrecovered formula: (M+n)*m-V/v+n\n", 1,
        expectedFiles(given));
    // The rest of the candidate's constants, then the first formula of the next, (M-n)*m-V/v+n.
    std::string x = "(M+n)*m-V/v+n", want;
    for (int k = 1; k <= 18; k++) want += decorate(x, -1, k) + (k % 7 ? ", " : ", \n");
    EXPECT_EQ(file(1).substr(0, want.size() + 21), want + "(M-1.0E-13)*m-V/v+1, ");
    std::vector<std::string> start = expectedFiles("");
    run("M x", "", 21, start);  // two arguments: from the beginning
    for (int n = 2; n <= 22; n += n == 2 ? 2 : 1) fs::remove(dir + "/" + name(n));  // not 003
    // An empty formula resumes at the start: the same files again, at 002, then 004 to 022.
    run("''", "have formula to start at: \nrecovered formula: \n", 2, start, 3);
    // After the 18 constants of this 99-symbol candidate the next one gets functions, and
    // "sqrt" with an 18-byte constant makes 98 + 18 + 4 = 120 bytes. The 46 formulas before
    // it stay in the file.
    for (given = "(M+V)*m-v"; given.size() < 99;) given += "+n";
    EXPECT_TRUE(run("'" + given + "'").ends_with(" presFunctNum = 2\n0\n"));
    EXPECT_EQ(std::ranges::count(file(41), ','), 46);
    for (int n = 42; n <= 999; n++) std::ofstream(dir + "/" + name(n)) << "keep";
    EXPECT_EQ(run(""), "no more filenames, last was: formulas_999.txt\n0\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 999);
    fs::remove_all(dir);
}
