// Registry speed: a warm open + query + close against an in-memory map, enumeration of a
// key with many subkeys (must grow linearly), and setting a DWORD.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include <ombrin/machine.h>
#include <ombrin/registry.h>
#include <win32/winreg.h>

#include "bench_machine.h"


namespace {

constexpr const char* kEqualizer = "Software\\Dravel\\Ombrin\\QV5510\\Equalizer";

// A fresh Windows 98 machine without the card, for the whole run.
BenchMachine& machine() {
  static BenchMachine m;
  return m;
}

HKEY createKey(const char* path) {
  HKEY key{};
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
    std::abort();
  return key;
}

void BM_OpenQueryClose(benchmark::State& state) {
  machine();
  HKEY key = createKey(kEqualizer);
  DWORD range = 20;
  RegSetValueExA(key, "BandRange", 0, REG_DWORD, reinterpret_cast<BYTE*>(&range), sizeof range);
  RegCloseKey(key);
  for (auto _ : state) {
    HKEY open{};
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEqualizer, 0, KEY_READ, &open);
    DWORD value = 0, size = sizeof value;
    RegQueryValueExA(open, "BandRange", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(open);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_OpenQueryClose);

// The same name looked up in memory: what a registry read costs against no registry at all.
void BM_MapLookup(benchmark::State& state) {
  std::map<std::string, DWORD> values;
  for (int i = 0; i < 200; ++i) values[std::string(kEqualizer) + "\\Value" + std::to_string(i)] = static_cast<DWORD>(i);
  values[std::string(kEqualizer) + "\\BandRange"] = 20;
  const std::string name = std::string(kEqualizer) + "\\BandRange";
  for (auto _ : state) {
    auto it = values.find(name);
    benchmark::DoNotOptimize(it->second);
  }
}
BENCHMARK(BM_MapLookup);

// Every subkey by index, as the uninstaller's scans walk a key. Cold: the process starts
// afresh before each pass, so the list comes from the database; warm: the process has walked
// it before and no process has written since, so the remembered list answers.
void enumKeyAll(benchmark::State& state, bool cold) {
  machine();
  const int count = static_cast<int>(state.range(0));
  std::string path = "Software\\Enum" + std::to_string(count);
  HKEY probe{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
  } else {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < count; ++i) text += "[HKEY_LOCAL_MACHINE\\" + path + "\\PCI_" + std::to_string(i) + "]\r\n";
    std::string error;
    if (!ombrin::registry::importText(text, error)) std::abort();
  }
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      ombrin::machine::resetCurrent();
      DWORD size = 0;
      RegQueryValueExA(HKEY_LOCAL_MACHINE, "", nullptr, nullptr, nullptr, &size);  // reopens the database
      state.ResumeTiming();
    }
    HKEY key{};
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
    char name[MAX_PATH];
    DWORD seen = 0;
    while (RegEnumKeyA(key, seen, name, sizeof name) == ERROR_SUCCESS) ++seen;
    RegCloseKey(key);
    if (seen != static_cast<DWORD>(count)) state.SkipWithError("wrong count");
  }
  state.SetItemsProcessed(state.iterations() * count);
}
void BM_EnumKeyAllCold(benchmark::State& state) { enumKeyAll(state, true); }
void BM_EnumKeyAll(benchmark::State& state) { enumKeyAll(state, false); }
BENCHMARK(BM_EnumKeyAllCold)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumKeyAll)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_SetDword(benchmark::State& state) {
  machine();
  HKEY key = createKey("Software\\Dravel\\Writes");
  DWORD value = 0;
  for (auto _ : state) {
    ++value;
    RegSetValueExA(key, "Counter", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
  }
  RegCloseKey(key);
}
BENCHMARK(BM_SetDword);

}  // namespace

BENCHMARK_MAIN();
