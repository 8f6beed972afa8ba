// Removing the telvcd line from system.ini: the one-pass removal against the removal loop written
// out step by step (find the first occurrence from the start, move the rest down, repeat).
// The loop is quadratic in the number of occurrences, so it runs only up to 1 MiB; the one-pass
// removal runs up to 16 MiB with the same density of occurrences (100,000 in 16 MiB).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include <ombrin/machine.h>

#include "../uninstall/tests/text_removal_reference.h"
#include "bench_machine.h"
#include "text_removal.h"
#include "uninstaller.h"

namespace {

const std::string kLine = "device=telvcd.vxd\r\n";

// An 8 KiB system.ini with the line once, or `size` bytes of ini text holding the line
// once in every `size / occurrences` bytes.
std::string MakeIni(std::size_t size, std::size_t occurrences) {
  const std::string filler = "[386Enh]\r\nkeyboard=*vkd\r\ndevice=*vpd\r\nEMMExclude=C000-CFFF\r\n";
  std::string text;
  text.reserve(size + 256);
  std::size_t every = occurrences ? size / occurrences : size + 1;
  std::size_t next = every / 2;
  while (text.size() < size) {
    if (occurrences && text.size() >= next) {
      text += kLine;
      next += every;
    }
    text += filler;
  }
  text.resize(size);
  return text;
}

std::size_t OccurrencesFor(std::size_t size) {
  return size <= 8192 ? 1 : static_cast<std::size_t>(100000.0 * static_cast<double>(size) / (16 << 20));
}

void BM_OnePass(benchmark::State& state) {
  auto size = static_cast<std::size_t>(state.range(0));
  const std::string ini = MakeIni(size, OccurrencesFor(size));
  std::string work;
  for (auto _ : state) {
    work = ini;
    auto left = unombrin::RemoveTextInPlace(work.data(), static_cast<std::uint32_t>(work.size()), kLine.c_str(),
                                            static_cast<std::uint32_t>(kLine.size()));
    benchmark::DoNotOptimize(left);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_OnePass)->Arg(8 << 10)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20)->Arg(16 << 20);

void BM_StepByStepLoop(benchmark::State& state) {
  auto size = static_cast<std::size_t>(state.range(0));
  const std::string ini = MakeIni(size, OccurrencesFor(size));
  for (auto _ : state) benchmark::DoNotOptimize(unombrin::testing::ReferenceRemoveText(ini, kLine));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_StepByStepLoop)->Arg(8 << 10)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20);

// The whole operation on a machine's file: open, map, remove, cut and close.
void BM_RemoveTextFromFile(benchmark::State& state) {
  auto size = static_cast<std::size_t>(state.range(0));
  BenchMachine machine;
  if (!machine.ok()) {
    state.SkipWithError(machine.error().c_str());
    return;
  }
  const std::string ini = MakeIni(size, OccurrencesFor(size));
  auto host = machine.driveC() / "WINDOWS" / "system.ini";
  Uninstaller engine;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(host, std::ios::binary | std::ios::trunc) << ini;
    state.ResumeTiming();
    engine.RemoveTextFromFile("C:\\WINDOWS\\system.ini", kLine.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_RemoveTextFromFile)->Arg(8 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
