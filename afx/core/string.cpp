#include <algorithm>
#include <cstdio>
#include <cstring>

#include <afxwin.h>

namespace {

// Case in the machine's code page: ASCII and the accented letters of Windows-1252.
char upper1252(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if ((u >= 0xE0 && u <= 0xFE && u != 0xF7)) return static_cast<char>(u - 32);
  if (u == 0x9A || u == 0x9C || u == 0x9E) return static_cast<char>(u - 16);
  if (u == 0xFF) return static_cast<char>(0x9F);
  return c;
}

char lower1252(char c) {
  auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if ((u >= 0xC0 && u <= 0xDE && u != 0xD7)) return static_cast<char>(u + 32);
  if (u == 0x8A || u == 0x8C || u == 0x8E) return static_cast<char>(u + 16);
  if (u == 0x9F) return static_cast<char>(0xFF);
  return c;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

int clampCount(int count, int available) { return std::clamp(count, 0, available); }

}  // namespace

CString::CString(LPCSTR text) : text_(text ? text : "") {}
CString::CString(LPCSTR text, int length) : text_(text && length > 0 ? std::string(text, length) : std::string()) {}
CString::CString(char ch, int repeat) : text_(repeat > 0 ? static_cast<std::size_t>(repeat) : 0, ch) {}

CString& CString::operator=(LPCSTR text) {
  text_ = text ? text : "";
  return *this;
}

CString& CString::operator=(char ch) {
  text_.assign(1, ch);
  return *this;
}

char CString::GetAt(int index) const {
  return index >= 0 && index < GetLength() ? text_[static_cast<std::size_t>(index)] : '\0';
}

void CString::SetAt(int index, char ch) {
  if (index >= 0 && index < GetLength()) text_[static_cast<std::size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& other) {
  text_ += other.text_;
  return *this;
}

CString& CString::operator+=(LPCSTR text) {
  if (text) text_ += text;
  return *this;
}

CString& CString::operator+=(char ch) {
  text_ += ch;
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  return r += b;
}
CString operator+(const CString& a, LPCSTR b) {
  CString r(a);
  return r += b;
}
CString operator+(LPCSTR a, const CString& b) {
  CString r(a);
  return r += b;
}
CString operator+(const CString& a, char b) {
  CString r(a);
  return r += b;
}

int CString::Compare(LPCSTR text) const { return std::strcmp(text_.c_str(), text ? text : ""); }

int CString::CompareNoCase(LPCSTR text) const {
  const char* a = text_.c_str();
  const char* b = text ? text : "";
  for (;; ++a, ++b) {
    auto ca = static_cast<unsigned char>(lower1252(*a));
    auto cb = static_cast<unsigned char>(lower1252(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

CString CString::Left(int count) const { return CString(text_.c_str(), clampCount(count, GetLength())); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = clampCount(first, GetLength());
  count = clampCount(count, GetLength() - first);
  return CString(text_.c_str() + first, count);
}

CString CString::Right(int count) const {
  count = clampCount(count, GetLength());
  return CString(text_.c_str() + (GetLength() - count), count);
}

int CString::Find(char ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  auto at = text_.find(ch, static_cast<std::size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCSTR sub, int start) const {
  if (sub == nullptr || start < 0 || start > GetLength()) return -1;
  auto at = text_.find(sub, static_cast<std::size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
  auto at = text_.rfind(ch);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(LPCSTR oldText, LPCSTR newText) {
  if (oldText == nullptr || *oldText == '\0') return 0;
  std::string replacement = newText ? newText : "";
  std::size_t oldLength = std::strlen(oldText);
  int count = 0;
  for (std::size_t at = 0; (at = text_.find(oldText, at)) != std::string::npos; at += replacement.size()) {
    text_.replace(at, oldLength, replacement);
    ++count;
  }
  return count;
}

void CString::MakeUpper() { std::transform(text_.begin(), text_.end(), text_.begin(), upper1252); }
void CString::MakeLower() { std::transform(text_.begin(), text_.end(), text_.begin(), lower1252); }

void CString::TrimLeft() {
  std::size_t n = 0;
  while (n < text_.size() && isBlank(text_[n])) ++n;
  text_.erase(0, n);
}

void CString::TrimRight() {
  while (!text_.empty() && isBlank(text_.back())) text_.pop_back();
}

void CString::Format(LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::FormatV(LPCSTR format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size < 0) {
    text_.clear();
    return;
  }
  std::string out(static_cast<std::size_t>(size) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<std::size_t>(size));
  text_ = std::move(out);
}

BOOL CString::LoadString(UINT id) {
  // Strings of a module are short; a buffer of the framework's usual size reads any of them whole.
  char buffer[1024];
  int length = ::LoadStringA(AfxGetResourceHandle(), id, buffer, static_cast<int>(sizeof buffer));
  text_.assign(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
  return length > 0 ? TRUE : FALSE;
}

LPSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) text_.resize(static_cast<std::size_t>(minLength));
  return text_.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(std::strlen(text_.c_str()));
  text_.resize(static_cast<std::size_t>(clampCount(newLength, GetLength())));
}

LPSTR CString::GetBufferSetLength(int length) {
  text_.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text_.data();
}
