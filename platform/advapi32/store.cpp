#include "store.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <sqlite3.h>
#include <pthread.h>

#include <ombrin/machine.h>
#include <ombrin/paths.h>

namespace ombrin::registry {
namespace {

// Each statement's text, in the order of Store::Sql.
constexpr const char* kSql[] = {
    "SELECT id FROM keys WHERE root=?1 AND path=?2",
    "SELECT 1 FROM keys WHERE id=?1",
    "INSERT INTO keys(parent, root, name, fold, path) VALUES(?1, ?2, ?3, ?4, ?5)",
    "SELECT name, id, root, path FROM keys WHERE parent=?1 ORDER BY fold",
    "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1",
    "SELECT count(*) FROM keys WHERE parent=?1",
    // A subtree is the key's path and every path that starts with it and a backslash: the range
    // [path\, path]) since ']' follows '\'. The two parts are separate searches: written as one
    // OR, the planner keeps only the lower bound and walks the rest of the root's keys.
    "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE root=?1 AND path=?2 "
    "UNION ALL SELECT id FROM keys WHERE root=?1 AND path>=?3 AND path<?4)",
    "DELETE FROM keys WHERE id IN (SELECT id FROM keys WHERE root=?1 AND path=?2 "
    "UNION ALL SELECT id FROM keys WHERE root=?1 AND path>=?3 AND path<?4)",
    "SELECT name, type, data FROM vals WHERE key=?1 AND fold=?2",
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data",
    "DELETE FROM vals WHERE key=?1 AND fold=?2",
    "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id",
    "PRAGMA data_version",
    "SELECT parent, name, root FROM keys WHERE id=?1",
    "SELECT id FROM keys WHERE root=?1 AND path>=?2 AND path<?3",
    "SELECT vals.key, vals.fold, vals.name, vals.type, vals.data FROM keys JOIN vals ON vals.key=keys.id "
    "WHERE keys.parent=?1",
};
static_assert(std::size(kSql) == static_cast<std::size_t>(Store::Sql::Count));

// Names are blobs: bytes in the machine's code page, compared byte for byte once folded.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"  // never reused: a handle to a deleted key stays deleted
    "  parent INTEGER NOT NULL,"               // 0 for a root
    "  root INTEGER NOT NULL,"
    "  name BLOB NOT NULL,"                    // as first written
    "  fold BLOB NOT NULL,"                    // folded name, for ordering
    "  path BLOB NOT NULL);"                   // folded path below the root
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_path ON keys(root, path);"
    "CREATE INDEX IF NOT EXISTS keys_children ON keys(parent, fold);"
    "CREATE TABLE IF NOT EXISTS vals("
    "  id INTEGER PRIMARY KEY,"                // creation order
    "  key INTEGER NOT NULL,"
    "  name BLOB NOT NULL,"
    "  fold BLOB NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  UNIQUE(key, fold));"
    "CREATE INDEX IF NOT EXISTS vals_order ON vals(key);";

constexpr int kSchemaVersion = 1;

// Remembered answers are dropped past this many, so a long scan cannot grow them without end.
constexpr std::size_t kCacheLimit = 200000;

// Stamps from the shared generation and from the database's own version never meet.
constexpr std::uint64_t kGenerationStamp = std::uint64_t{1} << 63;

// Writers wait this long for each other before a retry.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kBusyRetries = 30;

[[noreturn]] void raise(sqlite3* db, const char* what) {
  throw StoreError{std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database")};
}

std::string keySlot(int root, std::string_view foldedPath) {
  std::string slot;
  slot.reserve(foldedPath.size() + 1);
  slot += static_cast<char>(root);
  slot += foldedPath;
  return slot;
}

std::string joinPath(std::string_view base, std::string_view name) {
  if (base.empty()) return std::string(name);
  std::string path(base);
  path += '\\';
  path += name;
  return path;
}

struct Connection {
  std::recursive_mutex mutex;
  std::unique_ptr<Store> store;
  bool inherited = false;  // set in a child after fork: the parent still owns the connection
};

// Never destroyed: a static destructor elsewhere may still reach the registry at exit.
Connection& connection() {
  static Connection& c = *new Connection;
  static const bool forkAware = [] {
    ::pthread_atfork(nullptr, nullptr, [] { connection().inherited = true; });
    return true;
  }();
  (void)forkAware;
  static const bool registered = [] {
    machine::onReset([] {
      auto& conn = connection();
      std::lock_guard lock(conn.mutex);
      if (conn.inherited) (void)conn.store.release();
      else conn.store.reset();
      conn.inherited = false;
    });
    return true;
  }();
  (void)registered;
  return c;
}

}  // namespace

std::string fold(std::string_view name) {
  std::string folded(name);
  for (auto& c : folded) c = paths::toUpper1252(c);
  return folded;
}

Statement::~Statement() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

Statement& Statement::bind(int index, std::int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
  // A null pointer would bind NULL, and an empty name is a real name.
  if (bytes.empty()) sqlite3_bind_zeroblob(stmt_, index, 0);
  else sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  return *this;
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  raise(sqlite3_db_handle(stmt_), sqlite3_sql(stmt_));
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::blob(int column) const {
  auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
  int size = sqlite3_column_bytes(stmt_, column);
  return bytes ? std::string(bytes, static_cast<std::size_t>(size)) : std::string();
}

Store::Store(const std::string& file) : generation_(std::make_unique<WriteGeneration>(file + "-gen")) { open(file); }

Store::~Store() {
  for (auto* stmt : statements_) sqlite3_finalize(stmt);
  sqlite3_close_v2(db_);
}

void Store::open(const std::string& file) {
  // The connection is serialised by our own lock, so SQLite need not lock it again.
  if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    raise(db_, "cannot open the registry");
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  // Write-ahead log: readers never see half a write and never wait for a writer; NORMAL
  // synchronisation keeps every commit atomic without a disk flush per call.
  for (int attempt = 0;; ++attempt) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &stmt, nullptr) != SQLITE_OK)
      raise(db_, "journal mode");
    int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) break;
    if (rc != SQLITE_BUSY || attempt >= kBusyRetries) raise(db_, "journal mode");
  }
  exec("PRAGMA synchronous=NORMAL");
  // Reads map the database file instead of copying each page with a system call.
  exec("PRAGMA mmap_size=268435456");
  createSchema();
}

void Store::createSchema() {
  auto version = [this] {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &stmt, nullptr) != SQLITE_OK) raise(db_, "user_version");
    int rc = sqlite3_step(stmt);
    int v = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    if (v < 0) raise(db_, "user_version");
    return v;
  };
  if (version() == kSchemaVersion) return;
  beginWrite();
  try {
    if (version() != kSchemaVersion) {  // another process may have created it while we waited
      exec(kSchema);
      for (int root = 0; root < kRootCount; ++root) {
        auto insert = statement(Sql::InsertKey);
        insert.bind(1, 0).bind(2, root).bindBlob(3, "").bindBlob(4, "").bindBlob(5, "");
        insert.step();
      }
      bool nt = machine::current().profile().isNt();
      for (const auto& base : baseKeys()) {
        if (!(nt ? base.nt : base.w9x)) continue;
        std::vector<std::string_view> names;
        std::string_view rest = base.path;
        while (!rest.empty()) {
          auto slash = rest.find('\\');
          names.push_back(rest.substr(0, slash));
          if (slash == std::string_view::npos) break;
          rest.remove_prefix(slash + 1);
        }
        bool created = false;
        createPath(base.root, rootId(base.root), "", names, created);
      }
      exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    }
    commit();
  } catch (...) {
    rollback();
    throw;
  }
}

Statement Store::statement(Sql which) {
  auto& stmt = statements_[static_cast<int>(which)];
  if (stmt == nullptr && sqlite3_prepare_v3(db_, kSql[static_cast<int>(which)], -1, SQLITE_PREPARE_PERSISTENT, &stmt,
                                            nullptr) != SQLITE_OK)
    raise(db_, kSql[static_cast<int>(which)]);
  return Statement(stmt);
}

void Store::exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "error";
    sqlite3_free(message);
    throw StoreError{std::string(sql) + ": " + text};
  }
}

void Store::beginWrite() {
  // The busy timeout already waits; past it we keep trying a while longer, since a writer
  // that gives up would lose the caller's change.
  for (int attempt = 0;; ++attempt) {
    int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
      writing_ = true;
      // Holding the write lock, the database is what we remember if nobody has committed since.
      auto generation = generation_->current();
      tracking_ = generation && *generation == cachedAt_;
      pending_.clear();
      return;
    }
    if ((rc & 0xFF) != SQLITE_BUSY || attempt >= kBusyRetries) raise(db_, "BEGIN IMMEDIATE");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Store::beginRead() {
  exec("BEGIN");
  writing_ = false;
}

void Store::commit() {
  if (!writing_) {
    exec("COMMIT");
    return;
  }
  // Other processes stop trusting what they remember before the write can be seen, and the
  // generation moves once it can; if we die in between, they keep asking the database.
  generation_->beginCommit();
  struct Counted {
    Store& store;
    bool committed = false;
    ~Counted() {
      store.writing_ = false;
      auto before = store.generation_->endCommit();
      // Ours was the only commit since what we remember: bring it up to date instead of
      // dropping it.
      if (committed && store.tracking_ && before && *before == store.cachedAt_) {
        for (auto& change : store.pending_) change();
        store.cachedAt_ = *before + 1;
      } else {
        store.forget();
      }
      store.tracking_ = false;
      store.pending_.clear();
    }
  } counted{*this};
  for (int attempt = 0;; ++attempt) {
    int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
      counted.committed = true;
      return;
    }
    if ((rc & 0xFF) != SQLITE_BUSY || attempt >= kBusyRetries) raise(db_, "COMMIT");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Store::rollback() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  writing_ = false;
  tracking_ = false;
  pending_.clear();
}

bool Store::inTransaction() const { return !sqlite3_get_autocommit(db_); }

void Store::forget() {
  keyIds_.clear();
  keyExists_.clear();
  values_.clear();
  children_.clear();
  cachedCount_ = 0;
}

void Store::note(std::function<void()> change) {
  if (tracking_) pending_.push_back(std::move(change));
}

bool Store::cacheUsable() {
  // Inside a transaction the snapshot may be newer than what we remember, or our own
  // uncommitted change.
  if (inTransaction()) return false;
  auto generation = generation_->current();
  if (!generation || *generation != cachedAt_ || cachedCount_ > kCacheLimit) {
    forget();
    if (!generation) return false;
    cachedAt_ = *generation;
  }
  return true;
}

std::uint64_t Store::stamp() {
  if (auto generation = generation_->current()) return kGenerationStamp | *generation;
  auto version = statement(Sql::DataVersion);
  version.step();
  return ((localWrites_ << 32) ^ static_cast<std::uint64_t>(version.integer(0))) & ~kGenerationStamp;
}

KeyId Store::findKey(int root, std::string_view foldedPath) {
  bool cached = cacheUsable();
  std::string slot;
  if (cached) {
    slot = keySlot(root, foldedPath);
    if (auto it = keyIds_.find(slot); it != keyIds_.end()) return it->second;
  }
  auto find = statement(Sql::FindKey);
  find.bind(1, root).bindBlob(2, foldedPath);
  KeyId id = find.step() ? find.integer(0) : 0;
  if (cached) {
    keyIds_.emplace(std::move(slot), id);
    if (id != 0) keyExists_[id] = true;
    cachedCount_ += 2;
  }
  return id;
}

bool Store::keyExists(KeyId id) {
  bool cached = cacheUsable();
  if (cached) {
    if (auto it = keyExists_.find(id); it != keyExists_.end()) return it->second;
  }
  auto exists = statement(Sql::KeyExists);
  exists.bind(1, id);
  bool found = exists.step();
  if (cached) {
    keyExists_.emplace(id, found);
    ++cachedCount_;
  }
  return found;
}

KeyId Store::createPath(int root, KeyId baseId, std::string_view baseFolded,
                        const std::vector<std::string_view>& names, bool& created) {
  created = false;
  KeyId id = baseId;
  std::string path(baseFolded);
  for (auto name : names) {
    auto folded = fold(name);
    path = joinPath(path, folded);
    KeyId child = findKey(root, path);
    if (child == 0) {
      auto insert = statement(Sql::InsertKey);
      insert.bind(1, id).bind(2, root).bindBlob(3, name).bindBlob(4, folded).bindBlob(5, path);
      insert.step();
      child = sqlite3_last_insert_rowid(db_);
      created = true;
      // The parent's list is read again when next walked: a run of creations under a large
      // key should not shift it each time.
      note([this, parent = id, child, slot = keySlot(root, path)] {
        keyIds_[slot] = child;
        keyExists_[child] = true;
        children_.erase(parent);
      });
    } else {
      created = false;
    }
    id = child;
  }
  return id;
}

bool Store::keyRow(KeyId id, KeyId& parent, std::string& name, int& root) {
  auto row = statement(Sql::KeyRow);
  row.bind(1, id);
  if (!row.step()) return false;
  parent = row.integer(0);
  name = row.blob(1);
  root = static_cast<int>(row.integer(2));
  return true;
}

bool Store::hasChildren(KeyId id) {
  auto any = statement(Sql::HasChildren);
  any.bind(1, id);
  return any.step();
}

void Store::noteDeletedSubtree(int root, std::string_view foldedPath) {
  KeyId top = findKey(root, foldedPath);
  KeyId parent = 0;
  std::string name;
  int topRoot = 0;
  if (top == 0 || !keyRow(top, parent, name, topRoot)) return;
  std::vector<KeyId> ids{top};
  auto below = statement(Sql::SubtreeIds);
  below.bind(1, root).bindBlob(2, std::string(foldedPath) + '\\').bindBlob(3, std::string(foldedPath) + ']');
  while (below.step()) ids.push_back(below.integer(0));
  note([this, root, ids = std::move(ids), parent, name = std::move(name), path = std::string(foldedPath)] {
    for (KeyId id : ids) {
      keyExists_[id] = false;
      values_.erase(id);
      children_.erase(id);
    }
    keyIds_.erase(keySlot(root, path));
    keyIds_.erase(keyIds_.lower_bound(keySlot(root, path + '\\')), keyIds_.lower_bound(keySlot(root, path + ']')));
    // A scan that deletes as it walks keeps the list instead of reading it again.
    auto it = children_.find(parent);
    if (it == children_.end()) return;
    if (it->second.use_count() > 1) it->second = std::make_shared<std::vector<std::string>>(*it->second);
    auto& list = *it->second;
    if (auto at = std::find(list.begin(), list.end(), name); at != list.end()) list.erase(at);
  });
}

void Store::deleteSubtree(int root, std::string_view foldedPath) {
  if (tracking_) noteDeletedSubtree(root, foldedPath);
  std::string low = std::string(foldedPath) + '\\';
  std::string high = std::string(foldedPath) + ']';
  for (Sql sql : {Sql::DeleteSubtreeValues, Sql::DeleteSubtreeKeys}) {
    auto del = statement(sql);
    del.bind(1, root).bindBlob(2, foldedPath).bindBlob(3, low).bindBlob(4, high);
    del.step();
  }
}

std::vector<std::pair<KeyId, std::string>> Store::childKeys(KeyId id) {
  std::vector<std::pair<KeyId, std::string>> keys;
  auto list = statement(Sql::Children);
  list.bind(1, id);
  while (list.step()) keys.emplace_back(list.integer(1), list.blob(0));
  return keys;
}

ChildList Store::childList(KeyId id) {
  bool cached = cacheUsable();
  if (cached) {
    if (auto it = children_.find(id); it != children_.end()) return it->second;
  }
  if (!cached) return std::make_shared<const std::vector<std::string>>(children(id));
  // A walk by index usually opens each subkey next: remember where they are too.
  auto names = std::make_shared<std::vector<std::string>>();
  std::vector<KeyId> ids;
  auto rows = statement(Sql::Children);
  rows.bind(1, id);
  while (rows.step()) {
    names->push_back(rows.blob(0));
    KeyId child = rows.integer(1);
    ids.push_back(child);
    keyIds_.insert_or_assign(keySlot(static_cast<int>(rows.integer(2)), rows.blob(3)), child);
    keyExists_[child] = true;
  }
  // ... and read a value or two of each: take them all in one query.
  for (KeyId child : ids) values_[child].complete = true;
  auto childValues = statement(Sql::ChildValues);
  childValues.bind(1, id);
  while (childValues.step()) {
    auto& known = values_[childValues.integer(0)];
    known.byName.insert_or_assign(childValues.blob(1),
                                  FoundValue{true, {childValues.blob(2), static_cast<DWORD>(childValues.integer(3)),
                                                    childValues.blob(4)}});
    ++cachedCount_;
  }
  cachedCount_ += 1 + 3 * names->size();
  children_.emplace(id, names);
  return names;
}

std::vector<std::string> Store::children(KeyId id) {
  std::vector<std::string> names;
  auto list = statement(Sql::Children);
  list.bind(1, id);
  while (list.step()) names.push_back(list.blob(0));
  return names;
}

bool Store::findValue(KeyId key, std::string_view name, ValueRow& row) {
  bool cached = cacheUsable();
  std::string folded = fold(name);
  if (cached) {
    if (auto known = values_.find(key); known != values_.end()) {
      if (auto it = known->second.byName.find(folded); it != known->second.byName.end()) {
        if (it->second.found) row = it->second.row;
        return it->second.found;
      }
      if (known->second.complete) return false;
    }
  }
  auto find = statement(Sql::FindValue);
  find.bind(1, key).bindBlob(2, folded);
  bool found = find.step();
  if (found) {
    row.name = find.blob(0);
    row.type = static_cast<DWORD>(find.integer(1));
    row.data = find.blob(2);
  }
  if (cached) {
    values_[key].byName.emplace(std::move(folded), found ? FoundValue{true, row} : FoundValue{});
    ++cachedCount_;
  }
  return found;
}

void Store::setValue(KeyId key, std::string_view name, DWORD type, std::string_view data) {
  auto upsert = statement(Sql::UpsertValue);
  upsert.bind(1, key).bindBlob(2, name).bindBlob(3, fold(name)).bind(4, type).bindBlob(5, data);
  upsert.step();
  note([this, key] { values_.erase(key); });
}

bool Store::deleteValue(KeyId key, std::string_view name) {
  auto del = statement(Sql::DeleteValue);
  del.bind(1, key).bindBlob(2, fold(name));
  del.step();
  note([this, key] { values_.erase(key); });
  return sqlite3_changes(db_) > 0;
}

std::vector<ValueRow> Store::values(KeyId key) {
  std::vector<ValueRow> rows;
  auto list = statement(Sql::Values);
  list.bind(1, key);
  while (list.step()) rows.push_back({list.blob(0), static_cast<DWORD>(list.integer(1)), list.blob(2)});
  return rows;
}

std::unique_lock<std::recursive_mutex> lockStore() { return std::unique_lock(connection().mutex); }

Store& store() {
  auto& conn = connection();
  if (conn.inherited) {
    (void)conn.store.release();  // a connection must not cross a fork
    conn.inherited = false;
  }
  if (!conn.store) {
    conn.store = std::make_unique<Store>(machine::current().registryFile().string());
  }
  return *conn.store;
}

const std::vector<BaseKey>& baseKeys() {
  static const std::vector<BaseKey> keys{
      {2, "Software\\Classes", true, true},
      {2, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true, true},
      {2, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true, true},
      {2, "Software\\Microsoft\\Windows NT\\CurrentVersion", true, false},
      {2, "System\\CurrentControlSet\\Control\\Class", false, true},
      {2, "System\\CurrentControlSet\\Services\\Class", false, true},
      {2, "System\\CurrentControlSet\\Services\\VxD", false, true},
      {2, "Enum\\Root", false, true},
      {2, "Enum\\PCI", false, true},
      {2, "Config\\0001", false, true},
      {2, "Hardware\\Description\\System", true, true},
      // On NT, CurrentControlSet is a link to ControlSet001 (see keys.cpp).
      {2, "System\\ControlSet001\\Control\\Class", true, false},
      {2, "System\\ControlSet001\\Enum\\Root", true, false},
      {2, "System\\ControlSet001\\Services", true, false},
      {2, "System\\CurrentControlSet", true, false},
      {2, "SAM", true, false},
      {2, "Security", true, false},
      {1, "Software\\Microsoft\\Windows\\CurrentVersion", true, true},
      {1, "Control Panel", true, true},
      {3, ".DEFAULT\\Software", true, true},
  };
  return keys;
}

}  // namespace ombrin::registry
