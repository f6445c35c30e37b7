#pragma once

#include "capture/detector/ColourSampler.h"
#include "capture/detector/QuadGeometry.h"

#include <array>
#include <cstdint>
#include <vector>

// Moves the four sides of a rough quadrilateral onto the straight edges of the picture: samples
// brightness profiles across each side away from the corners (where a card's edge bends into
// its rounded corner), finds the edge in each profile to a fraction of a pixel, fits a line
// robustly (an occluding finger or a scratch only produces outliers) and intersects
// neighbouring lines. The corners are therefore where the straight edges meet, not on the arc.
class EdgeRefiner
{
public:
    struct Params
    {
        int searchRadius = 4;         // half-length of a profile, in pixels
        double marginFraction = 0.1;  // part of each side skipped at both ends
        double marginPixels = 2.0;    // plus this much
        int maxProfiles = 96;         // per side
        double inlierTolerance = 1.0; // pixels
        float minGradient = 1.2f;     // grey levels per pixel at the edge
        int tangentialTaps = 3;       // samples averaged along the edge against noise
        bool wholeBowedSide = false;  // a bowed side's line through all of it (see followBow)
    };

    struct Side
    {
        quad::Line line;
        int profiles = 0;
        int inliers = 0;
        double rms = 0;      // of the inliers, pixels
        double contrast = 0; // mean gradient of the inliers, grey levels per pixel
        int polarity = 0;    // +1: brighter outside the quadrilateral
        int edgeWidth = 0;   // typical width of the brightness step, pixels
        int gaps = 0;        // runs of profiles without an inlier
    };

    struct Result
    {
        quad::Corners corners{};
        std::array<Side, 4> sides{};
        [[nodiscard]] double support() const;       // mean share of profiles on the line
        [[nodiscard]] double minSupport() const;    // the worst side's share
        [[nodiscard]] double secondSupport() const; // the second worst side's share
    };

    // corners must be clockwise on screen. Returns false when a side has too little support
    // or the sides do not meet in a convex quadrilateral.
    [[nodiscard]] bool refine(const ColourSampler &image, const quad::Corners &corners,
                              const Params &params, Result &result);

    // From now on the sides fitted are remembered, and a side asked for again on the same
    // picture (between the same two points, with the same parameters) is taken from memory:
    // a shape with one side moved has its opposite side unchanged. picture: an id that is new
    // whenever the pixels may have changed; 0 forgets and stops remembering.
    void rememberSidesOf(std::uint64_t picture);

private:
    // fitSide, or what it gave before for the same side of the same picture.
    [[nodiscard]] bool fitKnownSide(const ColourSampler &image, cv::Point2d from, cv::Point2d to,
                                    cv::Point2d centre, const Params &params, Side &side);
    [[nodiscard]] bool fitSide(const ColourSampler &image, cv::Point2d from, cv::Point2d to,
                               cv::Point2d centre, const Params &params, Side &side);
    // Where the profiles across a side lie: count of them, evenly over the side between its
    // margins, each reaching radius pixels either way along n (outwards).
    struct Profiles
    {
        cv::Point2d from;
        cv::Point2d d; // along the side
        cv::Point2d n; // across it, outwards
        double margin = 0;
        double usable = 0;
        int radius = 0;
        int count = 0;
    };
    // The stages of fitSide: the peaks of every profile, the colour step of the side, its
    // mean over the profiles showing it (returns the polarity), one point per profile.
    void collectPeaks(const ColourSampler &image, const Profiles &across, const Params &params);
    [[nodiscard]] float colourGradient(int taps);
    [[nodiscard]] std::array<float, 3> sidesColourStep(const Profiles &across, int &bestCount);
    [[nodiscard]] int meanStep(int profiles, int bestCount, std::array<float, 3> &direction);
    void collectPoints(const Profiles &across, int bestCount,
                       const std::array<float, 3> &direction);
    // Cosines of every peak's colour step with u into m_cosines.
    void projectSteps(const std::array<float, 3> &u);
    // The peak of a profile whose step agrees with the last projected one, or -1.
    [[nodiscard]] int agreeingPeak(int profile, float cosine) const;
    // The sub-pixel centre of the peak of g (not negative) at `at`.
    [[nodiscard]] double peakCentre(const std::vector<float> &g, int at);
    [[nodiscard]] bool fitLine(double tolerance, bool wholeBowedSide, quad::Line &line, Side &side);
    // The line through all of a side that bows away from `line` (its robust fit), in place of
    // it; a straight side's line is left as it is.
    void followBow(double tolerance, quad::Line &line);

    std::vector<float> m_values;
    std::vector<float> m_derivative;
    struct Peak
    {
        double offset = 0;           // from the expected line, pixels, outwards
        float strength = 0;          // colour gradient, on the scale of three taps
        int distance = 0;            // whole pixels from the expected line
        int width = 0;               // of the brightness step
        std::array<float, 3> unit{}; // direction of the colour step
    };
    std::vector<Peak> m_peaks;
    std::vector<int> m_firstPeak; // per profile, its first peak; one more entry ends the last
    std::vector<int> m_widthScratch;
    int m_lastWidth = 0;
    std::vector<double> m_closeness;
    std::vector<float> m_units;   // the peaks' colour steps, one component after the other
    size_t m_padded = 0;          // peaks counted to whole vector lanes
    std::vector<float> m_cosines; // of each peak's colour step with the direction in question
    std::vector<std::uint64_t> m_agreeing; // per direction voted on, its agreeing peaks' bits
    std::vector<cv::Point2d> m_anchor;
    std::vector<cv::Point2d> m_points;
    std::vector<int> m_pointProfile;
    std::vector<double> m_weights;
    std::vector<double> m_fitWeights;
    std::vector<double> m_shares;   // of each point in a line's consensus
    std::vector<cv::Point2d> m_bow; // points near a side's line: where along it, how far off
    std::uint32_t m_seed = 1;

    struct KnownSide
    {
        cv::Point2d from;
        cv::Point2d to;
        bool flipped = false; // the normal's sign, which the centre decides
        Params params;
        Side side;
        bool fitted = false;
    };
    std::vector<KnownSide> m_known; // the latest sides, oldest overwritten first
    size_t m_nextKnown = 0;
    std::uint64_t m_knownPicture = 0;
};
