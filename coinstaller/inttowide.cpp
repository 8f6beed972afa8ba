#include "coinstaller.h"

namespace {

// Integer to text as the C library's conversion does it: a sign only in radix 10, otherwise the
// value's bits as unsigned. 32 binary digits and the terminator fit.
void integerToText(int value, char* text, int radix) {
  char digits[34];
  int count = 0;
  bool negative = radix == 10 && value < 0;
  auto magnitude = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    unsigned digit = magnitude % static_cast<unsigned>(radix);
    digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
    magnitude /= static_cast<unsigned>(radix);
  } while (magnitude != 0);
  int at = 0;
  if (negative) text[at++] = '-';
  while (count > 0) text[at++] = digits[--count];
  text[at] = '\0';
}

}  // namespace

WCHAR* IntToWide(int value, WCHAR* buffer, int radix) {
  buffer[0] = u'\0';
  if (radix < 2 || radix > 36) return buffer;
  char text[35];
  integerToText(value, text, radix);
  // A text longer than the wide buffer is not cut into a different number: the buffer stays empty.
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, buffer, kIntToWideUnits) == 0) buffer[0] = u'\0';
  return buffer;
}
