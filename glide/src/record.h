// Reports each Glide call to the test recorder, when one is registered.
#pragma once

#include <initializer_list>

#include "velmo_glide.h"

namespace glide {

bool recording();
void recordCall(const char* name, std::initializer_list<double> args);
void recordText(const char* name, const char* text);
void recordTriangle(const char* name, const GrVertex* a, const GrVertex* b, const GrVertex* c);

}  // namespace glide

// Used at the top of every API function.
#define GLIDE_RECORD(name, ...)                                         \
  do {                                                                  \
    if (::glide::recording()) ::glide::recordCall(name, {__VA_ARGS__}); \
  } while (0)
