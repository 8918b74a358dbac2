// A distinct campaign finds exactly the passes of the search over all pairs: a catalogue of
// the first catalogue's formulas searched over all pairs by quarnMain with the real client, and
// as a distinct campaign whose first unit is stopped in its middle and continued; then what the
// distinct campaign refuses, changing nothing.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "campaign/test/campaign_support.h"

namespace {

const std::vector<std::string> kEnv = {"QUARN_KEY_BASE=auto", "QUARN_CLIENT_SUDO=0",
                                       "QUARN_MIN_FREE_KB=0"};
// 48 formulas, 7 to a line as the generator writes them, in two files of 28 and 20: 7
// classes of 4 members (4 passing class pairs among them), 16 of one, 4 whose pairs score "f".
// The first members are ordered so that the distinct search's pair 500, its self-test pair, is
// the passing class pair (V*M-v*m, m+v*M-V), and pair 500 of all pairs, (v*m+V+M, v/m-V+M),
// does not pass.
const std::string kFiles[] = {
    "v*m-V*M, m+V-v*M, v+m+V+M, loge+v+m+V+M, v*V-m*M, m*v-V*M, m+M-v*V, \n"
    "v-m+V+M, m+v*V+M+M, V+m-v*M, v*m+V+M, v/m+V+M, V*v-m*M, m-v+V+M, \n"
    "m/v+V+M, M+m-v*V, v+m-V+M, v-m-V+M, v*V+m+M+M, v*m-V+M, v/m-V+M, \n"
    "6.62607015E\u221234+v+m+V+M, m-v-V+M, m/v-V+M, m+v*M-V, v*m-M*V, v+m*V+M, v-m*V+M, \n\n",
    "v*m*V+M, V*M-v*m, v/m*V+M, m+V-M*v, v*V-M*m, m+M-V*v, V*v+m+M+M, \n"
    "M*V-v*m, v*M+m-V, N+v+m+V+M, m*v-M*V, V+m-M*v, V*v-M*m, M+m-V*v, \n"
    "m+V*v+M+M, V*M-m*v, M*v+m-V, M*V-m*v, m+M*v-V, 1.25663706212E\u22126+v+m+V+M, \n\n"};

void writeFormulas(const std::string &at) {
    std::filesystem::create_directories(at);
    for (int file = 0; file < 2; ++file)
        writeFile(at + "/formulas_00" + std::to_string(file + 1) + ".txt", kFiles[file]);
}

using DistinctCampaignTest = CampaignTest;

TEST_F(DistinctCampaignTest, GivesThePassesOfAllPairsAfterAStopInAUnitAndRefusesChangedInputs) {
    for (const char *folder : {"all", "catalogue"}) writeFormulas(path(folder));
    std::vector<std::string> formulas;  // each word of the files, without its comma
    std::istringstream words(kFiles[0] + kFiles[1]);
    for (std::string word; words >> word;) formulas.push_back(word.substr(0, word.size() - 1));
    std::filesystem::copy_file(QUARN_BIN_DIR "/quarnClient", path("all/quarnClient"));
    ASSERT_EQ(0, runProgram(path("all"), {kQuarnMain}, kEnv).status);
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "--distinct", "campaign", "catalogue", "12"})
                     .status);  // two units of the 23 classes: 276 and 253 class pairs

    Process paced(
        dir, {kCampaign, "run", "campaign", "--client", QUARN_TEST_BIN_DIR "/paced_client"}, kEnv);
    ASSERT_TRUE(waitFor([&] { return !readFile(path("campaign/unit_000/best.txt")).empty(); }, 60));
    writeFile(path("campaign/stop.txt"), "");
    EXPECT_EQ(3, paced.wait(120).status);
    std::remove(path("campaign/stop.txt").c_str());
    long total = -1;  // pairs before unit 0's continuation: it stopped in its middle
    std::sscanf(runProgram(dir, {kCampaign, "resume-argument", "campaign/unit_000"}).out.c_str(),
                "%*d,%*d,%*d,%*d,%ld", &total);
    EXPECT_TRUE(total > 0 && total < 276) << total;
    EXPECT_EQ(0, runProgram(dir, {kCampaign, "run", "campaign"}, kEnv, 300).status);
    const RunResult collected = runProgram(dir, {kCampaign, "collect", "campaign"});
    EXPECT_EQ(1, count(collected.out,  // and the client's own line on a pass kept off the output
                       "campaign/best.txt\nthe self-test pair M = V*M-v*m, V = m+v*M-V scores 4 "
                       "here: a pass, expanded\nclass pair of 16 member pairs: M = v*m-V*M, V = "
                       "m+V-v*M\n"))
        << collected.out;

    // The passes of all pairs without the self-test line, in the order they were sent.
    std::vector<std::string> all = lines(readFile(path("all/best.txt"))), sent;
    std::erase(all, "M = " + formulas[500 / 48] + ", V = " + formulas[500 % 48]);
    for (const std::string &m : formulas)
        for (const std::string &v : formulas)
            if (std::count(all.begin(), all.end(), "M = " + m + ", V = " + v))
                sent.push_back("M = " + m + ", V = " + v);
    const std::string bestAll = readFile(path("campaign/best-all.txt"));
    EXPECT_EQ(64u, all.size());
    EXPECT_EQ(sent, lines(bestAll));

    // Refused, changing nothing: a second plan, a class table edited by hand, a catalogue
    // changed since the plan.
    std::string table = readFile(path("campaign/distinct/classes.txt")), edited = table;
    writeFile(path("campaign/distinct/classes.txt"), edited.replace(edited.find(" 5 "), 3, " 9 "));
    const RunResult tableEdited = runProgram(dir, {kCampaign, "collect", "campaign"});
    writeFile(path("campaign/distinct/classes.txt"), table);
    writeFile(path("catalogue/formulas_002.txt"), "v*m*V+M, \n\n");
    const RunResult catalogueChanged = runProgram(dir, {kCampaign, "run", "campaign"}, kEnv);
    for (const auto &[r, message] : std::vector<std::pair<RunResult, std::string>>{
             {runProgram(dir, {kCampaign, "plan", "--distinct", "campaign", "catalogue", "5"}),
              "campaign/plan.txt exists; a campaign keeps its plan"},
             {tableEdited, "classes.txt has changed since it was planned"},
             {catalogueChanged, "catalogue/formulas_002.txt has changed since it was planned"}}) {
        EXPECT_EQ(1, r.status) << message;
        EXPECT_EQ(1, count(r.err, message)) << r.err;
    }
    EXPECT_EQ(bestAll, readFile(path("campaign/best-all.txt")));
}

}  // namespace
