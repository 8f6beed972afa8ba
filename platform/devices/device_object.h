// The kernel object behind a device handle: one open instance of a driver.
#pragma once

#include <memory>
#include <string>

#include <ombrin/devices.h>
#include <ombrin/handles.h>

namespace ombrin::devices {

class DeviceObject : public KernelObject {
 public:
  DeviceObject(std::string name, std::unique_ptr<DeviceInstance> instance)
      : KernelObject(Kind::Device), name_(std::move(name)), instance_(std::move(instance)) {}

  const std::string& name() const { return name_; }
  DeviceInstance& instance() { return *instance_; }

 private:
  std::string name_;
  // Destroyed with the object, that is when the last handle to it is closed: the driver's close.
  std::unique_ptr<DeviceInstance> instance_;
};

}  // namespace ombrin::devices
