// A distinct campaign finds exactly the passes of the search over all pairs: a catalogue of
// the first catalogue's formulas searched over all pairs by quarnMain with the real client, and
// as a distinct campaign whose first unit is stopped in its middle and continued; then what the
// distinct campaign refuses, changing nothing.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "campaign/test/campaign_support.h"

namespace {

const std::vector<std::string> kEnv = {"QUARN_KEY_BASE=auto", "QUARN_CLIENT_SUDO=0",
                                       "QUARN_MIN_FREE_KB=0"};
// 48 formulas: 7 classes of 4 members (4 passing class pairs among them), 16 of one, 4 whose
// pairs score "f". The first members are ordered so that the distinct search's pair 500, its
// self-test pair, is the passing class pair (V*M-v*m, m+v*M-V), and the search over all
// pairs' pair 500 (v*m+V+M, v/m-V+M) does not pass.
const std::vector<std::string> kFormulas = {"v*m-V*M",   "m+V-v*M",
                                            "v+m+V+M",   "loge+v+m+V+M",
                                            "v*V-m*M",   "m*v-V*M",
                                            "m+M-v*V",   "v-m+V+M",
                                            "m+v*V+M+M", "V+m-v*M",
                                            "v*m+V+M",   "v/m+V+M",
                                            "V*v-m*M",   "m-v+V+M",
                                            "m/v+V+M",   "M+m-v*V",
                                            "v+m-V+M",   "v-m-V+M",
                                            "v*V+m+M+M", "v*m-V+M",
                                            "v/m-V+M",   "6.62607015E\u221234+v+m+V+M",
                                            "m-v-V+M",   "m/v-V+M",
                                            "m+v*M-V",   "v*m-M*V",
                                            "v+m*V+M",   "v-m*V+M",
                                            "v*m*V+M",   "V*M-v*m",
                                            "v/m*V+M",   "m+V-M*v",
                                            "v*V-M*m",   "m+M-V*v",
                                            "V*v+m+M+M", "M*V-v*m",
                                            "v*M+m-V",   "N+v+m+V+M",
                                            "m*v-M*V",   "V+m-M*v",
                                            "V*v-M*m",   "M+m-V*v",
                                            "m+V*v+M+M", "V*M-m*v",
                                            "M*v+m-V",   "M*V-m*v",
                                            "m+M*v-V",   "1.25663706212E\u22126+v+m+V+M"};

// The files of the catalogue in `at` in the generator's shape: 28 formulas, then 20.
void writeFormulas(const std::string &at) {
    std::filesystem::create_directories(at);
    for (int file = 0; file < 2; ++file) {
        std::string text;
        for (int i = file * 28; i < (file ? 48 : 28); ++i)
            text += kFormulas[i] + (i % 7 == 6 || i == 27 || i == 47 ? ", \n" : ", ");
        writeFile(at + "/formulas_00" + std::to_string(file + 1) + ".txt", text + "\n");
    }
}

using DistinctCampaignTest = CampaignTest;

TEST_F(DistinctCampaignTest, GivesThePassesOfAllPairsAfterAStopInAUnitAndRefusesChangedInputs) {
    for (const char *folder : {"all", "catalogue"}) writeFormulas(path(folder));
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
    long at[6] = {};
    const std::string resume =
        runProgram(dir, {kCampaign, "resume-argument", "campaign/unit_000"}).out;
    ASSERT_EQ(6, std::sscanf(resume.c_str(), "%ld,%ld,%ld,%ld,%ld,%ld", &at[0], &at[1], &at[2],
                             &at[3], &at[4], &at[5]));
    EXPECT_TRUE(at[4] > 0 && at[4] < 276) << resume;  // stopped in the middle of unit 0
    EXPECT_EQ(0, runProgram(dir, {kCampaign, "run", "campaign"}, kEnv, 300).status);
    const RunResult collected = runProgram(dir, {kCampaign, "collect", "campaign"});
    EXPECT_EQ(1, count(collected.out,
                       "the self-test pair M = V*M-v*m, V = m+v*M-V scores 4 here: "
                       "a pass, expanded\n"))
        << collected.out;

    // The passes of all pairs in the order they were sent, without the self-test line.
    std::map<std::string, std::size_t> position;
    for (std::size_t i = 0; i < kFormulas.size(); ++i) position[kFormulas[i]] = i;
    std::vector<std::string> all = lines(readFile(path("all/best.txt")));
    std::erase(all, "M = " + kFormulas[500 / 48] + ", V = " + kFormulas[500 % 48]);
    auto sent = [&](const std::string &line) {
        const std::size_t v = line.find(", V = ");
        return std::pair{position[line.substr(4, v - 4)], position[line.substr(v + 6)]};
    };
    std::sort(all.begin(), all.end(), [&](auto &a, auto &b) { return sent(a) < sent(b); });
    const std::string bestAll = readFile(path("campaign/best-all.txt"));
    EXPECT_EQ(64u, all.size());
    EXPECT_EQ(all, lines(bestAll));

    // Refused, changing nothing: a second plan, a class table edited by hand, a catalogue
    // changed since the plan.
    const std::string table = readFile(path("campaign/distinct/classes.txt"));
    std::string edited = table;
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
