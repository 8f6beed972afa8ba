#include "commands.h"

namespace ombrin::tool {

// Comes with the issue that builds it.
const Command cardCommand{"card", "card", "(not built yet)",
                          [](const std::vector<std::string>&) { return fail(1, "card: not built yet"); }};

}  // namespace ombrin::tool
