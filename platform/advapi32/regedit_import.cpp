// Merging a registry editor file into the registry, all of it or nothing.
#include <ombrin/registry.h>
#include <ombrin/trace.h>

#include "key_table.h"
#include "regedit_format.h"

namespace ombrin::registry {
namespace {

struct Refusal {
  std::string message;
};

void applyChanges(Store& s, const std::vector<Change>& changes) {
  KeyId current = 0;
  for (const auto& change : changes) {
    auto refuse = [&](const std::string& why) { throw Refusal{"line " + std::to_string(change.line) + ": " + why}; };
    auto base = resolveKey(HKEY{change.rootHkey});
    std::vector<std::string_view> names;
    if (splitSubKey(change.path.c_str(), names) != ERROR_SUCCESS) refuse("expected a valid key path");
    Target t = target(*base, names);
    switch (change.kind) {
      case Change::Kind::CreateKey: {
        bool created = false;
        KeyId from = t.fromRoot ? rootId(t.root) : keyId(s, *base);
        current = s.createPath(t.root, from, t.baseFolded, t.names, created);
        break;
      }
      case Change::Kind::DeleteKey:
        if (t.isLink) refuse("cannot delete the link HKEY_LOCAL_MACHINE\\System\\CurrentControlSet");
        // Whatever the family, the editor removes the whole subtree.
        s.deleteSubtree(t.root, t.folded);
        current = 0;
        break;
      case Change::Kind::SetValue:
        if (change.name.size() > (isNt() ? kMaxValueNameLengthNt : kMaxValueNameLength9x))
          refuse("expected a shorter value name");
        s.setValue(current, change.name, change.type, change.data);
        break;
      case Change::Kind::DeleteValue:
        s.deleteValue(current, change.name);
        break;
    }
  }
}

}  // namespace

bool importText(std::string_view bytes, std::string& error) {
  auto changes = parseRegFile(bytes, error);
  if (!changes) return false;
  auto lock = lockStore();
  try {
    Store& s = store();
    s.beginWrite();
    try {
      applyChanges(s, *changes);
      s.commit();
      s.noteLocalWrite();
    } catch (...) {
      s.rollback();
      throw;
    }
  } catch (const Refusal& refusal) {
    error = refusal.message;
    return false;
  } catch (const StoreError& failure) {
    error = "registry database: " + failure.message;
    return false;
  }
  OMBRIN_TRACE("reg", "import: %zu changes", changes->size());
  return true;
}

}  // namespace ombrin::registry
