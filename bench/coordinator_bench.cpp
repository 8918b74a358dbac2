// The coordinator's ceiling on a node whose clients never hold it up: the real dispatch loop
// (runSearch) over a catalogue of kFormulas formulas, its 50 mailboxes in this process's memory,
// answered by a thread on another processor as fast as any client could.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "coordinator/catalogue.h"
#include "coordinator/dispatch.h"
#include "coordinator/streams.h"

namespace {

constexpr int kFormulas = 300;  // 90,000 pairs a search
char mailboxes[MB_NUM_CLIENTS][MB_SIZE];
std::atomic<bool> answering;
// The output (the M stream's first-open line) goes nowhere; the reports go to std::cout.
[[maybe_unused]] FILE *const quiet = stdout = std::fopen("/dev/null", "w");

// A farm that answers every request at once, with 'f'.
void answerAll() {
    while (answering.load(std::memory_order_relaxed))
        for (char *mailbox : mailboxes) {
            const char letter = mbLoadLetter(mailbox);
            if (letter == MB_RUN || letter == MB_SELFTEST) mbStoreLetter(mailbox, MB_FAILED);
        }
}

void BM_HandOff(benchmark::State &state) {
    char dir[] = "/tmp/quarn_bench_XXXXXX";
    if (mkdtemp(dir) == nullptr) return state.SkipWithError("no temporary folder");
    std::ofstream catalogue(std::string(dir) + "/formulas_001.txt");
    for (int i = 0; i < kFormulas; ++i) catalogue << "f" << i << (i % 7 == 6 ? ", \n" : ", ");
    catalogue << "\n\n";
    catalogue.close();
    buildCatalogue(dir);
    minFreeKb = 0;
    for (int i = 0; i < MB_NUM_CLIENTS; ++i) {
        ClientInfo &c = clientInfoArr[i];
        c.shm_id = -1;  // no segment: its attach count reads as unknown, never as a client gone
        c.shm_ptr = mailboxes[i];
        c.active = 1;
        c.state = CLIENT_RUNNING;
        mbStoreLetter(mailboxes[i], MB_FAILED);
    }
    answering = true;
    std::thread farm(answerAll);
    for (auto _ : state) {
        resetStream(streamM);
        resetStream(streamV);
        totalFormulas = 0;
        benchmark::DoNotOptimize(runSearch());
    }
    answering = false;
    farm.join();
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(state.iterations() * kFormulas * kFormulas);
}
BENCHMARK(BM_HandOff)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
