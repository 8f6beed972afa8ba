#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include <ombrin/machine.h>

#include "commands.h"

namespace ombrin::tool {
namespace {

// The card's state and faults belong to the card's own module, beside the platform library.
int runCard(const std::vector<std::string>& args) {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&machine::current), &info) == 0 || info.dli_fname == nullptr)
    return fail(1, "card: cannot find the platform library");
  const auto path = std::filesystem::path(info.dli_fname).parent_path() / "libombrin_card.so";
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (module == nullptr) return fail(1, std::string("card: cannot load the card's module: ") + ::dlerror());
  using Tool = int (*)(int, const char* const*);
  auto tool = reinterpret_cast<Tool>(::dlsym(module, "OmbrinCardTool"));
  if (tool == nullptr) return fail(1, "card: the card's module has no OmbrinCardTool");
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  return tool(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

const Command cardCommand{"card", "card [fail REQUEST [once|N|always|never] | levels COUNT | compensation on|off | "
                                  "remove | insert | clear | reset]",
                          "show the simulated card's state, or script its faults", runCard};

}  // namespace ombrin::tool
