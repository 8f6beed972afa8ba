#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <win32/winerror.h>

namespace fs = std::filesystem;

namespace ombrin::paths {
namespace {

constexpr std::size_t kMaxPath = 259;       // MAX_PATH less the terminator
constexpr std::size_t kMaxComponent = 255;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isInvalidNameChar(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*';
}

bool within(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// The stored name of `name` in `dir`, found without case; empty when there is none.
std::string findEntry(const fs::path& dir, const std::string& name) {
  struct stat st;
  if (::lstat((dir / name).c_str(), &st) == 0) return name;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (equalsNoCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// Where a symbolic link finally points, or empty when it cannot be followed.
fs::path realTarget(const fs::path& link) {
  char buffer[PATH_MAX];
  if (::realpath(link.c_str(), buffer) == nullptr) return {};
  return fs::path(buffer);
}

}  // namespace

char toUpper1252(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 16);
  if (u == 0xFF) return static_cast<char>(0x9F);
  return c;
}

char toLower1252(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  if (u == 0x8A || u == 0x8C || u == 0x8E) return static_cast<char>(u + 16);
  if (u == 0x9F) return static_cast<char>(0xFF);
  return c;
}

int compareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(toUpper1252(a[i]));
    auto y = static_cast<unsigned char>(toUpper1252(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && compareNoCase(a, b) == 0; }

Resolved resolve(std::string_view winPath) {
  Resolved r;
  if (winPath.size() > kMaxPath) {
    r.error = ERROR_FILENAME_EXCED_RANGE;
    return r;
  }
  if (winPath.empty()) {
    r.error = ERROR_PATH_NOT_FOUND;
    return r;
  }
  std::string_view rest = winPath;
  if (rest.size() >= 2 && rest[1] == ':') {
    if (toUpper1252(rest[0]) != 'C') {  // the machine has one drive
      r.error = ERROR_PATH_NOT_FOUND;
      return r;
    }
    rest.remove_prefix(2);
  } else if (rest.size() >= 2 && isSeparator(rest[0]) && isSeparator(rest[1])) {
    r.error = ERROR_PATH_NOT_FOUND;  // UNC and device paths are not files of drive C
    return r;
  }

  std::vector<std::string> parts;
  while (!rest.empty()) {
    while (!rest.empty() && isSeparator(rest.front())) rest.remove_prefix(1);
    std::size_t end = 0;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    if (end == 0) break;
    std::string part(rest.substr(0, end));
    rest.remove_prefix(end);
    if (part == ".") continue;
    if (part == "..") {
      if (parts.empty()) {  // climbing above C:\ would leave the machine
        r.error = ERROR_PATH_NOT_FOUND;
        return r;
      }
      parts.pop_back();
      continue;
    }
    if (part.size() > kMaxComponent) {
      r.error = ERROR_FILENAME_EXCED_RANGE;
      return r;
    }
    for (char c : part) {
      if (isInvalidNameChar(c)) {
        r.error = ERROR_INVALID_NAME;
        return r;
      }
    }
    parts.push_back(std::move(part));
  }

  const auto& m = machine::current();
  const fs::path driveC = m.driveC();
  const fs::path machineRoot = realTarget(driveC);
  fs::path host = driveC;
  bool present = true;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    if (!present) {
      host /= parts[i];
      continue;
    }
    std::string stored = findEntry(host, parts[i]);
    if (stored.empty()) {
      host /= parts[i];
      present = false;
      if (!last) {
        r.error = ERROR_PATH_NOT_FOUND;
        r.host = host;
      }
      continue;
    }
    host /= stored;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) {
      present = false;
      continue;
    }
    if (S_ISLNK(st.st_mode)) {
      auto target = realTarget(host);
      bool inside = !target.empty() && within(target, machineRoot);
      if (!last && !inside) {  // a link leading out of the machine is no path of it
        r.error = ERROR_PATH_NOT_FOUND;
        return r;
      }
      if (last) r.linkOutside = !inside;
    }
    if (!last) {
      struct stat followed;
      if (::stat(host.c_str(), &followed) != 0 || !S_ISDIR(followed.st_mode)) {
        r.error = ERROR_PATH_NOT_FOUND;
        return r;
      }
    }
  }
  if (r.error != 0) {
    r.host = host;
    return r;
  }
  r.host = host;
  r.exists = present;
  r.parentExists = present || !parts.empty();
  if (!present) {
    // Only the last component may be missing for the parent to exist.
    struct stat st;
    r.parentExists = ::stat(host.parent_path().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  return r;
}

std::string toWindows(const fs::path& host) {
  const auto driveC = machine::current().driveC();
  if (!within(host, driveC)) return {};
  std::string result = "C:";
  auto h = host.begin();
  for (auto d = driveC.begin(); d != driveC.end(); ++d) ++h;
  for (; h != host.end(); ++h) {
    if (h->empty()) continue;
    result += '\\';
    result += h->string();
  }
  if (result == "C:") result += '\\';
  return result;
}

}  // namespace ombrin::paths
