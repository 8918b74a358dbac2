// The real program build/bin/zindel in fresh temporary directories: the files it writes,
// its messages and its exit status. Expected file contents come from the library run in
// this process, which the unit tests tie to the run table and to literal enumeration.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cycle.h"
#include "formula_file.h"
#include "odometer.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
};

std::string makeDir() {
    char tmpl[] = "/tmp/zindel_driver_XXXXXX";
    return mkdtemp(tmpl) ? tmpl : "";
}

Outcome runZindel(const std::string &dir, const std::string &args) {
    std::string cmd = "cd '" + dir + "' && '" + ZINDEL_PATH + "' " + args + " 2>&1";
    FILE *p = popen(cmd.c_str(), "r");
    Outcome o{-1, ""};
    if (p == nullptr) return o;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) o.out.append(buf, n);
    int st = pclose(p);
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return o;
}

std::string slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string name(int n) {
    char buf[32];
    snprintf(buf, sizeof buf, "formulas_%03d.txt", n);
    return buf;
}

std::string namesPrinted(const std::vector<int> &numbers) {
    std::string s;
    for (int n : numbers) s += "filename is: " + name(n) + "\n";
    return s;
}

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int n = from; n <= to; n++) v.push_back(n);
    return v;
}

// The contents of the 20 files of a run from the start, written by the library here.
const std::vector<std::string> &referenceFiles() {
    static std::vector<std::string> files;
    if (!files.empty()) return files;
    std::string dir = makeDir();
    fs::path old = fs::current_path();
    fs::current_path(dir);
    char none[] = "";
    zindel(1, none);
    for (int n = 1; n <= 20; n++) {
        writeFormulaFile(name(n).c_str());
        files.push_back(slurp(name(n)));
    }
    fs::current_path(old);
    fs::remove_all(dir);
    return files;
}

class GeneratorDriver : public testing::Test {
protected:
    void SetUp() override {
        dir = makeDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { fs::remove_all(dir); }
    void touch(const std::string &file) { std::ofstream(fs::path(dir) / file) << "keep"; }
    size_t entries() const {
        return (size_t)std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    }
    std::string file(int n) const { return slurp(fs::path(dir) / name(n)); }

    std::string dir;
};

TEST_F(GeneratorDriver, FirstRunWritesTwentyFiles) {
    Outcome o = runZindel(dir, "");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, namesPrinted(range(1, 20)) + "\nDone\n");
    EXPECT_EQ(entries(), 20u);
    const std::vector<std::string> &ref = referenceFiles();
    for (int n = 1; n <= 20; n++) {
        std::string content = file(n);
        EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 10001) << n;
        EXPECT_TRUE(content == ref[n - 1]) << name(n) << " differs";
    }
    EXPECT_EQ(file(1).substr(0, 18), "v+m+V+M, v-m+V+M, ");
}

TEST_F(GeneratorDriver, SecondRunWritesTheSameFormulasUnderNewNames) {
    ASSERT_EQ(runZindel(dir, "").status, 0);
    Outcome o = runZindel(dir, "");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, namesPrinted(range(21, 40)) + "\nDone\n");
    for (int n = 1; n <= 20; n++) EXPECT_TRUE(file(n) == file(n + 20)) << n;
}

TEST_F(GeneratorDriver, FillsTheGapFirst) {
    touch(name(1));
    touch(name(3));
    Outcome o = runZindel(dir, "");
    std::vector<int> written = {2};
    for (int n = 4; n <= 22; n++) written.push_back(n);
    EXPECT_EQ(o.out, namesPrinted(written) + "\nDone\n");
    EXPECT_EQ(file(1), "keep");
    EXPECT_EQ(file(3), "keep");
    EXPECT_TRUE(file(2) == referenceFiles()[0]);
    EXPECT_TRUE(file(4) == referenceFiles()[1]);
    EXPECT_EQ(entries(), 22u);
}

TEST_F(GeneratorDriver, TwoArgumentsStartFromTheBeginning) {
    Outcome o = runZindel(dir, "'M*pi+m-V/v' 'x'");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, namesPrinted(range(1, 20)) + "\nDone\n");
    for (int n = 1; n <= 20; n++) EXPECT_TRUE(file(n) == referenceFiles()[n - 1]) << n;
}

TEST_F(GeneratorDriver, FailingResumeWritesNothing) {
    Outcome o = runZindel(dir, "'sin(M)'");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out,
              "have formula to start at: sin(M)\n\nrecovered formula: \n"
              "failed to parse given formula\n");
    o = runZindel(dir, "'M+exp(V)'");
    EXPECT_EQ(o.out,
              "have formula to start at: M+exp(V)\n1, 6, 5, \nrecovered formula: M+n\n"
              "failed to parse given formula\n");
    EXPECT_EQ(entries(), 0u);
}

TEST_F(GeneratorDriver, ResumeContinuesAfterTheGivenFormula) {
    Outcome o = runZindel(dir, "'log(M+pi)*m-V/v+1'");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out,
              "have formula to start at: log(M+pi)*m-V/v+1\n"
              "recovered formula: (M+n)*m-V/v+n\n" +
                  namesPrinted(range(1, 20)) + "\nDone\n");
    std::string first = file(1);
    EXPECT_EQ(first.substr(0, first.find('\n')).substr(0, 58),
              "(M+pi)*m-V/v+1, (M+e)*m-V/v+1, (M+loge)*m-V/v+1, (M+log2e)");
    // The same files as the library gives after the same resume.
    std::string refDir = makeDir();
    fs::path old = fs::current_path();
    fs::current_path(refDir);
    next_try(1);
    char start[] = "log(M+pi)*m-V/v+1";
    testing::internal::CaptureStdout();
    zindel(2, start);
    testing::internal::GetCapturedStdout();
    for (int n = 1; n <= 20; n++) {
        writeFormulaFile(name(n).c_str());
        EXPECT_TRUE(slurp(name(n)) == file(n)) << n;
    }
    fs::current_path(old);
    fs::remove_all(refDir);
}

TEST_F(GeneratorDriver, AllNamesTakenWritesNothing) {
    for (int n = 1; n <= 999; n++) touch(name(n));
    Outcome o = runZindel(dir, "");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "no more filenames, last was: formulas_999.txt\n");
    EXPECT_EQ(entries(), 999u);
    EXPECT_EQ(file(999), "keep");
}

TEST_F(GeneratorDriver, FileThatCannotBeOpenedEndsTheRun) {
    fs::create_symlink("missing/target", fs::path(dir) / name(1));
    Outcome o = runZindel(dir, "");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "filename is: formulas_001.txt\nCould not open file\n");
}

TEST_F(GeneratorDriver, FailedInsertionKeepsTheFileWrittenSoFar) {
    // 99 symbols: after its constant run the next candidate with '(' and n gets a function,
    // and "sqrt" with the 18-byte constant makes 98 + 18 + 4 = 120 bytes.
    std::string formula = "(M+V)*m-v";
    while (formula.size() < 99) formula += "+n";
    Outcome o = runZindel(dir, "'" + formula + "'");
    EXPECT_EQ(o.status, 0);
    size_t at = o.out.find("addFunct failed. test_F = ");
    ASSERT_NE(at, std::string::npos) << o.out;
    EXPECT_NE(o.out.find("+1.25663706212E\xE2\x88\x92" "6+n+n", at), std::string::npos);
    EXPECT_NE(o.out.find(" presFunctNum = 2\n", at), std::string::npos);
    EXPECT_EQ(o.out.find("Done"), std::string::npos);
    std::string content = file(1);
    ASSERT_GT(content.size(), 0u);
    EXPECT_EQ(content.substr(content.size() - 2), ", ");
    // 18 constants of the given candidate, then 1 + 18 + 1 + 8 formulas of the next one.
    EXPECT_EQ(std::count(content.begin(), content.end(), ','), 46);
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
