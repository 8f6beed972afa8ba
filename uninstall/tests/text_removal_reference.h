// The removal loop written out step by step, as the yardstick for the one-pass removal: find the
// first occurrence in the content (which ends at its first zero byte), move the bytes after it
// down onto it, shorten the content, and search again from the start.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace unombrin::testing {

inline std::string ReferenceRemoveText(std::string content, const std::string& text) {
  std::size_t size = content.size();
  const std::size_t length = text.size();
  if (length == 0) return content;
  while (size > 0) {
    std::string_view searched(content.data(), size);
    searched = searched.substr(0, searched.find('\0'));
    std::size_t offset = searched.find(text);
    if (offset == std::string_view::npos) break;
    std::memmove(content.data() + offset, content.data() + offset + length, size - offset - length);
    size -= length;
    if (size == 0) break;
  }
  content.resize(size);
  return content;
}

}  // namespace unombrin::testing
