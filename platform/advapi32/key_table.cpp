#include "key_table.h"

#include <array>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

namespace ombrin::registry {
namespace {

constexpr std::uint32_t kPredefinedFirst = 0x80000000u;

// HKEY_CLASSES_ROOT is a view of this key on every version the machine emulates.
constexpr std::string_view kClassesPath = "SOFTWARE\\CLASSES";

// On NT the current control set is a link to the first one.
constexpr std::string_view kLinkPath = "SYSTEM\\CURRENTCONTROLSET";
constexpr std::string_view kLinkTarget[] = {"System", "ControlSet001"};

struct Predefined {
  std::array<std::shared_ptr<OpenKey>, kRootCount> keys;
};

Predefined& predefined() {
  static Predefined& p = *new Predefined;  // outlives every static that may use a key at exit
  static const bool registered = [] {
    machine::onReset([] {
      auto lock = lockStore();
      for (auto& key : predefined().keys) key.reset();
    });
    return true;
  }();
  (void)registered;
  return p;
}

std::shared_ptr<OpenKey> predefinedKey(int index) {
  auto& slot = predefined().keys[static_cast<std::size_t>(index)];
  if (!slot) {
    slot = std::make_shared<OpenKey>();
    slot->predefined = true;
    if (index == 0) {
      slot->root = kRootLocalMachine;
      slot->path = std::string(kClassesPath);
    } else {
      slot->root = index;
      slot->id = rootId(index);
    }
  }
  return slot;
}

}  // namespace

HandleTable<HKEY, OpenKey>& keyHandles() {
  static auto& table = *new HandleTable<HKEY, OpenKey>;  // outlives every static that may use a key at exit
  static const bool registered = [] {
    machine::onReset([] { keyHandles().clear(); });
    return true;
  }();
  (void)registered;
  return table;
}

std::shared_ptr<OpenKey> resolveKey(HKEY hKey) {
  if (hKey.value >= kPredefinedFirst && hKey.value < kPredefinedFirst + kRootCount)
    return predefinedKey(static_cast<int>(hKey.value - kPredefinedFirst));
  return keyHandles().find(hKey);
}

KeyId keyId(Store& s, OpenKey& key) {
  if (key.id != 0 || !key.predefined) return key.id;
  // HKEY_CLASSES_ROOT: a view that Windows never lacks.
  KeyId id = s.findKey(key.root, key.path);
  if (id == 0) {
    bool own = !s.inTransaction();  // an import creates it inside its own transaction
    if (own) s.beginWrite();
    try {
      bool created = false;
      id = s.createPath(key.root, rootId(key.root), "", {"Software", "Classes"}, created);
      if (own) s.commit();
      s.noteLocalWrite();
    } catch (...) {
      if (own) s.rollback();
      throw;
    }
  }
  return id;  // not cached: the view follows the key if it is deleted and created again
}

bool isNt() { return machine::current().profile().isNt(); }

REGSAM grantedAccess(REGSAM desired) {
  if (desired & MAXIMUM_ALLOWED) return KEY_ALL_ACCESS;
  REGSAM granted = desired & (KEY_ALL_ACCESS | 0x0300u /* WOW64 view bits */);
  if (desired & GENERIC_READ) granted |= KEY_READ;
  if (desired & GENERIC_WRITE) granted |= KEY_WRITE;
  if (desired & GENERIC_EXECUTE) granted |= KEY_EXECUTE;
  if (desired & GENERIC_ALL) granted |= KEY_ALL_ACCESS;
  return granted;
}

bool allowed(const OpenKey& key, REGSAM right) {
  if (key.predefined || !isNt()) return true;
  return (key.access & right) == right;
}

LONG splitSubKey(const char* subKey, std::vector<std::string_view>& names) {
  names.clear();
  if (subKey == nullptr) return ERROR_SUCCESS;
  std::string_view rest = subKey;
  // NT refuses a path that starts with a backslash; 9x reads past it.
  if (!rest.empty() && rest.front() == '\\') {
    if (isNt()) return ERROR_BAD_PATHNAME;
    while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  }
  while (!rest.empty()) {
    auto slash = rest.find('\\');
    auto name = rest.substr(0, slash);
    if (name.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    if (!name.empty()) names.push_back(name);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return ERROR_SUCCESS;
}

Target target(const OpenKey& base, const std::vector<std::string_view>& names) {
  Target t;
  t.root = base.root;
  t.baseFolded = base.path;
  t.names = names;
  t.folded = base.path;
  for (auto name : names) {
    if (!t.folded.empty()) t.folded += '\\';
    t.folded += fold(name);
  }
  if (t.root != kRootLocalMachine || !isNt()) return t;
  bool underLink = t.folded.size() >= kLinkPath.size() && t.folded.compare(0, kLinkPath.size(), kLinkPath) == 0 &&
                   (t.folded.size() == kLinkPath.size() || t.folded[kLinkPath.size()] == '\\');
  if (!underLink) return t;
  t.isLink = t.folded.size() == kLinkPath.size();
  // The base lies above the link (at the root or at System), so the link's own names are the
  // first ones the caller gave; the rest follow below ControlSet001.
  std::size_t baseDepth = base.path.empty() ? 0 : 1;
  std::vector<std::string_view> rewritten(std::begin(kLinkTarget), std::end(kLinkTarget));
  for (std::size_t i = 2 - baseDepth; i < names.size(); ++i) rewritten.push_back(names[i]);
  t.fromRoot = true;
  t.baseFolded.clear();
  t.names = std::move(rewritten);
  t.folded = "SYSTEM\\CONTROLSET001" + t.folded.substr(kLinkPath.size());
  return t;
}

LONG storeFailure(const char* call, const StoreError& error) {
  OMBRIN_TRACE("reg", "%s: registry database failure: %s", call, error.message.c_str());
  try {
    store().rollback();
  } catch (const StoreError&) {
  }
  return ERROR_REGISTRY_IO_FAILED;
}

std::string quoted(const char* text) {
  if (text == nullptr) return "NULL";
  return std::string("\"") + text + "\"";
}

}  // namespace ombrin::registry
