#include <ombrin/handles.h>
#include <ombrin/machine.h>

namespace ombrin {

HandleTable<HANDLE, KernelObject>& kernelHandles() {
  static HandleTable<HANDLE, KernelObject> table;
  static const bool registered = [] {
    machine::onReset([] { kernelHandles().clear(); });
    return true;
  }();
  (void)registered;
  return table;
}

}  // namespace ombrin
