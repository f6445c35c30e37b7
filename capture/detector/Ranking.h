#pragma once

#include "capture/detector/Hypothesis.h"

#include <vector>

// How card-like a fitted shape is, and the order in which shapes are reported.
namespace ranking {

// |log(seen aspect / wanted aspect)| above which a quadrilateral is not the card.
inline constexpr double kMaxAspectError = 0.07;

// Edge support weighted by how well the proportions match.
[[nodiscard]] double scoreOf(const Hypothesis &h);

// How much the corners raise or lower a shape's score: corners that follow the card's arc
// count for it, sharp or much rounder corners against it.
[[nodiscard]] double cornerFactor(int rounded, int wrong);

// Best first; equal scores keep their order.
void sortByScore(std::vector<Hypothesis> &shapes);

// Print on the card's face can form a smaller card-like shape inside the card, often sharing
// two of its sides: such a shape loses to the card around it, unless it shows more of a
// card's corners than that one.
void demoteInnerShapes(std::vector<Hypothesis> &shapes);

} // namespace ranking
