// The loader: where LoadLibraryA looks for a module, DllMain at the first load and the last
// free, reference counts, exports and module names.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include <ombrin/modules.h>
#include <temp_machine.h>
#include <win32/winbase.h>

namespace {

namespace fs = std::filesystem;
using ombrin::test::buildDir;
using ombrin::test::TempMachine;

fs::path builtModule(const char* file) { return buildDir() / "tests" / "modules" / file; }

// Puts a built module into the machine under a Windows path.
void install(const TempMachine& machine, const char* file, const std::string& winPath) {
  auto host = machine.host(winPath);
  fs::create_directories(host.parent_path());
  fs::copy_file(builtModule(file), host, fs::copy_options::overwrite_existing);
}

std::string moduleFileName(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = machine_.root() / "probe.log";
    ::setenv("OMBRIN_PROBE_LOG", log_.c_str(), 1);
  }
  void TearDown() override {
    for (const char* variable : {"OMBRIN_PROBE_LOG", "OMBRIN_PROBE_REFUSE", "OMBRIN_PROBE_NESTED"})
      ::unsetenv(variable);
  }
  std::string takeLog() {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    fs::remove(log_);
    return text.str();
  }

  TempMachine machine_;
  fs::path log_;
};

TEST_F(ModuleTest, SearchOrderOfABareName) {
  struct Case {
    const char* what;
    ombrin::machine::WindowsVersion windows;
    std::vector<std::string> placed;
    const char* requested;
    const char* expected;  // GetModuleFileNameA of the loaded module
  } cases[] = {
      {"Windows directory", ombrin::machine::WindowsVersion::Win98, {"C:\\WINDOWS\\probe.dll"}, "probe.dll",
       "C:\\WINDOWS\\probe.dll"},
      {"system before Windows", ombrin::machine::WindowsVersion::Win98,
       {"C:\\WINDOWS\\probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll"}, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll"},
      {"SYSTEM32 first on NT", ombrin::machine::WindowsVersion::Win2000,
       {"C:\\WINNT\\probe.dll", "C:\\WINNT\\SYSTEM\\probe.dll", "C:\\WINNT\\SYSTEM32\\probe.dll"}, "probe.dll",
       "C:\\WINNT\\SYSTEM32\\probe.dll"},
      {"then the 16-bit SYSTEM on NT", ombrin::machine::WindowsVersion::Nt4,
       {"C:\\WINNT\\probe.dll", "C:\\WINNT\\SYSTEM\\probe.dll"}, "probe.dll", "C:\\WINNT\\SYSTEM\\probe.dll"},
      {"default extension", ombrin::machine::WindowsVersion::Win98, {"C:\\WINDOWS\\SYSTEM\\probe.dll"}, "probe",
       "C:\\WINDOWS\\SYSTEM\\probe.dll"},
      {"any case", ombrin::machine::WindowsVersion::Win98, {"C:\\WINDOWS\\SYSTEM\\Probe.DLL"}, "PROBE.dll",
       "C:\\WINDOWS\\SYSTEM\\Probe.DLL"},
      {"machine path", ombrin::machine::WindowsVersion::Win98,
       {"C:\\WINDOWS\\SYSTEM\\probe.dll", "C:\\Program Files\\probe.dll"}, "C:\\Program Files\\probe.dll",
       "C:\\Program Files\\probe.dll"},
  };
  for (const auto& c : cases) {
    TempMachine machine(c.windows);
    for (const auto& winPath : c.placed) install(machine, "probe.dll", winPath);
    HMODULE module = LoadLibraryA(c.requested);
    ASSERT_TRUE(module) << c.what << ": error " << GetLastError();
    EXPECT_EQ(moduleFileName(module), c.expected) << c.what;
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST_F(ModuleTest, NeverFromTheCurrentDirectory) {
  fs::path here = machine_.root() / "cwd";
  fs::create_directories(here);
  fs::copy_file(builtModule("probe.dll"), here / "probe.dll");
  fs::path before = fs::current_path();
  fs::current_path(here);
  SetLastError(0);
  HMODULE module = LoadLibraryA("probe.dll");
  DWORD error = GetLastError();
  fs::current_path(before);
  EXPECT_FALSE(module);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModuleTest, TheProgramsDirectoryComesFirst) {
  fs::path dir = machine_.root() / "programs";
  fs::create_directories(dir);
  fs::copy_file(buildDir() / "tests" / "module_host", dir / "module_host");
  fs::copy_file(builtModule("probe.dll"), dir / "probe.dll");
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  std::vector<std::string> env{"LD_LIBRARY_PATH=" + (buildDir() / "lib").string()};
  auto result = ombrin::test::run({(dir / "module_host").string(), "probe.dll"}, env);
  EXPECT_EQ(result.out, (dir / "probe.dll").string() + "\n") << "a host path: the program lies outside the machine";
  fs::remove(dir / "probe.dll");
  result = ombrin::test::run({(dir / "module_host").string(), "probe.dll"}, env);
  EXPECT_EQ(result.out, "C:\\WINDOWS\\SYSTEM\\probe.dll\n");
}

TEST_F(ModuleTest, DllMainAtFirstLoadAndLastFree) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  HMODULE first = LoadLibraryA("probe.dll");
  ASSERT_TRUE(first);
  EXPECT_EQ(takeLog(), "attach 0 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
  HMODULE second = LoadLibraryA("PROBE");
  EXPECT_EQ(second, first) << "one module, counted twice";
  EXPECT_EQ(GetModuleHandleA("probe.dll"), first);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(takeLog(), "") << "still referenced";
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(takeLog(), "detach 0 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(GetModuleHandleA("probe.dll"));
}

TEST_F(ModuleTest, DllMainMayLoadOtherModules) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  install(machine_, "plain.dll", "C:\\WINDOWS\\plain.dll");
  ::setenv("OMBRIN_PROBE_NESTED", "1", 1);
  HMODULE probe = LoadLibraryA("probe.dll");
  ASSERT_TRUE(probe);
  EXPECT_TRUE(GetModuleHandleA("plain.dll")) << "loaded by the probe's DllMain";
  EXPECT_TRUE(FreeLibrary(probe));
  EXPECT_FALSE(GetModuleHandleA("plain.dll")) << "freed by the probe's DllMain";

  ASSERT_TRUE(LoadLibraryA("probe.dll"));
  takeLog();
  ombrin::machine::resetCurrent();  // the probe, told last, frees plain.dll that was told first
  EXPECT_EQ(takeLog(), "detach 1 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
}

TEST_F(ModuleTest, ARefusingDllMainFailsTheLoad) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  ::setenv("OMBRIN_PROBE_REFUSE", "1", 1);
  SetLastError(0);
  EXPECT_FALSE(LoadLibraryA("probe.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(takeLog(), "attach 0 C:\\WINDOWS\\SYSTEM\\probe.dll\ndetach 0 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
  EXPECT_FALSE(GetModuleHandleA("probe.dll"));
}

TEST_F(ModuleTest, FailedLoads) {
  machine_.writeFile("C:\\WINDOWS\\SYSTEM\\broken.dll", "MZ this is no module");
  struct Case {
    const char* name;
    DWORD error;
  } cases[] = {
      {"missing.dll", ERROR_MOD_NOT_FOUND},
      {"C:\\WINDOWS\\missing.dll", ERROR_MOD_NOT_FOUND},
      {"..\\..\\outside.dll", ERROR_MOD_NOT_FOUND},
      {"broken.dll", ERROR_BAD_EXE_FORMAT},
      {"", ERROR_MOD_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(LoadLibraryA(c.name)) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
}

TEST_F(ModuleTest, ExportsAreTheModulesOwnAndByNameOnly) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  install(machine_, "plain.dll", "C:\\WINDOWS\\SYSTEM\\plain.dll");
  HMODULE probe = LoadLibraryA("probe.dll");
  HMODULE plain = LoadLibraryA("plain.dll");
  ASSERT_TRUE(probe && plain);
  auto answer = reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(probe, "probeAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  struct Case {
    const char* what;
    HMODULE module;
    LPCSTR name;
  } cases[] = {
      {"another module's export", plain, "probeAnswer"},
      {"a module without DllMain", plain, "DllMain"},
      {"an import, not an export", probe, "GetModuleFileNameA"},
      {"an ordinal", probe, MAKEINTRESOURCEA(1)},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(c.module, c.name), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << c.what;
  }
  EXPECT_EQ(ombrin::modules::moduleOfAddress(reinterpret_cast<const void*>(answer)), probe);
  EXPECT_NE(ombrin::modules::hostHandle(probe), nullptr);
  FreeLibrary(plain);
  FreeLibrary(probe);
  EXPECT_EQ(ombrin::modules::hostHandle(probe), nullptr);
}

TEST_F(ModuleTest, TheProgramAndTheLibrariesItWasLinkedWith) {
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_TRUE(program);
  static int local;
  EXPECT_EQ(ombrin::modules::moduleOfAddress(&local), program);
  EXPECT_NE(ombrin::modules::hostHandle(HMODULE{}), nullptr);
  EXPECT_EQ(moduleFileName(HMODULE{}), fs::read_symlink("/proc/self/exe").string());

  HMODULE platform = ombrin::modules::moduleOfAddress(reinterpret_cast<const void*>(&LoadLibraryA));
  ASSERT_TRUE(platform);
  EXPECT_NE(platform, program);
  EXPECT_EQ(reinterpret_cast<void (*)()>(GetProcAddress(platform, "LoadLibraryA")),
            reinterpret_cast<void (*)()>(&LoadLibraryA));
  EXPECT_TRUE(FreeLibrary(platform)) << "a library the program needs stays";
  EXPECT_EQ(ombrin::modules::moduleOfAddress(reinterpret_cast<const void*>(&LoadLibraryA)), platform);

  char small[8] = "XXXXXXX";
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(HMODULE{}, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small[sizeof small - 1], '\0') << "cut, but terminated";
  char sentinel[4] = "abc";
  EXPECT_EQ(GetModuleFileNameA(HMODULE{0x7FF0}, sentinel, sizeof sentinel), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_STREQ(sentinel, "abc");
}

TEST_F(ModuleTest, ExitProcessTellsTheModulesAndTracesShowTheLoader) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  auto result = ombrin::test::run({(buildDir() / "tests" / "module_host").string(), "probe", "exit"},
                                  {"OMBRIN_TRACE=module"});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_EQ(takeLog(), "attach 0 C:\\WINDOWS\\SYSTEM\\probe.dll\ndetach 1 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
  EXPECT_NE(result.err.find("trace:module:LoadLibraryA(\"probe\") -> 0x"), std::string::npos) << result.err;
}

TEST_F(ModuleTest, ResetUnloadsAsAProcessEnd) {
  install(machine_, "probe.dll", "C:\\WINDOWS\\SYSTEM\\probe.dll");
  ASSERT_TRUE(LoadLibraryA("probe.dll"));
  takeLog();
  ombrin::machine::resetCurrent();
  EXPECT_EQ(takeLog(), "detach 1 C:\\WINDOWS\\SYSTEM\\probe.dll\n");
  EXPECT_FALSE(GetModuleHandleA("probe.dll"));
}

}  // namespace
