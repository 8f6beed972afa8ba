// A separate process using the library: Init, then the steps on its command line, one output
// line per step. Exit code 3 when Init fails.
//   set-band BAND CHANNEL STEP | set-all STEP | gains | bypass N | get-bypass | set-active N |
//   get-active | compensation | levels
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <Qv10DAL.h>

int main(int argc, char** argv) {
  CEqDriverInterface library;
  if (CEqDriverInterface::Init(nullptr) == 0) {
    std::puts("init failed");
    return 3;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    auto next = [&] { return i + 1 < argc ? std::atol(argv[++i]) : 0L; };
    if (step == "set-band") {
      _bandGain g{};
      g.band = static_cast<USHORT>(next());
      g.channel = static_cast<ULONG>(next());
      g.gain = static_cast<SHORT>(next());
      std::printf("%d\n", CEqDriverInterface::SetBandGain(&g, 0));
    } else if (step == "set-all") {
      _arrayBandGain a{};
      a.numGains = 20;
      const auto value = static_cast<SHORT>(next());
      for (auto& gain : a.gain) gain = value;
      std::printf("%d\n", CEqDriverInterface::SetArrayBandGain(&a, 0));
    } else if (step == "gains") {
      _arrayBandGain a{};
      int result = CEqDriverInterface::GetArrayBandGains(&a, 0);
      std::printf("%d", result);
      for (SHORT gain : a.gain) std::printf(" %d", gain);
      std::printf("\n");
    } else if (step == "bypass") {
      std::printf("%d\n", CEqDriverInterface::SetBypass(static_cast<int>(next()), 0));
    } else if (step == "get-bypass") {
      std::printf("%d\n", CEqDriverInterface::GetBypass(0));
    } else if (step == "set-active") {
      const ULONG number = static_cast<ULONG>(next());
      std::printf("%u\n", static_cast<unsigned>(CEqDriverInterface::SetActiveCoeffSet(number, 0)));
    } else if (step == "get-active") {
      ULONG number = 0;
      auto result = CEqDriverInterface::GetActiveCoeffSet(number, 0);
      std::printf("%u %u\n", static_cast<unsigned>(result), static_cast<unsigned>(number));
    } else if (step == "compensation") {
      std::printf("%u\n", static_cast<unsigned>(CEqDriverInterface::SetSpeakerCompensationCoeffSetActive(0)));
    } else if (step == "levels") {
      _arrayBandGain a{};
      int result = CEqDriverInterface::GetArrayBandGain(&a, 0);
      std::printf("%d %u", result, static_cast<unsigned>(a.numGains));
      // A failed reply holds raw readings, which move with the programme.
      if (result != 0)
        for (SHORT level : a.gain) std::printf(" %d", level);
      std::printf("\n");
    } else {
      std::fprintf(stderr, "dal_probe: unknown step %s\n", step.c_str());
      return 2;
    }
  }
  return 0;
}
