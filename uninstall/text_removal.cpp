// RemoveTextFromFile edits the file in place through a MappedFile.
//
// Deleting the first occurrence and searching again from the start removes, each time, the
// occurrence that ends first (all have the same length). The content before it holds none, so
// a scan from left to right that copies bytes down and drops the text as soon as its last byte
// arrives removes exactly the same occurrences, in linear time. A pattern matcher (prefix
// function) tracks how much of the text the kept bytes end with; after a drop that is recomputed
// from the last textLength - 1 kept bytes, which is all it can depend on.
#include "text_removal.h"

#include <cstring>
#include <vector>

#include "mapped_file.h"
#include "uninstaller.h"

namespace unombrin {

namespace {

class TextMatcher {
 public:
  TextMatcher(const char* text, std::uint32_t length) : text_(text), length_(length), fallback_(length, 0) {
    for (std::uint32_t i = 1, k = 0; i < length; ++i) {
      while (k > 0 && text[i] != text[k]) k = fallback_[k - 1];
      if (text[i] == text[k]) ++k;
      fallback_[i] = k;
    }
  }
  // The matched length after one more byte; length() means a whole occurrence.
  std::uint32_t step(std::uint32_t matched, char c) const {
    if (matched == length_) matched = fallback_[matched - 1];
    while (matched > 0 && text_[matched] != c) matched = fallback_[matched - 1];
    return text_[matched] == c ? matched + 1 : 0;
  }
  std::uint32_t length() const { return length_; }

 private:
  const char* text_;
  std::uint32_t length_;
  std::vector<std::uint32_t> fallback_;
};

}  // namespace

std::uint32_t RemoveTextInPlace(char* content, std::uint32_t size, const char* text, std::uint32_t textLength) {
  if (content == nullptr || text == nullptr || textLength == 0 || size == 0) return size;
  const void* zero = std::memchr(content, 0, size);
  std::uint32_t searched = zero ? static_cast<std::uint32_t>(static_cast<const char*>(zero) - content) : size;
  TextMatcher matcher(text, textLength);
  std::uint32_t kept = 0;
  std::uint32_t matched = 0;
  for (std::uint32_t i = 0; i < searched; ++i) {
    if (matched == 0) {
      // Nothing of the text is pending: every byte up to the next first byte of the text is
      // kept as it is, so move it as one block.
      const void* hit = std::memchr(content + i, text[0], searched - i);
      std::uint32_t next = hit ? static_cast<std::uint32_t>(static_cast<const char*>(hit) - content) : searched;
      if (kept != i) std::memmove(content + kept, content + i, next - i);
      kept += next - i;
      i = next;
      if (i == searched) break;
    }
    char c = content[i];
    content[kept++] = c;
    matched = matcher.step(matched, c);
    if (matched < textLength) continue;
    kept -= textLength;
    matched = 0;
    std::uint32_t from = kept > textLength - 1 ? kept - (textLength - 1) : 0;
    for (std::uint32_t j = from; j < kept; ++j) matched = matcher.step(matched, content[j]);
  }
  std::memmove(content + kept, content + searched, size - searched);
  return kept + (size - searched);
}

}  // namespace unombrin

void Uninstaller::RemoveTextFromFile(const char* path, const char* text) {
  MappedFile file;
  if (file.OpenReadWrite(path) != 1) return;
  char* start = file.GetCurrentPointer();
  std::size_t length = text == nullptr ? 0 : std::strlen(text);
  if (length > 0 && length <= 0xFFFFFFFFu && file.GetSize() > 0) {
    std::uint32_t newSize =
        unombrin::RemoveTextInPlace(start, file.GetSize(), text, static_cast<std::uint32_t>(length));
    file.SetSize(newSize);
  }
  file.Close();
}
