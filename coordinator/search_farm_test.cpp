// Whole searches: the real quarnMain with 50 client processes on the machine-wide keys
// 1000-1049 (these tests run one at a time). Most use the stand-in of test/fake_client.cpp as
// ./quarnClient, whose request logs show every pair sent; the terminal test uses the real one.
#include <dirent.h>
#include <signal.h>
#include <sys/shm.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "mailbox.h"
#include "run_util.h"

namespace {

const std::string kQuarnMain = QUARN_BIN_DIR "/quarnMain";
const std::vector<std::string> kDispatch = {"QUARN_MIN_FREE_KB=0"};
const std::string kFinal = "\rall clients stopped and all shared memory freed. Exiting\n";

std::vector<std::string> names(const std::string &stem, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(stem + std::to_string(i));
    return out;
}

// Processes working in `dir`: the clients of a run there.
std::vector<pid_t> processesIn(const std::string &dir) {
    std::vector<pid_t> found;
    for (const auto &e : std::filesystem::directory_iterator("/proc")) {
        std::error_code ec;
        auto cwd = std::filesystem::read_symlink(e.path() / "cwd", ec);
        if (!ec && cwd == dir) found.push_back(std::atoi(e.path().filename().c_str()));
    }
    return found;
}

class SearchFarmTest : public TempDirTest {
protected:
    // The runs leave their segments for the next run to take; the last test removes them.
    static void TearDownTestSuite() {
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
            shmctl(shmget(key, 0, 0), IPC_RMID, nullptr);
    }
    void SetUp() override {
        TempDirTest::SetUp();
        std::filesystem::copy_file(client, path("quarnClient"));
    }
    void TearDown() override {
        std::vector<pid_t> left;  // a client left behind would poll for ever
        waitFor([&] { return (left = processesIn(dir)).empty(); }, 5);
        for (pid_t pid : left) kill(pid, SIGKILL);
        EXPECT_TRUE(left.empty()) << left.size() << " processes left behind";
        TempDirTest::TearDown();
    }
    // A formula file as the generator lays it out: 7 formulas a line, then an empty line.
    void writeFormulas(const std::string &name, const std::vector<std::string> &formulas) {
        std::string text;
        for (size_t i = 0; i < formulas.size(); ++i)
            text += formulas[i] + (i % 7 == 6 || i + 1 == formulas.size() ? ", \n" : ", ");
        writeFile(path(name), text + "\n");
    }
    std::vector<std::string> requests(int key) {
        return lines(readFile(path("requests_" + std::to_string(key) + ".log")));
    }
    std::vector<std::string> allRequests() {
        std::vector<std::string> all;
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
            for (auto &r : requests(key)) all.push_back(r);
        return all;
    }
    // Every client confirmed, in key order, and the final line ends the output.
    static void expectCleanShutdown(const RunResult &r) {
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(std::string::npos, r.out.find("Timer expired"));
        size_t at = 0;
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key) {
            at = r.out.find("\rreceived exit confirmation from client " + std::to_string(key) + "\n", at);
            ASSERT_NE(std::string::npos, at) << "no confirmation from " << key << " in order";
        }
        EXPECT_TRUE(r.out.ends_with(kFinal));
    }
    std::string client = QUARN_TEST_BIN_DIR "/fake_client";
};

TEST_F(SearchFarmTest, PairsEveryMWithEveryVAndRecordsThePassesAndTheSelfTest) {
    const auto a = names("a", 12), b = names("b", 11);  // 23 x 23 = 529 pairs
    writeFormulas("formulas_001.txt", a);
    writeFormulas("formulas_002.txt", b);
    writeFile(path("fake_rule.txt"), "serve=1000\npass=a3\n");

    RunResult r = runProgram(dir, {kQuarnMain}, kDispatch);

    expectCleanShutdown(r);
    auto all = a;
    all.insert(all.end(), b.begin(), b.end());
    std::vector<std::string> sent = {"r M+m+V+v M+m+V+v"};
    std::string best;
    for (auto &m : all)
        for (auto &v : all) {
            const bool selfTest = sent.size() == 501;
            sent.push_back((selfTest ? "t " : "r ") + m + " " + v);
            if (m == "a3" || selfTest) best += "M = " + m + ", V = " + v + "\n";
        }
    EXPECT_EQ(sent, requests(MB_KEY_BASE));
    EXPECT_EQ("t b9 b5", sent[501]);
    EXPECT_EQ(best, readFile(path("best.txt")));
    EXPECT_EQ(23, count(r.out, "*** score = 4 ***, M = a3, V = "));
    EXPECT_EQ(1, count(r.out, "*** score = 4 ***, M = a3, V = b10, process key = 1000\n"));
    EXPECT_EQ(1, count(r.out, "*** score = 3 ***, M = b9, V = b5, process key = 1000\n"));
    for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
        EXPECT_GE(shmget(key, 0, 0), 0) << "segment " << key << " must outlive the run";
}

TEST_F(SearchFarmTest, RepliesStillOutstandingAtTheEndReachBestTxt) {
    writeFormulas("formulas_001.txt", names("f", 7));
    writeFile(path("fake_rule.txt"), "pass=*\ndelay_ms=5000\n");  // slower than the end pause

    RunResult r = runProgram(dir, {kQuarnMain}, kDispatch);

    expectCleanShutdown(r);
    std::multiset<std::string> answered, recorded;
    for (auto &t : allRequests()) {
        std::istringstream in(t.substr(2));
        std::string m, v;
        in >> m >> v;
        answered.insert("M = " + m + ", V = " + v);
    }
    for (auto &line : lines(readFile(path("best.txt")))) recorded.insert(line);
    EXPECT_EQ(50u + 49u, answered.size());
    EXPECT_EQ(answered, recorded);
}

TEST_F(SearchFarmTest, StopFileOrLowMemoryBeforeTheFirstPairEndTheSearch) {
    writeFormulas("formulas_001.txt", names("f", 7));
    const std::regex memoryLine("\\*\\*\\*\\* Memory too low: y\\d{4}m\\d\\dd\\d\\d \\d\\d:\\d\\d:\\d\\d Exiting \\*\\*\\*\\*\nall done\\.\n");
    writeFile(path("stop.txt"), "");
    RunResult stopped = runProgram(dir, {kQuarnMain}, kDispatch);
    std::filesystem::remove(path("stop.txt"));
    RunResult lowMemory = runProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=999999999999"});

    expectCleanShutdown(stopped);
    expectCleanShutdown(lowMemory);
    EXPECT_NE(std::string::npos, stopped.out.find("*** stop.txt file detected, Exiting. ***all done.\n"));
    EXPECT_TRUE(std::regex_search(lowMemory.out, memoryLine)) << lowMemory.out;
    EXPECT_NE(std::string::npos, readFile(path("logfile.txt")).find("**** Memory too low: y"));
    for (auto &t : allRequests()) EXPECT_EQ("r M+m+V+v M+m+V+v", t);
}

TEST_F(SearchFarmTest, ProgressLineIsLoggedAndStopFileEndsARunningSearch) {
    const auto formulas = names("f", 100);
    writeFormulas("formulas_001.txt", formulas);
    writeFile(path("fake_rule.txt"), "serve=1000\ndelay_ms=5\n");
    Process run(dir, {kQuarnMain}, kDispatch);
    ASSERT_TRUE(waitFor([&] { return readFile(path("logfile.txt")).find("log. M") != std::string::npos; }, 30));
    writeFile(path("stop.txt"), "");
    RunResult r = run.wait(120);

    expectCleanShutdown(r);
    std::smatch p;
    const std::string log = readFile(path("logfile.txt"));
    ASSERT_TRUE(std::regex_search(log, p, std::regex(
        "log\\. M = (f\\d+), V = (f\\d+), fileM = 0, formulaM = (\\d+), fileNumV = 0, "
        "formulaNumV = (\\d+), total = (\\d+), numPassed = (\\d+)\n"))) << log;
    const long formulaM = std::stol(p[3]), formulaNumV = std::stol(p[4]), total = std::stol(p[5]);
    EXPECT_EQ(formulas[formulaM - 1], p[1]);
    EXPECT_EQ(formulas[formulaNumV - 1], p[2]);
    EXPECT_EQ((formulaM - 1) * 100 + formulaNumV - 1, total);  // pairs sent before this one
    EXPECT_EQ(total > 500 ? 1 : 0, std::stol(p[6]));              // the self-test reply
    EXPECT_NE(std::string::npos, r.out.find(p[0]));
    EXPECT_NE(std::string::npos, r.out.find("*** stop.txt file detected, Exiting. ***all done.\n"));
    EXPECT_LT(requests(MB_KEY_BASE).size(), 1u + 100u * 100u);
}

TEST_F(SearchFarmTest, LowMemoryDuringTheSearchEndsIt) {
    // quarnMain reads a /proc/meminfo of the test's making, in a mount namespace of its own,
    // against its built-in threshold.
    writeFormulas("formulas_001.txt", names("f", 100));
    writeFile(path("fake_rule.txt"), "serve=1000\ndelay_ms=2\n");
    const std::string meminfo = path("meminfo");
    writeFile(meminfo, "MemFree:        50000000 kB\n");
    Process run(dir, {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
                  "mount --bind " + meminfo + " /proc/meminfo && exec " + kQuarnMain});
    ASSERT_TRUE(waitFor([&] { return requests(MB_KEY_BASE).size() > 300; }, 30));
    std::ofstream(meminfo, std::ios::in | std::ios::out) << "MemFree:            1000 kB\n";
    RunResult r = run.wait(120);

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("**** Memory too low: y")) << r.out;
    EXPECT_NE(std::string::npos, readFile(path("logfile.txt")).find("**** Memory too low: y"));
    EXPECT_LT(requests(MB_KEY_BASE).size(), 1u + 100u * 100u);
}

TEST_F(SearchFarmTest, CtrlCOrAKillDuringTheSearchOrTheFarmStopsEveryStartedClient) {
    writeFormulas("formulas_001.txt", names("f", 100));
    writeFile(path("fake_rule.txt"), "delay_ms=20\n");
    const struct { int signal; bool duringSearch; const char *message; } cases[] = {
        {SIGINT, true, "Received SIGINT (Ctrl+C). Now closing all processes.\n"},
        {SIGINT, false, "Received SIGINT (Ctrl+C). Now closing all processes.\n"},
        {SIGTERM, true, "Received signal 15 (Terminated). Now closing all processes.\n"},
    };
    for (const auto &c : cases) {
        for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
            std::filesystem::remove(path("requests_" + std::to_string(key) + ".log"));
        Process run(dir, {kQuarnMain}, kDispatch);
        ASSERT_TRUE(waitFor([&] {
            return c.duringSearch ? allRequests().size() > 200 : run.out().find("key = 1005\n") != std::string::npos;
        }, 30));
        kill(c.signal == SIGINT ? -run.pid : run.pid, c.signal);  // Ctrl+C: the whole process group
        RunResult r = run.wait(120);

        EXPECT_EQ(0, r.status);
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
        EXPECT_EQ(std::string::npos, r.out.find("all done."));
        EXPECT_EQ(std::string::npos, r.out.find("Timer expired"));
        const int started = count(r.out, "starting background process quarnClient with key = ");
        EXPECT_EQ(started, count(r.out, "received exit confirmation from client "));
        EXPECT_EQ(c.duringSearch, started == 50);
        EXPECT_TRUE(r.out.ends_with(kFinal));
    }
}

TEST_F(SearchFarmTest, AFarmThatCannotBeBuiltStopsTheClientsAlreadyStarted) {
    // A segment of another size under key 1025 makes getting that mailbox fail.
    shmctl(shmget(MB_KEY_BASE + 25, 0, 0), IPC_RMID, nullptr);
    int stray = shmget(MB_KEY_BASE + 25, 100, IPC_CREAT | 0600);
    ASSERT_GE(stray, 0);
    writeFormulas("formulas_001.txt", names("f", 7));

    RunResult r = runProgram(dir, {kQuarnMain}, kDispatch);
    shmctl(stray, IPC_RMID, nullptr);

    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("Error: could not get shm_id with shmget() for key = 1025\n"));
    EXPECT_EQ(25, count(r.out, "received exit confirmation from client "));
}

TEST_F(SearchFarmTest, APairNobodyTakesIsDroppedAndAClientThatNeverConfirmsIsNamed) {
    writeFormulas("formulas_001.txt", {"f0"});
    writeFile(path("fake_rule.txt"), "serve=1\nmute=1003\n");  // nobody answers; 1003 stays silent

    RunResult r = runProgram(dir, {kQuarnMain}, kDispatch, 180);

    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("----- time out waiting for assign -----\nall done.\n"));
    EXPECT_EQ(49, count(r.out, "received exit confirmation from client "));
    EXPECT_TRUE(r.out.ends_with("Timer expired! Exiting the loop\n"
                                "\rclient 1003 did not confirm its stop; its process may still run\n" + kFinal));
}

class RealClientFarmTest : public SearchFarmTest {
protected:
    RealClientFarmTest() { client = QUARN_BIN_DIR "/quarnClient"; }
};

TEST_F(RealClientFarmTest, CtrlCInATerminalStopsEveryClient) {
    // The terminal signals its whole foreground process group; every client must still confirm.
    std::vector<std::string> formulas;  // M?m?V?v?k: 1024 formulas, about a million pairs
    for (int i = 0; i < 1024; ++i)
        formulas.push_back(std::string("M") + "+-*/"[i % 4] + "m" + "+-*/"[i / 4 % 4] + "V" +
                           "+-*/"[i / 16 % 4] + "v" + "+-*/"[i / 64 % 4] + std::to_string(i / 256 + 1));
    writeFormulas("formulas_001.txt", formulas);
    const std::string tmux = "tmux -L quarn_test_" + std::to_string(getpid()) + " ";
    ASSERT_EQ(0, std::system((tmux + "new-session -d -x 200 -y 50 'cd " + dir + " && QUARN_MIN_FREE_KB=0 " +
                              kQuarnMain + " > out.txt 2>&1; echo EXITED $? >> out.txt'").c_str()));
    bool dispatching = waitFor([&] { return readFile(path("out.txt")).find("key = 1049\n") != std::string::npos; }, 30);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::system((tmux + "send-keys C-c").c_str());
    bool ended = waitFor([&] { return readFile(path("out.txt")).find("EXITED") != std::string::npos; }, 90);
    std::system((tmux + "kill-server 2>/dev/null").c_str());

    ASSERT_TRUE(dispatching && ended);
    RunResult r{0, readFile(path("out.txt")), ""};
    ASSERT_TRUE(r.out.ends_with("EXITED 0\n"));
    r.out.resize(r.out.size() - 9);
    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("Received SIGINT (Ctrl+C). Now closing all processes.\n"));
}

}  // namespace
