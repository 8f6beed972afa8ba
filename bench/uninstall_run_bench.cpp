// `unombrin now silent all` as a person runs it, on a Windows 98 machine with every card edition
// installed, alone and beside many unrelated keys in the very containers the recipes scan. Each
// run starts from a copy of one provisioned machine; only the program's run is timed.
#include <benchmark/benchmark.h>
#include <ombrin/machine.h>
#include <ombrin/registry.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path binDir() {
  // The benchmark sits in <build>/bench; the programs in <build>/bin.
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
}

// Other vendors' devices, class keys, phantoms and media resources: none of them matches.
std::string unrelatedKeys(int count) {
  std::string text = "REGEDIT4\r\n";
  auto key = [&](const std::string& path, const char* name, const std::string& value) {
    std::string quoted;
    for (char c : value) {
      if (c == '\\' || c == '"') quoted += '\\';
      quoted += c;
    }
    text += "\r\n[HKEY_LOCAL_MACHINE\\" + path + "]\r\n\"" + name + "\"=\"" + quoted + "\"\r\n";
  };
  char id[64];
  for (int made = 0, i = 0; made < count; ++i) {
    std::snprintf(id, sizeof id, "VEN_%04X&DEV_%04X", 0x2000 + i % 0x1000, i);
    std::string device = id;
    switch (i % 5) {
      case 0:  // a PCI device with one instance: two keys
        key("Enum\\PCI\\" + device + "&SUBSYS_00000000&REV_01\\BUS_01&DEV_02&FUNC_00", "HardwareID", "PCI\\" + device);
        made += 2;
        break;
      case 1:
        key("System\\CurrentControlSet\\Services\\Class\\MEDIA\\" + std::to_string(1000 + i), "MatchingDeviceId",
            "PCI\\" + device);
        made += 1;
        break;
      case 2:  // a multifunction section with one child: two keys
        key("Enum\\MF\\CHILD" + std::to_string(1000 + i) + "\\PCI&" + device, "Mfg", "Other");
        made += 2;
        break;
      case 3:
        key("Software\\Microsoft\\Windows\\CurrentVersion\\cfgmgr32\\Phantom\\" + std::to_string(1000 + i),
            "HardWareKey", "PCI\\" + device);
        made += 1;
        break;
      case 4:
        key("System\\CurrentControlSet\\Control\\MediaResources\\wave\\other" + std::to_string(i) + ".drv<0000>",
            "DeviceID", "PCI\\" + device);
        made += 1;
        break;
    }
  }
  return text;
}

std::vector<fs::path>& templates() {
  static std::vector<fs::path> made;
  return made;
}

// One provisioned machine per size, made once and copied for every run.
fs::path templateMachine(int unrelated) {
  fs::path root = fs::temp_directory_path() /
                  ("ombrin-bench-unombrin-" + std::to_string(::getpid()) + "-" + std::to_string(unrelated));
  if (fs::exists(root / "machine.ini")) return root;
  ombrin::machine::resetCurrent();
  ::setenv("OMBRIN_MACHINE", root.c_str(), 1);
  ombrin::machine::Profile profile;
  profile.windows = ombrin::machine::WindowsVersion::Win98;
  profile.editions = {"sound", "combined", "modem-new", "modem-old", "oem", "tellicor-isa", "tellicor-pci"};
  std::string error;
  if (!ombrin::machine::create(root, profile, true, error) ||
      (unrelated > 0 && !ombrin::registry::importText(unrelatedKeys(unrelated), error))) {
    std::fprintf(stderr, "cannot provision %s: %s\n", root.c_str(), error.c_str());
    std::exit(1);
  }
  ombrin::machine::resetCurrent();
  ::unsetenv("OMBRIN_MACHINE");
  templates().push_back(root);
  return root;
}

int runUnombrin(const fs::path& machine) {
  std::string program = (binDir() / "unombrin").string();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("OMBRIN_MACHINE", machine.c_str(), 1);
    ::setenv("OMBRIN_MSGBOX_ANSWERS", "", 1);
    ::execl(program.c_str(), program.c_str(), "now", "silent", "all", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

void BM_UnombrinNowSilentAll(benchmark::State& state) {
  const int unrelated = static_cast<int>(state.range(0));
  fs::path source = templateMachine(unrelated);
  fs::path work = source;
  work += "-run";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(work);
    fs::copy(source, work, fs::copy_options::recursive);
    state.ResumeTiming();
    int code = runUnombrin(work);
    state.PauseTiming();
    if (code != 0) state.SkipWithError("unombrin did not exit with 0");
    state.ResumeTiming();
  }
  fs::remove_all(work);
  state.counters["unrelated_keys"] = unrelated;
}

BENCHMARK(BM_UnombrinNowSilentAll)->Arg(0)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& root : templates()) fs::remove_all(root);
  return 0;
}
