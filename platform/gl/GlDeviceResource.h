#pragma once
// Something of a GlDevice3D that owns a driver object.  The device calls
// DetachFromDevice on every resource still alive before its context goes:
// the resource frees its driver object then and keeps only its CPU copy.

class GlDeviceResource {
 public:
  virtual void DetachFromDevice() = 0;

 protected:
  ~GlDeviceResource() = default;
};
