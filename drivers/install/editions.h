// What each installed edition of the card leaves on the machine. The machine being created is
// the current one while these run, so they write through the machine's own Win32 API.
#pragma once

#include <string>

namespace ombrin::card {

struct Edition {
  const char* name;  // as the machine tool spells it
  bool (*install)(std::string& error);
};

bool installSound(std::string& error);
bool installCombined(std::string& error);
bool installModemNew(std::string& error);
bool installModemOld(std::string& error);
bool installOem(std::string& error);
bool installTellicorIsa(std::string& error);
bool installTellicorPci(std::string& error);

inline constexpr Edition kEditions[] = {
    {"sound", installSound},
    {"combined", installCombined},
    {"modem-new", installModemNew},
    {"modem-old", installModemOld},
    {"oem", installOem},
    {"tellicor-isa", installTellicorIsa},
    {"tellicor-pci", installTellicorPci},
};

}  // namespace ombrin::card
