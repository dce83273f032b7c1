// String throughput: StringInStrB (Boyer-Moore) against the C library's memmem on long
// texts, and the number conversions StringStr and StringVal.
// Run: cmake --build build --target bench_strings && build/bench/strings/bench_strings
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstring>
#include <random>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/strings.h"

namespace {

// A long text of English-like words with the pattern only at the very end.
struct Haystack {
  std::string text;
  std::string find;
  StringRecord* textRecord;
  StringRecord* findRecord;

  Haystack(size_t length, size_t findLength) {
    std::mt19937 rng(42);
    static const char* kWords[] = {"nota ", "accordo ", "scala ", "intervallo ", "cadenza ",
                                   "armonia ", "basso ", "tenore ", "soprano "};
    while (text.size() < length) text += kWords[rng() % 9];
    find = std::string("Xq") + std::string(findLength - 2, 'z');
    text += find;
    textRecord = MakeString(text.data(), static_cast<int32_t>(text.size()));
    findRecord = MakeString(find.data(), static_cast<int32_t>(find.size()));
  }
  ~Haystack() {
    UnlockString(textRecord);
    UnlockString(findRecord);
  }
};

void BM_StringInStrB(benchmark::State& state) {
  Haystack h(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(StringInStrB(1, h.textRecord, h.findRecord));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(h.text.size()));
}
BENCHMARK(BM_StringInStrB)->Args({1 << 16, 8})->Args({1 << 16, 32})->Args({1 << 20, 32});

void BM_Memmem(benchmark::State& state) {
  Haystack h(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(memmem(h.text.data(), h.text.size(), h.find.data(), h.find.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(h.text.size()));
}
BENCHMARK(BM_Memmem)->Args({1 << 16, 8})->Args({1 << 16, 32})->Args({1 << 20, 32});

void BM_StringInStrIgnoringCase(benchmark::State& state) {
  Haystack h(1 << 16, 8);
  for (auto _ : state) benchmark::DoNotOptimize(StringInStr(1, h.textRecord, h.findRecord));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(h.text.size()));
}
BENCHMARK(BM_StringInStrIgnoringCase);

void BM_StringStr(benchmark::State& state) {
  const double values[] = {60, 2.5, 1.0 / 3.0, 1234567.0, 0.000001, -42.125};
  size_t i = 0;
  for (auto _ : state) {
    StringRecord* s = StringStr(values[i++ % 6]);
    benchmark::DoNotOptimize(s);
    UnlockString(s);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_StringStr);

void BM_StringVal(benchmark::State& state) {
  const char* texts[] = {"60", "2.5", "0.3333333", "1.000001e+06", "&HFF", "  -3.5e2xyz"};
  StringRecord* records[6];
  for (int i = 0; i < 6; ++i) records[i] = MakeStringFromC(texts[i]);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(StringVal(records[i++ % 6]));
  for (StringRecord* r : records) UnlockString(r);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_StringVal);

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "en_US.UTF-8");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
