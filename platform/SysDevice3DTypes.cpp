#include "platform/SysDevice3DTypes.h"

const char* Sys3DResultText(Sys3DResult result) {
  switch (result) {
    case Sys3DError::Ok:
      return "No error";
    case Sys3DError::InvalidCall:
      return "Invalid call: a bad argument or a call out of order";
    case Sys3DError::NotAvailable:
      return "Not available: the graphics driver cannot do this format, size or feature";
    case Sys3DError::OutOfVideoMemory:
      return "Out of video memory";
    case Sys3DError::DeviceLost:
      return "Device lost: the window is minimised or has lost the focus";
    case Sys3DError::DeviceNotReset:
      return "Device not reset: the window is back and the device must be reset";
    case Sys3DError::DriverInternalError:
      return "Driver internal error: the OpenGL driver failed";
    default:
      return "Unknown error";
  }
}

std::uint32_t Sys3DBytesPerPixel(Sys3DFormat format) {
  switch (format) {
    case Sys3DFormat::R5G6B5:
    case Sys3DFormat::X1R5G5B5:
    case Sys3DFormat::A1R5G5B5:
    case Sys3DFormat::A4R4G4B4:
      return 2;
    case Sys3DFormat::A8R8G8B8:
    case Sys3DFormat::X8R8G8B8:
      return 4;
    case Sys3DFormat::Unknown:
      break;
  }
  return 0;
}

std::uint32_t Sys3DVertexSize(std::uint32_t fvf) {
  constexpr std::uint32_t kWorldTex1 = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
  constexpr std::uint32_t kWorldTex2 = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex2;
  constexpr std::uint32_t kScreenTex1 = Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
  switch (fvf) {
    case kWorldTex1:
      return 24;
    case kWorldTex2:
      return 32;
    case kScreenTex1:
      return 28;
    default:
      return 0;
  }
}
