#include "wildcard.h"

#include <vector>

#include <ombrin/paths.h>

namespace ombrin::files {
namespace {

// The pattern after Windows has rewritten it: plain characters and the four kinds of wildcard.
enum class Kind { Literal, Star, DosStar, DosQuestion, DosDot };
struct Element {
  Kind kind;
  char c;
};

std::vector<Element> rewrite(std::string_view pattern) {
  std::vector<Element> out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '?')
      out.push_back({Kind::DosQuestion, c});
    else if (c == '.' && (next == '?' || next == '*' || next == '\0'))
      out.push_back({Kind::DosDot, c});
    else if (c == '*' && next == '.')
      out.push_back({Kind::DosStar, c});
    else if (c == '*')
      out.push_back({Kind::Star, c});
    else
      out.push_back({Kind::Literal, c});
  }
  return out;
}

}  // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
  const auto elements = rewrite(pattern);
  const std::size_t last = name.rfind('.');
  const std::size_t n = name.size();
  // reach[i]: the current element can start at name position i. Walk the elements one by
  // one; zero-width moves stay in the same column, consuming moves go right.
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (const auto& e : elements) {
    std::fill(next.begin(), next.end(), 0);
    for (std::size_t i = 0; i <= n; ++i) {
      if (!reach[i]) continue;
      switch (e.kind) {
        case Kind::Literal:
          if (i < n && paths::toUpper1252(name[i]) == paths::toUpper1252(e.c)) next[i + 1] = 1;
          break;
        case Kind::Star:
          for (std::size_t j = i; j <= n; ++j) next[j] = 1;
          break;
        case Kind::DosStar:
          // Any run that does not swallow the final dot of the name.
          for (std::size_t j = i; j <= n; ++j) {
            next[j] = 1;
            if (j < n && j == last) break;
          }
          break;
        case Kind::DosQuestion:
          if (i < n && name[i] != '.') next[i + 1] = 1;
          if (i == n || name[i] == '.') next[i] = 1;
          break;
        case Kind::DosDot:
          if (i < n && name[i] == '.') next[i + 1] = 1;
          if (i == n) next[i] = 1;
          break;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

}  // namespace ombrin::files
