// ombrin-control: the machine's Control Panel. `list` shows every applet (file, name and
// description, tab-separated); `open NAME` double-clicks one.
#include <cstdio>
#include <cstring>
#include <string>

#include <ombrin/paths.h>
#include <win32/windows.h>

#include "control_panel.h"

using ombrin::control::Applet;
using ombrin::control::ControlPanel;

namespace {

int usage() {
  std::fprintf(stderr, "usage: ombrin-control list | open [NAME]\n"
                       "  list        one line per applet: file, name, description (tab-separated)\n"
                       "  open NAME   opens the applet with that name or file name (the only one when\n"
                       "              NAME is left out)\n");
  return 2;
}

// Applet texts are in the machine's code page; people read them in UTF-8.
std::string forPeople(const std::string& text) {
  if (text.empty()) return text;
  int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return text;
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), units);
  std::string out;
  for (char16_t c : wide) {
    if (c == 0) break;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool matches(const Applet& applet, const std::string& name) {
  using ombrin::paths::equalsNoCase;
  std::string stem = applet.file.substr(0, applet.file.rfind('.'));
  return equalsNoCase(applet.name, name) || equalsNoCase(forPeople(applet.name), name) ||
         equalsNoCase(applet.file, name) || equalsNoCase(stem, name);
}

int list() {
  ControlPanel panel;
  for (const auto& applet : panel.applets())
    std::printf("%s\t%s\t%s\n", applet.file.c_str(), forPeople(applet.name).c_str(), forPeople(applet.info).c_str());
  return 0;
}

int open(const char* name) {
  ControlPanel panel;
  const Applet* chosen = nullptr;
  int candidates = 0;
  for (const auto& applet : panel.applets()) {
    if (name == nullptr || matches(applet, name)) {
      if (chosen == nullptr) chosen = &applet;
      ++candidates;
    }
  }
  if (chosen == nullptr) {
    std::fprintf(stderr, "ombrin-control: no applet %s%s%s\n", name ? "named '" : "in this machine",
                 name ? name : "", name ? "'" : "");
    return 1;
  }
  if (name == nullptr && candidates > 1) {
    std::fprintf(stderr, "ombrin-control: several applets; name one (see ombrin-control list)\n");
    return 2;
  }
  panel.open(*chosen);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    usage();
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) return list();
  if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "open") == 0) return open(argc == 3 ? argv[2] : nullptr);
  return usage();
}
