// wsprintfA: the small printf of user32 (no floating point), at most 1024 characters with the
// terminator, and 32-bit numbers whatever the size prefix says.
#include <cstdarg>
#include <cstring>
#include <string>

#include <win32/winuser.h>

namespace {

constexpr std::size_t kMaxOutput = 1024;  // characters, terminator included

struct Conversion {
  bool left = false;
  bool zero = false;
  bool prefix = false;
  unsigned width = 0;
  int precision = -1;
  enum { Default, Short, Long } size = Default;
};

class Output {
 public:
  explicit Output(char* buffer) : buffer_(buffer) {}
  void put(char c) {
    if (length_ + 1 < kMaxOutput) buffer_[length_++] = c;
  }
  void put(const std::string& s) {
    for (char c : s) put(c);
  }
  void padded(const std::string& body, const Conversion& conversion, char pad = ' ') {
    std::size_t fill = body.size() < conversion.width ? conversion.width - body.size() : 0;
    if (!conversion.left)
      for (std::size_t i = 0; i < fill; ++i) put(pad);
    put(body);
    if (conversion.left)
      for (std::size_t i = 0; i < fill; ++i) put(' ');
  }
  int finish() {
    buffer_[length_] = '\0';
    return static_cast<int>(length_);
  }

 private:
  char* buffer_;
  std::size_t length_ = 0;
};

std::string digits(std::uint32_t value, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), set[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

void number(Output& out, const Conversion& conversion, char type, va_list& args) {
  bool negative = false;
  std::uint32_t magnitude;
  if (type == 'd' || type == 'i') {
    auto value = static_cast<std::int32_t>(va_arg(args, int));
    if (conversion.size == Conversion::Short) value = static_cast<std::int16_t>(value);
    negative = value < 0;
    magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  } else {
    magnitude = va_arg(args, unsigned);
    if (conversion.size == Conversion::Short) magnitude &= 0xFFFF;
  }
  bool hex = type == 'x' || type == 'X';
  std::string body = digits(magnitude, hex ? 16 : 10, type == 'X');
  if (conversion.precision >= 0 && body.size() < static_cast<std::size_t>(conversion.precision))
    body.insert(0, static_cast<std::size_t>(conversion.precision) - body.size(), '0');
  std::string lead = negative ? "-" : (hex && conversion.prefix && magnitude != 0 ? (type == 'X' ? "0X" : "0x") : "");
  if (conversion.zero && !conversion.left && conversion.precision < 0) {
    std::size_t fill = lead.size() + body.size() < conversion.width ? conversion.width - lead.size() - body.size() : 0;
    body.insert(0, fill, '0');
  }
  out.padded(lead + body, conversion);
}

// Wide text reaches 8-bit output unit by unit; what the code page cannot hold becomes '?'.
char narrow(unsigned unit) { return unit < 0x100 ? static_cast<char>(unit) : '?'; }

void text(Output& out, const Conversion& conversion, bool wide, va_list& args) {
  std::string body;
  std::size_t limit = conversion.precision >= 0 ? static_cast<std::size_t>(conversion.precision) : std::string::npos;
  if (wide) {
    const auto* s = va_arg(args, const WCHAR*);
    if (s == nullptr) body = "(null)";
    for (; s != nullptr && *s != 0 && body.size() < limit; ++s) body += narrow(*s);
  } else {
    const char* s = va_arg(args, const char*);
    if (s == nullptr) s = "(null)";
    for (; *s != 0 && body.size() < limit; ++s) body += *s;
  }
  out.padded(body.substr(0, limit), conversion);
}

int format(LPSTR buffer, LPCSTR fmt, va_list& args) {
  Output out(buffer);
  for (const char* p = fmt; *p != 0; ++p) {
    if (*p != '%') {
      out.put(*p);
      continue;
    }
    ++p;
    if (*p == '%') {
      out.put('%');
      continue;
    }
    Conversion conversion;
    for (;; ++p) {
      if (*p == '-') conversion.left = true;
      else if (*p == '0') conversion.zero = true;
      else if (*p == '#') conversion.prefix = true;
      else break;
    }
    while (*p >= '0' && *p <= '9') conversion.width = conversion.width * 10 + static_cast<unsigned>(*p++ - '0');
    if (conversion.width > kMaxOutput) conversion.width = kMaxOutput;
    if (*p == '.') {
      conversion.precision = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p)
        if (conversion.precision < static_cast<int>(kMaxOutput)) conversion.precision = conversion.precision * 10 + (*p - '0');
    }
    if (*p == 'l' || *p == 'L') {
      conversion.size = Conversion::Long;
      ++p;
    } else if (*p == 'h') {
      conversion.size = Conversion::Short;
      ++p;
    }
    switch (*p) {
      case 'd': case 'i': case 'u': case 'x': case 'X':
        number(out, conversion, *p, args);
        break;
      case 's':
        text(out, conversion, conversion.size == Conversion::Long, args);
        break;
      case 'S':
        text(out, conversion, conversion.size != Conversion::Short, args);
        break;
      case 'c':
      case 'C': {
        unsigned unit = static_cast<unsigned>(va_arg(args, int));
        bool wide = *p == 'C' ? conversion.size != Conversion::Short : conversion.size == Conversion::Long;
        out.padded(std::string(1, wide ? narrow(unit & 0xFFFF) : static_cast<char>(unit)), conversion);
        break;
      }
      case '\0':
        return out.finish();
      default:  // not a conversion: the character stands for itself
        out.put(*p);
    }
  }
  return out.finish();
}

}  // namespace

extern "C" int WINAPI wvsprintfA(LPSTR buffer, LPCSTR fmt, va_list args) {
  if (buffer == nullptr || fmt == nullptr) return 0;
  va_list copy;
  va_copy(copy, args);
  int n = format(buffer, fmt, copy);
  va_end(copy);
  return n;
}

extern "C" int WINAPI wsprintfA(LPSTR buffer, LPCSTR fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = wvsprintfA(buffer, fmt, args);
  va_end(args);
  return n;
}
