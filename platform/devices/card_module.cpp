// Finding and loading the installed card's driver module.
#include <dlfcn.h>

#include <ombrin/devices.h>
#include <ombrin/machine.h>

namespace fs = std::filesystem;

namespace ombrin::devices {
namespace {

// The card module sits beside the platform library (build/lib).
fs::path cardModulePath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&provisionInstalledCard), &info) == 0 || info.dli_fname == nullptr) return {};
  return fs::path(info.dli_fname).parent_path() / "libombrin_card.so";
}

}  // namespace

void* loadCardModule(std::string& error) {
  auto path = cardModulePath();
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module == nullptr) error = "cannot load the card's driver module " + path.string() + ": " + ::dlerror();
  return module;
}

bool provisionInstalledCard(const machine::Machine& machine, std::string& error) {
  void* module = loadCardModule(error);
  if (module == nullptr) return false;
  using Provision = bool (*)(const char*, char*, unsigned);
  auto provision = reinterpret_cast<Provision>(::dlsym(module, "OmbrinCardProvision"));
  if (provision == nullptr) {
    error = "the card's driver module has no OmbrinCardProvision";
    return false;
  }
  char why[512] = "";
  if (!provision(machine.root().c_str(), why, sizeof why)) {
    error = why;
    return false;
  }
  return true;
}

}  // namespace ombrin::devices
