// qv10loc.dll: a resource library; the table user32 reads is gathered here from every share.
#include <vector>

#include "resources.h"

namespace {

template <typename Entry>
void append(std::vector<Entry>& all, const Entry* entries, UINT count) {
  all.insert(all.end(), entries, entries + count);
}

struct Table {
  std::vector<OmbrinStringResource> strings;
  std::vector<OmbrinIconResource> icons;
  OmbrinResourceTable table{};

  Table() {
    append(strings, qv10loc::kAppletStrings, qv10loc::kAppletStringCount);
    append(icons, qv10loc::kAppletIcons, qv10loc::kAppletIconCount);
    table = OmbrinResourceTable{sizeof(OmbrinResourceTable),
                                strings.data(), static_cast<UINT>(strings.size()),
                                icons.data(), static_cast<UINT>(icons.size()),
                                nullptr, 0,
                                nullptr, 0};
  }
};

}  // namespace

extern "C" OMBRIN_EXPORT const OmbrinResourceTable* OmbrinResources() {
  static const Table table;
  return &table.table;
}

// A resource library has nothing to start or stop.
extern "C" OMBRIN_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
