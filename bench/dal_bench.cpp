// The equalizer interface through the simulated card: SetBandGain and GetArrayBandGain per call
// (the peak indicators poll the second every 100 ms, so it must allocate nothing), against the
// bare driver request underneath both.
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include <Qv10DAL.h>
#include <ombrin/machine.h>

#include "bench_machine.h"

namespace fs = std::filesystem;

// Every heap allocation of the process while counting is on, whoever makes it.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* malloc(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
#endif

namespace {


// A fresh Windows 98 machine with the sound card, for the whole run.
void machine() {
  static BenchMachine m({"sound"});
  static const bool ready = m.ok() && CEqDriverInterface::Init(nullptr);
  if (!ready) std::abort();
}

// The counter must see an allocation it is shown, or its zeros mean nothing.
bool countingWorks() {
  long before = g_allocations.load();
  g_counting = true;
  auto* probe = new std::string(100, 'x');
  benchmark::DoNotOptimize(probe);
  delete probe;
  g_counting = false;
  return g_allocations.load() > before;
}

void countAllocations(benchmark::State& state, long before) {
  state.counters["allocs_per_call"] = benchmark::Counter(
      static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations()));
  if (!countingWorks()) state.SkipWithError("allocations cannot be counted in this build");
}

void BM_SetBandGain(benchmark::State& state) {
  machine();
  _bandGain gain{};
  long before = g_allocations.load();
  g_counting = true;
  SHORT step = -20;
  int sent = 1;
  for (auto _ : state) {
    gain.band = static_cast<USHORT>((gain.band + 1) % 10);
    gain.gain = step;
    step = static_cast<SHORT>(step == 20 ? -20 : step + 1);
    sent &= CEqDriverInterface::SetBandGain(&gain, 0);
  }
  g_counting = false;
  if (!sent) state.SkipWithError("the card refused a gain");
  // The last gain must have reached the card.
  _arrayBandGain gains{};
  if (!CEqDriverInterface::GetArrayBandGains(&gains, 0) || gains.gain[gain.band] / 4 != gain.gain / 4)
    state.SkipWithError("the last gain did not reach the card");
  countAllocations(state, before);
}
BENCHMARK(BM_SetBandGain);

void BM_GetArrayBandGain(benchmark::State& state) {
  machine();
  _arrayBandGain levels{};
  long before = g_allocations.load();
  g_counting = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CEqDriverInterface::GetArrayBandGain(&levels, 0));
    benchmark::ClobberMemory();
  }
  g_counting = false;
  if (levels.numGains != 20) state.SkipWithError("the card answered no levels");
  countAllocations(state, before);
}
BENCHMARK(BM_GetArrayBandGain);

// The request alone, straight to the card, without the library's conversions.
void BM_BareLevelRequest(benchmark::State& state) {
  machine();
  HANDLE device = CreateFileA("\\\\.\\qv10core.vxd", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (device == INVALID_HANDLE_VALUE) std::abort();
  _arrayBandGain levels{};
  DWORD bytes = 0;
  long before = g_allocations.load();
  g_counting = true;
  for (auto _ : state)
    benchmark::DoNotOptimize(DeviceIoControl(device, 0x001D26F8, nullptr, 0, &levels, sizeof levels, &bytes, nullptr));
  g_counting = false;
  countAllocations(state, before);
  CloseHandle(device);
}
BENCHMARK(BM_BareLevelRequest);

}  // namespace

BENCHMARK_MAIN();
