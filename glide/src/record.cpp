// Call recording for tests: every API call, in order, with its arguments.
#include "record.h"

#include <cstring>

namespace glide {
namespace {
VglRecordFn recorder = nullptr;
void* recorderUser = nullptr;
}  // namespace

bool recording() { return recorder != nullptr; }

void recordCall(const char* name, std::initializer_list<double> args) {
  if (!recorder) return;
  VglCall call{};
  call.name = name;
  for (double value : args) {
    if (call.argCount == VGL_MAX_ARGS) break;
    call.args[call.argCount++] = value;
  }
  recorder(&call, recorderUser);
}

void recordText(const char* name, const char* text) {
  if (!recorder) return;
  VglCall call{};
  call.name = name;
  call.text = text;
  recorder(&call, recorderUser);
}

void recordTriangle(const char* name, const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  if (!recorder) return;
  VglCall call{};
  call.name = name;
  const GrVertex* vertices[3] = {a, b, c};
  for (const GrVertex* v : vertices) {
    // A null vertex is recorded as all zeros; the draw itself ignores the call.
    if (v) std::memcpy(&call.vertices[call.vertexCount], v, sizeof(GrVertex));
    ++call.vertexCount;
  }
  recorder(&call, recorderUser);
}

}  // namespace glide

extern "C" {

FX_ENTRY void FX_CALL vglRecordBegin(VglRecordFn fn, void* user) {
  glide::recorder = fn;
  glide::recorderUser = user;
}

FX_ENTRY void FX_CALL vglRecordEnd(void) {
  glide::recorder = nullptr;
  glide::recorderUser = nullptr;
}

}  // extern "C"
