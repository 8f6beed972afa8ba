#include "speaker_state.h"

#include <ombrin/machine.h>

namespace qv10dal {
namespace {

SpeakerModuleState g_speakerModule;

struct ResetRegistration {
  ResetRegistration() { ombrin::machine::onReset(&ResetSpeakerModule); }
} g_resetRegistration;

}  // namespace

SpeakerModuleState& SpeakerModule() { return g_speakerModule; }

void ResetSpeakerModule() {
  auto& s = g_speakerModule;
  s.core = s.mixer = s.wave = INVALID_HANDLE_VALUE;
  s.osClass = OS_UNSUPPORTED;
  s.refCount = 0;
  s.speakerDeviceId = 0;
  s.clients.Clear();
}

}  // namespace qv10dal
