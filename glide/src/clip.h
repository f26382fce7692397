// Clipping of a triangle's outline to a rectangle.
#pragma once

namespace glide {

constexpr int kMaxClippedVertices = 9;  // 3 + one per clipping side, with room

struct Point2 {
  double x, y;
};

// Clips the triangle a, b, c to [minX, maxX] x [minY, maxY]; writes the
// resulting convex polygon (same winding) to out and returns its vertex
// count, 0 when nothing is left.
int clipToRectangle(const Point2 triangle[3], double minX, double minY, double maxX,
                    double maxY, Point2 out[kMaxClippedVertices]);

}  // namespace glide
