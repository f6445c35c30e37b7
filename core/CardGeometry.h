#pragma once

// The reference card: a bank card of the standard size, a rounded rectangle lying flat. Every
// part of the program that needs its size, proportion or corners reads them from here.
namespace CardGeometry {

// Long and short edge, millimetres.
inline constexpr double width = 85.725;
inline constexpr double height = 53.975;
// Long edge over short edge: 27 : 17 (the nearest double, 1.588235294117647).
inline constexpr double aspectRatio = 27.0 / 17.0;
// Short edge over long edge.
inline constexpr double inverseAspectRatio = 17.0 / 27.0;
// Radius of the rounded corners, millimetres: about 3.7 % of the long edge.
inline constexpr double cornerRadius = 3.18;
inline constexpr double relativeCornerRadius = cornerRadius / width;

} // namespace CardGeometry
