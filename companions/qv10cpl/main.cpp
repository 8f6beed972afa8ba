// qv10cpl.exe: the card's control panel program. It records its start as a `program` event and
// tells what the machine holds of the card.
#include <cstdio>
#include <string>
#include <vector>

#include <ombrin/eventlog.h>
#include <ombrin/machine.h>

int main(int argc, char** argv) {
  std::vector<std::string> fields{"qv10cpl.exe"};
  for (int i = 1; i < argc; ++i) fields.emplace_back(argv[i]);
  ombrin::eventlog::write("program", fields);

  const auto& machine = ombrin::machine::current();
  std::string editions;
  for (const auto& edition : machine.profile().editions) editions += (editions.empty() ? "" : ", ") + edition;
  std::printf("Ombrin Control Panel: Windows %s, card %s\n", machine.version().name,
              editions.empty() ? "not installed" : editions.c_str());
  return 0;
}
