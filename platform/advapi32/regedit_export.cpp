// Writing the registry, or one key, as a REGEDIT4 file.
#include <cstdio>

#include <ombrin/registry.h>
#include <win32/winreg.h>

#include "key_table.h"
#include "regedit_format.h"

namespace ombrin::registry {
namespace {

// Roots written by a whole export; HKEY_CLASSES_ROOT lies inside HKEY_LOCAL_MACHINE.
constexpr int kExportedRoots[] = {2, 1, 3, 5, 6};
constexpr const char* kRootDisplay[kRootCount] = {"HKEY_CLASSES_ROOT",   "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                  "HKEY_USERS",          "HKEY_PERFORMANCE_DATA",
                                                  "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
// The registry editor keeps lines within 80 columns.
constexpr std::size_t kLineWidth = 78;

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// A string value the "text" form gives back byte for byte: one terminator at the end, and
// nothing that would break the line.
bool plainText(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  data.remove_suffix(1);
  return data.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

void writeValue(std::string& out, const ValueRow& row) {
  std::string line = row.name.empty() ? "@=" : "\"" + escape(row.name) + "\"=";
  if (row.type == REG_SZ && plainText(row.data)) {
    line += "\"" + escape(std::string_view(row.data).substr(0, row.data.size() - 1)) + "\"";
  } else if (row.type == REG_DWORD && row.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(row.data[static_cast<std::size_t>(i)]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    line += text;
  } else {
    char prefix[24];
    if (row.type == REG_BINARY) std::snprintf(prefix, sizeof prefix, "hex:");
    else std::snprintf(prefix, sizeof prefix, "hex(%x):", row.type);
    line += prefix;
    std::size_t column = line.size();
    for (std::size_t i = 0; i < row.data.size(); ++i) {
      char piece[4];
      std::snprintf(piece, sizeof piece, i + 1 < row.data.size() ? "%02x," : "%02x",
                    static_cast<unsigned char>(row.data[i]));
      if (i > 0 && column + 3 > kLineWidth) {
        line += "\\\r\n  ";
        column = 2;
      }
      line += piece;
      column += 3;
    }
  }
  out += line;
  out += "\r\n";
}

void writeTree(Store& s, KeyId id, const std::string& display, std::string& out) {
  out += "\r\n[" + display + "]\r\n";
  for (const auto& row : s.values(id)) writeValue(out, row);
  for (const auto& [child, name] : s.childKeys(id)) writeTree(s, child, display + "\\" + name, out);
}

// The display path of a key from its stored names: root name, then each name below it.
std::string displayPath(Store& s, KeyId id) {
  std::string path;
  KeyId parent = 0;
  std::string name;
  int root = 0;
  while (s.keyRow(id, parent, name, root) && parent != 0) {
    path = path.empty() ? name : name + "\\" + path;
    id = parent;
  }
  return path.empty() ? kRootDisplay[root] : std::string(kRootDisplay[root]) + "\\" + path;
}

bool exportKey(Store& s, std::string_view keyName, std::string& out, std::string& error) {
  auto slash = keyName.find('\\');
  auto root = parseRootName(keyName.substr(0, slash));
  if (!root) {
    error = "unknown root key '" + std::string(keyName.substr(0, slash)) + "'";
    return false;
  }
  std::string below = slash == std::string_view::npos ? std::string() : std::string(keyName.substr(slash + 1));
  std::vector<std::string_view> names;
  auto base = resolveKey(HKEY{*root});
  if (splitSubKey(below.c_str(), names) != ERROR_SUCCESS) {
    error = "bad key path '" + std::string(keyName) + "'";
    return false;
  }
  Target t = target(*base, names);
  KeyId id = t.folded.empty() ? rootId(t.root) : s.findKey(t.root, t.folded);
  if (id == 0) {
    error = "no such key: " + std::string(keyName);
    return false;
  }
  writeTree(s, id, displayPath(s, id), out);
  return true;
}

}  // namespace

bool exportText(std::string_view keyName, std::string& text, std::string& error) {
  auto lock = lockStore();
  text = "REGEDIT4\r\n";
  try {
    Store& s = store();
    s.beginRead();  // one consistent snapshot
    bool ok = true;
    try {
      if (keyName.empty()) {
        for (int root : kExportedRoots) writeTree(s, rootId(root), kRootDisplay[root], text);
      } else {
        ok = exportKey(s, keyName, text, error);
      }
      s.commit();
    } catch (...) {
      s.rollback();
      throw;
    }
    if (!ok) return false;
  } catch (const StoreError& failure) {
    error = "registry database: " + failure.message;
    return false;
  }
  text += "\r\n";
  return true;
}

}  // namespace ombrin::registry
