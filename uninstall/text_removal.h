// Removing every occurrence of a byte string from a buffer, occurrences formed by a removal
// included, in one pass.
#pragma once

#include <cstdint>

namespace unombrin {

// Removes from content[0, size) what repeatedly deleting the first occurrence of text and
// searching again from the start would remove, and returns the new size. The search stops at the
// first zero byte of the content, as a search in a zero-terminated string does; the bytes from
// there on are kept and move down behind the rest. An empty text removes nothing.
std::uint32_t RemoveTextInPlace(char* content, std::uint32_t size, const char* text, std::uint32_t textLength);

}  // namespace unombrin
