// The mailbox shared by quarnMain and each quarnClient: one System V segment per client.
//
// Design note. A mailbox is a 1000-byte segment, key 1000 + n for client n = 0..49. Byte 0 is
// a state letter that says what the text behind it means and whose turn it is; bytes 1..999
// hold a NUL-terminated text (bytes behind the NUL are leftovers and mean nothing).
//
//   'x' MB_WRITING   coordinator is writing a request           next: 'r' or 't' (coordinator)
//   'r' MB_RUN       evaluate the pair ",M,V"                    next: 's'/'f' (client), 'k'
//   't' MB_SELFTEST  answer score 3 without evaluating           next: 's' (client), 'k'
//   's' MB_SCORED    text ",%d\n" holds a score above 2          next: 'x' or 'k' (coordinator)
//   'f' MB_FAILED    no reply text; bytes 1.. still hold ",M,V"  next: 'x' or 'k' (coordinator)
//   'k' MB_KILL      stop                                        next: "exit\n" (client)
//
// The stop confirmation is the whole text "exit\n" with its NUL in bytes 0..5.
//
// Ownership passes with the letter: the coordinator owns the mailbox while the letter is
// neither 'r' nor 't', the client while it is one of them. The stop letter is the one store
// outside that rule: the coordinator writes 'k' whatever the letter holds, which is why the
// client stores its answer with a compare-and-swap from the letter its request came with.
//
// Store order is the whole protocol: a writer finishes its text before it stores the letter
// (release), and a reader loads the letter (acquire) before it reads the text. The letter is
// loaded afresh from the segment on every poll, never cached. The text itself is plain memory.
#pragma once

#include <sched.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int MB_KEY_BASE = 1000;      // key of client 0; client n has key 1000 + n
constexpr int MB_NUM_CLIENTS = 50;     // clients, and so mailboxes, per run
constexpr std::size_t MB_SIZE = 1000;  // bytes per segment; both sides ask for exactly this

// Processes that poll in a full farm: the 50 clients and the coordinator. With fewer
// processors online, both sides yield the processor after a poll that finds nothing to do.
constexpr long POLLERS = MB_NUM_CLIENTS + 1;

// 1 when a poll that finds nothing to do should give the processor to the processes that have
// work: this process may run on fewer processors than there are pollers. The processors are
// those the process may run on (a batch system's task gets a share of a node), not all online.
inline int mbYieldWhenIdle() {
    cpu_set_t allowed;
    const long cpus = sched_getaffinity(0, sizeof allowed, &allowed) == 0
                          ? CPU_COUNT(&allowed)
                          : sysconf(_SC_NPROCESSORS_ONLN);
    return cpus < POLLERS ? 1 : 0;
}

constexpr char MB_WRITING = 'x';
constexpr char MB_RUN = 'r';
constexpr char MB_SELFTEST = 't';
constexpr char MB_SCORED = 's';
constexpr char MB_FAILED = 'f';
constexpr char MB_KILL = 'k';
constexpr char MB_EXIT_TEXT[] = "exit\n";  // the stop confirmation, bytes 0..5 with its NUL

// A formula travels in buffers of 496 bytes (495 characters and a NUL) on both sides.
constexpr std::size_t FORMULA_BUF_SIZE = 496;
// Longest request: letter, comma, M, comma, V, NUL.
static_assert(1 + 1 + (FORMULA_BUF_SIZE - 1) + 1 + (FORMULA_BUF_SIZE - 1) + 1 <= MB_SIZE,
              "the longest request must fit the mailbox");

// The first request of every client: M = V = "M+m+V+v", which uses all four variables.
constexpr char MB_SEED_FORMULA[] = "M+m+V+v";

// Loads the state letter afresh from the segment, with acquire order.
inline char mbLoadLetter(char *mailbox) {
    return std::atomic_ref<char>(mailbox[0]).load(std::memory_order_acquire);
}

// Stores the state letter with release order: everything written before it is visible to
// the side that loads this letter.
inline void mbStoreLetter(char *mailbox, char letter) {
    std::atomic_ref<char>(mailbox[0]).store(letter, std::memory_order_release);
}

// Replaces the letter `expected` by `desired` in one step. Returns 1 when it did; 0 when the
// letter had changed meanwhile (to the stop letter), and then leaves it as it is.
inline int mbSwapLetter(char *mailbox, char expected, char desired) {
    return std::atomic_ref<char>(mailbox[0])
                   .compare_exchange_strong(expected, desired, std::memory_order_acq_rel,
                                            std::memory_order_acquire)
               ? 1
               : 0;
}

// Processes attached to the segment `shmId` (shmctl IPC_STAT), or -1 when its status cannot be
// read. The coordinator is attached to every mailbox of its run, so a client whose count is 1
// has lost its coordinator, and a coordinator whose count is 1 has lost its client.
inline long mbAttachCount(int shmId) {
    struct shmid_ds status;
    return shmctl(shmId, IPC_STAT, &status) == 0 ? static_cast<long>(status.shm_nattch) : -1;
}

// 1 when the coordinator may hand this mailbox its next pair: any letter but 'r' and 't'.
inline int mbIsIdle(char letter) { return letter != MB_RUN && letter != MB_SELFTEST; }

// Writes the request "x,M,V" and stores `letter` ('r' or 't') last. The caller owns the
// mailbox (its letter is idle) and passes formulas of at most 495 characters each, which the
// static_assert above fits into the mailbox.
inline void mbWriteRequest(char *mailbox, const char *m, const char *v, char letter) {
    mbStoreLetter(mailbox, MB_WRITING);
    const std::size_t mLen = std::strlen(m), vLen = std::strlen(v);
    mailbox[1] = ',';
    std::memcpy(mailbox + 2, m, mLen);
    mailbox[2 + mLen] = ',';
    std::memcpy(mailbox + 3 + mLen, v, vLen + 1);
    mbStoreLetter(mailbox, letter);
}

// Reads the score of an 's' reply: up to 5 characters from byte 2 on, stopping before a NUL,
// '\n' or ',', converted with atoi rules (0 when there are no leading digits).
inline int mbReadScore(const char *mailbox) {
    char digits[6];
    int n = 0;
    for (const char *p = mailbox + 2; n < 5 && *p != '\0' && *p != '\n' && *p != ','; ++p)
        digits[n++] = *p;
    digits[n] = '\0';
    return std::atoi(digits);
}

// Writes the text of an 's' reply (",%d\n" from byte 1). The letter is stored separately.
inline void mbWriteScoreText(char *mailbox, int score) {
    std::snprintf(mailbox + 1, MB_SIZE - 1, ",%d\n", score);
}

// Writes the stop confirmation "exit\n" and its NUL over bytes 0..5, byte 0 last.
inline void mbWriteExitConfirmation(char *mailbox) {
    std::memcpy(mailbox + 1, MB_EXIT_TEXT + 1, sizeof MB_EXIT_TEXT - 1);
    mbStoreLetter(mailbox, MB_EXIT_TEXT[0]);
}

// 1 when the mailbox holds exactly the text "exit\n" from byte 0, else 0.
inline int mbIsExitConfirmation(char *mailbox) {
    return mbLoadLetter(mailbox) == MB_EXIT_TEXT[0] &&
                   std::strcmp(mailbox + 1, MB_EXIT_TEXT + 1) == 0
               ? 1
               : 0;
}
