// Reading a registry editor file into the list of changes it asks for.
#include <cctype>

#include <ombrin/paths.h>
#include <win32/winreg.h>

#include "regedit_format.h"
#include "store.h"

namespace ombrin::registry {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// A parse failure: the line and what was expected there.
struct Failure {
  int line;
  std::string expected;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// What may follow a complete entry: blanks, then nothing or a comment.
bool onlyCommentLeft(std::string_view rest) {
  rest = trimLeft(rest);
  return rest.empty() || rest.front() == ';';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses up to `maxDigits` hex digits; false when there are none or too many.
bool parseHexNumber(std::string_view& s, std::size_t maxDigits, std::uint32_t& value) {
  std::size_t n = 0;
  value = 0;
  while (n < s.size() && hexDigit(s[n]) >= 0) {
    value = value * 16 + static_cast<std::uint32_t>(hexDigit(s[n]));
    ++n;
  }
  if (n == 0 || n > maxDigits) return false;
  s.remove_prefix(n);
  return true;
}

// The file as 8-bit lines, with whether it is a version 5 file.
struct Text {
  std::vector<std::string> lines;
  bool unicode = false;
};

Text decode(std::string_view bytes) {
  Text text;
  std::string body;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    body = fromUtf16(units);
  } else {
    body = std::string(bytes);
  }
  std::size_t start = 0;
  while (start <= body.size()) {
    auto end = body.find('\n', start);
    std::string line = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text.lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return text;
}

class Parser {
 public:
  explicit Parser(Text text) : text_(std::move(text)) {}

  std::vector<Change> run() {
    std::size_t i = 0;
    while (i < text_.lines.size() && trimRight(text_.lines[i]).empty()) ++i;
    if (i == text_.lines.size()) throw Failure{1, "REGEDIT4 or Windows Registry Editor Version 5.00 as the first line"};
    auto header = trimRight(text_.lines[i]);
    if (header == kHeader4) version5_ = false;
    else if (header == kHeader5) version5_ = true;
    else throw Failure{static_cast<int>(i + 1), "REGEDIT4 or Windows Registry Editor Version 5.00 as the first line"};
    for (line_ = i + 1; line_ < text_.lines.size(); ++line_) entry(trimLeft(text_.lines[line_]));
    return std::move(changes_);
  }

 private:
  int lineNumber() const { return static_cast<int>(line_ + 1); }
  [[noreturn]] void fail(std::string expected) const { throw Failure{lineNumber(), std::move(expected)}; }

  void entry(std::string_view s) {
    if (trimRight(s).empty() || s.front() == ';') return;
    if (s.front() == '[') return key(s);
    if (s.front() == '"' || s.front() == '@') return value(s);
    fail("[key], \"name\"=value, @=value or a ; comment");
  }

  void key(std::string_view s) {
    s.remove_prefix(1);
    bool remove = !s.empty() && s.front() == '-';
    if (remove) s.remove_prefix(1);
    auto close = s.rfind(']');
    if (close == std::string_view::npos) fail("] at the end of the key name");
    if (!onlyCommentLeft(s.substr(close + 1))) fail("nothing but a comment after ]");
    auto path = s.substr(0, close);
    auto slash = path.find('\\');
    auto rootName = path.substr(0, slash);
    auto root = parseRootName(rootName);
    if (!root) fail("a root key such as HKEY_LOCAL_MACHINE instead of '" + std::string(rootName) + "'");
    std::string below = slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
    std::string_view rest = below;
    while (!rest.empty()) {
      auto next = rest.find('\\');
      auto name = rest.substr(0, next);
      if (name.empty()) fail("a key name between backslashes");
      if (name.size() > kMaxKeyNameLength) fail("key names of at most 255 characters");
      if (next == std::string_view::npos) break;
      rest.remove_prefix(next + 1);
    }
    if (remove && below.empty()) fail("a key below the root to delete");
    current_ = remove ? std::nullopt : std::optional<std::pair<std::uint32_t, std::string>>({*root, below});
    changes_.push_back({remove ? Change::Kind::DeleteKey : Change::Kind::CreateKey, lineNumber(), *root, below, {}, 0, {}});
  }

  // A quoted string with the \\ and \" escapes; s starts at the opening quote.
  std::string quoted(std::string_view& s) {
    std::string out;
    std::size_t i = 1;
    for (; i < s.size() && s[i] != '"'; ++i) {
      if (s[i] == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) fail("\\\\ or \\\" after a backslash in a string");
        ++i;
      }
      out += s[i];
    }
    if (i >= s.size()) fail("a closing quote");
    s.remove_prefix(i + 1);
    return out;
  }

  void value(std::string_view s) {
    if (!current_) fail("a [key] line before the first value");
    Change change{Change::Kind::SetValue, lineNumber(), current_->first, current_->second, {}, 0, {}};
    if (s.front() == '@') s.remove_prefix(1);
    else change.name = quoted(s);
    s = trimLeft(s);
    if (s.empty() || s.front() != '=') fail("= after the value name");
    s = trimLeft(s.substr(1));
    if (!s.empty() && s.front() == '"') {
      change.type = REG_SZ;
      change.data = quoted(s) + '\0';
      if (!onlyCommentLeft(s)) fail("nothing but a comment after the closing quote");
    } else if (!s.empty() && s.front() == '-') {
      change.kind = Change::Kind::DeleteValue;
      if (!onlyCommentLeft(s.substr(1))) fail("nothing but a comment after -");
    } else if (s.substr(0, 6) == "dword:") {
      s.remove_prefix(6);
      std::uint32_t number = 0;
      if (!parseHexNumber(s, 8, number) || !onlyCommentLeft(s)) fail("1 to 8 hexadecimal digits after dword:");
      change.type = REG_DWORD;
      for (int i = 0; i < 4; ++i) change.data += static_cast<char>((number >> (8 * i)) & 0xFF);
    } else if (s.substr(0, 4) == "hex:" || s.substr(0, 4) == "hex(") {
      change.type = REG_BINARY;
      if (s[3] == '(') {
        s.remove_prefix(4);
        std::uint32_t type = 0;
        if (!parseHexNumber(s, 8, type) || s.substr(0, 2) != "):") fail("hex(N): with N a hexadecimal type");
        change.type = type;
        s.remove_prefix(2);
      } else {
        s.remove_prefix(4);
      }
      change.data = hexBytes(s);
      // A version 5 file spells the text of string types in UTF-16.
      if (version5_ && (change.type == REG_SZ || change.type == REG_EXPAND_SZ || change.type == REG_MULTI_SZ)) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < change.data.size(); i += 2)
          units += static_cast<char16_t>(static_cast<unsigned char>(change.data[i]) |
                                         (static_cast<unsigned char>(change.data[i + 1]) << 8));
        change.data = fromUtf16(units);
      }
    } else {
      fail("\"text\", dword:, hex:, hex(N): or - after =");
    }
    changes_.push_back(std::move(change));
  }

  // Comma-separated bytes; a trailing backslash continues on the next line.
  std::string hexBytes(std::string_view s) {
    std::string bytes;
    for (;;) {
      s = trimLeft(s);
      if (bytes.empty() && onlyCommentLeft(s)) return bytes;  // no data at all
      std::uint32_t byte = 0;
      if (!parseHexNumber(s, 2, byte)) fail("hexadecimal bytes separated by commas");
      bytes += static_cast<char>(byte);
      s = trimLeft(s);
      if (s.empty() || s.front() == ';') return bytes;
      if (s.front() != ',') fail("a comma between hexadecimal bytes");
      s = trimLeft(s.substr(1));
      if (!s.empty() && s.front() == '\\') {
        if (!trimRight(s.substr(1)).empty()) fail("the end of the line after \\");
        if (line_ + 1 >= text_.lines.size() || trimRight(trimLeft(text_.lines[line_ + 1])).empty())
          fail("more hexadecimal bytes after \\");
        ++line_;
        s = text_.lines[line_];
      } else if (s.empty() || s.front() == ';') {
        return bytes;  // a trailing comma, as some writers leave
      }
    }
  }

  Text text_;
  bool version5_ = false;
  std::size_t line_ = 0;
  std::optional<std::pair<std::uint32_t, std::string>> current_;
  std::vector<Change> changes_;
};

}  // namespace

const std::vector<RootName>& rootNames() {
  static const std::vector<RootName> names{
      {"HKEY_CLASSES_ROOT", "HKCR", 0x80000000u},  {"HKEY_CURRENT_USER", "HKCU", 0x80000001u},
      {"HKEY_LOCAL_MACHINE", "HKLM", 0x80000002u}, {"HKEY_USERS", "HKU", 0x80000003u},
      {"HKEY_CURRENT_CONFIG", "HKCC", 0x80000005u}, {"HKEY_DYN_DATA", "HKDD", 0x80000006u},
  };
  return names;
}

std::optional<std::uint32_t> parseRootName(std::string_view name) {
  for (const auto& root : rootNames())
    if (paths::equalsNoCase(name, root.name) || paths::equalsNoCase(name, root.shortName)) return root.hkey;
  return std::nullopt;
}

std::optional<std::vector<Change>> parseRegFile(std::string_view bytes, std::string& error) {
  try {
    return Parser(decode(bytes)).run();
  } catch (const Failure& failure) {
    error = "line " + std::to_string(failure.line) + ": expected " + failure.expected;
    return std::nullopt;
  }
}

}  // namespace ombrin::registry
