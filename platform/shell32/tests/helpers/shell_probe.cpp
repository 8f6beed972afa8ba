// A machine program for the shell tests: records where and how it was started as a `probe`
// event (working directory, the machine it was given, then its arguments).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <ombrin/eventlog.h>

int main(int argc, char** argv) {
  const char* machine = std::getenv("OMBRIN_MACHINE");
  std::vector<std::string> fields{std::filesystem::current_path().string(), machine ? machine : ""};
  for (int i = 1; i < argc; ++i) fields.emplace_back(argv[i]);
  ombrin::eventlog::write("probe", fields);
  return 0;
}
