// Entry points the machine calls in the card's driver module.
#include <cstdio>
#include <string>

#include <ombrin/machine.h>

#include "card_device.h"
#include "install/editions.h"

extern "C" void OmbrinCardRegisterDrivers() { ombrin::card::registerCardDevices(); }

// Lays down what each installed edition leaves on the machine being created, which is the
// current machine while this runs.
extern "C" bool OmbrinCardProvision(const char* /*machineRoot*/, char* error, unsigned errorSize) {
  if (errorSize > 0) error[0] = '\0';
  const auto& profile = ombrin::machine::current().profile();
  for (const auto& edition : ombrin::card::kEditions) {
    if (!profile.hasEdition(edition.name)) continue;
    std::string why;
    if (!edition.install(why)) {
      if (errorSize > 0) std::snprintf(error, errorSize, "%s edition: %s", edition.name, why.c_str());
      return false;
    }
  }
  return true;
}
