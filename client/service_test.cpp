// Protocol tests: the real quarnClient serving a real shared-memory segment under a key of the
// test's own (from its process id, far from the coordinator's 1000-1049). Every client is
// reaped and every segment removed on every way out.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

#include "constants.h"

namespace {

const std::string passM = "sin(M*V-m*v)/e", passV = "V-m-M*v";  // passes at cycle 95

class Client : public testing::Test {
  protected:
    void TearDown() override {
        if (out && kill(pid, SIGKILL) == 0) finish();
        if (box) shmdt(box), shmctl(shmget(key, 0, 0), IPC_RMID, nullptr);
    }
    // Starts the client with `args`, its output and errors in one stream. Should a failed test
    // leave it behind, the system ends it after 30 s of processor time.
    void start(const std::string &args) {
        out = popen(("ulimit -t 30; echo $$; exec " QUARN_CLIENT_PATH " " + args + " 2>&1").c_str(),
                    "r");
        ASSERT_EQ(1, std::fscanf(out, "%d%*c", &pid));
    }
    // Waits for the client's end: its exit status; all it printed is in `text`.
    int finish() {
        for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
        return WEXITSTATUS(pclose(std::exchange(out, nullptr)));
    }
    // A fresh segment seeded like the coordinator does, served by a client started on `args`.
    void serve(const std::string &args) {
        box = static_cast<char *>(
            shmat(shmget(key, MB_SIZE, IPC_CREAT | IPC_EXCL | 0666), nullptr, 0));
        mbWriteRequest(box, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
        start(args);
        EXPECT_EQ("f,M+m+V+v,M+m+V+v", ask());
    }
    // Writes the request (none when m is empty) and waits up to 20 s for the client's answer:
    // the mailbox text from byte 0.
    std::string ask(const std::string &m = "", const std::string &v = "", char letter = MB_RUN) {
        if (!m.empty()) mbWriteRequest(box, m.c_str(), v.c_str(), letter);
        for (int polls = 0; !mbIsIdle(mbLoadLetter(box)) && polls < 200000; ++polls) usleep(100);
        return box;
    }
    // Stops the client (sending the stop letter unless told not to); expects the confirmation,
    // status 0 and all the lines it printed.
    void stop(const std::string &lines, bool send = true) {
        if (send) mbStoreLetter(box, MB_KILL);
        EXPECT_EQ(0, finish());
        EXPECT_TRUE(mbIsExitConfirmation(box));
        EXPECT_EQ(keyLine + lines + "\rclient " + k + " Done!, exiting\n", text);
    }
    key_t key = 0x51C00000 + (getpid() & 0xFFFF);
    const std::string k = std::to_string(key), keyLine = "\rmy key is: " + k + "\n\r";
    FILE *out = nullptr;
    pid_t pid = 0;
    char *box = nullptr;
    std::string text;
};

TEST_F(Client, StartUpFailuresEndWithStatusOne) {
    const std::string usage =
        "Usage: " QUARN_CLIENT_PATH " <number>\nwhere <number> is the shared memory key\n";
    const std::string key0 = "\rmy key is: 0\n\rError: key 0 (from \"";
    for (const auto &[args, lines] : std::vector<std::pair<std::string, std::string>>{
             {"", usage},
             {"1 2", usage},
             {"abc", key0 + "abc\") is not a shared memory key\n"},
             {k, keyLine +
                     "Error: could not get shm_id with shmget()\n: No such file or directory\n"}}) {
        text.clear();
        start(args);
        EXPECT_EQ(1, finish()) << args;
        EXPECT_EQ(lines, text);
    }
}

TEST_F(Client, AnswersRequestsIgnoresInterruptAndStopsWhenIdle) {
    serve(k + "abc");  // trailing letters in the key are ignored
    kill(pid, SIGINT);
    EXPECT_EQ("s,3\n", ask("a,b", "c", MB_SELFTEST));
    EXPECT_EQ("s,4\n", ask(passM, passV + "\n"));
    // Blanks make formulas of the longest lengths taken whole, and one character longer.
    const std::string m493 = passM + std::string(LONGEST_WHOLE_M - passM.size(), ' ');
    const std::string v492 = passV + std::string(LONGEST_WHOLE_V - passV.size(), ' ');
    EXPECT_EQ("s,4\n", ask(m493, v492));
    std::string lines = "*** nTest ***\n*** Passed !!!!! ***\n*** Passed !!!!! ***\n";
    // Malformed requests, each of which would pass if evaluated, are answered 'f' at once.
    for (const auto &[m, v, fault] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {passM, passV + "," + passV, "more than three comma seperated parts"},
             {passM + "\n", passV, "fewer than three comma seperated parts"},
             {m493 + " ", passV, "formula too long"},
             {passM, v492 + " ", "formula too long"}}) {
        EXPECT_EQ("f," + m + "," + v, ask(m, v));
        lines += "\rclient " + k + " Error, " + fault + ": r," + m + "," + v + "\n";
    }
    stop(lines);
}

TEST_F(Client, StopLetterDuringAnEvaluationIsConfirmed) {
    std::string m = passM, v = passV, lines;
    while (m.size() + 9 <= LONGEST_WHOLE_M) m += "*sec(0*m)";  // slow, but the same values
    while (v.size() + 9 <= LONGEST_WHOLE_V) v += "*sec(0*m)";
    serve(k);
    // The stop letter replaces 'r' only while the answer is due; when the answer came first,
    // the next try waits half as long. The evaluation under way is finished before the stop.
    int wait = 128000;
    do {
        ASSERT_GT(wait, 500) << "answered before every stop";
        lines += "*** Passed !!!!! ***\n";
        mbWriteRequest(box, m.c_str(), v.c_str(), MB_RUN);
        usleep(wait /= 2);
    } while (!mbSwapLetter(box, MB_RUN, MB_KILL) && ask() == "s,4\n");
    stop(lines, false);
}

}  // namespace
