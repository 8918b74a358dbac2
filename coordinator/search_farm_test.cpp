// End-to-end tests of whole searches: the real quarnMain with 50 real client processes on the
// machine-wide keys 1000-1049 (so these tests run one at a time). Most use the stand-in client
// of test/fake_client.cpp, placed as ./quarnClient, whose request logs show every pair sent.
#include <dirent.h>
#include <signal.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "mailbox.h"
#include "run_util.h"

namespace {

const std::string kQuarnMain = QUARN_BIN_DIR "/quarnMain";
const std::string kFakeClient = QUARN_TEST_BIN_DIR "/fake_client";
const std::string kRealClient = QUARN_BIN_DIR "/quarnClient";

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

int count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Names f<first>..f<first+n-1>: short formulas the stand-in client does not look into.
std::vector<std::string> names(const std::string &stem, int first, int n) {
    std::vector<std::string> out;
    for (int i = first; i < first + n; ++i) out.push_back(stem + std::to_string(i));
    return out;
}

// Polls `done` every 5 ms for up to `limitS` seconds.
template <class F>
bool waitFor(F done, int limitS) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitS);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Processes whose working directory is `dir`: the clients of a run in that directory.
std::vector<pid_t> processesIn(const std::string &dir) {
    std::vector<pid_t> found;
    DIR *proc = opendir("/proc");
    if (proc == nullptr) return found;
    while (dirent *e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::error_code ec;
        auto cwd = std::filesystem::read_symlink(std::string("/proc/") + e->d_name + "/cwd", ec);
        if (!ec && cwd.string() == dir) found.push_back(std::atoi(e->d_name));
    }
    closedir(proc);
    return found;
}

class SearchFarmTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        removeStrayShortSegment();
        std::filesystem::copy_file(kFakeClient, path("quarnClient"));
    }

    void TearDown() override {
        // A client left behind would poll for ever: end it, and fail the test.
        std::vector<pid_t> left;
        waitFor([&] { return (left = processesIn(dir)).empty(); }, 5);
        for (pid_t pid : left) kill(pid, SIGKILL);
        EXPECT_TRUE(left.empty()) << left.size() << " processes left behind";
        removeStrayShortSegment();
        TempDirTest::TearDown();
    }

    // A segment of another size under key 1025 would break every later run (one test makes it).
    static void removeStrayShortSegment() {
        int id = shmget(MB_KEY_BASE + 25, 0, 0);
        shmid_ds info;
        if (id >= 0 && shmctl(id, IPC_STAT, &info) == 0 && info.shm_segsz != MB_SIZE)
            shmctl(id, IPC_RMID, nullptr);
    }

    // A formula file laid out as the generator writes it: 7 formulas per line, then an empty line.
    void writeFormulas(const std::string &name, const std::vector<std::string> &formulas) {
        std::string text;
        for (size_t i = 0; i < formulas.size(); ++i) {
            text += formulas[i] + ", ";
            if (i % 7 == 6 || i + 1 == formulas.size()) text += "\n";
        }
        writeFile(path(name), text + "\n");
    }

    RunResult run(const std::vector<std::string> &env = {"QUARN_MIN_FREE_KB=0"},
                  int timeoutS = 120) {
        return runProgram(dir, {kQuarnMain}, env, timeoutS);
    }

    // Every request the stand-in clients took, as "<letter> <M> <V>", in one client's order.
    std::vector<std::string> requests(int key) { return lines(readFile(path("requests_" + std::to_string(key) + ".log"))); }
    std::vector<std::string> allRequests() {
        std::vector<std::string> all;
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
            for (auto &r : requests(key)) all.push_back(r);
        return all;
    }

    // The shutdown's lines: every client confirms, in key order, then the final line.
    static void expectCleanShutdown(const RunResult &r) {
        EXPECT_EQ(0, r.status);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(std::string::npos, r.out.find("Timer expired"));
        size_t at = 0;
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key) {
            at = r.out.find("\rreceived exit confirmation from client " + std::to_string(key) + "\n", at);
            ASSERT_NE(std::string::npos, at) << "no confirmation from " << key << " in order";
        }
        const std::string last = "\rall clients stopped and all shared memory freed. Exiting\n";
        ASSERT_GE(r.out.size(), last.size());
        EXPECT_EQ(last, r.out.substr(r.out.size() - last.size()));
    }
};

TEST_F(SearchFarmTest, PairsEveryMWithEveryVMOuterAndRecordsThePasses) {
    writeFormulas("formulas_001.txt", names("a", 0, 7));
    writeFormulas("formulas_002.txt", names("b", 0, 7));
    writeFile(path("fake_rule.txt"), "serve=1000\npass=a3\n");

    RunResult r = run();

    expectCleanShutdown(r);
    std::vector<std::string> all = names("a", 0, 7), bs = names("b", 0, 7);
    all.insert(all.end(), bs.begin(), bs.end());
    std::vector<std::string> expected = {"r M+m+V+v M+m+V+v"};
    std::string best;
    for (auto &m : all)
        for (auto &v : all) {
            expected.push_back("r " + m + " " + v);
            if (m == "a3") best += "M = a3, V = " + v + "\n";
        }
    EXPECT_EQ(expected, requests(MB_KEY_BASE));
    EXPECT_EQ(best, readFile(path("best.txt")));
    EXPECT_EQ(14, count(r.out, "*** score = 4 ***, M = a3, V = "));
    EXPECT_NE(std::string::npos, r.out.find("*** score = 4 ***, M = a3, V = b6, process key = 1000\n"));
    EXPECT_NE(std::string::npos, r.out.find("all done.\n"));
    // The segments outlive the run, for the next one to take again.
    for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
        EXPECT_GE(shmget(key, 0, 0), 0) << key;
}

TEST_F(SearchFarmTest, The501stPairIsASelfTestAndItsReplyIsRecorded) {
    const auto formulas = names("f", 0, 23);  // 529 pairs
    writeFormulas("formulas_001.txt", formulas);
    writeFile(path("fake_rule.txt"), "serve=1000\n");

    RunResult r = run();

    expectCleanShutdown(r);
    auto taken = requests(MB_KEY_BASE);
    ASSERT_EQ(1u + 529u, taken.size());
    EXPECT_EQ("t f21 f17", taken[501]);
    EXPECT_EQ(1, std::count_if(taken.begin(), taken.end(), [](auto &t) { return t[0] == 't'; }));
    EXPECT_EQ("M = f21, V = f17\n", readFile(path("best.txt")));
    EXPECT_NE(std::string::npos, r.out.find("*** score = 3 ***, M = f21, V = f17, process key = 1000\n"));
}

TEST_F(SearchFarmTest, RepliesStillOutstandingAtTheEndReachBestTxt) {
    writeFormulas("formulas_001.txt", names("f", 0, 7));
    // Every pair passes, and each answer takes longer than the pause after "all done.".
    writeFile(path("fake_rule.txt"), "pass=*\ndelay_ms=5000\n");

    RunResult r = run();

    expectCleanShutdown(r);
    std::multiset<std::string> answered, recorded;
    for (auto &t : allRequests()) {
        std::istringstream in(t);
        std::string letter, m, v;
        in >> letter >> m >> v;
        answered.insert("M = " + m + ", V = " + v);
    }
    for (auto &line : lines(readFile(path("best.txt")))) recorded.insert(line);
    EXPECT_EQ(50u + 49u, answered.size());
    EXPECT_EQ(answered, recorded);
}

TEST_F(SearchFarmTest, StopFileAtStartEndsBeforeTheFirstPair) {
    writeFormulas("formulas_001.txt", names("f", 0, 7));
    writeFile(path("stop.txt"), "");

    RunResult r = run();

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("*** stop.txt file detected, Exiting. ***all done.\n"));
    for (auto &t : allRequests()) EXPECT_EQ("r M+m+V+v M+m+V+v", t);
}

TEST_F(SearchFarmTest, ProgressLineIsLoggedAndStopFileEndsARunningSearch) {
    const auto formulas = names("f", 0, 100);
    writeFormulas("formulas_001.txt", formulas);
    writeFile(path("fake_rule.txt"), "serve=1000\ndelay_ms=5\n");
    const std::string outDir = makeTempDir();
    pid_t pid = startProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=0"}, outDir);

    ASSERT_TRUE(waitFor([&] { return readFile(path("logfile.txt")).find("log. M") != std::string::npos; }, 30));
    writeFile(path("stop.txt"), "");
    RunResult r = waitProgram(pid, 120, outDir);
    removeTree(outDir);

    expectCleanShutdown(r);
    std::smatch p;
    const std::string log = readFile(path("logfile.txt"));
    const std::regex progress(
        "log\\. M = (f\\d+), V = (f\\d+), fileM = 0, formulaM = (\\d+), fileNumV = 0, "
        "formulaNumV = (\\d+), total = (\\d+), numPassed = (\\d+)\n");
    ASSERT_TRUE(std::regex_search(log, p, progress)) << log;
    const int formulaM = std::stoi(p[3]), formulaNumV = std::stoi(p[4]);
    EXPECT_EQ(formulas[formulaM - 1], p[1]);
    EXPECT_EQ(formulas[formulaNumV - 1], p[2]);
    EXPECT_EQ((formulaM - 1) * 100 + formulaNumV - 1, std::stol(p[5]));  // pairs sent before it
    EXPECT_EQ(std::stol(p[5]) > 500 ? 1 : 0, std::stol(p[6]));  // the self-test reply
    EXPECT_NE(std::string::npos, r.out.find(p[0]));
    EXPECT_NE(std::string::npos, r.out.find("*** stop.txt file detected, Exiting. ***all done.\n"));
    EXPECT_LT(requests(MB_KEY_BASE).size(), 1u + 100u * 100u);
}

TEST_F(SearchFarmTest, LowMemoryBeforeTheFirstPairIsReported) {
    writeFormulas("formulas_001.txt", names("f", 0, 7));

    RunResult r = run({"QUARN_MIN_FREE_KB=999999999999"});

    expectCleanShutdown(r);
    const std::regex line("\\*\\*\\*\\* Memory too low: y\\d{4}m\\d\\dd\\d\\d \\d\\d:\\d\\d:\\d\\d Exiting \\*\\*\\*\\*\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, line)) << r.out;
    EXPECT_NE(std::string::npos, readFile(path("logfile.txt")).find(m[0]));
    EXPECT_NE(std::string::npos, r.out.find(std::string(m[0]) + "all done.\n"));
    for (auto &t : allRequests()) EXPECT_EQ("r M+m+V+v M+m+V+v", t);
}

TEST_F(SearchFarmTest, LowMemoryDuringTheSearchEndsIt) {
    // The coordinator reads a /proc/meminfo of the test's making, in a mount namespace of its own;
    // the threshold is the built-in one.
    writeFormulas("formulas_001.txt", names("f", 0, 100));
    writeFile(path("fake_rule.txt"), "serve=1000\ndelay_ms=2\n");
    const std::string meminfo = path("meminfo");
    writeFile(meminfo, "MemTotal:       99000000 kB\nMemFree:        50000000 kB\n");
    const std::string outDir = makeTempDir();
    pid_t pid = startProgram(dir, {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
                                   "mount --bind " + meminfo + " /proc/meminfo && exec " + kQuarnMain},
                             {}, outDir);

    ASSERT_TRUE(waitFor([&] { return requests(MB_KEY_BASE).size() > 300; }, 30));
    // Rewritten in place: the bind mount holds on to this very file.
    { std::ofstream(meminfo, std::ios::trunc) << "MemFree:           1000 kB\n"; }
    RunResult r = waitProgram(pid, 120, outDir);
    removeTree(outDir);

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("**** Memory too low: y")) << r.out;
    EXPECT_NE(std::string::npos, readFile(path("logfile.txt")).find("**** Memory too low: y"));
    EXPECT_LT(requests(MB_KEY_BASE).size(), 1u + 100u * 100u);
}

TEST_F(SearchFarmTest, APairNoClientTakesIsDroppedAfterTenSeconds) {
    writeFormulas("formulas_001.txt", {"f0"});
    writeFile(path("fake_rule.txt"), "serve=1\n");  // no client answers

    RunResult r = run();

    expectCleanShutdown(r);
    EXPECT_EQ(1, count(r.out, "----- time out waiting for assign -----\n"));
    EXPECT_NE(std::string::npos, r.out.find("----- time out waiting for assign -----\nall done.\n"));
}

TEST_F(SearchFarmTest, CtrlCDuringTheSearchStopsEveryClient) {
    writeFormulas("formulas_001.txt", names("f", 0, 100));
    writeFile(path("fake_rule.txt"), "delay_ms=20\n");
    const std::string outDir = makeTempDir();
    pid_t pid = startProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=0"}, outDir);

    ASSERT_TRUE(waitFor([&] { return allRequests().size() > 200; }, 30));
    kill(-pid, SIGINT);  // as a terminal does: the whole process group
    RunResult r = waitProgram(pid, 120, outDir);
    removeTree(outDir);

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("Received SIGINT (Ctrl+C). Now closing all processes.\n"));
    EXPECT_EQ(std::string::npos, r.out.find("all done."));
}

TEST_F(SearchFarmTest, CtrlCWhileTheFarmIsBuiltStopsTheClientsStartedSoFar) {
    writeFormulas("formulas_001.txt", names("f", 0, 7));
    const std::string outDir = makeTempDir();
    pid_t pid = startProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=0"}, outDir);

    ASSERT_TRUE(waitFor([&] { return readFile(outDir + "/stdout.txt").find("key = 1005\n") != std::string::npos; }, 30));
    kill(-pid, SIGINT);
    RunResult r = waitProgram(pid, 120, outDir);
    removeTree(outDir);

    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("Received SIGINT (Ctrl+C). Now closing all processes.\n"));
    EXPECT_EQ(std::string::npos, r.out.find("Timer expired"));
    const int started = count(r.out, "starting background process quarnClient with key = ");
    EXPECT_LT(started, 50);
    EXPECT_EQ(started, count(r.out, "received exit confirmation from client "));
}

TEST_F(SearchFarmTest, AFarmThatCannotBeBuiltStopsTheClientsAlreadyStarted) {
    // A segment of another size under key 1025 makes getting that mailbox fail.
    shmctl(shmget(MB_KEY_BASE + 25, 0, 0), IPC_RMID, nullptr);
    int stray = shmget(MB_KEY_BASE + 25, 100, IPC_CREAT | 0600);
    ASSERT_GE(stray, 0);
    writeFormulas("formulas_001.txt", names("f", 0, 7));

    RunResult r = run();

    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("Error: could not get shm_id with shmget() for key = 1025\n"));
    EXPECT_EQ(25, count(r.out, "received exit confirmation from client "));
}

TEST_F(SearchFarmTest, AClientThatNeverConfirmsIsNamedAfterTheTimeLimit) {
    writeFormulas("formulas_001.txt", names("f", 0, 7));
    writeFile(path("stop.txt"), "");
    writeFile(path("fake_rule.txt"), "mute=1003\n");

    RunResult r = run({"QUARN_MIN_FREE_KB=0"}, 180);

    EXPECT_EQ(0, r.status);
    EXPECT_EQ(49, count(r.out, "received exit confirmation from client "));
    EXPECT_EQ(std::string::npos, r.out.find("from client 1003\n"));
    EXPECT_NE(std::string::npos,
              r.out.find("Timer expired! Exiting the loop\n\rclient 1003 did not confirm its stop; its process may still run\n"
                         "\rall clients stopped and all shared memory freed. Exiting\n"));
}

// Formulas in the four variables that the real client compiles: M?m?V?v?k for the four
// operators and k = 1..4 (1024 of them).
std::vector<std::string> realFormulas() {
    const std::string ops = "+-*/";
    std::vector<std::string> out;
    for (char k = '1'; k <= '4'; ++k)
        for (char d : ops)
            for (char a : ops)
                for (char b : ops)
                    for (char c : ops)
                        out.push_back(std::string("M") + a + "m" + b + "V" + c + "v" + d + k);
    return out;
}

class RealClientFarmTest : public SearchFarmTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        removeStrayShortSegment();
        std::filesystem::copy_file(kRealClient, path("quarnClient"));
    }
};

TEST_F(RealClientFarmTest, FindsAPassingPair) {
    // Two M formulas pass with the last V; "m" does not compile to four variables.
    writeFormulas("formulas_001.txt", {"M+m+V+v+1", "M-m+V*v/1", "M/m-V+v/2", "M-m+V*v*1", "m", "M+m*V*v+1"});

    RunResult r = run();

    expectCleanShutdown(r);
    auto best = lines(readFile(path("best.txt")));
    std::sort(best.begin(), best.end());
    EXPECT_EQ((std::vector<std::string>{"M = M-m+V*v*1, V = M+m*V*v+1", "M = M-m+V*v/1, V = M+m*V*v+1"}), best);
    EXPECT_NE(std::string::npos, r.out.find("*** score = 4 ***, M = M-m+V*v/1, V = M+m*V*v+1, process key = "));
    EXPECT_EQ(2, count(r.out, "*** Passed !!!!! ***\n"));
}

TEST_F(RealClientFarmTest, CtrlCInATerminalStopsEveryClient) {
    // The terminal sends SIGINT to its whole foreground process group; the clients must still
    // confirm their stop and end.
    writeFormulas("formulas_001.txt", realFormulas());
    const std::string session = "quarn_test_" + std::to_string(getpid());
    const std::string command = "cd " + dir + " && QUARN_MIN_FREE_KB=0 " + kQuarnMain +
                                " > out.txt 2>&1; echo EXITED $? >> out.txt";
    ASSERT_EQ(0, std::system(("tmux new-session -d -s " + session + " -x 200 -y 50 '" + command + "'").c_str()));

    bool dispatching = waitFor([&] { return readFile(path("out.txt")).find("key = 1049\n") != std::string::npos; }, 30);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::system(("tmux send-keys -t " + session + " C-c").c_str());
    bool ended = waitFor([&] { return readFile(path("out.txt")).find("EXITED") != std::string::npos; }, 90);
    std::system(("tmux kill-session -t " + session + " 2>/dev/null").c_str());

    ASSERT_TRUE(dispatching);
    ASSERT_TRUE(ended);
    RunResult r;
    r.out = readFile(path("out.txt"));
    const std::string exited = "EXITED 0\n";
    ASSERT_EQ(exited, r.out.substr(r.out.size() - exited.size()));
    r.out.resize(r.out.size() - exited.size());
    r.status = 0;
    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("Received SIGINT (Ctrl+C). Now closing all processes.\n"));
}

}  // namespace
