// A campaign on a real one-node Slurm cluster that the test starts and stops itself (munged,
// slurmctld and slurmd, with a slurm.conf of its own named by SLURM_CONF; nothing under
// /etc/slurm is touched), run with the stand-in client: every pair exactly once across the
// units, a unit cancelled in mid-run and submitted again, the status and the merge.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "campaign/process.h"
#include "campaign/test/campaign_support.h"

namespace {

constexpr char kClusterLock[] = "/tmp/quarn-slurm-test-cluster.lock";  // one cluster per machine

class SlurmCampaignTest : public CampaignTest {
  protected:
    // The cluster lives as long as a test, so that a cluster that cannot start fails the test.
    void SetUp() override {
        CampaignTest::SetUp();
        lockFd = open(kClusterLock, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(0, flock(lockFd, LOCK_EX));
        cluster = makeTempDir();
        ASSERT_EQ(0, chmod(cluster.c_str(), 0755));  // the munge and slurm users reach in
        std::filesystem::create_directories(cluster + "/munge");
        ASSERT_EQ(0, std::system(("chown munge:munge " + cluster + "/munge").c_str()));
        std::string node, host;
        ASSERT_EQ(0, capture({"slurmd", "-C"}, &node));
        node = std::regex_replace(node.substr(0, node.find('\n')), std::regex("RealMemory=\\d+"),
                                  "RealMemory=1000");
        host = node.substr(9, node.find(' ') - 9);
        const std::string m = cluster + "/munge/";
        std::string conf = readFile(QUARN_TEST_DATA "/slurm.conf.in");
        conf = std::regex_replace(std::regex_replace(conf, std::regex("DIR"), cluster),
                                  std::regex("HOST"), host);
        writeFile(cluster + "/slurm.conf", std::regex_replace(conf, std::regex("NODE"), node));
        setenv("SLURM_CONF", (cluster + "/slurm.conf").c_str(), 1);
        daemons.emplace_back(new Process(
            cluster,
            {"/usr/bin/setpriv", "--reuid=munge", "--regid=munge", "--init-groups",
             "/usr/sbin/munged", "-F", "--socket=" + m + "socket", "--pid-file=" + m + "pid",
             "--log-file=" + m + "log", "--seed-file=" + m + "seed"}));
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(m + "socket"); }, 10));
        daemons.emplace_back(new Process(cluster, {"/usr/sbin/slurmctld", "-D", "-c"}));
        daemons.emplace_back(new Process(cluster, {"/usr/sbin/slurmd", "-D", "-N", host}));
        std::string out;
        auto idle = [&] { return capture({"sinfo", "--noheader", "--format=%t"}, &out) == 0; };
        ASSERT_TRUE(waitFor([&] { return idle() && out == "idle\n"; }, 30)) << out;
    }
    void TearDown() override {
        std::string out;
        capture({"scancel", "--user=root"}, &out);
        waitFor([&] { return capture({"squeue", "--noheader"}, &out) != 0 || out.empty(); }, 60);
        for (auto d = daemons.rbegin(); d != daemons.rend(); ++d) {
            kill((*d)->pid, SIGTERM);
            (*d)->wait(30);  // reaped: no zombie stays behind
        }
        daemons.clear();
        unsetenv("SLURM_CONF");
        removeTree(cluster);
        close(lockFd);
        CampaignTest::TearDown();
    }
    RunResult campaign(const std::vector<std::string> &args) {
        std::vector<std::string> argv = {kCampaign};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(dir, argv, {"TMPDIR=" + dir});
    }
    int lockFd = -1;
    std::string cluster;
    std::vector<std::unique_ptr<Process>> daemons;
};

TEST_F(SlurmCampaignTest, AUnitCancelledAndSubmittedAgainLosesAndRepeatsNoPair) {
    writeCatalogue(path("catalogue"), {20, 10});  // 30 formulas, 3 units of 10 M formulas
    ASSERT_EQ(0, campaign({"plan", "campaign", "catalogue", "10"}).status);
    const std::string client = wrapperClient(path("logs"), "pass=f7\ndelay_ms=1500\n");

    RunResult first = campaign({"submit", "campaign", "--client", client});
    std::smatch job;
    ASSERT_TRUE(
        std::regex_search(first.out, job, std::regex("submitted units 0-2 as array job (\\d+)\n")))
        << first.err;
    ASSERT_TRUE(waitFor([&] { return unitRequests(path("logs"), 1, 10) > 100; }, 120));
    std::string out;
    ASSERT_EQ(0, capture({"scancel", job[1].str() + "_1"}, &out));
    RunResult shown;
    auto status = [&](const char *text) {
        return (shown = campaign({"status", "campaign"})).out.find(text) != std::string::npos;
    };
    ASSERT_TRUE(waitFor([&] { return status("unit 1: waiting"); }, 60)) << shown.out;
    campaign({"submit", "campaign", "--client", client});  // only unit 1 is not done
    ASSERT_TRUE(waitFor([&] { return status("units: 3 done"); }, 180)) << shown.out;
    RunResult merged = campaign({"collect", "campaign"});

    EXPECT_EQ(allPairs(30), requested(path("logs")));
    // Merged in unit order: f7 with every V from unit 0, then unit 1's self-test pair.
    const std::string best = readFile(path("campaign/best.txt"));
    EXPECT_EQ(30, count(best, "M = f7, V = f"));
    EXPECT_TRUE(best.ends_with("M = f16, V = f20\n")) << best;
    EXPECT_NE(std::string::npos,
              merged.out.find("3 of 3 units done, 900 of 900 pairs; 31 passing pairs merged"));
    EXPECT_FALSE(std::filesystem::exists(path("campaign/unevaluated.txt")));  // none given up
    // The unit's record of its runs holds the one cancelled.
    const std::string task1 = readFile(path("campaign/unit_001/task.txt"));
    EXPECT_EQ(1, count(task1, ": unfinished (SIGTERM)\n")) << task1;
    for (const auto &e : std::filesystem::directory_iterator(dir))  // node-local scratch removed
        EXPECT_FALSE(e.path().filename().string().starts_with("quarn-unit")) << e.path();
}

}  // namespace
