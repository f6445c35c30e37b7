#include "capture/detector/QuadGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quad {

namespace {

double cross(cv::Point2d a, cv::Point2d b)
{
    return a.x * b.y - a.y * b.x;
}

cv::Vec3d homogeneous(cv::Point2d p)
{
    return {p.x, p.y, 1.0};
}

// The directions towards the two vanishing points of a rectangle's sides, seen with the
// principal point at the picture's centre and lengths in units of its longer side (norm).
// k2 and k3 are the depths of the second and fourth corners relative to the first; false
// when the corners leave them undefined.
struct Vanishing
{
    double k2 = 0, k3 = 0;
    cv::Vec3d n2, n3;
};

bool vanishingDirections(const Corners &c, cv::Size2d imageSize, double norm, Vanishing &out)
{
    const cv::Point2d centre(imageSize.width * 0.5, imageSize.height * 0.5);
    auto at = [&](int i) { return homogeneous((c[i] - centre) / norm); };
    // Rectangle corners (0,0), (w,0), (0,h), (w,h) in that order.
    const cv::Vec3d m1 = at(0), m2 = at(1), m3 = at(3), m4 = at(2);
    const double den2 = m2.cross(m4).dot(m3);
    const double den3 = m3.cross(m4).dot(m2);
    if (std::abs(den2) < 1e-12 || std::abs(den3) < 1e-12)
        return false;
    out.k2 = m1.cross(m4).dot(m3) / den2;
    out.k3 = m1.cross(m4).dot(m2) / den3;
    out.n2 = out.k2 * m2 - m1;
    out.n3 = out.k3 * m3 - m1;
    return true;
}

} // namespace

void orderClockwise(Corners &c)
{
    cv::Point2d centre(0, 0);
    for (const auto &p : c)
        centre += p * 0.25;
    // Each corner's angle worked out once rather than at every comparison; the sort compares
    // the same values in the same order, so it leaves the corners in the same order.
    struct Around
    {
        double angle;
        cv::Point2d p;
    };
    std::array<Around, 4> around;
    for (size_t i = 0; i < 4; ++i)
        around[i] = {std::atan2(c[i].y - centre.y, c[i].x - centre.x), c[i]};
    std::sort(around.begin(), around.end(),
              [](const Around &a, const Around &b) { return a.angle < b.angle; });
    for (size_t i = 0; i < 4; ++i)
        c[i] = around[i].p;
    // Increasing angle with y down runs clockwise on screen.
    int first = 0;
    for (int i = 1; i < 4; ++i) {
        if (c[i].x + c[i].y < c[first].x + c[first].y)
            first = i;
    }
    std::rotate(c.begin(), c.begin() + first, c.end());
}

double area(const Corners &c)
{
    double a = 0;
    for (int i = 0; i < 4; ++i)
        a += cross(c[i], c[(i + 1) % 4]);
    return std::abs(a) * 0.5;
}

bool isConvex(const Corners &c)
{
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const double z = cross(c[(i + 1) % 4] - c[i], c[(i + 2) % 4] - c[(i + 1) % 4]);
        if (!std::isfinite(z) || z == 0.0)
            return false;
        const int s = z > 0 ? 1 : -1;
        if (sign != 0 && s != sign)
            return false;
        sign = s;
    }
    return true;
}

bool intersect(const Line &a, const Line &b, cv::Point2d &out)
{
    const double den = cross(a.d, b.d);
    if (std::abs(den) < 1e-6)
        return false;
    const double t = cross(b.p - a.p, b.d) / den;
    out = a.p + a.d * t;
    return std::isfinite(out.x) && std::isfinite(out.y);
}

double rectangleAspect(const Corners &c, cv::Size2d imageSize, double focalLength)
{
    // Zhang and He, "Whiteboard scanning and image enhancement": with the principal point at
    // the origin, the two vanishing directions of a rectangle's sides are orthogonal in space;
    // with the focal length known, the corners' depths then give the ratio of the sides.
    const double norm = std::max(imageSize.width, imageSize.height);
    Vanishing v;
    if (norm <= 0 || !(focalLength > 0) || !vanishingDirections(c, imageSize, norm, v) ||
        !(v.k2 > 0) || !(v.k3 > 0))
        return 0;
    const cv::Vec3d &n2 = v.n2, &n3 = v.n3;
    const double f = focalLength / norm;
    const double f2 = f * f;
    const double a = (n2[0] * n2[0] + n2[1] * n2[1]) / f2 + n2[2] * n2[2];
    const double b = (n3[0] * n3[0] + n3[1] * n3[1]) / f2 + n3[2] * n3[2];
    if (!(a > 0) || !(b > 0))
        return 0;
    const double r = std::sqrt(a / b);
    if (!std::isfinite(r) || r <= 0)
        return 0;
    return std::max(r, 1.0 / r);
}

double planeTilt(const Corners &c, cv::Size2d imageSize, double focalLength)
{
    const double norm = std::max(imageSize.width, imageSize.height);
    Vanishing v;
    if (norm <= 0 || !(focalLength > 0) || !vanishingDirections(c, imageSize, norm, v) ||
        !(v.k2 > 0) || !(v.k3 > 0))
        return -1;
    // The sides' directions in space, and the plane's normal across them.
    const double f = focalLength / norm;
    const cv::Vec3d along(v.n2[0] / f, v.n2[1] / f, v.n2[2]);
    const cv::Vec3d across(v.n3[0] / f, v.n3[1] / f, v.n3[2]);
    const cv::Vec3d normal = along.cross(across);
    const double length = cv::norm(normal);
    if (!(length > 0) || !std::isfinite(length))
        return -1;
    return std::acos(std::min(1.0, std::abs(normal[2]) / length)) * 180.0 / CV_PI;
}

double vanishingFocal(const Corners &c, cv::Size2d imageSize)
{
    const double norm = std::max(imageSize.width, imageSize.height);
    Vanishing v;
    if (norm <= 0 || !vanishingDirections(c, imageSize, norm, v))
        return 0;
    const cv::Vec3d &n2 = v.n2, &n3 = v.n3;
    const double zz = n2[2] * n3[2];
    if (std::abs(zz) < 1e-12)
        return 0;
    const double f2 = -(n2[0] * n3[0] + n2[1] * n3[1]) / zz;
    return f2 > 0 && std::isfinite(f2) ? std::sqrt(f2) * norm : 0.0;
}

double longestSide(const Corners &c)
{
    double longest = 0;
    for (int i = 0; i < 4; ++i)
        longest = std::max(longest, cv::norm(c[(i + 1) % 4] - c[i]));
    return longest;
}

double maxCornerDistance(const Corners &a, const Corners &b)
{
    double d = 0;
    for (int i = 0; i < 4; ++i)
        d = std::max(d, cv::norm(a[i] - b[i]));
    return d;
}

bool closerThan(const Corners &a, const Corners &b, double limit)
{
    // The same distances as maxCornerDistance; one that is not a number is passed over there
    // too (std::max keeps the other value).
    for (int i = 0; i < 4; ++i) {
        // A distance along x well past the limit settles it without the root (the root of
        // the squares is at least that, less a rounding far below the margin).
        if (std::abs(a[i].x - b[i].x) > limit * (1 + 1e-9))
            return false;
        if (cv::norm(a[i] - b[i]) >= limit)
            return false;
    }
    return 0.0 < limit;
}

bool contains(const Corners &outer, const Corners &inner, double margin)
{
    for (const auto &p : inner) {
        for (int i = 0; i < 4; ++i) {
            const cv::Point2d side = outer[(i + 1) % 4] - outer[i];
            if (cross(side, p - outer[i]) < -margin * cv::norm(side))
                return false;
        }
    }
    return true;
}

} // namespace quad
