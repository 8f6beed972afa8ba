// Display names of the predefined root keys, and the display paths built from them.
#include <cstdio>
#include <cstring>

#include "engine_internal.h"

namespace {

struct HiveName {
  DWORD root;
  const char* name;
};

// Performance data has no display name; neither has any other key (an open one included).
constexpr HiveName kHiveNames[] = {
    {0x80000000, "HKEY_CLASSES_ROOT"}, {0x80000001, "HKEY_CURRENT_USER"},   {0x80000002, "HKEY_LOCAL_MACHINE"},
    {0x80000003, "HKEY_USERS"},        {0x80000004, ""},                    {0x80000005, "HKEY_CURRENT_CONFIG"},
    {0x80000006, "HKEY_DYN_DATA"},
};

const char* HiveNameOf(HKEY root) {
  for (const auto& hive : kHiveNames)
    if (hive.root == root.value) return hive.name;
  return "";
}

}  // namespace

int Uninstaller::GetHiveName(HKEY root, char* buffer, int size) {
  // Without a buffer nothing can be written; a null buffer with a size is refused the same way
  // rather than written through.
  if (buffer == nullptr) return 0;
  const char* name = HiveNameOf(root);
  int length = static_cast<int>(std::strlen(name));
  if (size > 0) std::strncpy(buffer, name, static_cast<std::size_t>(size));
  return length;
}

namespace unombrin {

void BuildDisplayPath(Uninstaller& engine, HKEY root, const char* path, char* out, std::size_t size) {
  if (size == 0) return;
  char hive[MAX_PATH];
  engine.GetHiveName(root, hive, sizeof hive);
  hive[sizeof hive - 1] = '\0';
  if (path != nullptr && path[0] != '\0')
    std::snprintf(out, size, "%s\\%s", hive, path);
  else
    std::snprintf(out, size, "%s", hive);
}

bool ContainsText(const char* data, std::size_t length, const char* text) {
  if (data == nullptr || text == nullptr) return false;
  std::string_view content(data, length);
  content = content.substr(0, content.find('\0'));
  return content.find(text) != std::string_view::npos;
}

}  // namespace unombrin
