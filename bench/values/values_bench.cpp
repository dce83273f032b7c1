// Arrays, random numbers and the record readers under load: sorting (random, presorted and
// few distinct values, where a middle-pivot quicksort must not degrade), element writes that
// grow lazy storage, rnd, and reading a menu bar stream.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"
#include "runtime/records/menubar.h"

namespace {

ArrayRecord* Filled(int32_t n, int shape) {
  ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
  std::mt19937 gen(1);
  for (int32_t i = 0; i < n; ++i) {
    int32_t v = shape == 0 ? static_cast<int32_t>(gen()) : shape == 1 ? i : i % 4;
    RuntimeDirectWriteIntArray(a, i, v);
  }
  return a;
}

// Arg 0: elements; arg 1: 0 random, 1 presorted, 2 four distinct values.
void BM_IntArraySort(benchmark::State& state) {
  int32_t n = static_cast<int32_t>(state.range(0));
  int shape = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    ArrayRecord* a = Filled(n, shape);
    state.ResumeTiming();
    RuntimeIntArraySort(a);
    state.PauseTiming();
    RuntimeDisposeIntArray(a);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IntArraySort)->Args({100000, 0})->Args({100000, 1})->Args({100000, 2});

void BM_DirectWriteGrowing(benchmark::State& state) {
  int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
    for (int32_t i = 0; i < n; ++i) RuntimeDirectWriteIntArray(a, i, i);
    RuntimeDisposeIntArray(a);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DirectWriteGrowing)->Arg(1000)->Arg(100000);

void BM_IntArrayAppend(benchmark::State& state) {
  int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, -1);
    for (int32_t i = 0; i < n; ++i) RuntimeIntArrayAppend(a, i);
    RuntimeDisposeIntArray(a);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_IntArrayAppend)->Arg(10000);

void BM_Rnd(benchmark::State& state) {
  double sum = 0;
  for (auto _ : state) sum += rnd();
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_Rnd);

// A menu bar of the carried application's size: nine menus of about twenty items.
std::vector<uint8_t> MenuBarItem() {
  std::vector<uint8_t> s = {9};
  auto text = [&](const char* t) {
    size_t n = std::char_traits<char>::length(t);
    s.push_back(static_cast<uint8_t>(n));
    s.insert(s.end(), t, t + n);
  };
  auto entry = [&](const char* caption) {
    s.push_back(0);
    text(caption);
    text("mnetn");
    s.insert(s.end(), {0xC0, 0x80, 0x80, 0x80, 0x10});  // no index
    text("");
    text("");
    text("");
    s.insert(s.end(), {0, 0, 0xA8, 0x02});  // byte, no submenu, class 168
  };
  for (int m = 0; m < 9; ++m) {
    entry("Ear training");
    s.push_back(20);
    for (int i = 0; i < 20; ++i) entry("Intervalli sopra il Do3");
  }
  std::vector<uint8_t> item = {2, 0, 0, 0};
  uint32_t length = static_cast<uint32_t>(s.size());
  for (int b = 0; b < 4; ++b) item.push_back(static_cast<uint8_t>(length >> (8 * b)));
  item.insert(item.end(), s.begin(), s.end());
  return item;
}

void BM_MenuBarRead(benchmark::State& state) {
  std::vector<uint8_t> item = MenuBarItem();
  DataBlock block = DataBlock::Unrelocated(item.data(), static_cast<uint32_t>(item.size()));
  int64_t entries = 0;
  for (auto _ : state) {
    MenuBarReader reader(block, 0, 170);
    MenuBarEntry e;
    while (reader.Next(e)) ++entries;
    if (reader.Failed()) state.SkipWithError(reader.Error().c_str());
  }
  state.SetItemsProcessed(entries);
}
BENCHMARK(BM_MenuBarRead);

}  // namespace

BENCHMARK_MAIN();
