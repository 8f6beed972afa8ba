// `ombrin-machine card`: shows the card's state and scripts its faults. The machine tool loads
// this module and hands the command's arguments over.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <ombrin/machine.h>

#include "band_scale.h"
#include "card_device.h"
#include "card_requests.h"
#include "card_state.h"
#include "equalizer_device.h"
#include "faults.h"
#include "speaker_device.h"

namespace ombrin::card {
namespace {

constexpr const char* kBandNames[kBands] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"};

int usage() {
  std::fputs(
      "usage: ombrin-machine card                          show the card's state\n"
      "       ombrin-machine card fail REQUEST [once|N|always|never]\n"
      "                                                    make a request fail (IOCTL_ name, prefix optional)\n"
      "       ombrin-machine card levels COUNT             band level replies carry COUNT gains (20: sound)\n"
      "       ombrin-machine card compensation on|off      whether the card has speaker compensation\n"
      "       ombrin-machine card remove|insert            take the card out of the machine, or put it back\n"
      "       ombrin-machine card clear                    end every scripted fault\n"
      "       ombrin-machine card reset                    the card's state at power-on, without faults\n",
      stderr);
  return 2;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "ombrin-machine: card: %s\n", message.c_str());
  return 1;
}

void printGainRows(const char* channel, const CoeffSet& set, int first, const BandScale& scale) {
  std::printf("%-6sgain ", channel);
  for (int i = first; i < first + kBands; ++i) std::printf(" %6d", gainOf(set, i));
  std::printf("\n      step ");
  for (int i = first; i < first + kBands; ++i) std::printf(" %6d", scale.stepOf(gainOf(set, i), i));
  std::printf("\n");
}

void show(const CardState& state) {
  const auto& m = machine::current();
  std::printf("card: %s\n", state.absent != 0 ? "removed (no devices)" : "present");
  std::printf("devices:");
  auto names = deviceNamesFor(m.profile().windows);
  if (names.empty()) std::printf(" none on Windows %s", m.version().name);
  for (const auto& device : names) std::printf(" \\\\.\\%s", device.name);
  std::printf("\n");
  if (state.activeSet == kSpeakerCompensationSet)
    std::printf("active coefficient set: speaker compensation (0xFFFFFFFF)\n");
  else
    std::printf("active coefficient set: %u\n", state.activeSet);
  std::printf("bypass: %s\n", state.bypass != 0 ? "on" : "off");
  std::printf("speaker compensation: %s\n", state.noSpeakerCompensation != 0 ? "missing" : "available");
  std::printf("band      ");
  for (const char* name : kBandNames) std::printf(" %6s", name);
  std::printf("\n");
  const auto scale = BandScale::read(m.profile().windows);
  const CoeffSet& active = activeCoeffSet(state);
  printGainRows("left", active, 0, scale);
  printGainRows("right", active, kBands, scale);
  auto hex = [](const char* label, const BYTE (&bytes)[28]) {
    std::printf("  %-13s", label);
    for (BYTE b : bytes) std::printf(" %02x", b);
    std::printf("\n");
  };
  std::printf("speaker status flags: 0x%02x, configuration changes: %u, wave option: 0x%x\n",
              kStatusRunning | (state.mixerConfigured ? kStatusMixerStatus : 0), state.configChanges,
              state.waveOption);
  hex("core config", state.coreConfig);
  hex("mixer config", state.mixerConfig);
  hex("mixer extra", state.mixerConfigEx);
  std::vector<std::string> faults;
  for (const auto& fault : state.requestFaults) {
    if (fault.code == 0) continue;
    const RequestRow* row = findRequest(fault.code);
    std::string name = row ? row->name : "request " + std::to_string(fault.code);
    faults.push_back(name + (fault.remaining == kAlways ? " fails always"
                                                        : " fails " + std::to_string(fault.remaining) + " more time" +
                                                              (fault.remaining == 1 ? "" : "s")));
  }
  if (state.levelCount != kGains) faults.push_back("band levels reply with " + std::to_string(state.levelCount) + " gains");
  if (state.noSpeakerCompensation != 0) faults.push_back("no speaker compensation");
  if (state.absent != 0) faults.push_back("no card");
  std::printf("faults:%s\n", faults.empty() ? " none" : "");
  for (const auto& fault : faults) std::printf("  %s\n", fault.c_str());
}

bool parseCount(std::string_view text, DWORD& count) {
  if (text == "once") count = 1;
  else if (text == "always") count = kAlways;
  else if (text == "never") count = 0;
  else {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    count = static_cast<DWORD>(std::strtoul(std::string(text).c_str(), nullptr, 10));
  }
  return true;
}

}  // namespace

int runCardTool(const std::vector<std::string>& args) {
  if (!machine::current().profile().hasCard()) return failure("this machine has no card installed");
  std::string error;
  auto file = currentCardState(error);
  if (!file) return failure(error);
  CardStateFile::Lock lock(*file);
  CardState& state = lock.state();
  if (args.empty()) {
    show(state);
    return 0;
  }
  const std::string& verb = args[0];
  if (verb == "fail" && (args.size() == 2 || args.size() == 3)) {
    const RequestRow* row = findRequest(std::string_view(args[1]));
    if (row == nullptr) return failure("no request named " + args[1]);
    DWORD count = 1;
    if (args.size() == 3 && !parseCount(args[2], count)) return failure("not a count: " + args[2]);
    if (!scriptRequestFault(state, row->code, count)) return failure("too many request faults at once");
    return 0;
  }
  if (verb == "levels" && args.size() == 2) {
    const std::string& text = args[1];
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
      return failure("not a count: " + text);
    state.levelCount = static_cast<LONG>(std::strtol(text.c_str(), nullptr, 10));
    return 0;
  }
  if (verb == "compensation" && args.size() == 2 && (args[1] == "on" || args[1] == "off")) {
    state.noSpeakerCompensation = args[1] == "off" ? 1 : 0;
    // A card without the set cannot be applying it.
    if (state.noSpeakerCompensation != 0 && state.activeSet == kSpeakerCompensationSet) state.activeSet = 0;
    return 0;
  }
  if ((verb == "remove" || verb == "insert") && args.size() == 1) {
    state.absent = verb == "remove" ? 1 : 0;
    return 0;
  }
  if (verb == "clear" && args.size() == 1) {
    clearFaults(state);
    return 0;
  }
  if (verb == "reset" && args.size() == 1) {
    powerOn(state);
    return 0;
  }
  return usage();
}

}  // namespace ombrin::card

extern "C" int OmbrinCardTool(int argc, const char* const* argv) {
  std::vector<std::string> args(argv, argv + argc);
  return ombrin::card::runCardTool(args);
}
