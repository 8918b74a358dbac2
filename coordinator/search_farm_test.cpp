// Whole searches: the real quarnMain with 50 client processes, mostly the stand-in of
// test/fake_client.cpp as ./quarnClient, whose request logs show every pair sent. Each test
// has a range of mailbox keys of its own; only the first uses the default keys and sudo.
#include <signal.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "keylock.h"
#include "mailbox.h"
#include "support.h"

namespace {

const std::string kQuarnMain = QUARN_BIN_DIR "/quarnMain";
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
    explicit SearchFarmTest(int keyBase = 21000) : base(keyBase) {}
    void SetUp() override {
        TempDirTest::SetUp();
        std::filesystem::copy_file(QUARN_TEST_BIN_DIR "/fake_client", path("quarnClient"));
        env = {"QUARN_MIN_FREE_KB=0", "QUARN_CLIENT_SUDO=0", "QUARN_KEY_BASE=" + std::to_string(base)};
    }
    void TearDown() override {
        for (const auto &d : dirs) endProcessesIn(d);
        endProcessesIn(dir);
        for (int key = base; key < base + MB_NUM_CLIENTS; ++key)
            shmctl(shmget(key, 0, 0), IPC_RMID, nullptr);
        char lock[256];
        keyLockPath(lock, sizeof lock, base);
        unlink(lock);
        for (const auto &d : dirs) removeTree(d);
        TempDirTest::TearDown();
    }
    // A client left behind would poll for ever.
    static void endProcessesIn(const std::string &where) {
        std::vector<pid_t> left;
        waitFor([&] { return (left = processesIn(where)).empty(); }, 5);
        for (pid_t pid : left) kill(pid, SIGKILL);
        EXPECT_TRUE(left.empty()) << left.size() << " processes left behind in " << where;
    }
    // A formula file as the generator lays it out: 7 formulas a line, then an empty line.
    static void writeFormulas(const std::string &file, const std::vector<std::string> &formulas) {
        std::string text;
        for (size_t i = 0; i < formulas.size(); ++i)
            text += formulas[i] + (i % 7 == 6 || i + 1 == formulas.size() ? ", \n" : ", ");
        writeFile(file, text + "\n");
    }
    std::vector<std::string> requests(int key, const std::string &where = "") const {
        return lines(readFile((where.empty() ? dir : where) + "/requests_" + std::to_string(key) + ".log"));
    }
    std::vector<std::string> allRequests(const std::string &where = "") const {
        std::vector<std::string> all;
        for (int key = base; key < base + MB_NUM_CLIENTS; ++key)
            for (auto &r : requests(key, where)) all.push_back(r);
        return all;
    }
    // Every client confirmed, in key order, and the final line ends the output.
    void expectCleanShutdown(const RunResult &r) const {
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(std::string::npos, r.out.find("Timer expired"));
        size_t at = 0;
        for (int key = base; key < base + MB_NUM_CLIENTS; ++key) {
            at = r.out.find("\rreceived exit confirmation from client " + std::to_string(key) + "\n", at);
            ASSERT_NE(std::string::npos, at) << "no confirmation from " << key << " in order";
        }
        EXPECT_TRUE(r.out.ends_with(kFinal));
    }
    // The last two lines of the log: the last progress line, which starts with `progress`, and
    // the end line with `reason`.
    void expectEndOfLog(const std::string &progress, const std::string &reason) const {
        std::smatch end;
        const std::string log = readFile(path("logfile.txt"));
        EXPECT_TRUE(std::regex_search(log, end, std::regex("(log\\. M = [^\n]*)\nRun ended: y\\d{4}m\\d\\dd\\d\\d "
                                                           "\\d\\d:\\d\\d:\\d\\d, ([^\n]*)\n$")))
            << log;
        EXPECT_TRUE(end[1].str().starts_with(progress)) << end[1];
        EXPECT_EQ(reason, end[2]);
    }
    std::string newDir() { return dirs.emplace_back(makeTempDir()); }
    int base;
    std::vector<std::string> env, dirs;
};

// Every pair M x V of the formulas, as "M = m, V = v" lines.
std::multiset<std::string> everyPair(const std::vector<std::string> &formulas) {
    std::multiset<std::string> pairs;
    for (auto &m : formulas)
        for (auto &v : formulas) pairs.insert("M = " + m + ", V = " + v);
    return pairs;
}

// The lines of a best.txt, without the seed pairs that a stand-in passing every pair passes.
std::multiset<std::string> bestLines(const std::string &file) {
    std::multiset<std::string> pairs;
    for (auto &line : lines(readFile(file)))
        if (line != "M = M+m+V+v, V = M+m+V+v") pairs.insert(line);
    return pairs;
}

class DefaultKeysFarmTest : public SearchFarmTest {
protected:
    DefaultKeysFarmTest() : SearchFarmTest(MB_KEY_BASE) {}
};

TEST_F(DefaultKeysFarmTest, PairsEveryMWithEveryVAndRecordsThePassesAndTheSelfTest) {
    const auto a = names("a", 12), b = names("b", 11);  // 23 x 23 = 529 pairs
    writeFormulas(path("formulas_001.txt"), a);
    ASSERT_EQ(0, mkfifo(path("formulas_002.txt").c_str(), 0600));  // no formulas, and no wait
    writeFormulas(path("formulas_003.txt"), b);
    writeFile(path("fake_rule.txt"), "serve=1000\npass=a3\n");

    RunResult r = runProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=0"});  // sudo, keys 1000-1049

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
    expectEndOfLog("log. M = , V = , fileM = 3, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 529, "
                   "numPassed = 24", "all done");
    for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
        EXPECT_GE(shmget(key, 0, 0), 0) << "segment " << key << " must outlive the run";
}

class FaultFarmTest : public SearchFarmTest {
protected:
    FaultFarmTest() : SearchFarmTest(21050) {}
};

TEST_F(FaultFarmTest, PairsOfDeadAndHungClientsAreHandedOnAndEveryPairIsEvaluatedOnce) {
    const auto f = names("f", 20);  // 400 pairs, 8 seconds of them: the faults come while pairs are sent
    writeFormulas(path("formulas_001.txt"), f);
    writeFile(path("fake_rule.txt"), "pass=*\ndelay_ms=1000\n");
    env.push_back("QUARN_HOLD_LIMIT_S=3");
    Process run(dir, {kQuarnMain}, env);
    // Three clients die and one stops while each holds a pair of the catalogue.
    std::vector<int> holding;
    ASSERT_TRUE(waitFor([&] {
        holding.clear();
        for (int key = base; key < base + MB_NUM_CLIENTS; ++key)
            if (requests(key).size() == 2) holding.push_back(key);
        return holding.size() >= 4;
    }, 30));
    std::map<int, pid_t> pidOf;
    for (pid_t pid : processesIn(dir)) {
        std::string cmd = readFile("/proc/" + std::to_string(pid) + "/cmdline");
        for (int key : holding)
            if (cmd.find(std::to_string(key)) != std::string::npos) pidOf[key] = pid;
    }
    for (int i = 0; i < 3; ++i) kill(pidOf[holding[i]], SIGKILL);
    kill(pidOf[holding[3]], SIGSTOP);
    ASSERT_TRUE(waitFor([&] { return run.out().find("held its pair") != std::string::npos; }, 30));
    kill(pidOf[holding[3]], SIGCONT);  // it finds the stop letter and ends
    RunResult r = run.wait(120);

    expectCleanShutdown(r);
    EXPECT_EQ(everyPair(f), bestLines(path("best.txt")));
    const std::string log = readFile(path("logfile.txt"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(std::string::npos, log.find("client " + std::to_string(holding[i]) + " is gone; its pair M = "));
    EXPECT_NE(std::string::npos, log.find("client " + std::to_string(holding[3]) + " has held its pair M = "));
    EXPECT_EQ(4, count(r.out, " (1 of 3)\n"));  // each replaced once
    expectEndOfLog("log. M = , V = , fileM = 1, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 400, "
                   "numPassed = ", "all done");  // the seeds pass too
    EXPECT_EQ("", readFile(path("unevaluated.txt")));
}

class OrphanFarmTest : public SearchFarmTest {
protected:
    OrphanFarmTest() : SearchFarmTest(21100) {}
};

TEST_F(OrphanFarmTest, ASecondSearchIsRefusedAndClientsOfAKilledOneAreStoppedFirst) {
    const auto f = names("f", 30);
    writeFormulas(path("formulas_001.txt"), f);
    writeFile(path("fake_rule.txt"), "pass=*\ndelay_ms=20\n");
    Process first(dir, {kQuarnMain}, env);
    ASSERT_TRUE(waitFor([&] { return allRequests().size() > 100; }, 30));

    RunResult second = runProgram(dir, {kQuarnMain}, env, 10);
    EXPECT_EQ(1, second.status);
    EXPECT_EQ("quarnMain: mailbox keys " + std::to_string(base) + "-" + std::to_string(base + 49) +
                  " are in use by the search of process " + std::to_string(first.pid) + " in " + dir + "\n",
              second.err);
    EXPECT_EQ("", second.out);

    kill(first.pid, SIGKILL);  // its 50 clients poll on
    first.wait(10);
    const std::string next = newDir();
    writeFormulas(next + "/formulas_001.txt", f);
    writeFile(next + "/fake_rule.txt", "pass=*\n");
    std::filesystem::copy_file(path("quarnClient"), next + "/quarnClient");
    const auto oldRequests = allRequests().size();
    RunResult r = runProgram(next, {kQuarnMain}, env);

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos, r.out.find("\r50 mailboxes still have clients of an earlier run attached: "
                                            "telling them to stop\n"));
    EXPECT_EQ(oldRequests, allRequests().size()) << "an old client took a request of the new run";
    EXPECT_EQ(everyPair(f), bestLines(next + "/best.txt"));
    EXPECT_TRUE(processesIn(dir).empty());
}

class StartFailureFarmTest : public SearchFarmTest {
protected:
    StartFailureFarmTest() : SearchFarmTest(21150) {}
};

TEST_F(StartFailureFarmTest, AFarmThatCannotBeBuiltEndsWithStatusOneAndNothingRunning) {
    writeFormulas(path("formulas_001.txt"), names("f", 7));
    const int k5 = base + 5;
    const std::string key5 = std::to_string(k5);
    const struct {
        std::string what, client, message;
        int segmentSize, uid, started;
    } cases[] = {
        {"segment of another size", "", "Error: could not get shm_id with shmget() for key = " + key5 + "\n", 100, 0, 0},
        {"segment of another user", "",
         "Error: the segment for key = " + key5 + " is not a mailbox of this user (owner uid 65534, creator uid 65534, "
         "mode 666); remove it (ipcrm -M " + key5 + ") or use other keys\n", MB_SIZE, 65534, 0},
        {"client that exits at once", "#!/bin/sh\nexit 0\n",
         "Error: the client with key = " + std::to_string(base) + " did not attach its mailbox within 10 s; check that \"./quarnClient " +
             std::to_string(base) + " &\" starts ./quarnClient here (sudo allowed without a password, ./quarnClient present "
             "and executable)\n", 0, 0, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path("logfile.txt"));
        int stray = -1;
        if (c.segmentSize > 0) {
            shmctl(shmget(k5, 0, 0), IPC_RMID, nullptr);
            pid_t maker = fork();
            if (maker == 0) _exit((c.uid && setuid(c.uid)) || shmget(k5, c.segmentSize, IPC_CREAT | 0666) < 0);
            int status;
            waitpid(maker, &status, 0);
            ASSERT_EQ(0, status);
            stray = shmget(k5, 0, 0);
        }
        if (!c.client.empty()) {
            std::filesystem::remove(path("quarnClient"));
            writeFile(path("quarnClient"), c.client);
            chmod(path("quarnClient").c_str(), 0755);
        }
        auto start = std::chrono::steady_clock::now();
        RunResult r = runProgram(dir, {kQuarnMain}, env, 60);
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
        if (stray >= 0) shmctl(stray, IPC_RMID, nullptr);

        EXPECT_EQ(1, r.status);
        EXPECT_LT(seconds, 20);
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
        EXPECT_EQ(c.started, count(r.out, "starting background process quarnClient with key = "));
        EXPECT_EQ(std::string::npos, r.out.find("all done."));
        expectEndOfLog("log. M = , V = , fileM = 0, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 0, "
                       "numPassed = 0", "farm not built");
    }
}

class EndFarmTest : public SearchFarmTest {
protected:
    EndFarmTest() : SearchFarmTest(21200) {}
};

TEST_F(EndFarmTest, EveryEndOfARunIsOrderlyAndLoggedWithItsReason) {
    const auto f = names("f", 100);  // 10,000 pairs, slower than any case waits
    writeFormulas(path("formulas_001.txt"), f);
    const std::string atStart = "log. M = f0, V = , fileM = 0, formulaM = 1, fileNumV = 0, formulaNumV = 1, "
                                "total = 0, numPassed = 0";
    const std::string meminfo = path("meminfo");
    const std::vector<std::string> inLowMemory = {"/usr/bin/unshare", "-m", "--propagation", "private",
                                                  "/bin/sh", "-c", "mount --bind " + meminfo + " /proc/meminfo && exec " + kQuarnMain};
    enum Trigger { NONE, STOP_FILE, MEMORY, GROUP_SIGINT, SIGTERM_ONLY };
    const struct {
        std::string what;
        std::vector<std::string> extraEnv;
        bool stopFileFirst, lowMemory, duringFarm;
        Trigger trigger;
        std::string message, reason, lastLine;
    } cases[] = {
        {"stop file at the start", {}, true, false, false, NONE,
         "*** stop.txt file detected, Exiting. ***all done.\n", "stop file", atStart},
        {"low memory at the start", {"QUARN_MIN_FREE_KB=999999999999"}, false, false, false, NONE,
         " Exiting ****\nall done.\n", "low memory", atStart},
        {"stop file after a progress line", {}, false, false, false, STOP_FILE,
         "*** stop.txt file detected, Exiting. ***all done.\n", "stop file", "log. M = f"},
        {"low memory during the search", {}, false, true, false, MEMORY, " Exiting ****\nall done.\n",
         "low memory", "log. M = f"},
        {"Ctrl+C during the search", {}, false, false, false, GROUP_SIGINT,
         "Received SIGINT (Ctrl+C). Now closing all processes.\n", "SIGINT", "log. M = f"},
        {"Ctrl+C while the farm is built", {}, false, false, true, GROUP_SIGINT,
         "Received SIGINT (Ctrl+C). Now closing all processes.\n", "SIGINT", "log. M = , V = , fileM = 0"},
        {"SIGTERM during the search", {}, false, false, false, SIGTERM_ONLY,
         "Received signal 15 (Terminated). Now closing all processes.\n", "SIGTERM", "log. M = f"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (auto &file : std::filesystem::directory_iterator(dir))
            if (file.path().filename() != "quarnClient" && file.path().filename() != "formulas_001.txt")
                std::filesystem::remove(file.path());
        writeFile(path("fake_rule.txt"), c.duringFarm ? "" : "serve=" + std::to_string(base) + "\ndelay_ms=2\n");
        if (c.stopFileFirst) writeFile(path("stop.txt"), "");
        writeFile(meminfo, "MemFree:        50000000 kB\n");
        auto runEnv = env;
        runEnv.insert(runEnv.end(), c.extraEnv.begin(), c.extraEnv.end());
        if (c.lowMemory) runEnv[0] = "QUARN_MIN_FREE_KB=32000000";
        Process run(dir, c.lowMemory ? inLowMemory : std::vector<std::string>{kQuarnMain}, runEnv);
        if (c.trigger != NONE) {
            ASSERT_TRUE(waitFor([&] {
                if (c.duringFarm) return run.out().find("key = " + std::to_string(base + 5) + "\n") != std::string::npos;
                if (c.trigger == STOP_FILE) return readFile(path("logfile.txt")).find("log. M") != std::string::npos;
                return requests(base).size() > 300;
            }, 30));
        }
        if (c.trigger == STOP_FILE) writeFile(path("stop.txt"), "");
        if (c.trigger == MEMORY) std::ofstream(meminfo, std::ios::in | std::ios::out) << "MemFree:            1000 kB\n";
        if (c.trigger == GROUP_SIGINT) kill(-run.pid, SIGINT);  // the terminal's Ctrl+C: the whole group
        if (c.trigger == SIGTERM_ONLY) kill(run.pid, SIGTERM);
        RunResult r = run.wait(60);

        EXPECT_EQ(0, r.status);
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
        const int started = count(r.out, "starting background process quarnClient with key = ");
        EXPECT_EQ(started, count(r.out, "\rreceived exit confirmation from client "));
        EXPECT_EQ(c.duringFarm, started < MB_NUM_CLIENTS);
        EXPECT_TRUE(r.out.ends_with(kFinal));
        expectEndOfLog(c.lastLine, c.reason);
        EXPECT_LT(requests(base).size(), 1u + 100u * 100u);
        // Every progress line names a pair by its place; total counts the pairs before it.
        const std::regex progress("log\\. M = (f\\d+), V = (f\\d*), fileM = 0, formulaM = (\\d+), fileNumV = 0, "
                                  "formulaNumV = (\\d+), total = (\\d+), numPassed = 0");
        for (auto &line : lines(readFile(path("logfile.txt")))) {
            std::smatch p;
            if (!std::regex_match(line, p, progress)) continue;
            const long formulaM = std::stol(p[3]), formulaNumV = std::stol(p[4]);
            EXPECT_EQ(f[formulaM - 1], p[1]);
            EXPECT_TRUE(p[2] == "" || p[2] == f[formulaNumV - 1]) << line;
            EXPECT_EQ((formulaM - 1) * 100 + formulaNumV - 1, std::stol(p[5])) << line;
        }
    }
}

class SilentFarmTest : public SearchFarmTest {
protected:
    SilentFarmTest() : SearchFarmTest(21250) {}
};

TEST_F(SilentFarmTest, APairNobodyTakesIsRecordedAndAClientThatNeverConfirmsIsNamed) {
    writeFormulas(path("formulas_001.txt"), {"f0"});
    const std::string mute = std::to_string(base + 3);
    writeFile(path("fake_rule.txt"), "serve=1\nmute=" + mute + "\n");  // nobody answers; one stays silent

    RunResult r = runProgram(dir, {kQuarnMain}, env, 180);

    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("----- time out waiting for assign -----\nall done.\n"));
    EXPECT_EQ("M = f0, V = f0\n", readFile(path("unevaluated.txt")));
    EXPECT_EQ(49, count(r.out, "received exit confirmation from client "));
    EXPECT_TRUE(r.out.ends_with("Timer expired! Exiting the loop\n"
                                "\rclient " + mute + " did not confirm its stop; its process may still run\n" + kFinal));
    expectEndOfLog("log. M = , V = , fileM = 1, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 0, "
                   "numPassed = 0", "all done");
    for (pid_t pid : processesIn(dir)) kill(pid, SIGKILL);  // the silent client, as expected
}

}  // namespace
