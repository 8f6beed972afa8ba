// Selections run several recipes in a fixed order; guards run one only on the Windows 9x family.
// Every step is called through the virtual table, so a host's override is honoured.
#include <span>

#include "uninstaller.h"

namespace {

using Step = void (Uninstaller::*)();

void RunSteps(Uninstaller& engine, std::span<const Step> steps) {
  for (Step step : steps) (engine.*step)();
}

constexpr Step kProductSet1[] = {
    &Uninstaller::RemoveModemNewBoard,   &Uninstaller::RemoveSetupDevices,    &Uninstaller::RemoveModemOldBoard,
    &Uninstaller::RemoveOemModemEdition, &Uninstaller::RemoveCombinedEdition, &Uninstaller::RemoveKmp4Family,
    &Uninstaller::RemoveQv30Family,
};
constexpr Step kProductSet2[] = {
    &Uninstaller::RemoveTellicorIsaModem,
    &Uninstaller::RemoveTellicorPciModem,
};
constexpr Step kProductSet3[] = {
    &Uninstaller::RemoveOemModemEdition,
    &Uninstaller::RemoveProductSet2,
    &Uninstaller::RemoveSetupDevices,
    &Uninstaller::RemoveCombinedEdition,
};
constexpr Step kAll[] = {
    &Uninstaller::RemoveProductSet2IfWin9x,
    &Uninstaller::RemoveProductSet1IfWin9x,
    &Uninstaller::RemoveProductSet3IfWin9x,
};
constexpr Step kAllButSet3[] = {
    &Uninstaller::RemoveProductSet2IfWin9x,
    &Uninstaller::RemoveProductSet1IfWin9x,
};

void IfWin9x(Uninstaller& engine, Step step) {
  if (engine.IsWin9x()) (engine.*step)();
}

}  // namespace

void Uninstaller::RemoveProductSet1() { RunSteps(*this, kProductSet1); }
void Uninstaller::RemoveProductSet2() { RunSteps(*this, kProductSet2); }
void Uninstaller::RemoveProductSet3() { RunSteps(*this, kProductSet3); }
void Uninstaller::RemoveAll() { RunSteps(*this, kAll); }
void Uninstaller::RemoveAllButSet3() { RunSteps(*this, kAllButSet3); }

void Uninstaller::RemoveProductSet1IfWin9x() { IfWin9x(*this, &Uninstaller::RemoveProductSet1); }
void Uninstaller::RemoveSetupDevicesIfWin9x() { IfWin9x(*this, &Uninstaller::RemoveSetupDevices); }
void Uninstaller::RemoveModemNewBoardIfWin9x() { IfWin9x(*this, &Uninstaller::RemoveModemNewBoard); }
void Uninstaller::RemoveModemOldBoardIfWin9x() { IfWin9x(*this, &Uninstaller::RemoveModemOldBoard); }
void Uninstaller::RemoveCombinedEditionIfWin9x() { IfWin9x(*this, &Uninstaller::RemoveCombinedEdition); }
void Uninstaller::RemoveProductSet3IfWin9x() { IfWin9x(*this, &Uninstaller::RemoveProductSet3); }
void Uninstaller::RemoveProductSet2IfWin9x() { IfWin9x(*this, &Uninstaller::RemoveProductSet2); }
