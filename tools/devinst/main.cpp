// ombrin-devinst: the machine's device installer. Installs or removes the card, calling the
// co-installers registered for it in the machine's registry with each installation step.
#include <cstdio>
#include <cstring>
#include <string>

#include "card_device.h"
#include "installer.h"

using namespace ombrin::devinst;

namespace {

int usage() {
  std::fprintf(stderr, "usage: ombrin-devinst install|remove\n"
                       "  install   installs the card: its co-installers hear every step\n"
                       "  remove    removes the card's driver in the same way\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    usage();
    return 0;
  }
  if (argc != 2) return usage();
  std::string command = argv[1];
  if (command != "install" && command != "remove") return usage();

  auto device = findDevice(kCardHardwareId);
  if (!device) {
    std::fprintf(stderr, "ombrin-devinst: the card is not in this machine (run 'ombrin-machine install')\n");
    return 1;
  }
  std::printf("device\t%s\n", device->instanceKey.c_str());
  bool ok = runSequence(*device, command == "install" ? kInstallSequence : kRemoveSequence, stdout);
  std::fflush(stdout);
  if (!ok) std::fprintf(stderr, "ombrin-devinst: %s failed\n", command.c_str());
  return ok ? 0 : 1;
}
