// The machine's registry database: one SQLite connection per process, shared by every thread
// under one lock, with its prepared statements cached. Every Reg* call is one transaction.
// Lookups outside a transaction are remembered while no process has written since.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <win32/windef.h>

#include "write_generation.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ombrin::registry {

using KeyId = std::int64_t;

// Stored roots, numbered as the predefined handles' low bits (HKEY_CLASSES_ROOT is not one
// of them: it is a view of HKEY_LOCAL_MACHINE\Software\Classes).
constexpr int kRootCount = 7;
constexpr int kRootLocalMachine = 2;
constexpr KeyId rootId(int root) { return root + 1; }

// Windows limits: a key name component, and a value name on each family.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength9x = 255;
constexpr std::size_t kMaxValueNameLengthNt = 16383;

// Names are compared without case in the machine's code page: we store them folded to upper case.
std::string fold(std::string_view name);

struct ValueRow {
  std::string name;
  DWORD type = 0;
  std::string data;
};

// A key's subkeys by display name, sorted without case; shared by every handle that walks it.
using ChildList = std::shared_ptr<const std::vector<std::string>>;

// A prepared statement, reset and cleared when the guard goes.
class Statement {
 public:
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, std::int64_t value);
  Statement& bindBlob(int index, std::string_view bytes);
  // SQLITE_ROW -> true, SQLITE_DONE -> false; anything else throws StoreError.
  bool step();
  std::int64_t integer(int column) const;
  std::string blob(int column) const;

 private:
  sqlite3_stmt* stmt_;
};

// A database failure the caller reports as a Win32 error (ERROR_REGISTRY_IO_FAILED).
struct StoreError {
  std::string message;
};

class Store {
 public:
  enum class Sql {
    FindKey,
    KeyExists,
    InsertKey,
    Children,
    HasChildren,
    CountChildren,
    DeleteSubtreeValues,
    DeleteSubtreeKeys,
    FindValue,
    UpsertValue,
    DeleteValue,
    Values,
    DataVersion,
    KeyRow,
    SubtreeIds,
    ChildValues,
    Count
  };

  explicit Store(const std::string& file);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  Statement statement(Sql which);
  void exec(const char* sql);

  // Write transactions wait for other writers (busy timeout, then retry); a read transaction
  // gives a consistent snapshot over several statements.
  void beginWrite();
  void beginRead();
  void commit();
  void rollback();
  bool inTransaction() const;

  // Changes whenever this process or another one commits a write: enumeration snapshots
  // taken under an older stamp are stale. Take it before reading what it tags.
  std::uint64_t stamp();
  void noteLocalWrite() { ++localWrites_; }

  // Key operations by folded path below a stored root.
  KeyId findKey(int root, std::string_view foldedPath);
  bool keyExists(KeyId id);
  // Creates the missing keys of `names` (display names) below `base`; returns the last id and
  // whether it was new. Paths are folded here.
  KeyId createPath(int root, KeyId baseId, std::string_view baseFolded, const std::vector<std::string_view>& names,
                   bool& created);
  bool hasChildren(KeyId id);
  // A key's parent and display name (parent 0 for a root).
  bool keyRow(KeyId id, KeyId& parent, std::string& name, int& root);
  void deleteSubtree(int root, std::string_view foldedPath);
  std::vector<std::string> children(KeyId id);  // display names, sorted without case
  ChildList childList(KeyId id);
  std::vector<std::pair<KeyId, std::string>> childKeys(KeyId id);

  bool findValue(KeyId key, std::string_view name, ValueRow& row);
  void setValue(KeyId key, std::string_view name, DWORD type, std::string_view data);
  bool deleteValue(KeyId key, std::string_view name);
  std::vector<ValueRow> values(KeyId key);  // in creation order

 private:
  void open(const std::string& file);
  void createSchema();
  // Whether remembered answers may be used and new ones kept: outside a transaction, while the
  // shared generation is readable; a new generation forgets everything.
  bool cacheUsable();
  void forget();
  // While a write transaction began on what we remember, its changes are noted here and
  // applied to what we remember once it commits with no other write between.
  void note(std::function<void()> change);
  void noteDeletedSubtree(int root, std::string_view foldedPath);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* statements_[static_cast<int>(Sql::Count)] = {};
  std::uint64_t localWrites_ = 0;
  bool writing_ = false;  // the open transaction is a write
  bool tracking_ = false;
  std::vector<std::function<void()>> pending_;
  std::unique_ptr<WriteGeneration> generation_;

  // Answers read under generation cachedAt_.
  std::uint64_t cachedAt_ = 0;
  std::map<std::string, KeyId> keyIds_;  // root byte + folded path -> id (0: none); ordered for subtrees
  std::unordered_map<KeyId, bool> keyExists_;
  struct FoundValue {
    bool found = false;
    ValueRow row;
  };
  struct KnownValues {
    bool complete = false;  // every value of the key is here: a missing name has no value
    std::unordered_map<std::string, FoundValue> byName;  // by folded name
  };
  std::unordered_map<KeyId, KnownValues> values_;
  std::unordered_map<KeyId, std::shared_ptr<std::vector<std::string>>> children_;  // copied before a change while a handle holds it
  std::size_t cachedCount_ = 0;
};

// The store of the current machine, opened (and created) on first use. Callers hold the lock
// for the whole call. A machine reset closes it.
std::unique_lock<std::recursive_mutex> lockStore();
Store& store();

// Base keys a fresh Windows of the machine's family has.
struct BaseKey {
  int root;
  const char* path;
  bool nt;   // present on the NT family
  bool w9x;  // present on the Windows 9x family
};
const std::vector<BaseKey>& baseKeys();

}  // namespace ombrin::registry
