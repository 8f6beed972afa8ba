// What a recipe test compares: a snapshot of the machine's HKEY_LOCAL_MACHINE and of every file
// and folder on drive C:, and the snapshot a recipe must leave, computed from the traces an
// edition lays down (what goes whole), minus what the recipe leaves on purpose, plus the
// containers that go with the last entry in them.
#pragma once

#include <gtest/gtest.h>
#include <ombrin/machine.h>
#include <win32/windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../drivers/install/trace.h"

namespace unombrin::testing {

using ombrin::card::Layout;
using ombrin::card::Owns;
using ombrin::card::Traces;

inline std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Entry names: "K|PATH" for a key, "V|PATH|NAME" for a value, "F|C:\PATH" for a file or folder.
// Key paths, value names and file names are upper-cased because the machine ignores their case.
inline std::string KeyEntry(const std::string& path) { return "K|" + Upper(path); }
inline std::string ValueEntry(const std::string& path, const std::string& name) {
  return "V|" + Upper(path) + "|" + Upper(name);
}
inline std::string FileEntry(const std::string& winPath) { return "F|" + Upper(winPath); }

using Snapshot = std::map<std::string, std::string>;

inline void SnapshotKey(HKEY parent, const std::string& path, Snapshot& out) {
  HKEY key{};
  if (RegOpenKeyA(parent, path.c_str(), &key) != ERROR_SUCCESS) return;
  out[KeyEntry(path)] = "";
  for (DWORD i = 0;; ++i) {
    char name[MAX_PATH];
    DWORD nameSize = sizeof name;
    BYTE data[4096];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    std::string shown = std::to_string(type) + ":";
    for (DWORD b = 0; b < dataSize; ++b) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", data[b]);
      shown += hex;
    }
    out[ValueEntry(path, name)] = shown;
  }
  std::vector<std::string> children;
  char child[MAX_PATH];
  for (DWORD i = 0; RegEnumKeyA(key, i, child, sizeof child) == ERROR_SUCCESS; ++i) children.emplace_back(child);
  RegCloseKey(key);
  for (const auto& name : children) SnapshotKey(parent, path.empty() ? name : path + "\\" + name, out);
}

inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every key and value below HKEY_LOCAL_MACHINE, and every file (with its attributes and bytes)
// and folder of drive C:.
inline Snapshot TakeSnapshot() {
  Snapshot out;
  SnapshotKey(HKEY_LOCAL_MACHINE, "", out);
  out.erase(KeyEntry(""));
  auto driveC = ombrin::machine::current().driveC();
  for (const auto& entry : std::filesystem::recursive_directory_iterator(driveC)) {
    std::string winPath = "C:";
    for (const auto& part : std::filesystem::relative(entry.path(), driveC)) winPath += "\\" + part.string();
    DWORD attributes = GetFileAttributesA(winPath.c_str());
    std::string shown = "attributes " + std::to_string(attributes);
    if (entry.is_regular_file()) shown += " bytes " + Slurp(entry.path());
    out[FileEntry(winPath)] = shown;
  }
  return out;
}

// One thing a case names: a key with all below it, one value, or a file below the Windows folder.
struct Item {
  enum Kind { Key, Value, File } kind;
  const char* path;
  const char* name = nullptr;
  Layout layout = Layout::Any;
};
inline Item K(const char* path, Layout layout = Layout::Any) { return {Item::Key, path, nullptr, layout}; }
inline Item V(const char* path, const char* name) { return {Item::Value, path, name}; }
inline Item F(const char* path) { return {Item::File, path}; }

inline bool Covers(const Item& item, const std::string& entry, const std::string& windowsDir) {
  switch (item.kind) {
    case Item::Key: {
      std::string key = Upper(item.path);
      for (const char* kind : {"K|", "V|"}) {
        if (entry.rfind(kind + key, 0) != 0) continue;
        char next = entry.size() > key.size() + 2 ? entry[key.size() + 2] : '\0';
        if (next == '\0' || next == '\\' || (kind[0] == 'V' && next == '|')) return true;
      }
      return false;
    }
    case Item::Value:
      return entry == ValueEntry(item.path, item.name);
    case Item::File:
      return entry == FileEntry(windowsDir + "\\" + item.path);
  }
  return false;
}

inline std::vector<Item> ItemsOf(const Traces& traces, bool win95) {
  std::vector<Item> items;
  for (const auto& row : traces.registry) {
    if (!ombrin::card::applies(row.layout, win95)) continue;
    if (row.owns == Owns::Key)
      items.push_back(K(row.key));
    else
      items.push_back(V(row.key, row.name));
  }
  for (const auto& file : traces.files) items.push_back(F(file.path));
  return items;
}

// system.ini without every "device=telvcd.vxd\r\n", the one line every recipe removes.
inline std::string WithoutTelvcdLine(std::string bytes) {
  const std::string line = "device=telvcd.vxd\r\n";
  for (auto at = bytes.find(line); at != std::string::npos; at = bytes.find(line)) bytes.erase(at, line.size());
  return bytes;
}

struct Expectation {
  std::vector<const Traces*> goneWhole;  // traces the recipe takes away
  std::vector<Item> kept;                // of those, what stays
  std::vector<Item> alsoGone;            // containers and other entries that go as well
};

inline Snapshot ExpectedAfter(const Snapshot& before, const Expectation& expect, bool win95) {
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  std::vector<Item> gone = expect.alsoGone;
  for (const Traces* traces : expect.goneWhole)
    for (const auto& item : ItemsOf(*traces, win95)) gone.push_back(item);
  auto applies = [&](const Item& item) { return ombrin::card::applies(item.layout, win95); };
  Snapshot after;
  for (const auto& [entry, shown] : before) {
    bool goes = std::any_of(gone.begin(), gone.end(),
                            [&](const Item& item) { return applies(item) && Covers(item, entry, windowsDir); });
    bool stays = std::any_of(expect.kept.begin(), expect.kept.end(),
                             [&](const Item& item) { return applies(item) && Covers(item, entry, windowsDir); });
    if (!goes || stays) after[entry] = shown;
  }
  auto ini = FileEntry(windowsDir + "\\system.ini");
  if (auto it = after.find(ini); it != after.end()) {
    const std::string prefix = it->second.substr(0, it->second.find(" bytes ") + 7);
    it->second = prefix + WithoutTelvcdLine(it->second.substr(prefix.size()));
  }
  return after;
}

// The traces a case expects to go must be there before, or the comparison proves nothing.
inline std::string MissingTraces(const Snapshot& before, const Expectation& expect, bool win95) {
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  std::string missing;
  for (const Traces* traces : expect.goneWhole)
    for (const auto& item : ItemsOf(*traces, win95)) {
      bool there = std::any_of(before.begin(), before.end(),
                               [&](const auto& entry) { return Covers(item, entry.first, windowsDir); });
      if (!there)
        missing +=
            std::string("  not installed: ") + item.path + (item.name ? std::string(" ") + item.name : "") + "\n";
    }
  return missing;
}

// Lists the differences one per line, so a failure says which entries went or stayed wrongly.
inline std::string Differences(const Snapshot& expected, const Snapshot& actual) {
  std::string out;
  for (const auto& [entry, shown] : expected) {
    auto it = actual.find(entry);
    if (it == actual.end())
      out += "  should have stayed: " + entry + "\n";
    else if (it->second != shown)
      out += "  changed: " + entry + "\n    want " + shown + "\n    have " + it->second + "\n";
  }
  for (const auto& [entry, shown] : actual)
    if (!expected.count(entry)) out += "  should have gone: " + entry + "\n";
  return out;
}

}  // namespace unombrin::testing
