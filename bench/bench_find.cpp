// The find routine over 100 notes of 64 KiB against std::string_view::find
// (BM_Ref_*) and memmem on the same bytes. The patterns do not occur, so every
// byte of every note is searched, as in a search that finds little.
#include "core/find/ByteSearch.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kNotes = 100;
constexpr std::size_t kNoteBytes = 64 * 1024;

// Text of English and Japanese words with CR LF line ends, like notes typed by hand.
const std::vector<std::string>& Notes() {
    static const std::vector<std::string> notes = [] {
        const char* words[] = {"the",
                               "milk",
                               "meeting",
                               "remember",
                               "call",
                               "tomorrow",
                               "note",
                               "list",
                               "project",
                               "send",
                               "report",
                               "\xe4\xbc\x9a\xe8\xad\xb0",
                               "\xe7\x89\x9b\xe4\xb9\xb3",
                               "\xe9\x9b\xbb\xe8\xa9\xb1",
                               "and",
                               "at",
                               "10:30"};
        std::mt19937 random(4126);
        std::vector<std::string> out;
        for (int n = 0; n < kNotes; ++n) {
            std::string text;
            while (text.size() < kNoteBytes) {
                text += words[random() % std::size(words)];
                text += random() % 12 == 0 ? "\r\n" : " ";
            }
            text.resize(kNoteBytes);
            out.push_back(std::move(text));
        }
        return out;
    }();
    return notes;
}

void Report(benchmark::State& state, std::size_t hits) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kNotes * kNoteBytes);
    state.counters["hits"] = static_cast<double>(hits);
}

void BM_ByteSearch(benchmark::State& state, const char* pattern) {
    const auto& notes = Notes();
    std::size_t hits = 0;
    for (auto _ : state) {
        const CByteSearch search(pattern);
        hits = 0;
        for (const auto& note : notes)
            hits += search.Find(note) != CByteSearch::npos;
        benchmark::DoNotOptimize(hits);
    }
    Report(state, hits);
}

void BM_Ref_StringViewFind(benchmark::State& state, const char* pattern) {
    const auto& notes = Notes();
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const auto& note : notes)
            hits += std::string_view(note).find(pattern) != std::string_view::npos;
        benchmark::DoNotOptimize(hits);
    }
    Report(state, hits);
}

void BM_Memmem(benchmark::State& state, const char* pattern) {
    const auto& notes = Notes();
    const std::size_t length = std::strlen(pattern);
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const auto& note : notes)
            hits += memmem(note.data(), note.size(), pattern, length) != nullptr;
        benchmark::DoNotOptimize(hits);
    }
    Report(state, hits);
}

} // namespace

#define QUILLET_FIND_CASE(name, pattern)                                                                               \
    BENCHMARK_CAPTURE(BM_ByteSearch, name, pattern);                                                                   \
    BENCHMARK_CAPTURE(BM_Ref_StringViewFind, name, pattern);                                                           \
    BENCHMARK_CAPTURE(BM_Memmem, name, pattern);

QUILLET_FIND_CASE(short3, "xyz")
QUILLET_FIND_CASE(word8, "meetingz")
QUILLET_FIND_CASE(long21, "remember to call home")
QUILLET_FIND_CASE(japanese, "\xe4\xbc\x9a\xe8\xad\xb0\xe5\xae\xa4")
