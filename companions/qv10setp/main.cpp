// qv10setp.exe: the card's setup program, as far as the machine needs it: it records how it
// was started, as a `program` event (its file name, then its arguments).
#include <string>
#include <vector>

#include <ombrin/eventlog.h>

int main(int argc, char** argv) {
  std::vector<std::string> fields{"qv10setp.exe"};
  for (int i = 1; i < argc; ++i) fields.emplace_back(argv[i]);
  ombrin::eventlog::write("program", fields);
  return 0;
}
