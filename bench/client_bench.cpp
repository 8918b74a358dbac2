// Benchmarks of the client's scorer over the pair corpus (grouped by M, as the coordinator
// sends pairs): per-pair cost of the scorer, of the literal simulation, and of the expression
// library calls alone that the scorer makes; and pairs per second through a real client.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sched.h>
#include <matheval.h>
#include <signal.h>
#include <spawn.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "corpus.h"
#include "field.h"
#include "literal.h"

extern char **environ;

namespace {

const std::vector<CorpusPair> &wholeCorpus() {
    static const std::vector<CorpusPair> pairs = loadCorpus();
    return pairs;
}

// The pairs that end by the spread check (or before stepping): the common case of a search,
// where a pair that runs on is rare. Picked with the literal simulation.
const std::vector<CorpusPair> &commonPairs() {
    static std::vector<CorpusPair> pairs;
    if (pairs.empty()) {
        FILE *saved = stdout;
        stdout = std::fopen("/dev/null", "w");
        for (const CorpusPair &pair : wholeCorpus()) {
            literalEvaluate(pair.m.c_str(), pair.v.c_str());
            if (literalCycles <= SPREAD_CYCLE + 1) pairs.push_back(pair);
        }
        std::fclose(stdout);
        stdout = saved;
    }
    return pairs;
}

// Argument 0: the whole corpus; 1: its common pairs.
const std::vector<CorpusPair> &corpusFor(const benchmark::State &state) {
    return state.range(0) == 0 ? wholeCorpus() : commonPairs();
}

// Runs `score` over the whole corpus once per iteration, with printed lines discarded.
template <typename Score>
void scoreCorpus(benchmark::State &state, Score score) {
    const std::vector<CorpusPair> &pairs = corpusFor(state);
    if (pairs.empty()) {
        state.SkipWithError("no corpus");
        return;
    }
    FILE *saved = stdout;
    stdout = std::fopen("/dev/null", "w");
    for (auto _ : state)
        for (const CorpusPair &pair : pairs)
            benchmark::DoNotOptimize(score(pair.m.c_str(), pair.v.c_str()));
    std::fclose(stdout);
    stdout = saved;
    state.SetItemsProcessed(state.iterations() * pairs.size());
    state.counters["per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations() * pairs.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
        benchmark::Counter::kIs1000);
}

void BM_Scorer(benchmark::State &state) {
    setupClientState();
    scoreCorpus(state, evaluateFunction);
    freeClientState();
}
BENCHMARK(BM_Scorer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LiteralSimulation(benchmark::State &state) { scoreCorpus(state, literalEvaluate); }
BENCHMARK(BM_LiteralSimulation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// ---- The library calls alone: the scorer's calls recorded once, then replayed.

struct RecordedPair {
    int compileM;                // 1 when the scorer compiles M for this pair
    int evaluatesV;              // 1 when V is compiled too
    std::size_t first, count;    // the pair's first double and its quadruples in `values`
};
struct Recording {
    std::vector<RecordedPair> pairs;
    std::vector<double> values;  // m, M, v, V of every face the scorer evaluates, in order
};
Recording recordings[2];  // per benchmark argument
std::vector<double> *values;  // where recordingFace writes

// A face as the scorer makes it, also writing down the values it binds.
void recordingFace(const Cell *a, const Cell *n, double face[2], void *evalM, void *evalV) {
    if ((a->m == n->m && a->v == n->v) || (a->m == 0.0 && n->m == 0.0)) {
        faceAlgorithm(a, n, face, evalM, evalV);
        return;
    }
    values->insert(values->end(), {a->m, n->m, a->v, n->v});
    faceAlgorithm(a, n, face, evalM, evalV);
}

// Steps the zone like the scorer does, recording every evaluated face.
void recordField(void *evalM, void *evalV) {
    static Cell fields[2][CELL_COUNT];
    for (int k = 0; k < CELL_COUNT; ++k)
        fields[0][k] = fields[1][k] = {k == SPIKE_CELL ? SPIKE_VALUE : BACKGROUND_VALUE, 0.0};
    float minimum = START_MINIMUM;
    for (int cycle = 0; cycle < CYCLE_COUNT; ++cycle) {
        const Cell *src = fields[cycle % 2];
        Cell *dst = fields[1 - cycle % 2];
        for (int k = SPIKE_CELL - cycle - 1; k <= SPIKE_CELL + cycle + 1; ++k) {
            const Cell *p = &src[k], *l = &src[k - 1], *r = &src[k + 1];
            if (p->m == l->m && p->v == l->v && p->m == r->m && p->v == r->v) {
                dst[k] = *p;
                continue;
            }
            double faceR[2], faceL[2];
            recordingFace(p, r, faceR, evalM, evalV);
            recordingFace(p, l, faceL, evalM, evalV);
            double m = (p->m + faceR[0]) + faceL[0];
            dst[k] = {m < 0.0 ? 0.0 : m, (p->v - faceL[1]) + faceR[1]};
        }
        if (checkCycle(cycle, dst, &minimum) != FIELD_GOES_ON) return;
    }
}

int variables(void *evaluator) {
    char **names;
    int count;
    evaluator_get_variables(evaluator, &names, &count);
    return count;
}

const Recording &recordCorpus(const benchmark::State &state) {
    Recording &recording = recordings[state.range(0)];
    if (!recording.pairs.empty()) return recording;
    values = &recording.values;
    setupClientState();  // names and values for faceAlgorithm
    const std::string *lastM = nullptr;
    void *evalM = nullptr;
    for (const CorpusPair &pair : corpusFor(state)) {
        RecordedPair entry{0, 0, values->size(), 0};
        if (!lastM || *lastM != pair.m) {
            if (evalM) evaluator_destroy(evalM);
            evalM = evaluator_create(const_cast<char *>(pair.m.c_str()));
            if (evalM && variables(evalM) != VARIABLE_COUNT) {
                evaluator_destroy(evalM);
                evalM = nullptr;
            }
            entry.compileM = 1;
            lastM = &pair.m;
        }
        if (evalM) {
            entry.evaluatesV = 1;
            void *evalV = evaluator_create(const_cast<char *>(pair.v.c_str()));
            if (evalV && variables(evalV) == VARIABLE_COUNT) recordField(evalM, evalV);
            if (evalV) evaluator_destroy(evalV);
        }
        entry.count = (values->size() - entry.first) / 4;
        recording.pairs.push_back(entry);
    }
    if (evalM) evaluator_destroy(evalM);
    freeClientState();
    return recording;
}

void BM_LibraryCallsAlone(benchmark::State &state) {
    const Recording &recording = recordCorpus(state);
    const std::vector<CorpusPair> &pairs = corpusFor(state);
    char name[VARIABLE_COUNT][NAME_SIZE] = {"m", "M", "v", "V"};
    char *names[VARIABLE_COUNT] = {name[0], name[1], name[2], name[3]};
    for (auto _ : state) {
        void *evalM = nullptr;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const RecordedPair &entry = recording.pairs[i];
            if (entry.compileM) {
                if (evalM) evaluator_destroy(evalM);
                evalM = evaluator_create(const_cast<char *>(pairs[i].m.c_str()));
                if (evalM) benchmark::DoNotOptimize(variables(evalM));
            }
            if (!entry.evaluatesV) continue;
            void *evalV = evaluator_create(const_cast<char *>(pairs[i].v.c_str()));
            if (!evalV) continue;
            benchmark::DoNotOptimize(variables(evalV));
            const double *quad = recording.values.data() + entry.first;
            for (std::size_t k = 0; k < entry.count; ++k, quad += 4) {
                benchmark::DoNotOptimize(evaluator_evaluate(evalM, VARIABLE_COUNT, names, const_cast<double *>(quad)));
                benchmark::DoNotOptimize(evaluator_evaluate(evalV, VARIABLE_COUNT, names, const_cast<double *>(quad)));
            }
            evaluator_destroy(evalV);
        }
        if (evalM) evaluator_destroy(evalM);
    }
    state.SetItemsProcessed(state.iterations() * pairs.size());
    state.counters["per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations() * pairs.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
        benchmark::Counter::kIs1000);
}
BENCHMARK(BM_LibraryCallsAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// ---- Pairs per second through one real client process and a real segment, the pairs sent
// one after the other as the coordinator would send them to a single client.
void BM_ClientPairsPerSecond(benchmark::State &state) {
    const std::vector<CorpusPair> &pairs = corpusFor(state);
    key_t key = 0x51E00000 + (getpid() & 0xFFFF);
    int id = shmget(key, MB_SIZE, IPC_CREAT | 0666);
    char *box = id == -1 ? nullptr : static_cast<char *>(shmat(id, nullptr, 0));
    if (!box || box == reinterpret_cast<char *>(-1)) {
        if (id != -1) shmctl(id, IPC_RMID, nullptr);
        state.SkipWithError("no segment");
        return;
    }
    mbWriteRequest(box, MB_SEED_FORMULA, MB_SEED_FORMULA, MB_RUN);
    std::string keyText = std::to_string(key);
    char *argv[] = {const_cast<char *>(QUARN_CLIENT_PATH), keyText.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, QUARN_CLIENT_PATH, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);

    auto waitForAnswer = [box] {
        while (!mbIsIdle(mbLoadLetter(box))) sched_yield();
    };
    if (pid > 0) {
        waitForAnswer();
        for (auto _ : state) {
            for (const CorpusPair &pair : pairs) {
                mbWriteRequest(box, pair.m.c_str(), pair.v.c_str(), MB_RUN);
                waitForAnswer();
            }
        }
        mbStoreLetter(box, MB_KILL);
        waitpid(pid, nullptr, 0);
    }
    shmdt(box);
    shmctl(id, IPC_RMID, nullptr);
    state.SetItemsProcessed(state.iterations() * pairs.size());
}
BENCHMARK(BM_ClientPairsPerSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
