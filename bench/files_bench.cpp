// Directory search and file open speed: a FindFirstFileA/FindNextFileA pass over a directory
// of N files against a bare host listing of the same directory (the search also reads each
// entry's attributes, matches the pattern and sorts), and a CreateFileA + CloseHandle pair
// against a host open + close (the difference is path resolution and the sharing check).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <ombrin/machine.h>

#include "bench_machine.h"
#include <win32/windows.h>

namespace fs = std::filesystem;

namespace {

// A fresh Windows 98 machine without the card, for the whole run.
BenchMachine& benchMachine() {
  static BenchMachine machine;
  return machine;
}

fs::path fillDirectory(int files) {
  fs::path dir = benchMachine().driveC() / ("D" + std::to_string(files));
  if (!fs::exists(dir)) {
    fs::create_directories(dir);
    for (int i = 0; i < files; ++i) std::ofstream(dir / ("qv10file" + std::to_string(i) + ".dat")) << "x";
  }
  return dir;
}

void BM_FindFiles(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  fillDirectory(files);
  std::string search = "C:\\D" + std::to_string(files) + "\\qv10*.*";
  for (auto _ : state) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(search.c_str(), &data);
    int seen = 0;
    if (h != INVALID_HANDLE_VALUE) {
      do ++seen;
      while (FindNextFileA(h, &data));
      FindClose(h);
    }
    benchmark::DoNotOptimize(seen);
  }
  state.SetComplexityN(files);
}

void BM_HostListing(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  fs::path dir = fillDirectory(files);
  for (auto _ : state) {
    DIR* d = ::opendir(dir.c_str());
    int seen = 0;
    while (dirent* e = ::readdir(d)) seen += e->d_name[0] != '.';
    ::closedir(d);
    benchmark::DoNotOptimize(seen);
  }
  state.SetComplexityN(files);
}

void BM_CreateFileAndClose(benchmark::State& state) {
  fillDirectory(10);
  for (auto _ : state) {
    HANDLE h = CreateFileA("c:\\d10\\QV10FILE5.DAT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, HANDLE{});
    CloseHandle(h);
  }
}

void BM_HostOpenAndClose(benchmark::State& state) {
  fs::path file = fillDirectory(10) / "qv10file5.dat";
  for (auto _ : state) ::close(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
}

}  // namespace

BENCHMARK(BM_FindFiles)->RangeMultiplier(10)->Range(10, 10000)->Complexity();
BENCHMARK(BM_HostListing)->RangeMultiplier(10)->Range(10, 10000)->Complexity();
BENCHMARK(BM_CreateFileAndClose);
BENCHMARK(BM_HostOpenAndClose);
BENCHMARK_MAIN();
