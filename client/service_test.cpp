// The real quarnClient serving a real shared-memory segment under a key of the test's own
// (from its process id, far from the coordinator's 1000-1049). Every client is ended and every
// segment removed on every way out.
#include <sched.h>
#include <signal.h>
#include <sys/shm.h>

#include <optional>

#include "client/constants.h"
#include "test/support.h"

namespace {

const std::string passM = "sin(M*V-m*v)/e", passV = "V-m-M*v";  // passes at cycle 95

class Client : public testing::Test {
  protected:
    void TearDown() override {
        if (client) client->wait(0);
        if (box) shmdt(box);
        shmctl(id, IPC_RMID, nullptr);
    }
    // A fresh segment seeded as the coordinator does, served by a client started on `arg`.
    void serve(const std::string &arg) {
        id = shmget(key, MB_SIZE, IPC_CREAT | IPC_EXCL | 0600);
        box = static_cast<char *>(shmat(id, nullptr, 0));
        mbWriteRequest(box, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
        client.emplace(".", std::vector<std::string>{QUARN_CLIENT_PATH, arg});
        EXPECT_EQ("f,M+m+V+v,M+m+V+v", ask());
    }
    // Writes the request (none when m is empty) and waits for the answer: the text from byte 0.
    std::string ask(const std::string &m = "", const std::string &v = "", char letter = MB_RUN) {
        if (!m.empty()) mbWriteRequest(box, m.c_str(), v.c_str(), letter);
        for (long spins = 0; !mbIsIdle(mbLoadLetter(box)) && spins < 100000000; ++spins)
            sched_yield();
        return box;
    }
    // Expects the client to end within 10 s with status 0, having printed `lines`.
    void expectEnd(const std::string &lines) {
        RunResult end = std::exchange(client, std::nullopt)->wait(10);
        EXPECT_EQ(0, end.status);
        EXPECT_EQ(keyLine + lines, end.out);
    }
    key_t key = 0x51C00000 + (getpid() & 0xFFFF);
    const std::string k = std::to_string(key), keyLine = "\rmy key is: " + k + "\n\r";
    int id = -1;
    char *box = nullptr;
    std::optional<Process> client;
};

TEST_F(Client, AKeyThatIsNotASharedMemoryKeyIsRefused) {
    RunResult r = runProgram(".", {QUARN_CLIENT_PATH, "abc"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("\rmy key is: 0\n\rError: key 0 (from \"abc\") is not a shared memory key\n",
              r.out + r.err);
}

TEST_F(Client, AnswersRequestsIgnoresTheTerminalsSignalsAndStopsWhenToldTo) {
    serve(k + "abc");  // trailing letters in the key are ignored
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) kill(-client->pid, signal);
    EXPECT_EQ("s,3\n", ask("a,b", "c", MB_SELFTEST));
    EXPECT_EQ("s,4\n", ask(passM, passV + "\n"));
    // Blanks make formulas of the longest lengths taken whole, and one character longer.
    const std::string m493 = passM + std::string(LONGEST_WHOLE_M - passM.size(), ' ');
    const std::string v492 = passV + std::string(LONGEST_WHOLE_V - passV.size(), ' ');
    EXPECT_EQ("s,4\n", ask(m493, v492));
    EXPECT_EQ("f,)," + passV, ask(")", passV));  // the client stops without a compiled M
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
    mbStoreLetter(box, MB_KILL);
    expectEnd(lines + "\rclient " + k + " Done!, exiting\n");
    EXPECT_TRUE(mbIsExitConfirmation(box));
}

TEST_F(Client, MemoryStaysBoundedOverRequestsThatFailToCompileOrLackAVariable) {
    const std::string failing = passV + ")", threeVariables = "V-m-M";
    long peakKb[2];
    for (int requests : {1000, 201000}) {
        serve(k);
        for (int i = 0; i < requests; ++i) {
            ask(passM, failing);
            if (i % 4 == 0) ask(passM, threeVariables);
        }
        EXPECT_EQ("f," + passM + "," + failing, ask());
        EXPECT_EQ("s,4\n", ask(passM, passV));  // a text that compiles after failing ones
        mbStoreLetter(box, MB_KILL);
        peakKb[requests > 1000] = std::exchange(client, std::nullopt)->wait(10).maxRssKb;
        TearDown();  // a fresh segment for the next client
        box = nullptr;
    }
    EXPECT_LT(peakKb[1] - peakKb[0], 1024);
}

TEST_F(Client, EndsByItselfWhenItsCoordinatorIsGone) {
    serve(k);
    shmdt(std::exchange(box, nullptr));  // the test plays the coordinator
    expectEnd("\rclient " + k + ": its coordinator is gone (nobody else is attached), exiting\n");
}

}  // namespace
