// The real program build/bin/zindel in fresh temporary directories: the files it writes,
// its messages and its exit status. The expected file contents are laid out here from the
// formulas the library's cycle gives in this process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cycle.h"
#include "odometer.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
};

std::string name(int n) {
    char buf[32];
    snprintf(buf, sizeof buf, "formulas_%03d.txt", n);
    return buf;
}

// "filename is: ..." for each number, then what the run prints at its end.
std::string printed(std::vector<int> numbers, const std::string &end = "\nDone\n") {
    std::string s;
    for (int n : numbers) s += "filename is: " + name(n) + "\n";
    return s + end;
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int n = from; n <= to; n++) v.push_back(n);
    return v;
}

// The 20 files that follow a start (no argument) or a resume after `formula`, each 10000
// lines of 7 "%s, " and a LF, then an empty line.
std::vector<std::string> expectedFiles(const char *formula = nullptr) {
    std::string copy = formula ? formula : "";
    next_try(1);
    testing::internal::CaptureStdout();
    zindel(formula ? 2 : 1, copy.data());
    testing::internal::GetCapturedStdout();
    std::vector<std::string> files(20);
    for (std::string &file : files) {
        for (int line = 0; line < 10000; line++) {
            for (int f = 0; f < 7; f++) (file += zindel(0, nullptr)) += ", ";
            file += '\n';
        }
        file += '\n';
    }
    return files;
}

class GeneratorDriver : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zindel_driver_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::string &args) {
        std::string cmd = "cd '" + dir + "' && '" + ZINDEL_PATH + "' " + args + " 2>&1";
        Outcome o{-1, ""};
        FILE *p = popen(cmd.c_str(), "r");
        if (p == nullptr) return o;
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) o.out.append(buf, n);
        int st = pclose(p);
        o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return o;
    }
    void touch(int n) { std::ofstream(fs::path(dir) / name(n)) << "keep"; }
    size_t entries() const {
        return (size_t)std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    }
    std::string file(int n) const {
        std::ifstream in(fs::path(dir) / name(n), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Files first..first+19 hold the 20 files of `expected` in order.
    void expectFiles(const std::vector<int> &numbers, const std::vector<std::string> &expected) {
        for (size_t i = 0; i < numbers.size(); i++) {
            EXPECT_TRUE(file(numbers[i]) == expected[i]) << name(numbers[i]) << " differs";
        }
    }

    std::string dir;
};

TEST_F(GeneratorDriver, FirstRunWritesTwentyFilesAndASecondRunTheSameAgain) {
    std::vector<std::string> expected = expectedFiles();
    EXPECT_EQ(expected[0].substr(0, 18), "v+m+V+M, v-m+V+M, ");
    Outcome o = run("");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, printed(range(1, 20)));
    expectFiles(range(1, 20), expected);
    o = run("");
    EXPECT_EQ(o.out, printed(range(21, 40)));
    expectFiles(range(21, 40), expected);
    EXPECT_EQ(entries(), 40u);
}

TEST_F(GeneratorDriver, FillsTheGapFirstAndIgnoresTwoArguments) {
    touch(1);
    touch(3);
    Outcome o = run("'M*pi+m-V/v' x");
    std::vector<int> written = range(4, 22);
    written.insert(written.begin(), 2);
    EXPECT_EQ(o.out, printed(written));
    expectFiles(written, expectedFiles());
    EXPECT_EQ(file(1), "keep");
    EXPECT_EQ(file(3), "keep");
}

TEST_F(GeneratorDriver, ResumeContinuesAfterTheGivenFormula) {
    Outcome o = run("'log(M+pi)*m-V/v+1'");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "have formula to start at: log(M+pi)*m-V/v+1\n"
                     "recovered formula: (M+n)*m-V/v+n\n" + printed(range(1, 20)));
    EXPECT_EQ(file(1).substr(0, 31), "(M+pi)*m-V/v+1, (M+e)*m-V/v+1, ");
    expectFiles(range(1, 20), expectedFiles("log(M+pi)*m-V/v+1"));
}

TEST_F(GeneratorDriver, FailingResumeWritesNothing) {
    Outcome o = run("'sin(M)'");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "have formula to start at: sin(M)\n\nrecovered formula: \n"
                     "failed to parse given formula\n");
    o = run("'M+exp(V)'");
    EXPECT_EQ(o.out, "have formula to start at: M+exp(V)\n1, 6, 5, \nrecovered formula: M+n\n"
                     "failed to parse given formula\n");
    EXPECT_EQ(entries(), 0u);
}

TEST_F(GeneratorDriver, EndsWithoutWritingWhenNoNameOrFileIsLeft) {
    // A dangling link into a missing directory: its status query fails, opening it too.
    fs::create_symlink("missing/target", fs::path(dir) / name(1));
    Outcome o = run("");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "filename is: formulas_001.txt\nCould not open file\n");
    fs::remove(fs::path(dir) / name(1));
    for (int n = 1; n <= 999; n++) touch(n);
    o = run("");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "no more filenames, last was: formulas_999.txt\n");
    EXPECT_EQ(entries(), 999u);
}

TEST_F(GeneratorDriver, FailedInsertionKeepsTheFileWrittenSoFar) {
    // 99 symbols: after its constant run the next candidate with '(' and n gets functions,
    // and "sqrt" with an 18-byte constant makes 98 + 18 + 4 = 120 bytes.
    std::string formula = "(M+V)*m-v";
    while (formula.size() < 99) formula += "+n";
    Outcome o = run("'" + formula + "'");
    EXPECT_EQ(o.status, 0);
    size_t at = o.out.find("addFunct failed. test_F = (M-V)*m-v+1.25663706212E\xE2\x88\x92" "6+n+n");
    ASSERT_NE(at, std::string::npos) << o.out;
    EXPECT_EQ(o.out.substr(o.out.size() - 18), " presFunctNum = 2\n");
    // 18 constants of the given candidate, then 1 + 18 + 1 + 8 formulas of the next one.
    std::string content = file(1);
    EXPECT_EQ(std::count(content.begin(), content.end(), ','), 46);
    EXPECT_EQ(content.substr(content.size() - 2), ", ");
}

}  // namespace
