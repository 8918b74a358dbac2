// The real program zindel in a fresh temporary directory: the files it writes, what it
// prints and its exit status.
#include "generator/test/testutil.h"

namespace {

std::string name(int n) { return "formulas_" + std::to_string(1000 + n).substr(1) + ".txt"; }

class GeneratorDriver : public TempDirTest {
  protected:
    RunResult zindel(std::vector<std::string> args) {
        args.insert(args.begin(), ZINDEL_PATH);
        return runProgram(dir, args);
    }
    // fnv1a over the 20 files from number `first` on, passing over `skip`, without their line
    // ends; each must hold 10000 lines and an empty one. Their "filename is" lines go to names.
    std::uint64_t signature(int first, int skip = 0) {
        std::uint64_t hash = fnv1a("");
        names.clear();
        for (int n = first; n < first + 20 + (skip > first); n++) {
            if (n == skip) continue;
            names += "filename is: " + name(n) + "\n";
            std::string text = readFile(path(name(n)));
            EXPECT_TRUE(count(text, "\n") == 10001 && text.ends_with(", \n\n")) << name(n);
            std::erase(text, '\n');
            hash = fnv1a(text, hash);
        }
        return hash;
    }
    std::string names;
};

TEST_F(GeneratorDriver, WritesTwentyFilesAtTheLowestFreeNumbers) {
    ASSERT_EQ(0, symlink(path("nowhere").c_str(), path(name(2)).c_str()));  // taken, not followed
    RunResult start = zindel({"two", "arguments"});
    EXPECT_EQ(signature(1, 2), FIRST_RUN_SIGNATURE);
    EXPECT_EQ(start.out, names + "\nDone\n");
    EXPECT_EQ(start.status, 0);
    EXPECT_NE(start.err.find("zindel: 2 arguments; it takes one formula"), std::string::npos);
    EXPECT_EQ(readFile(path("nowhere")), "");
    // An empty formula to resume after reads back as the start.
    RunResult again = zindel({""});
    EXPECT_EQ(signature(22), FIRST_RUN_SIGNATURE);
    EXPECT_EQ(again.out, "have formula to start at: \nrecovered formula: \n" + names + "\nDone\n");
}

TEST_F(GeneratorDriver, ResumesAfterAGivenFormulaAndRefusesOneItCannotRead) {
    EXPECT_EQ(zindel({"M+exp(V)"}).out,
              "have formula to start at: M+exp(V)\n1, 6, 5, \n"
              "recovered formula: M+n\nfailed to parse given formula\n");
    EXPECT_EQ(readFile(path(name(1))), "");  // nothing written
    EXPECT_TRUE(
        zindel({"log(M+pi)*m-V/v+1"})
            .out.starts_with(
                "have formula to start at: log(M+pi)*m-V/v+1\nrecovered formula: (M+n)*m-V/v+n\n"));
    // The rest of the candidate's constants, then the first formula of the next, (M-n)*m-V/v+n.
    std::string want;
    for (int k = 1; k <= 18; k++)
        want += decorate("(M+n)*m-V/v+n", -1, k) + (k % 7 ? ", " : ", \n");
    EXPECT_TRUE(readFile(path(name(1))).starts_with(want + "(M-1.0E-13)*m-V/v+1, "));
}

TEST_F(GeneratorDriver, AFailedWriteIsAFailureAndItsTornFileIsRemoved) {
    // The third write is the first block of the second file.
    RunResult run = runProgram(dir, {"/usr/bin/strace", "-f", "-o", "/dev/null", "-e",
                                     "inject=write:error=ENOSPC:when=3", ZINDEL_PATH});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "filename is: " + name(1) + "\nfilename is: " + name(2) +
                           "\nCould not close file formulas.txt\n");
    EXPECT_EQ(count(readFile(path(name(1))), "\n"), 10001);
    EXPECT_EQ(readFile(path(name(2))), "");  // removed
}

}  // namespace
