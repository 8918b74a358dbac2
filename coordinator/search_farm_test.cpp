// Whole searches: the real quarnMain with 50 stand-in clients (test/whole_search.h), each test in
// an IPC namespace of its own on the default keys.
#include <signal.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "common/mailbox.h"
#include "test/whole_search.h"

namespace {

const std::string kFinal = "\rall clients stopped and all shared memory freed. Exiting\n";
const std::vector<std::string> kEnv = {"QUARN_MIN_FREE_KB=0", "QUARN_CLIENT_SUDO=0"};

class SearchFarmTest : public FarmTest {
  protected:
    std::vector<std::string> requestsOf(int key) const {
        return lines(readFile(path("requests_" + std::to_string(key) + ".log")));
    }
    // Every client confirmed its stop, and the final line ends the output.
    static void expectCleanShutdown(const RunResult &r) {
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(MB_NUM_CLIENTS, count(r.out, "\rreceived exit confirmation from client "))
            << r.out;
        EXPECT_TRUE(r.out.ends_with(kFinal));
    }
    // The log ends with a progress line that starts with `progress` and the end line `reason`.
    void expectEndOfLog(const std::string &progress, const std::string &reason) const {
        std::smatch end;
        const std::string log = readFile(path("logfile.txt"));
        ASSERT_TRUE(
            std::regex_search(log, end,
                              std::regex("(log\\. M = [^\n]*)\nRun ended: y\\d{4}m\\d\\dd\\d\\d "
                                         "\\d\\d:\\d\\d:\\d\\d, ([^\n]*)\n$")))
            << log;
        EXPECT_TRUE(end[1].str().starts_with(progress)) << end[1];
        EXPECT_EQ(reason, end[2]);
    }
};

TEST_F(SearchFarmTest, PairsEveryMWithEveryVThroughSudoAndRecordsThePassesAndTheSelfTest) {
    writeCatalogue(dir, {12, 11});  // 23 x 23 = 529 pairs
    std::filesystem::rename(path("formulas_002.txt"), path("formulas_003.txt"));
    ASSERT_EQ(0, mkfifo(path("formulas_002.txt").c_str(), 0600));  // no formulas, and no wait
    placeClient(dir, "serve=1000\npass=f3\n");

    RunResult r = runProgram(dir, {kQuarnMain}, {"QUARN_MIN_FREE_KB=0"});  // sudo, keys 1000-1049

    expectCleanShutdown(r);
    std::vector<std::string> sent = {"r M+m+V+v M+m+V+v"};
    std::string best;
    for (int m = 0; m < 23; ++m)
        for (int v = 0; v < 23; ++v) {
            const std::string pair = "f" + std::to_string(m) + " f" + std::to_string(v);
            sent.push_back((sent.size() == 501 ? "t " : "r ") + pair);
            if (m == 3 || sent.size() == 502)
                best += "M = f" + std::to_string(m) + ", V = f" + std::to_string(v) + "\n";
        }
    EXPECT_EQ(sent, requestsOf(MB_KEY_BASE));
    EXPECT_EQ(best, readFile(path("best.txt")));
    EXPECT_EQ(23, count(r.out, "*** score = 4 ***, M = f3, V = "));
    EXPECT_EQ(1, count(r.out, "*** score = 3 ***, M = f21, V = f17, process key = 1000\n"));
    expectEndOfLog(
        "log. M = , V = , fileM = 3, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 529, "
        "numPassed = 24",
        "all done");
}

TEST_F(SearchFarmTest, PairsOfDeadAndHungClientsAreHandedOnAndEveryPairIsEvaluatedOnce) {
    writeCatalogue(dir, {30});  // 900 pairs, 18 s: the hung client is found well before the end
    placeClient(dir, "pass=*\ndelay_ms=1000\n");
    auto env = kEnv;
    env.push_back("QUARN_HOLD_LIMIT_S=5");
    Process run(dir, {kQuarnMain}, env);
    // Three clients die and one stops while each holds a pair of the catalogue.
    std::vector<int> holding;
    ASSERT_TRUE(waitFor(
        [&] {
            holding.clear();
            for (int key = MB_KEY_BASE; key < MB_KEY_BASE + MB_NUM_CLIENTS; ++key)
                if (requestsOf(key).size() == 2) holding.push_back(key);
            return holding.size() >= 4;
        },
        30));
    std::vector<pid_t> pidOf(4);
    for (pid_t pid : processesIn(dir))
        for (int i = 0; i < 4; ++i)
            if (readFile("/proc/" + std::to_string(pid) + "/cmdline")
                    .ends_with(std::to_string(holding[i]) + '\0'))
                pidOf[i] = pid;
    for (int i = 0; i < 3; ++i) kill(pidOf[i], SIGKILL);
    kill(pidOf[3], SIGSTOP);
    ASSERT_TRUE(waitFor([&] { return run.out().find("held its pair") != std::string::npos; }, 30));
    kill(pidOf[3], SIGCONT);  // it finds the stop letter and ends
    RunResult r = run.wait(120);

    expectCleanShutdown(r);
    std::vector<std::string> every, best = lines(readFile(path("best.txt")));  // each pair once
    for (int m = 0; m < 30; ++m)
        for (int v = 0; v < 30; ++v)
            every.push_back("M = f" + std::to_string(m) + ", V = f" + std::to_string(v));
    std::erase(best, "M = M+m+V+v, V = M+m+V+v");  // the stand-in passes the seed pairs too
    std::sort(every.begin(), every.end());
    std::sort(best.begin(), best.end());
    EXPECT_EQ(every, best);
    const std::string log = readFile(path("logfile.txt"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(std::string::npos,
                  log.find("client " + std::to_string(holding[i]) + " is gone; its pair M = "));
    EXPECT_NE(std::string::npos,
              log.find("client " + std::to_string(holding[3]) + " has held its pair M = "));
    EXPECT_EQ(4, count(r.out, " (1 of 3)\n"));  // each replaced once
    expectEndOfLog(
        "log. M = , V = , fileM = 1, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 900, "
        "numPassed = ",
        "all done");
    EXPECT_EQ("", readFile(path("unevaluated.txt")));
}

TEST_F(SearchFarmTest, ASecondSearchIsRefusedAndClientsOfAKilledOneAreStoppedFirst) {
    const std::string first = path("first"), second = path("second");
    for (const auto &at : {first, second}) writeCatalogue(at, {30});
    placeClient(first, "pass=*\ndelay_ms=20\n");
    placeClient(second, "pass=*\n");
    Process run(first, {kQuarnMain}, kEnv);
    ASSERT_TRUE(waitFor([&] { return requested(first).size() > 100; }, 30));

    RunResult refused = runProgram(second, {kQuarnMain}, kEnv, 10);
    EXPECT_EQ(1, refused.status);
    EXPECT_EQ("quarnMain: mailbox keys 1000-1049 are in use by the search of process " +
                  std::to_string(run.pid) + " in " + first + "\n",
              refused.err);
    EXPECT_EQ("", refused.out);

    kill(run.pid, SIGKILL);  // its 50 clients poll on
    run.wait(10);
    const auto oldRequests = requested(first).size();
    RunResult r = runProgram(second, {kQuarnMain}, kEnv);

    expectCleanShutdown(r);
    EXPECT_NE(std::string::npos,
              r.out.find("\r50 mailboxes still have clients of an earlier run attached: "
                         "telling them to stop\n"));
    EXPECT_EQ(oldRequests, requested(first).size())
        << "an old client took a request of the new run";
    EXPECT_EQ(allPairs(30), requested(second));
    EXPECT_TRUE(processesIn(first).empty());
}

TEST_F(SearchFarmTest, AFarmThatCannotBeBuiltEndsWithStatusOneAndNothingRunning) {
    writeCatalogue(dir, {7});
    const struct {
        std::string what, client, message;
        int mode, started;
    } cases[] = {
        {"segment another user made and gave to root", "",
         "Error: the segment for key = 1005 is not a mailbox of this user (owner uid 0, creator "
         "uid 65534, mode "
         "600); remove it (ipcrm -M 1005) or use other keys\n",
         0600, 0},
        {"client that exits at once", "#!/bin/sh\nexit 0\n",
         "Error: the client with key = 1000 did not attach its mailbox within 10 s; check that "
         "\"./quarnClient 1000 "
         "&\" starts ./quarnClient here (sudo allowed without a password, ./quarnClient present "
         "and executable)\n",
         0, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path("logfile.txt"));
        shmctl(shmget(MB_KEY_BASE + 5, 0, 0), IPC_RMID, nullptr);
        if (c.mode != 0) {  // made by uid 65534, which then makes root its owner
            pid_t maker = fork();
            if (maker == 0) {
                struct shmid_ds ds;
                int id =
                    setuid(65534) == 0 ? shmget(MB_KEY_BASE + 5, MB_SIZE, IPC_CREAT | c.mode) : -1;
                if (id < 0 || shmctl(id, IPC_STAT, &ds) != 0) _exit(1);
                ds.shm_perm.uid = 0;
                _exit(shmctl(id, IPC_SET, &ds) != 0);
            }
            int status;
            waitpid(maker, &status, 0);
            ASSERT_EQ(0, status);
        }
        if (!c.client.empty())
            writeFile(path("quarnClient"), c.client), chmod(path("quarnClient").c_str(), 0755);
        auto start = std::chrono::steady_clock::now();
        RunResult r = runProgram(dir, {kQuarnMain}, kEnv, 60);

        EXPECT_EQ(1, r.status);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
        EXPECT_EQ(c.started, count(r.out, "starting background process quarnClient with key = "));
        expectEndOfLog(
            "log. M = , V = , fileM = 0, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 0, "
            "numPassed = 0",
            "farm not built");
    }
}

TEST_F(SearchFarmTest, EveryEndOfARunIsOrderlyAndLoggedWithItsReason) {
    writeCatalogue(dir, {100});  // 10,000 pairs, more than any case sends
    const std::string atStart =
        "log. M = f0, V = , fileM = 0, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 0";
    const std::string meminfo = path("meminfo");
    const std::vector<std::string> inLowMemory = {
        "/usr/bin/unshare",
        "-m",
        "--propagation",
        "private",
        "/bin/sh",
        "-c",
        "mount --bind " + meminfo + " /proc/meminfo && exec " + kQuarnMain};
    const struct {
        std::string what, minFreeKb;
        bool stopFileFirst, memoryDrops, duringFarm;
        std::string message, reason, lastLine;
    } cases[] = {
        {"stop file at the start", "0", true, false, false,
         "*** stop.txt file detected, Exiting. ***all done.\n", "stop file", atStart},
        {"low memory during the search", "32000000", false, true, false,
         " Exiting ****\nall done.\n", "low memory", "log. M = f"},
        {"Ctrl+C while the farm is built", "0", false, false, true,
         "Received SIGINT (Ctrl+C). Now closing all processes.\n", "SIGINT",
         "log. M = , V = , fileM = 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (auto name : {"logfile.txt", "stop.txt"}) std::filesystem::remove(path(name));
        placeClient(dir, c.duringFarm ? "" : "serve=1000\ndelay_ms=2\n");
        if (c.stopFileFirst) writeFile(path("stop.txt"), "");
        writeFile(meminfo, "MemFree:        50000000 kB\n");
        const std::vector<std::string> env = {"QUARN_MIN_FREE_KB=" + c.minFreeKb,
                                              "QUARN_CLIENT_SUDO=0"};
        Process run(dir, c.memoryDrops ? inLowMemory : std::vector<std::string>{kQuarnMain}, env);
        if (c.memoryDrops) {
            ASSERT_TRUE(waitFor([&] { return requestsOf(MB_KEY_BASE).size() > 300; }, 30));
            std::ofstream(meminfo, std::ios::in | std::ios::out) << "MemFree:            1000 kB\n";
        }
        if (c.duringFarm) {
            ASSERT_TRUE(
                waitFor([&] { return run.out().find("key = 1005\n") != std::string::npos; }, 30));
            kill(-run.pid,
                 SIGINT);  // the terminal's Ctrl+C reaches the whole group, not the clients
        }
        RunResult r = run.wait(60);

        EXPECT_EQ(0, r.status);
        EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
        const int started = count(r.out, "starting background process quarnClient with key = ");
        EXPECT_EQ(started, count(r.out, "\rreceived exit confirmation from client "));
        EXPECT_EQ(c.duringFarm, started < MB_NUM_CLIENTS);
        EXPECT_TRUE(r.out.ends_with(kFinal));
        expectEndOfLog(c.lastLine, c.reason);
    }
}

TEST_F(SearchFarmTest, KeysWhoseClientsKeepDyingAreGivenUpAndARunWithoutClientsIsAFault) {
    writeCatalogue(dir, {30});                   // more pairs than the clients have lives
    placeClient(dir, "die=1\ndelay_ms=1500\n");  // seen running, then gone
    RunResult r = runProgram(dir, {kQuarnMain}, kEnv);

    EXPECT_EQ(1, r.status);
    EXPECT_EQ(MB_NUM_CLIENTS,
              count(readFile(path("logfile.txt")), " times since its first start; key "));
    expectEndOfLog("log. M = f", "no clients left");
}

TEST_F(SearchFarmTest, APairNobodyTakesIsRecordedAndAClientThatNeverConfirmsIsNamed) {
    writeCatalogue(dir, {1});
    placeClient(dir, "serve=1\nmute=1003\n");  // nobody answers; 1003 stays silent

    RunResult r = runProgram(dir, {kQuarnMain}, kEnv, 180);

    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos,
              r.out.find("----- time out waiting for assign -----\nall done.\n"));
    EXPECT_EQ("M = f0, V = f0\n", readFile(path("unevaluated.txt")));
    EXPECT_EQ(49, count(r.out, "received exit confirmation from client "));
    EXPECT_TRUE(
        r.out.ends_with("Timer expired! Exiting the loop\n"
                        "\rclient 1003 did not confirm its stop; its process may still run\n"
                        "\rall other clients stopped and their shared memory is freed; 1 mailbox "
                        "is kept for the clients named above. Exiting\n"));
    EXPECT_EQ(1u, segmentsLeft().size());  // the silent client's, for the next run to stop it
    expectEndOfLog(
        "log. M = , V = , fileM = 1, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 0, "
        "numPassed = 0",
        "all done");
    for (pid_t pid : processesIn(dir)) kill(pid, SIGKILL);  // the silent client, as expected
    for (int id : segmentsLeft()) shmctl(id, IPC_RMID, nullptr);
}

TEST_F(SearchFarmTest, APassThatCannotBeRecordedEndsTheRunAndItsContinuationRepeatsIt) {
    writeCatalogue(dir, {6});
    placeClient(dir, "pass=f2\ndelay_ms=20\n");
    ASSERT_EQ(0, mkdir(path("best.txt").c_str(), 0700));  // as good as a full disk
    RunResult r = runProgram(dir, {kQuarnMain}, kEnv);

    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("Error opening best file\n"));
    expectEndOfLog(
        "log. M = f2, V = f0, fileM = 0, formulaM = 3, fileNumV = 0, formulaNumV = 1, total = 12,",
        "record not written");
    ASSERT_EQ(0, rmdir(path("best.txt").c_str()));
    EXPECT_EQ(0, runProgram(dir, {kQuarnMain, "0,2,0,0,12,0"}, kEnv).status);
    EXPECT_EQ(6, count(readFile(path("best.txt")), "M = f2, V = f"));
}

TEST_F(SearchFarmTest, AnotherUserSearchesAfterRootAndAutoPassesOverRangesWithSegmentsNotItsOwn) {
    writeCatalogue(dir, {3});
    placeClient(dir, "");
    auto env = kEnv;
    env.push_back("QUARN_KEY_BASE=auto");
    EXPECT_NE(std::string::npos,
              runProgram(dir, {kQuarnMain}, env).out.find("mailbox keys 1000 to 1049\n"));
    const int left =
        shmget(MB_KEY_BASE + 10, MB_SIZE, IPC_CREAT | 0600);  // as from a killed run of root
    ASSERT_EQ(0, chown(dir.c_str(), 65534, 65534));
    std::filesystem::remove(path("logfile.txt"));
    RunResult user = runProgram(
        dir, {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", kQuarnMain},
        env);

    EXPECT_EQ(0, user.status) << user.err;
    EXPECT_NE(std::string::npos, user.out.find("mailbox keys 1050 to 1099\n")) << user.out;
    shmctl(left, IPC_RMID, nullptr);
}

TEST_F(SearchFarmTest, AnOutputPipeClosedEarlyDoesNotEndTheSearch) {
    writeCatalogue(dir, {5});
    placeClient(dir, "");
    RunResult r = runProgram(dir, {"/bin/sh", "-c", kQuarnMain + " | head -c 1"}, kEnv);

    EXPECT_EQ(0, r.status);
    expectEndOfLog(
        "log. M = , V = , fileM = 1, formulaM = 1, fileNumV = 0, formulaNumV = 1, total = 25",
        "all done");
}

}  // namespace
