// machine.ini: a tiny INI file. Anything we do not understand is an error, never a guess.
#include <algorithm>
#include <sstream>

#include <ombrin/machine.h>

namespace ombrin::machine {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool parseEditions(std::string_view text, std::vector<std::string>& editions, std::string& bad) {
  editions.clear();
  if (text == "none") return true;
  while (!text.empty()) {
    auto comma = text.find(',');
    std::string edition(trim(text.substr(0, comma)));
    const auto& known = knownEditions();
    if (std::find(known.begin(), known.end(), edition) == known.end()) {
      bad = edition;
      return false;
    }
    if (std::find(editions.begin(), editions.end(), edition) == editions.end()) editions.push_back(edition);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (editions.empty()) {
    bad = std::string(text);
    return false;
  }
  return true;
}

}  // namespace

bool parseEditionList(std::string_view text, std::vector<std::string>& editions, std::string& error) {
  std::string bad;
  if (parseEditions(text, editions, bad)) return true;
  error = "unknown card edition '" + bad + "' (expected none or a comma-separated list of sound, combined, "
          "modem-new, modem-old, oem, tellicor-isa, tellicor-pci)";
  return false;
}

std::optional<Profile> parseProfile(std::string_view text, std::string& error) {
  Profile profile;
  bool inMachine = false, sawWindows = false, sawCard = false;
  int lineNumber = 0;
  std::istringstream lines{std::string(text)};
  std::string raw;
  while (std::getline(lines, raw)) {
    ++lineNumber;
    auto line = trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    auto where = "line " + std::to_string(lineNumber) + ": ";
    if (line.front() == '[') {
      if (line != "[machine]") {
        error = where + "unknown section " + std::string(line) + " (expected [machine])";
        return std::nullopt;
      }
      inMachine = true;
      continue;
    }
    auto eq = line.find('=');
    if (!inMachine || eq == std::string_view::npos) {
      error = where + "expected key=value inside [machine], found '" + std::string(line) + "'";
      return std::nullopt;
    }
    auto key = trim(line.substr(0, eq));
    auto value = trim(line.substr(eq + 1));
    if (key == "windows") {
      auto version = parseVersion(value);
      if (!version) {
        error = where + "unknown Windows version '" + std::string(value) + "'";
        return std::nullopt;
      }
      profile.windows = *version;
      sawWindows = true;
    } else if (key == "card") {
      std::string why;
      if (!parseEditionList(value, profile.editions, why)) {
        error = where + why;
        return std::nullopt;
      }
      sawCard = true;
    } else {
      error = where + "unknown key '" + std::string(key) + "'";
      return std::nullopt;
    }
  }
  if (!sawWindows || !sawCard) {
    error = std::string("missing ") + (!sawWindows ? "windows=" : "card=") + " in [machine]";
    return std::nullopt;
  }
  return profile;
}

std::string formatProfile(const Profile& profile) {
  std::string card;
  for (const auto& edition : profile.editions) card += (card.empty() ? "" : ",") + edition;
  if (card.empty()) card = "none";
  return "; The emulated Windows machine: the version it reports and the card editions installed.\n"
         "[machine]\nwindows=" +
         std::string(versionInfo(profile.windows).name) + "\ncard=" + card + "\n";
}

}  // namespace ombrin::machine
