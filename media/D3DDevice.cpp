#include "media/D3DDevice.h"

namespace
{
SysDevice3D* g_Device = nullptr;
}

SysDevice3D* GetD3DDevice()
{
    return g_Device;
}

void SetD3DDevice(SysDevice3D* device)
{
    g_Device = device;
}
