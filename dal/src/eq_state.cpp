#include "eq_state.h"

#include <ombrin/machine.h>

namespace qv10dal {
namespace {

EqModuleState g_eqModule;

// A test that switches machines starts the library afresh, as a new process would.
struct ResetRegistration {
  ResetRegistration() { ombrin::machine::onReset(&ResetEqModule); }
} g_resetRegistration;

}  // namespace

EqModuleState& EqModule() { return g_eqModule; }

void ResetEqModule() {
  auto& m = g_eqModule;
  m.equalizer = INVALID_HANDLE_VALUE;
  delete m.propertyRequest;
  delete m.propertyReply;
  m.propertyRequest = nullptr;
  m.propertyReply = nullptr;
  m.bypass = 0;
  m.activeSet = 0;
  m.osClass = OS_UNSUPPORTED;
  m.bandTable = BandTable{};
}

}  // namespace qv10dal
