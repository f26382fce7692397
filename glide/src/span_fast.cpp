// Fast span path for the common state (placeholder chooser until written).
#include "triangle.h"

namespace glide {

SpanFunction chooseFastSpan(const Triangle &) { return nullptr; }

}  // namespace glide
