// Finding a module's resource table and the resources in it.
#include <cstddef>

#include <dlfcn.h>
#include <link.h>

#include <ombrin/modules.h>
#include <ombrin/resources.h>
#include <win32/winbase.h>

namespace ombrin::resources {
namespace {

// dlsym also searches what a module depends on; only the module's own table counts.
bool ownedBy(void* host, void* symbol) {
  link_map* moduleMap = nullptr;
  if (::dlinfo(host, RTLD_DI_LINKMAP, &moduleMap) != 0 || moduleMap == nullptr) return false;
  Dl_info info{};
  link_map* symbolMap = nullptr;
  if (::dladdr1(symbol, &info, reinterpret_cast<void**>(&symbolMap), RTLD_DL_LINKMAP) == 0) return false;
  return symbolMap == moduleMap;
}

// A table built before a field was appended simply lacks it.
template <typename Field>
bool hasField(const OmbrinResourceTable* table, std::size_t offset) {
  return table->size >= offset + sizeof(Field);
}

template <typename Entry>
const Entry* findIn(const Entry* entries, UINT count, UINT id) {
  if (entries == nullptr || count == 0) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  for (UINT i = 0; i < count; ++i)
    if (entries[i].id == id) return &entries[i];
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

}  // namespace

const OmbrinResourceTable* tableOf(HMODULE module) {
  if (!module) module = GetModuleHandleA(nullptr);
  void* host = modules::hostHandle(module);
  void* symbol = host ? ::dlsym(host, OMBRIN_RESOURCES_EXPORT) : nullptr;
  const OmbrinResourceTable* table = nullptr;
  if (symbol != nullptr && ownedBy(host, symbol)) table = reinterpret_cast<OmbrinResourcesProc>(symbol)();
  if (table == nullptr || table->size < offsetof(OmbrinResourceTable, bitmapCount) + sizeof(UINT)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return table;
}

const OmbrinStringResource* findString(HMODULE module, UINT id) {
  const auto* table = tableOf(module);
  return table ? findIn(table->strings, table->stringCount, id) : nullptr;
}

const OmbrinIconResource* findIcon(HMODULE module, UINT id) {
  const auto* table = tableOf(module);
  return table ? findIn(table->icons, table->iconCount, id) : nullptr;
}

const OmbrinBitmapResource* findBitmap(HMODULE module, UINT id) {
  const auto* table = tableOf(module);
  return table ? findIn(table->bitmaps, table->bitmapCount, id) : nullptr;
}

const OmbrinDataResource* findData(HMODULE module, UINT type, UINT id) {
  const auto* table = tableOf(module);
  if (table == nullptr) return nullptr;
  if (!hasField<UINT>(table, offsetof(OmbrinResourceTable, dataCount)) || table->data == nullptr) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  bool typeSeen = false;
  for (UINT i = 0; i < table->dataCount; ++i) {
    if (table->data[i].type != type) continue;
    typeSeen = true;
    if (table->data[i].id == id) return &table->data[i];
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

}  // namespace ombrin::resources
