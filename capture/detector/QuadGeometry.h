#pragma once

#include <opencv2/core/types.hpp>

#include <array>

// Geometry of a quadrilateral in continuous pixel coordinates (y down, pixel centres at +0.5).
namespace quad {

using Corners = std::array<cv::Point2d, 4>;

// A line through point p with unit direction d.
struct Line
{
    cv::Point2d p;
    cv::Point2d d;
};

// Puts the corners clockwise on screen (y down), starting with the one whose x + y is smallest.
void orderClockwise(Corners &c);

[[nodiscard]] double area(const Corners &c);
[[nodiscard]] bool isConvex(const Corners &c);

// Intersection of two lines; false when they are (nearly) parallel.
[[nodiscard]] bool intersect(const Line &a, const Line &b, cv::Point2d &out);

// The focal lengths of a phone's main camera, in multiples of the picture's long side.
inline constexpr double kMinFocal = 0.6;
inline constexpr double kMaxFocal = 1.4;

// Long edge over short edge of the rectangle that, seen through a pinhole camera with its
// principal point at the image centre and the given focal length (pixels), projects onto c.
// Returns 0 for a shape that cannot be the image of a rectangle, or without a focal length.
[[nodiscard]] double rectangleAspect(const Corners &c, cv::Size2d imageSize, double focalLength);

// The focal length (pixels) for which the two vanishing directions of c's sides are
// orthogonal, with the principal point at the image centre; 0 when there is none.
[[nodiscard]] double vanishingFocal(const Corners &c, cv::Size2d imageSize);

// The angle (degrees) between the plane of the rectangle that projects onto c and the
// picture's plane, seen as rectangleAspect sees it; -1 where rectangleAspect gives 0.
[[nodiscard]] double planeTilt(const Corners &c, cv::Size2d imageSize, double focalLength);

// Length of the longest side.
[[nodiscard]] double longestSide(const Corners &c);

// Largest distance between corresponding corners.
[[nodiscard]] double maxCornerDistance(const Corners &a, const Corners &b);
// maxCornerDistance(a, b) < limit, without measuring past the first corner too far apart.
[[nodiscard]] bool closerThan(const Corners &a, const Corners &b, double limit);

// True when every corner of inner lies inside outer (outer convex, clockwise on screen) or
// within margin pixels outside it.
[[nodiscard]] bool contains(const Corners &outer, const Corners &inner, double margin = 0.0);

} // namespace quad
