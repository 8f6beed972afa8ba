// Entry points the machine calls in the card's driver module.
#include <cstdio>

extern "C" void OmbrinCardRegisterDrivers() {}

extern "C" bool OmbrinCardProvision(const char* /*machineRoot*/, char* error, unsigned errorSize) {
  if (errorSize > 0) error[0] = '\0';
  return true;
}
