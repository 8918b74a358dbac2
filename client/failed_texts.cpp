// The table of texts that did not compile: an index of hashes and offsets, probed linearly,
// over one block that holds the texts themselves.
#include "client/failed_texts.h"

#include <matheval.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "client/state.h"

namespace {

constexpr std::uint32_t SLOT_MASK = FAILED_TEXT_SLOTS - 1;

// FNV-1a over the bytes of text.
std::uint32_t textHash(const char *text) {
    std::uint32_t hash = 2166136261u;
    for (const char *p = text; *p != '\0'; ++p)
        hash = (hash ^ static_cast<unsigned char>(*p)) * 16777619u;
    return hash;
}

// The slot that holds text, or the empty slot where it would go. The index is at most half
// full, so an empty slot always ends the probe.
std::uint64_t *findSlot(const char *text, std::uint32_t hash) {
    for (std::uint32_t i = hash & SLOT_MASK;; i = (i + 1) & SLOT_MASK) {
        std::uint64_t slot = failedTextTbl[i];
        if (slot == 0) return &failedTextTbl[i];
        const char *stored = failedTexts + (slot & 0xFFFFFFFFu) - 1;
        if (slot >> 32 == hash && std::strcmp(stored, text) == 0) return &failedTextTbl[i];
    }
}

// Stores text in the empty slot found for it, if there is room.
void rememberFailedText(std::uint64_t *slot, const char *text, std::uint32_t hash) {
    std::size_t size = std::strlen(text) + 1;
    if (failedTextCount == FAILED_TEXT_MAX || failedTextsUsed + size > FAILED_TEXT_BYTES) {
        if (!failedTextsFull)
            std::printf("\rclient %d: the table of texts that do not compile is full\n", key);
        failedTextsFull = 1;
        return;
    }
    std::memcpy(failedTexts + failedTextsUsed, text, size);
    *slot = std::uint64_t{hash} << 32 | (failedTextsUsed + 1);
    failedTextsUsed += size;
    ++failedTextCount;
}

}  // namespace

void *compileFormula(const char *text) {
    std::uint32_t hash = textHash(text);
    std::uint64_t *slot = findSlot(text, hash);
    if (*slot != 0) return nullptr;
    // The library copies the text and never writes to it.
    void *evaluator = evaluator_create(const_cast<char *>(text));
    if (!evaluator) rememberFailedText(slot, text, hash);
    return evaluator;
}
