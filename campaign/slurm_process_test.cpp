// A campaign on a real Slurm cluster of three nodes on this machine (test/cluster.sh, started and
// stopped by the test; slurm.conf is its own, /etc/slurm untouched), run with the stand-in client:
// a node lost as by a power loss while its task copies its unit's records back loses no pass, its
// unit runs again on a node left, and nothing of the search stays on those; a unit cancelled in
// mid-run continues exactly; the status before and after, and the merge in unit order.
//
// The test program moves into a network namespace of its own, which holds the cluster's controller
// and bridge. The campaign and the cluster's files lie outside /tmp, which each node has of its
// own.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>

#include "campaign/process.h"
#include "campaign/test/campaign_support.h"

namespace {

using std::filesystem::exists;

constexpr char kClusterLock[] = "/tmp/quarn-slurm-test-cluster.lock";  // one cluster per machine
constexpr char kSharedParent[] = "/var/tmp";  // the test's folder, which every node sees
constexpr char kNet[] = "10.77.0.";  // addresses that exist inside the test's namespaces only
constexpr int kFormulas = 60, kMPerUnit = 10;  // six units, unit 4 across the two formula files
// The step of a task, every rename of its runner held for a second: the test sees a copy-back
// begin and loses the node before the next rename.
constexpr char kHeldRenames[] =
    "strace -o /dev/null -e inject=rename,renameat,renameat2:delay_exit=1000000";

class SlurmClusterTest : public CampaignTest {
  protected:
    // The cluster lives as long as a test, so that a cluster that cannot start fails the test.
    void SetUp() override {
        CampaignTest::SetUp();
        ASSERT_EQ(0, unshare(CLONE_NEWNET));
        removeTree(dir);
        dir = makeTempDir(kSharedParent);
        ASSERT_EQ(0, chmod(dir.c_str(), 0755));  // munged, running as its user, reaches in
        lockFd = open(kClusterLock, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_EQ(0, flock(lockFd, LOCK_EX));
        setenv("SLURM_CONF", path("cluster/slurm.conf").c_str(), 1);
        cluster = std::make_unique<Process>(
            dir, std::vector<std::string>{"/bin/sh", QUARN_TEST_DATA "/cluster.sh", path("cluster"),
                                          std::filesystem::canonical(QUARN_BIN_DIR "/.."), kNet});
        ASSERT_TRUE(waitFor([&] { return exists(path("cluster/ready")); }, 60)) << cluster->out();
    }
    void TearDown() override {
        if (cluster) kill(cluster->pid, SIGTERM);  // it undoes all it made
        if (cluster) cluster->wait(60);
        close(lockFd);
        CampaignTest::TearDown();
    }
    int lockFd = -1;
    std::unique_ptr<Process> cluster;
};

TEST_F(SlurmClusterTest, ANodeLostInTheMiddleOfACopyBackLosesNoPass) {
    writeCatalogue(path("catalogue"), {45, kFormulas - 45});
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "plan", "campaign", "catalogue", "10"}).status);
    const std::string client = wrapperClient(path("logs"), "pass=*\ndelay_ms=300\n");
    writeFile(path("campaign.sbatch"),  // the batch script of scripts/, its step in kHeldRenames
              std::regex_replace(readFile(QUARN_SCRIPT_DIR "/campaign.sbatch"),
                                 std::regex("exec (\"\\$program\")"),
                                 std::string("exec ") + kHeldRenames + " $1"));
    // The tasks get PATH alone: the test's TMPDIR and QUARN_* settings stay here.
    const std::vector<std::string> submit = {
        kCampaign,      "submit", "campaign", "--max-running",         "3",
        "--client",     client,   "--script", path("campaign.sbatch"), "--",
        "--export=PATH"};
    RunResult shown = runProgram(dir, submit);
    ASSERT_NE(std::string::npos, shown.out.find("units 0-5%3 as array job 1\n")) << shown.err;
    auto status = [&](const char *text, int limitS) {  // waits for `text` in the status
        const std::vector<std::string> argv = {kCampaign, "status", "campaign"};
        return waitFor([&] { return count((shown = runProgram(dir, argv)).out, text) > 0; },
                       limitS);
    };
    ASSERT_TRUE(status("units: 0 done, 3 running, 3 waiting, 0 failed\npairs: 0 of 3600 ", 60))
        << shown.out;

    // The first record in the campaign begins a copy-back: its node is lost before the next.
    int unit = 0;
    auto in = [&](const char *name) {  // the unit's file `name`
        return path("campaign/unit_00" + std::to_string(unit) + "/" + name);
    };
    auto copying = [&] {  // units 0-2 in turn
        unit = (unit + 1) % 3;
        return exists(in("best.txt")) || exists(in("logfile.txt"));
    };
    ASSERT_TRUE(waitFor(copying, 120));
    std::smatch node;
    const std::string task = readFile(in("task.txt"));
    ASSERT_TRUE(std::regex_search(task, node, std::regex("start unit \\d+ on (node\\d)"))) << task;
    const std::string lost = node[1], init = path("cluster/" + lost + ".init");
    ASSERT_EQ(0, kill(std::stoi(readFile(init)), SIGKILL));  // every process of the node at once
    std::filesystem::remove(init);
    EXPECT_NE(exists(in("best.txt")), exists(in("logfile.txt"))) << "the copy-back was cut";
    std::string out;
    ASSERT_EQ(
        0, capture({"scontrol", "update", "nodename=" + lost, "state=down", "reason=lost"}, &out));

    // Unit 3, cancelled in mid-run, ends in order and continues exactly when submitted again.
    ASSERT_TRUE(waitFor([&] { return unitRequests(path("logs"), 3, kMPerUnit) > 100; }, 60));
    ASSERT_EQ(0, capture({"scancel", "1_3"}, &out));
    ASSERT_TRUE(status("unit 3: waiting", 60)) << shown.out;
    ASSERT_EQ(0, runProgram(dir, submit).status);

    ASSERT_TRUE(status("units: 6 done, 0 running, 0 waiting, 0 failed\npairs: 3600 of 3600", 180))
        << shown.out;
    ASSERT_EQ(0, runProgram(dir, {kCampaign, "collect", "campaign"}).status);
    // Every pair requested; only the lost unit's twice.
    for (int u = 0; u < kFormulas / kMPerUnit; ++u)
        EXPECT_TRUE(u == unit || unitRequests(path("logs"), u, kMPerUnit) == kMPerUnit * kFormulas)
            << u;
    std::vector<std::string> pairs = requested(path("logs"));
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    EXPECT_EQ(allPairs(kFormulas), pairs);
    // Every pair passes: merged in unit order, each at least once.
    std::vector<std::string> best;
    for (const std::string &line : lines(readFile(path("campaign/best.txt"))))
        if (line.starts_with("M = f")) best.push_back(line);  // not the clients' seed pairs
    auto unitOf = [](const std::string &line) { return std::atoi(line.c_str() + 5) / kMPerUnit; };
    EXPECT_TRUE(std::ranges::is_sorted(best, {}, unitOf));
    std::sort(best.begin(), best.end());
    EXPECT_EQ(kFormulas * kFormulas, std::unique(best.begin(), best.end()) - best.begin());
    EXPECT_FALSE(exists(path("campaign/unevaluated.txt")));  // none given up

    // On the nodes that survive, no process but their shell and slurmd, no scratch, no segment.
    auto left = [&](const std::string &k) {
        capture({"nsenter", "-t", readFile(path("cluster/" + k + ".init")), "-m", "-p", "-i", "sh",
                 "-c", "ps -eo comm=; find /tmp -name 'quarn-unit*'; tail -n +2 /proc/sysvipc/shm"},
                &out);
        return out == "sh\nslurmd\nsh\nps\n";
    };
    for (const std::string k : {"node1", "node2", "node3"})
        EXPECT_TRUE(k == lost || waitFor([&] { return left(k); }, 10)) << k << ":\n" << out;
}

}  // namespace
