// Protocol tests: the real quarnClient program serving a real shared-memory segment. Each test
// uses keys of its own (derived from this process's id, far from the coordinator's 1000-1049),
// creates its segments, and removes them and reaps its clients on every way out.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "field.h"

extern char **environ;

namespace {

const std::string clientPath = QUARN_CLIENT_PATH;
constexpr auto patience = std::chrono::seconds(20);  // generous for sanitizer builds

// The n-th key of this test process.
key_t testKey(int n) { return 0x51C00000 + ((getpid() & 0xFFFF) << 5) + n; }

// A mailbox segment made by the test, attached, and removed again.
class Segment {
public:
    explicit Segment(key_t boxKey) {
        id = shmget(boxKey, MB_SIZE, IPC_CREAT | IPC_EXCL | 0666);
        if (id == -1 && errno == EEXIST) {  // left over from a killed run of this test
            shmctl(shmget(boxKey, 0, 0), IPC_RMID, nullptr);
            id = shmget(boxKey, MB_SIZE, IPC_CREAT | IPC_EXCL | 0666);
        }
        if (id == -1) return;
        void *address = shmat(id, nullptr, 0);
        if (address != reinterpret_cast<void *>(-1)) box = static_cast<char *>(address);
    }
    ~Segment() {
        if (box) shmdt(box);
        if (id != -1) shmctl(id, IPC_RMID, nullptr);
    }
    int id = -1;
    char *box = nullptr;
};

std::string readFile(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One quarnClient process with its standard output and error in files of a fresh directory.
class Client {
public:
    explicit Client(const std::vector<std::string> &args) {
        char dir[] = "/tmp/quarn_client_test_XXXXXX";
        if (!mkdtemp(dir)) return;
        dirPath = dir;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (dirPath + "/out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, (dirPath + "/err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char *> argv{const_cast<char *>(clientPath.c_str())};
        for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid, clientPath.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Client() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (!dirPath.empty()) {
            unlink((dirPath + "/out").c_str());
            unlink((dirPath + "/err").c_str());
            rmdir(dirPath.c_str());
        }
    }
    // The exit status, or -1 when the process has not ended in time (it is then killed).
    int wait() {
        auto deadline = std::chrono::steady_clock::now() + patience;
        while (pid > 0) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }
    std::string out() const { return readFile(dirPath + "/out"); }
    std::string err() const { return readFile(dirPath + "/err"); }
    pid_t pid = -1;
    std::string dirPath;
};

// Waits until the client has answered: a letter other than 'x', 'r' and 't'. Returns it, or
// 0 after the patience ran out.
char waitForAnswer(char *box) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        char letter = mbLoadLetter(box);
        if (letter != MB_WRITING && letter != MB_RUN && letter != MB_SELFTEST) return letter;
        if (std::chrono::steady_clock::now() > deadline) return 0;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

std::string keyLine(key_t boxKey) { return "\rmy key is: " + std::to_string(boxKey) + "\n\r"; }
std::string doneLine(key_t boxKey) { return "\rclient " + std::to_string(boxKey) + " Done!, exiting\n"; }

// A formula padded to `length` characters without changing its value: "*01" fixes the parity,
// then "*1" (multiplying the last term by one) fills up.
std::string pad(std::string formula, std::size_t length) {
    if ((length - formula.size()) % 2) formula += "*01";
    while (formula.size() < length) formula += "*1";
    return formula;
}

// A client serving a fresh segment that was seeded like the coordinator does it.
class Served : public testing::Test {
protected:
    void start(const std::string &keySuffix = "") {
        ASSERT_NE(nullptr, segment.box);
        mbWriteRequest(segment.box, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
        client = std::make_unique<Client>(
            std::vector<std::string>{std::to_string(boxKey) + keySuffix});
        ASSERT_GT(client->pid, 0);
        ASSERT_EQ(MB_FAILED, waitForAnswer(segment.box));
    }
    // Sends a request and returns the answer text from byte 0.
    std::string ask(const std::string &m, const std::string &v, char letter = MB_RUN) {
        mbWriteRequest(segment.box, m.c_str(), v.c_str(), letter);
        if (!waitForAnswer(segment.box)) return "no answer";
        return segment.box;
    }
    // Stops the client and checks the confirmation, the exit status and the last line.
    void stop() {
        mbStoreLetter(segment.box, MB_KILL);
        EXPECT_EQ(0, client->wait());
        EXPECT_EQ(0, std::memcmp(segment.box, "exit\n", 6));
        std::string out = client->out();
        EXPECT_TRUE(out.ends_with(doneLine(boxKey))) << out;
    }
    key_t boxKey = testKey(0);
    Segment segment{boxKey};
    std::unique_ptr<Client> client;
};

TEST(ClientStart, UsageNeedsExactlyOneArgument) {
    const std::string usage =
        "Usage: " + clientPath + " <number>\nwhere <number> is the shared memory key\n";
    for (const auto &args : {std::vector<std::string>{}, std::vector<std::string>{"1", "2"}}) {
        Client client(args);
        EXPECT_EQ(1, client.wait());
        EXPECT_EQ(usage, client.out());
    }
}

TEST(ClientStart, KeyZeroIsRejectedWithOneLine) {
    for (const char *arg : {"0", "abc"}) {
        Client client({arg});
        EXPECT_EQ(1, client.wait()) << arg;
        EXPECT_EQ(keyLine(0), client.out());
        std::string err = client.err();
        EXPECT_NE(std::string::npos, err.find("key 0")) << err;
        EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << err;
    }
}

TEST(ClientStart, MissingSegmentIsReportedWithStatusOne) {
    key_t boxKey = testKey(1);
    { Segment gone(boxKey); }  // made and removed: surely absent now
    Client client({std::to_string(boxKey)});
    EXPECT_EQ(1, client.wait());
    EXPECT_EQ(keyLine(boxKey), client.out());
    EXPECT_EQ("Error: could not get shm_id with shmget()\n: No such file or directory\n",
              client.err());
}

TEST_F(Served, SeedRequestIsAnsweredFailedAndTrailingLettersInTheKeyAreIgnored) {
    start("abc");
    EXPECT_STREQ("f,M+m+V+v,M+m+V+v", segment.box);
    stop();
    EXPECT_EQ(keyLine(boxKey) + doneLine(boxKey), client->out());
}

TEST_F(Served, IdleClientIgnoresInterruptAndStopsOnRequest) {
    start();
    kill(client->pid, SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(MB_FAILED, mbLoadLetter(segment.box));
    stop();
}

TEST_F(Served, SelfTestIsAnsweredThreeWithoutSplitting) {
    start();
    EXPECT_EQ(std::string("s,3\n"), ask("a,b", "c", MB_SELFTEST));
    stop();
    EXPECT_EQ(keyLine(boxKey) + "*** nTest ***\n" + doneLine(boxKey), client->out());
}

TEST_F(Served, PassingPairIsScoredFourAlsoWhenTheRequestEndsInALineEnd) {
    start();
    EXPECT_EQ(std::string("s,4\n"), ask("m/(M+V)+v", "csch(M+m-V*v)*1.0E-13"));
    EXPECT_EQ(std::string("s,4\n"), ask("m/(M+V)+v", "csch(M+m-V*v)*1.0E-13\n"));
    EXPECT_EQ(std::string("f,M+m+V+v,M+m+V+v"), ask(MB_SEED_FORMULA, MB_SEED_FORMULA));
    stop();
    EXPECT_EQ(keyLine(boxKey) + "*** Passed !!!!! ***\n*** Passed !!!!! ***\n" + doneLine(boxKey),
              client->out());
}

TEST_F(Served, MalformedAndTooLongRequestsAreAnsweredFailedAtOnce) {
    // Each of these would pass if it were evaluated whole, so 'f' shows it was not.
    const std::string m = "sin(M*V-m*v)/e";
    const std::string v = "V-m-M*v";
    const std::string m493 = pad(m, LONGEST_WHOLE_M), v492 = pad(v, LONGEST_WHOLE_V);
    const std::string m494 = pad(m, LONGEST_WHOLE_M + 1), v493 = pad(v, LONGEST_WHOLE_V + 1);
    ASSERT_EQ(0, setupClientState());
    testing::internal::CaptureStdout();
    EXPECT_EQ(PASS_SCORE, evaluateFunction(m493.c_str(), v492.c_str()));
    EXPECT_EQ(PASS_SCORE, evaluateFunction(m494.c_str(), v.c_str()));
    EXPECT_EQ(PASS_SCORE, evaluateFunction(m.c_str(), v493.c_str()));
    testing::internal::GetCapturedStdout();
    freeClientState();

    start();
    EXPECT_EQ(std::string("s,4\n"), ask(m493, v492));
    struct Case {
        std::string m, v, message;
    } cases[] = {
        {m, v + "," + v, "more than three comma seperated parts"},
        {m + "," + v, "", "more than three comma seperated parts"},
        {m494, v, "formula too long"},
        {m, v493, "formula too long"},
    };
    for (const Case &c : cases) {
        std::string request = "," + c.m + "," + c.v;
        EXPECT_EQ("f" + request, ask(c.m, c.v)) << c.message;
    }
    // A single comma: the coordinator never writes this, but the answer is the same.
    mbStoreLetter(segment.box, MB_WRITING);
    std::strcpy(segment.box + 1, ",M+m+V+v");
    mbStoreLetter(segment.box, MB_RUN);
    EXPECT_EQ(MB_FAILED, waitForAnswer(segment.box));
    stop();

    std::string out = client->out();
    for (const Case &c : cases) EXPECT_NE(std::string::npos, out.find(c.message)) << out;
    EXPECT_NE(std::string::npos, out.find("\rclient " + std::to_string(boxKey) +
                                          " Error, fewer than three comma seperated parts: "
                                          "r,M+m+V+v\n"));
    std::size_t passed = 0;
    for (std::size_t at = 0; (at = out.find("*** Passed", at)) != std::string::npos; ++at) ++passed;
    EXPECT_EQ(1u, passed);  // only the pair of whole formulas was evaluated
}

TEST(ClientStop, StopLetterDuringAnEvaluationIsNotLost) {
    // A pair that passes late and evaluates slowly: every factor cosh(0*m) is exactly 1.
    std::string m = "sin(M*V-m*v)/e";
    std::string v = "V-m-M*v";
    while (m.size() + 10 <= LONGEST_WHOLE_M) m += "*cosh(0*m)";
    while (v.size() + 10 <= LONGEST_WHOLE_V) v += "*cosh(0*m)";
    ASSERT_EQ(0, setupClientState());
    testing::internal::CaptureStdout();
    ASSERT_EQ(PASS_SCORE, evaluateFunction(m.c_str(), v.c_str()));
    testing::internal::GetCapturedStdout();
    freeClientState();

    // The stop letter replaces 'r' only while no answer is stored; the client's "Passed" line
    // then shows it had taken the request before the stop letter came, so the stop arrived
    // during the evaluation. The timing is retried until both hold.
    bool shown = false;
    auto delay = std::chrono::milliseconds(10);
    for (int attempt = 0; attempt < 8 && !shown; ++attempt) {
        key_t boxKey = testKey(2 + attempt);
        Segment segment(boxKey);
        ASSERT_NE(nullptr, segment.box);
        mbWriteRequest(segment.box, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
        Client client({std::to_string(boxKey)});
        ASSERT_EQ(MB_FAILED, waitForAnswer(segment.box));

        mbWriteRequest(segment.box, m.c_str(), v.c_str(), MB_RUN);
        std::this_thread::sleep_for(delay);
        int stoppedDuring = mbSwapLetter(segment.box, MB_RUN, MB_KILL);
        if (!stoppedDuring) {  // already answered: stop it and try again sooner
            ASSERT_EQ(MB_SCORED, waitForAnswer(segment.box));
            mbStoreLetter(segment.box, MB_KILL);
            delay /= 2;
        }
        ASSERT_EQ(0, client.wait());
        EXPECT_EQ(0, std::memcmp(segment.box, "exit\n", 6));
        std::string out = client.out();
        EXPECT_TRUE(out.ends_with(doneLine(boxKey))) << out;
        bool evaluated = out.find("*** Passed !!!!! ***") != std::string::npos;
        if (stoppedDuring && !evaluated) delay *= 2;  // the request was not taken yet
        shown = stoppedDuring && evaluated;
    }
    EXPECT_TRUE(shown);
}

}  // namespace
