#pragma once

#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeField.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/QuadGeometry.h"

#include <opencv2/core/matx.hpp>
#include <opencv2/core/types.hpp>

#include <vector>

// What makes a fitted quadrilateral a card, one check per function. Each looks at the fit of
// the four sides on the picture they were fitted on.
namespace cardcheck {

// |log(seen aspect / wanted aspect)| of the rectangle that, seen through a phone camera, looks
// like corners. focal: pixels, 0 when unknown (then recovered from the vanishing points and
// held to a phone camera's range). An A4 sheet (1.414) is 0.116 from 27:17, a 3:2 photo 0.057.
[[nodiscard]] double proportionError(const quad::Corners &corners, cv::Size2d imageSize,
                                     double focal, double wanted);

// The sides of a shape are a card's edges against the table: straight and crisp next to the
// card's size, none much fainter than the others (unless all four corners are a card's, or
// three are and the table lies beyond the one faint side), the short side not absurdly short,
// and the card brighter (or darker) than the table all round but for one side at most, or
// three of its corners like a card's.
[[nodiscard]] bool sidesAreCardEdges(const ColourSampler &image, const EdgeRefiner::Result &fit,
                                     bool cardCorners, bool threeCardCorners, bool fourCardCorners);

// What lies just beyond a side looks more like what lies beyond one of its neighbours than
// like what lies just inside it: the same table all round.
[[nodiscard]] bool tableBeyondSide(const ColourSampler &image, const EdgeRefiner::Result &fit,
                                   size_t side);

// Share of profiles on its line that a shape's worst side needs. A card held in a hand may have
// fingers over much of two sides; when its corners show it is a card (cardCorners) and its edge
// steps the same way all round, its worst side needs less; with three of a card's corners
// (threeCardCorners), less still, and with four (fourCardCorners) only part of every side.
[[nodiscard]] double leastSupportNeeded(const EdgeRefiner::Result &fit, bool cardCorners,
                                        bool threeCardCorners, bool fourCardCorners);

// Share of profiles on their lines that a shape's sides need on average: less when three of
// its corners are a card's (a pale card on pale paper, faint all round but at its corners).
[[nodiscard]] double meanSupportNeeded(bool threeCardCorners);

// A shape put together from loose lines rather than a closed outline: only one side may be
// broken (by a finger or glare), it must still step the card's way, and no side may be broken
// in as many places as there are lines of print. A shape that showed a card's corners
// (cardCorners) may have its sides broken in a few more places (clutter along them), and its
// second worst side covered further when its edge steps the same way all round (a hand); one
// that showed three (threeCardCorners) may have its sides broken in more places still.
[[nodiscard]] bool looseShapeHolds(const EdgeRefiner::Result &fit, bool cardCorners = false,
                                   bool threeCardCorners = false);

// The surface changes across every side: bands just inside and just outside each side differ
// by a share of that side's edge step. A line of grain or a shadow's crease has a strong edge
// but the same surface on both sides. A shape that showed a card's corners (cardCorners) may
// have one side where the surface changes less: a white card on white paper or keys; one that
// showed all four (fourCardCorners), two sides where it hardly changes: a finger along one, a
// pale card on white paper along both beside one corner.
[[nodiscard]] bool surfaceChangesAcrossSides(const ColourSampler &image,
                                             const EdgeRefiner::Result &fit,
                                             std::vector<double> &scratch, bool cardCorners = false,
                                             bool fourCardCorners = false);

// The focal length (pixels) the card's proportions are judged with: the given one when known,
// else the one the vanishing points give held to a phone's, else the phone's that makes the
// shape closest to `wanted`.
[[nodiscard]] double viewFocal(const quad::Corners &corners, cv::Size2d imageSize, double focal,
                               double wanted);

// A shape's proportion error (as proportionError) and the tilt, in degrees, between the plane
// of the card it would be and the picture's (-1 where no rectangle projects onto it), both
// seen through viewFocal, which is worked out once for the two.
struct View
{
    double aspectError = 1e9;
    double tilt = -1;
};
[[nodiscard]] View viewOf(const quad::Corners &corners, cv::Size2d imageSize, double focal,
                          double wanted);

// Seen at most maxTilt degrees from face-on. Nobody measures with a card seen more obliquely
// than kMaxTiltDegrees (its short sides shrink to half), and a trapezoid that only such a view
// makes a card's shape is something else: a photo printed on a card, a flag standing up, the
// gap between two fingers. A shape no rectangle projects onto is left to the proportion check.
inline constexpr double kMaxTiltDegrees = 60.0;
[[nodiscard]] inline bool plausibleView(const View &view, double maxTilt = kMaxTiltDegrees)
{
    return view.tilt <= maxTilt;
}

// Every corner lies inside the picture and no side runs along its border: a card cut by the
// border cannot be measured with.
[[nodiscard]] bool insidePicture(const quad::Corners &corners, cv::Size2d imageSize);

// The share of the segment from a to b that lies inside the picture.
[[nodiscard]] double shareInPicture(cv::Point2d a, cv::Point2d b, cv::Size2d imageSize);

// What the four corners of a fitted shape look like, seen through the shape's own homography
// onto a card of the given proportions: a card's corner leaves its two straight sides and
// follows an arc of 3.7 % of its long edge, so the tip of the sharp corner shows the table and
// the inside of the arc the card. A sticky note or a sheet has sharp corners (the tip shows its
// face); a key or a phone is much rounder (the inside of the arc shows the table too).
// Pixels the arc must span for its corner to be judged: the tip and the inside of the arc then
// lie clear of the edge's blur.
inline constexpr double kMinCornerRadiusPx = 6.0;

struct CornerArcs
{
    int rounded = 0;        // corners that follow the card's arc
    int wrong = 0;          // corners that are sharp or much rounder
    int unknown = 0;        // too small to tell, no contrast, or something over the corner
    unsigned wrongMask = 0; // bit k: corner k is one of the wrong ones
    void markWrong(size_t k)
    {
        ++wrong;
        wrongMask |= 1u << k;
    }
};
[[nodiscard]] CornerArcs cornerArcs(const ColourSampler &image, const quad::Corners &corners,
                                    double aspect);

// A shape large enough for its corners to be judged, none of which could be (each too faint
// or with something over it): nothing about it but its outline is a card's. The shading of a
// hand or a box, a picture in a frame or a key too small to show its corners plainly close
// such shapes.
[[nodiscard]] bool cornersShowNothing(const CornerArcs &arcs, const quad::Corners &corners);

// The corners of a shape put together from loose lines speak for it: where any of them is
// unlike a card's, more of them are a card's. Such a shape has no closed outline of its own to
// vouch for it, and a block of print on a card that the border cuts off meets one of the card's
// corners while its own corners are sharp.
[[nodiscard]] inline bool looseCornersHold(const CornerArcs &arcs)
{
    return arcs.wrong == 0 || arcs.rounded > arcs.wrong;
}
// A shape that runs off the picture and shows a card wherever it is in the picture: a card's
// corners and none unlike them, and its sides on their straight lines as far as they are in
// the picture. (Its proportions are the caller's to judge.) Such a card cannot be measured
// with, and a rectangle inside it is print on its face.
[[nodiscard]] bool cardCutByBorder(const EdgeRefiner::Result &fit, const CornerArcs &arcs,
                                   cv::Size2d imageSize);

// One of the shape's sides runs on past one of its ends to the picture's border, unbroken and
// between the same two surfaces: the shape is part of something larger that the border cuts,
// such as a field printed on a card running off the picture, two of whose sides are the
// card's. field: the picture shrunk by `shrink`, whose edges are followed; picture: full size,
// whose colours are compared. shape: full-size pixels.
[[nodiscard]] bool sideRunsToBorder(const quad::Corners &shape, const EdgeField &field,
                                    double shrink, const ColourSampler &picture);

// Keys on a keyboard, the chips on a memory module and lines of print come in rows: a shape
// with its like one to two of its own widths or heights away along that axis is one of a row
// and not a card. Its like is one of `others` (closed outlines of the same picture) of about its
// size there, or its own outline moved there and found on the edges of `field`, the picture
// shrunk by `shrink` (an empty field is not looked at). shape and others: full-size pixels.
// cardCorners: the shape shows some of a card's corners (its corners were large enough to
// judge), and its outline needs less support to be found again.
[[nodiscard]] bool oneOfARow(const quad::Corners &shape, const std::vector<quad::Corners> &others,
                             const EdgeField &field, double shrink, bool cardCorners = false);

// Median colour difference between bands just inside and just outside one side, past the
// edge's own blur (edgeWidth pixels).
[[nodiscard]] double bandContrast(const ColourSampler &image, const quad::Corners &corners,
                                  size_t side, int edgeWidth, std::vector<double> &scratch);

} // namespace cardcheck
