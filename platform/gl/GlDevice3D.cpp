#include "platform/gl/GlDevice3D.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gl/GlTexels.h"
#include "platform/gl/GlTexture3D.h"
#include "platform/gl/GlVertexBuffer3D.h"

namespace {

constexpr std::uint32_t kPositionBytes = 12;        // x, y, z
constexpr std::uint32_t kScreenPositionBytes = 16;  // x, y, z, rhw
constexpr std::uint32_t kColourBytes = 4;
constexpr std::uint32_t kCoordinatePairBytes = 8;
constexpr int kScreenPositionFloats = 4;

// Vertex addresses are kept as integers: with a driver buffer bound they are
// offsets, not pointers into memory.
const void* AsPointer(std::uintptr_t address) { return reinterpret_cast<const void*>(address); }

bool IsScreenFormat(std::uint32_t fvf) { return (fvf & Sys3DFvf::XyzRhw) != 0; }
std::uint32_t CoordinatePairs(std::uint32_t fvf) { return (fvf & Sys3DFvf::Tex2) != 0 ? 2 : 1; }

bool VertexCountFor(Sys3DPrimitive type, std::uint32_t primitives, std::uint32_t& vertices) {
  switch (type) {
    case Sys3DPrimitive::LineStrip:
      vertices = primitives + 1;
      return true;
    case Sys3DPrimitive::TriangleList:
      vertices = primitives * 3;
      return true;
    case Sys3DPrimitive::TriangleFan:
      vertices = primitives + 2;
      return true;
  }
  return false;
}

GLenum DriverPrimitive(Sys3DPrimitive type) {
  switch (type) {
    case Sys3DPrimitive::LineStrip:
      return GL_LINE_STRIP;
    case Sys3DPrimitive::TriangleList:
      return GL_TRIANGLES;
    case Sys3DPrimitive::TriangleFan:
      break;
  }
  return GL_TRIANGLE_FAN;
}

bool IsTextureFormat(Sys3DFormat format) {
  switch (format) {
    case Sys3DFormat::A4R4G4B4:
    case Sys3DFormat::A1R5G5B5:
    case Sys3DFormat::R5G6B5:
    case Sys3DFormat::A8R8G8B8:
    case Sys3DFormat::X8R8G8B8:
      return true;
    default:
      return false;
  }
}

bool IsIdentityRamp(const Sys3DGammaRamp& ramp) {
  for (int i = 0; i < 256; ++i) {
    const std::uint16_t level = static_cast<std::uint16_t>(i * 257);
    if (ramp.red[i] != level || ramp.green[i] != level || ramp.blue[i] != level) return false;
  }
  return true;
}

Sys3DGammaRamp IdentityRamp() {
  Sys3DGammaRamp ramp;
  for (int i = 0; i < 256; ++i) {
    const std::uint16_t level = static_cast<std::uint16_t>(i * 257);
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = level;
  }
  return ramp;
}

std::uint32_t GetLimit(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value > 0 ? static_cast<std::uint32_t>(value) : 0;
}

}  // namespace

// --- Life cycle --------------------------------------------------------------

Sys3DResult GlDevice3D::Create(SDL_Window* window, Sys3DPresentParams& params, std::unique_ptr<SysDevice3D>& device) {
  device.reset();
  if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) return Sys3DError::InvalidCall;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Sys3DError::DriverInternalError;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return Sys3DError::DriverInternalError;
  }
  std::unique_ptr<GlDevice3D> made(new GlDevice3D(window, context));
  const Sys3DResult result = made->Initialise(params);
  if (result != Sys3DError::Ok) return result;
  device = std::move(made);
  return Sys3DError::Ok;
}

GlDevice3D::GlDevice3D(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}

Sys3DResult GlDevice3D::Initialise(Sys3DPresentParams& params) {
  MakeCurrent();
  if (!gl_.Load()) return Sys3DError::NotAvailable;
  SDL_GL_SetSwapInterval(0);
  limits_.stageCount = std::min(GetLimit(GL_MAX_TEXTURE_UNITS), GlStateBlock::kMaxStages);
  limits_.maxTextureSize = GetLimit(GL_MAX_TEXTURE_SIZE);
  limits_.maxRenderSize = GetLimit(GL_MAX_RENDERBUFFER_SIZE);
  limits_.maxSamples = GetLimit(GL_MAX_SAMPLES);
  if (gl_.ClipControl != nullptr) {
    gl_.ClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  } else {
    remapDepth_ = true;
  }
  // Flat shading takes the colour of a triangle's first corner.
  if (gl_.ProvokingVertex != nullptr) gl_.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  backBuffer_ = std::make_unique<GlBackBuffer>(gl_);
  state_ = std::make_unique<GlStateBlock>(limits_.stageCount);
  applier_ = std::make_unique<GlStateApplier>(gl_);
  gammaRamp_ = IdentityRamp();
  return BuildBackBuffer(params);
}

GlDevice3D::~GlDevice3D() {
  MakeCurrent();
  // Every driver object goes before the context does.
  const std::vector<GlDeviceResource*> alive = resources_;
  for (GlDeviceResource* resource : alive) resource->DetachFromDevice();
  if (backBuffer_) backBuffer_->Destroy();
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(context_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlDevice3D::MakeCurrent() {
  if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
}

Sys3DResult GlDevice3D::BuildBackBuffer(Sys3DPresentParams& params) {
  const std::uint32_t maxSize = limits_.maxRenderSize;
  if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0 ||
      static_cast<std::uint32_t>(params.backBufferWidth) > maxSize ||
      static_cast<std::uint32_t>(params.backBufferHeight) > maxSize) {
    return Sys3DError::InvalidCall;
  }
  Sys3DFormat format = params.backBufferFormat;
  if (format == Sys3DFormat::Unknown && params.windowed) format = Sys3DFormat::X8R8G8B8;
  const bool drawable =
      format == Sys3DFormat::R5G6B5 || format == Sys3DFormat::X1R5G5B5 || format == Sys3DFormat::X8R8G8B8;
  constexpr std::uint32_t kMostSamples = 16;
  const std::uint32_t samples = params.multiSampleType;
  if (!drawable || samples == 1 || samples > kMostSamples) return Sys3DError::InvalidCall;
  // A sample count the driver cannot do falls back to none; the caller sees
  // that in the parameters.
  params.multiSampleType = samples <= limits_.maxSamples ? samples : 0;
  MakeCurrent();
  return backBuffer_->Create(params.backBufferWidth, params.backBufferHeight, format, params.multiSampleType);
}

Sys3DResult GlDevice3D::Reset(Sys3DPresentParams& params) {
  if (cooperation_ == Cooperation::Lost) return Sys3DError::DeviceLost;
  const Sys3DResult result = BuildBackBuffer(params);
  ReturnToDefaults();
  cooperation_ = result == Sys3DError::Ok ? Cooperation::Ok : Cooperation::NotReset;
  return result;
}

void GlDevice3D::ReturnToDefaults() {
  state_->SetDefaults();
  std::fill(std::begin(textures_), std::end(textures_), nullptr);
  stream_ = nullptr;
  streamStride_ = 0;
  fvf_ = 0;
  inScene_ = false;
  driverStateStale_ = true;
}

void GlDevice3D::Remember(GlDeviceResource* resource) { resources_.push_back(resource); }

void GlDevice3D::Forget(GlDeviceResource* resource) {
  resources_.erase(std::remove(resources_.begin(), resources_.end(), resource), resources_.end());
}

void GlDevice3D::UnbindTexture(const GlTexture3D* texture) {
  for (GlTexture3D*& bound : textures_) {
    if (bound == texture) bound = nullptr;
  }
  driverStateStale_ = true;
}

void GlDevice3D::UnbindVertexBuffer(const GlVertexBuffer3D* buffer) {
  if (stream_ == buffer) stream_ = nullptr;
}

// --- Frame -------------------------------------------------------------------

Sys3DResult GlDevice3D::Clear(std::uint32_t flags, std::uint32_t colour, float z) {
  constexpr std::uint32_t kKnown = Sys3DClear::Target | Sys3DClear::ZBuffer;
  if (flags == 0 || (flags & ~kKnown) != 0 || !backBuffer_->Valid()) return Sys3DError::InvalidCall;
  MakeCurrent();
  backBuffer_->BindForDrawing();
  GLbitfield mask = 0;
  if ((flags & Sys3DClear::Target) != 0) {
    glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>(colour >> 24) / 255.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if ((flags & Sys3DClear::ZBuffer) != 0) {
    // A clear fills the depth buffer whatever ZWriteEnable says.
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glDepthMask(GL_TRUE);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DITHER);
  glClear(mask);
  driverStateStale_ = true;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::BeginScene() {
  if (inScene_) return Sys3DError::InvalidCall;
  inScene_ = true;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::EndScene() {
  if (!inScene_) return Sys3DError::InvalidCall;
  inScene_ = false;
  MakeCurrent();
  glFlush();
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::TestCooperativeLevel() {
  switch (cooperation_) {
    case Cooperation::Lost:
      return Sys3DError::DeviceLost;
    case Cooperation::NotReset:
      return Sys3DError::DeviceNotReset;
    case Cooperation::Ok:
      break;
  }
  return Sys3DError::Ok;
}

void GlDevice3D::NotifyWindowLost() { cooperation_ = Cooperation::Lost; }

void GlDevice3D::NotifyWindowRestored() {
  if (cooperation_ == Cooperation::Lost) cooperation_ = Cooperation::NotReset;
}

Sys3DResult GlDevice3D::Present() {
  const Sys3DResult level = TestCooperativeLevel();
  if (level != Sys3DError::Ok) return level;
  ComposeWindowPicture();
  SDL_GL_SwapWindow(window_);
  backBuffer_->BindForDrawing();
  return Sys3DError::Ok;
}

void GlDevice3D::ComposeWindowPicture() {
  MakeCurrent();
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  if (width > 0 && height > 0 && backBuffer_->Valid()) {
    backBuffer_->ComposeToWindow(width, height, gammaRamp_, gammaIdentity_, limits_.stageCount);
  }
  driverStateStale_ = true;
}

void GlDevice3D::ReadWindowPicture(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height) {
  MakeCurrent();
  SDL_GL_GetDrawableSize(window_, &width, &height);
  pixels.assign(static_cast<std::size_t>(width) * height, 0);
  std::vector<std::uint8_t> bytes(pixels.size() * 4);
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = &bytes[(static_cast<std::size_t>(row) * width + x) * 4];
      pixels[static_cast<std::size_t>(height - 1 - row) * width + x] =
          static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    }
  }
  backBuffer_->BindForDrawing();
}

void GlDevice3D::ForceDepthRemap() {
  MakeCurrent();
  if (gl_.ClipControl != nullptr) gl_.ClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
  remapDepth_ = true;
  driverStateStale_ = true;
}

Sys3DResult GlDevice3D::ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::int32_t& width,
                                       std::int32_t& height) {
  if (!backBuffer_->Valid()) return Sys3DError::InvalidCall;
  MakeCurrent();
  backBuffer_->Read(pixels);
  width = backBuffer_->Width();
  height = backBuffer_->Height();
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::SetGammaRamp(const Sys3DGammaRamp& ramp) {
  gammaRamp_ = ramp;
  gammaIdentity_ = IsIdentityRamp(ramp);
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::GetGammaRamp(Sys3DGammaRamp& ramp) const {
  ramp = gammaRamp_;
  return Sys3DError::Ok;
}

// --- States ------------------------------------------------------------------

Sys3DResult GlDevice3D::SetRenderState(Sys3DRenderState state, std::uint32_t value) {
  driverStateStale_ = true;
  return state_->SetRenderState(state, value);
}

Sys3DResult GlDevice3D::GetRenderState(Sys3DRenderState state, std::uint32_t& value) const {
  return state_->GetRenderState(state, value);
}

Sys3DResult GlDevice3D::SetTextureStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t value) {
  driverStateStale_ = true;
  return state_->SetStageState(stage, state, value);
}

Sys3DResult GlDevice3D::GetTextureStageState(std::uint32_t stage, Sys3DStageState state,
                                             std::uint32_t& value) const {
  return state_->GetStageState(stage, state, value);
}

Sys3DResult GlDevice3D::SetTransform(Sys3DTransform which, const Sys3DMatrix& matrix) {
  driverStateStale_ = true;
  return state_->SetTransform(which, matrix);
}

Sys3DResult GlDevice3D::GetTransform(Sys3DTransform which, Sys3DMatrix& matrix) const {
  return state_->GetTransform(which, matrix);
}

Sys3DResult GlDevice3D::SetLight(std::uint32_t index, const Sys3DLight& light) {
  driverStateStale_ = true;
  return state_->SetLight(index, light);
}

Sys3DResult GlDevice3D::LightEnable(std::uint32_t index, bool enable) {
  driverStateStale_ = true;
  return state_->LightEnable(index, enable);
}

Sys3DResult GlDevice3D::SetMaterial(const Sys3DMaterial& material) {
  driverStateStale_ = true;
  state_->SetMaterial(material);
  return Sys3DError::Ok;
}

bool GlDevice3D::OwnsTexture(const SysDevice3DTexture* texture) const {
  const auto* glTexture = dynamic_cast<const GlTexture3D*>(texture);
  return glTexture != nullptr && glTexture->Device() == this;
}

Sys3DResult GlDevice3D::SetTexture(std::uint32_t stage, SysDevice3DTexture* texture) {
  if (stage >= limits_.stageCount) return Sys3DError::InvalidCall;
  if (texture != nullptr && !OwnsTexture(texture)) return Sys3DError::InvalidCall;
  textures_[stage] = static_cast<GlTexture3D*>(texture);
  driverStateStale_ = true;
  return Sys3DError::Ok;
}

// --- Drawing -----------------------------------------------------------------

Sys3DResult GlDevice3D::SetVertexFormat(std::uint32_t fvf) {
  if (Sys3DVertexSize(fvf) == 0) return Sys3DError::InvalidCall;
  fvf_ = fvf;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::SetStreamSource(SysDevice3DVertexBuffer* buffer, std::uint32_t stride) {
  auto* glBuffer = dynamic_cast<GlVertexBuffer3D*>(buffer);
  if (buffer != nullptr && (glBuffer == nullptr || glBuffer->Device() != this)) return Sys3DError::InvalidCall;
  stream_ = glBuffer;
  streamStride_ = stride;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::CheckDraw(Sys3DPrimitive type, std::uint32_t primitiveCount, std::uint32_t stride,
                                  std::uint32_t& vertexCount) const {
  const std::uint32_t vertexSize = Sys3DVertexSize(fvf_);
  if (vertexSize == 0 || stride < vertexSize || primitiveCount > kMaxPrimitiveCount) return Sys3DError::InvalidCall;
  if (!VertexCountFor(type, primitiveCount, vertexCount)) return Sys3DError::InvalidCall;
  if (!backBuffer_->Valid()) return Sys3DError::InvalidCall;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::DrawPrimitiveUP(Sys3DPrimitive type, std::uint32_t primitiveCount, const void* vertices,
                                        std::uint32_t stride) {
  std::uint32_t vertexCount = 0;
  const Sys3DResult check = CheckDraw(type, primitiveCount, stride, vertexCount);
  if (check != Sys3DError::Ok) return check;
  if (vertices == nullptr) return Sys3DError::InvalidCall;
  if (primitiveCount == 0) return Sys3DError::Ok;
  Draw(type, reinterpret_cast<std::uintptr_t>(vertices), 0, stride, vertexCount);
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::DrawPrimitive(Sys3DPrimitive type, std::uint32_t startVertex, std::uint32_t primitiveCount) {
  std::uint32_t vertexCount = 0;
  const Sys3DResult check = CheckDraw(type, primitiveCount, streamStride_, vertexCount);
  if (check != Sys3DError::Ok) return check;
  if (stream_ == nullptr || stream_->Locked()) return Sys3DError::InvalidCall;
  const std::uint64_t end = (static_cast<std::uint64_t>(startVertex) + vertexCount) * streamStride_;
  if (end > stream_->GetSize()) return Sys3DError::InvalidCall;
  if (primitiveCount == 0) return Sys3DError::Ok;
  const std::uint64_t offset = static_cast<std::uint64_t>(startVertex) * streamStride_;
  if (IsScreenFormat(fvf_)) {
    // Screen positions are rebuilt on the CPU, so they come from the copy.
    Draw(type, reinterpret_cast<std::uintptr_t>(stream_->Bytes()) + offset, 0, streamStride_, vertexCount);
  } else {
    // With a driver buffer bound, vertex "pointers" are offsets into it.
    Draw(type, static_cast<std::uintptr_t>(offset), stream_->DriverName(), streamStride_, vertexCount);
  }
  return Sys3DError::Ok;
}

void GlDevice3D::PrepareDriverState(bool screenVertices) {
  if (!driverStateStale_ && screenVertices == lastDrawOnScreen_) return;
  backBuffer_->BindForDrawing();
  const GlDrawTarget target{backBuffer_->Width(), backBuffer_->Height(), remapDepth_};
  activeStages_ = applier_->Apply(*state_, target, screenVertices, textures_);
  driverStateStale_ = false;
  lastDrawOnScreen_ = screenVertices;
}

void GlDevice3D::Draw(Sys3DPrimitive type, std::uintptr_t vertices, GLuint driverBuffer, std::uint32_t stride,
                      std::uint32_t vertexCount) {
  MakeCurrent();
  const bool screen = IsScreenFormat(fvf_);
  PrepareDriverState(screen);
  gl_.BindBuffer(GL_ARRAY_BUFFER, driverBuffer);
  BindVertexArrays(vertices, stride, vertexCount);
  glDrawArrays(DriverPrimitive(type), 0, static_cast<GLsizei>(vertexCount));
  // A line strip's end point belongs to it only with LastPixel on.
  if (type == Sys3DPrimitive::LineStrip && state_->Enabled(Sys3DRenderState::LastPixel)) {
    glDrawArrays(GL_POINTS, static_cast<GLint>(vertexCount - 1), 1);
  }
  gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
}

void GlDevice3D::BindVertexArrays(std::uintptr_t vertices, std::uint32_t stride, std::uint32_t vertexCount) {
  const bool screen = IsScreenFormat(fvf_);
  const std::uint32_t colourOffset = screen ? kScreenPositionBytes : kPositionBytes;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  if (screen) {
    BindScreenPositions(reinterpret_cast<const std::uint8_t*>(vertices), stride, vertexCount);
  } else {
    glDisableClientState(GL_FOG_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(stride), AsPointer(vertices));
  }
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(stride), AsPointer(vertices + colourOffset));
  BindTextureCoordinates(vertices + colourOffset + kColourBytes, stride, CoordinatePairs(fvf_));
}

void GlDevice3D::BindScreenPositions(const std::uint8_t* vertices, std::uint32_t stride, std::uint32_t vertexCount) {
  // (x, y, z, rhw) becomes the homogeneous point (x, y, z, 1) / rhw, so that
  // w = 1 / rhw drives perspective-correct interpolation and the fog depth.
  screenPositions_.resize(static_cast<std::size_t>(vertexCount) * kScreenPositionFloats);
  for (std::uint32_t i = 0; i < vertexCount; ++i) {
    float source[4];
    std::memcpy(source, vertices + static_cast<std::size_t>(i) * stride, sizeof source);
    const float rhw = (source[3] != 0.0f && std::isfinite(source[3])) ? source[3] : 1.0f;
    const float w = 1.0f / rhw;
    float* target = &screenPositions_[static_cast<std::size_t>(i) * kScreenPositionFloats];
    target[0] = source[0] * w;
    target[1] = source[1] * w;
    target[2] = source[2] * w;
    target[3] = w;
  }
  // The positions live in CPU memory even when the rest comes from a buffer.
  gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
  glVertexPointer(4, GL_FLOAT, 0, screenPositions_.data());
  glEnableClientState(GL_FOG_COORD_ARRAY);
  gl_.FogCoordPointer(GL_FLOAT, kScreenPositionFloats * sizeof(float), &screenPositions_[3]);
}

void GlDevice3D::BindTextureCoordinates(std::uintptr_t firstPair, std::uint32_t stride, std::uint32_t pairs) {
  for (std::uint32_t stage = 0; stage < limits_.stageCount; ++stage) {
    gl_.ClientActiveTexture(GL_TEXTURE0 + stage);
    const std::uint32_t pair = state_->Stage(stage, Sys3DStageState::TexCoordIndex);
    if (stage < activeStages_ && pair < pairs) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(2, GL_FLOAT, static_cast<GLsizei>(stride), AsPointer(firstPair + pair * kCoordinatePairBytes));
    } else {
      glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
  }
  gl_.ClientActiveTexture(GL_TEXTURE0);
}

// --- Resources ---------------------------------------------------------------

Sys3DResult GlDevice3D::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                      Sys3DFormat format, std::unique_ptr<SysDevice3DTexture>& texture) {
  texture.reset();
  if (!IsTextureFormat(format) || width == 0 || height == 0) return Sys3DError::InvalidCall;
  if (width > limits_.maxTextureSize || height > limits_.maxTextureSize) return Sys3DError::NotAvailable;
  const std::uint32_t fullChain = GlFullMipChainLength(width, height);
  if (levels > fullChain) return Sys3DError::InvalidCall;
  auto made = std::make_unique<GlTexture3D>(this, width, height, levels == 0 ? fullChain : levels, format);
  const Sys3DResult result = made->CreateDriverTexture();
  if (result != Sys3DError::Ok) return result;
  texture = std::move(made);
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3D::CreateVertexBuffer(std::uint32_t bytes, std::uint32_t fvf,
                                           std::unique_ptr<SysDevice3DVertexBuffer>& buffer) {
  buffer.reset();
  if (bytes == 0 || Sys3DVertexSize(fvf) == 0) return Sys3DError::InvalidCall;
  auto made = std::make_unique<GlVertexBuffer3D>(this, bytes, fvf);
  const Sys3DResult result = made->CreateDriverBuffer();
  if (result != Sys3DError::Ok) return result;
  buffer = std::move(made);
  return Sys3DError::Ok;
}
