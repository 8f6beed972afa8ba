// A second process for the registry tests.
//   reg_writer set KEY PREFIX COUNT   sets COUNT values and creates COUNT subkeys named PREFIXn
//   reg_writer import-loop            imports generation after generation of one large change
//   reg_writer delete KEY             deletes KEY and its subkeys
#include <cstdio>
#include <cstdlib>
#include <string>

#include <ombrin/registry.h>
#include <win32/winreg.h>

namespace {

int set(const char* path, const std::string& prefix, int count) {
  HKEY key{};
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) return 1;
  for (int i = 0; i < count; ++i) {
    std::string name = prefix + std::to_string(i);
    DWORD value = static_cast<DWORD>(i);
    if (LONG error = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value)) {
      std::fprintf(stderr, "RegSetValueExA %s: %d\n", name.c_str(), error);
      return 1;
    }
    HKEY sub{};
    if (LONG error = RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr)) {
      std::fprintf(stderr, "RegCreateKeyExA %s: %d\n", name.c_str(), error);
      return 1;
    }
    RegCloseKey(sub);
  }
  RegCloseKey(key);
  return 0;
}

// Each generation rewrites every key of the set in one import, so a reader finds all keys of
// one generation or all of the next.
[[noreturn]] void importLoop() {
  for (unsigned generation = 1;; ++generation) {
    std::string text = "REGEDIT4\r\n";
    char line[96];
    for (int i = 0; i < 300; ++i) {
      std::snprintf(line, sizeof line, "[HKEY_LOCAL_MACHINE\\Software\\Atomic\\K%03d]\r\n\"Gen\"=dword:%08x\r\n", i,
                    generation);
      text += line;
    }
    std::string error;
    if (!ombrin::registry::importText(text, error)) {
      std::fprintf(stderr, "import: %s\n", error.c_str());
      std::exit(1);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "set" && argc == 5) return set(argv[2], argv[3], std::atoi(argv[4]));
  if (command == "import-loop") importLoop();
  if (command == "delete" && argc == 3) return RegDeleteKeyA(HKEY_LOCAL_MACHINE, argv[2]) == ERROR_SUCCESS ? 0 : 1;
  std::fprintf(stderr, "usage: reg_writer set KEY PREFIX COUNT | import-loop | delete KEY\n");
  return 2;
}
