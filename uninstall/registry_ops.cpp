// Registry removal primitives: single deletions and the scans that delete the subkeys or values
// whose name or string value contains a text. Every key opened here is closed before returning.
//
// The scans restart at the first subkey after each deletion, because a deletion shifts the
// indices of the subkeys behind it. A deletion the platform refuses would then be found again
// and again; such a key is remembered and passed over instead, and gets no "Removed" line.
#include <cstring>
#include <string>
#include <vector>

#include "engine_internal.h"

namespace {

using unombrin::BuildDisplayPath;
using unombrin::ContainsText;
using unombrin::kLogLineSize;
using unombrin::kStringDataSize;
using unombrin::LogLine;

// Subkey and value names are read into buffers of the platform's path size.
constexpr DWORD kNameSize = MAX_PATH;

// An open key that closes itself.
class OpenKey {
 public:
  OpenKey(HKEY root, const char* path) {
    if (RegOpenKeyA(root, path, &key_) != ERROR_SUCCESS) key_ = HKEY{};
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  explicit operator bool() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_; }

 private:
  HKEY key_{};
};

bool EnumSubkey(HKEY key, DWORD index, char (&name)[kNameSize]) {
  return RegEnumKeyA(key, index, name, kNameSize) == ERROR_SUCCESS;
}

bool SubkeyExists(HKEY parent, const char* name) {
  return static_cast<bool>(OpenKey(parent, name));
}

// Names of subkeys whose deletion was refused during one scan.
class Refused {
 public:
  bool contains(const char* name) const {
    for (const auto& n : names_)
      if (n == name) return true;
    return false;
  }
  void add(const char* name) { names_.emplace_back(name); }

 private:
  std::vector<std::string> names_;
};

// Deletes `name` below `parent` with its whole subtree, also where the platform refuses to delete
// a key that still has subkeys. A child that cannot be deleted is stepped over, never retried.
bool DeleteTree(HKEY parent, const char* name, int depth = 0) {
  if (RegDeleteKeyA(parent, name) == ERROR_SUCCESS) return true;
  if (depth > 512) return false;
  {
    OpenKey key(parent, name);
    if (!key) return false;
    char child[kNameSize];
    DWORD index = 0;
    while (EnumSubkey(key.get(), index, child))
      if (!DeleteTree(key.get(), child, depth + 1)) ++index;
  }
  return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

// Reads a plain string value into `data` (kStringDataSize bytes); false for anything else.
bool ReadStringValue(HKEY key, const char* valueName, char (&data)[kStringDataSize], DWORD& length) {
  DWORD type = 0;
  length = sizeof data;
  if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &length) != ERROR_SUCCESS)
    return false;
  return type == REG_SZ && length <= sizeof data;
}

// The scan the key removals share: walks the subkeys of root\path, deletes (through the engine's
// virtual table) each one `matches` accepts, logs it with `logFormat` and starts again at the first
// subkey, since a deletion shifts the ones behind it. A deletion the platform refuses is
// remembered and passed over from then on. Returns how many keys were removed.
template <typename Matches>
int DeleteMatchingSubkeys(Uninstaller& engine, HKEY root, const char* path, const char* logFormat,
                          Matches matches) {
  char displayPath[kLogLineSize];
  BuildDisplayPath(engine, root, path, displayPath, sizeof displayPath);
  OpenKey parent(root, path);
  if (!parent) return 0;
  Refused refused;
  int count = 0;
  char subkey[kNameSize];
  DWORD index = 0;
  while (EnumSubkey(parent.get(), index, subkey)) {
    if (!matches(parent.get(), subkey) || refused.contains(subkey)) {
      ++index;
      continue;
    }
    engine.DeleteKey(root, path, subkey);
    if (SubkeyExists(parent.get(), subkey)) {
      refused.add(subkey);
      ++index;
      continue;
    }
    LogLine(engine, logFormat, displayPath, subkey);
    ++count;
    index = 0;
  }
  return count;
}

}  // namespace

void Uninstaller::DeleteKey(HKEY root, const char* parentPath, const char* name) {
  OpenKey parent(root, parentPath);
  if (!parent || name == nullptr || name[0] == '\0') return;
  DeleteTree(parent.get(), name);
}

void Uninstaller::DeleteValue(HKEY openKey, const char* valueName) {
  RegDeleteValueA(openKey, valueName);
}

void Uninstaller::RemoveValue(HKEY root, const char* path, const char* valueName) {
  OpenKey key(root, path);
  if (!key) return;
  DeleteValue(key.get(), valueName);
}

bool Uninstaller::KeyHasNoSubkeys(HKEY key, const char* path) {
  OpenKey opened(key, path);
  if (!opened) return false;
  char name[kNameSize];
  // Only a definite "no more items" counts as empty: a key whose subkeys cannot be listed is
  // not deleted as if it had none.
  return RegEnumKeyA(opened.get(), 0, name, sizeof name) == ERROR_NO_MORE_ITEMS;
}

void Uninstaller::RemoveKeyIfNoSubkeys(HKEY root, const char* parentPath, const char* name) {
  OpenKey parent(root, parentPath);
  if (!parent) return;
  if (KeyHasNoSubkeys(parent.get(), name)) DeleteKey(root, parentPath, name);
}

int Uninstaller::RemoveKeysByValue(HKEY root, const char* path, const char* valueName, const char* text) {
  return DeleteMatchingSubkeys(*this, root, path, "--Removed key '%s\\%s'", [&](HKEY parent, const char* subkey) {
    OpenKey instance(parent, subkey);
    char data[kStringDataSize];
    DWORD length = 0;
    return instance && ReadStringValue(instance.get(), valueName, data, length) && ContainsText(data, length, text);
  });
}

void Uninstaller::RemoveSectionsByValue(HKEY root, const char* path, const char* valueName, const char* text,
                                        bool removeSection) {
  // Every section has its matching keys removed; the section itself goes only when asked for.
  DeleteMatchingSubkeys(*this, root, path, "--Removed section '%s\\%s'", [&](HKEY sections, const char* section) {
    return RemoveKeysByValue(sections, section, valueName, text) > 0 && removeSection;
  });
}

void Uninstaller::RemoveKeysByName(HKEY root, const char* path, const char* text) {
  DeleteMatchingSubkeys(*this, root, path, "--Removed key '%s\\%s'",
                        [&](HKEY, const char* subkey) { return ContainsText(subkey, text); });
}

void Uninstaller::RemoveValuesByName(HKEY root, const char* path, const char* text) {
  char displayPath[kLogLineSize];
  BuildDisplayPath(*this, root, path, displayPath, sizeof displayPath);
  OpenKey parent(root, path);
  if (!parent) return;
  char subkey[kNameSize];
  DWORD index = 0;
  while (EnumSubkey(parent.get(), index, subkey)) {
    bool deleted = false;
    {
      OpenKey instance(parent.get(), subkey);
      if (instance) {
        char value[kNameSize];
        for (DWORD v = 0;; ++v) {
          DWORD nameSize = sizeof value;
          LONG result = RegEnumValueA(instance.get(), v, value, &nameSize, nullptr, nullptr, nullptr, nullptr);
          // A name too long for the buffer cannot match through a cut copy; step over it.
          if (result == ERROR_MORE_DATA) continue;
          if (result != ERROR_SUCCESS) break;
          if (!ContainsText(value, text)) continue;
          // Only a deletion that happened counts: a refused one must not restart the scan forever.
          if (RegDeleteValueA(instance.get(), value) != ERROR_SUCCESS) continue;
          LogLine(*this, "--Removed value '%s\\%s\\%s'", displayPath, subkey, value);
          deleted = true;
        }
      }
    }
    index = deleted ? 0 : index + 1;
  }
}
