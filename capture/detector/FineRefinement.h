#pragma once

#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/Hypothesis.h"

#include <opencv2/core/types.hpp>

#include <utility>
#include <vector>

// Refines the best shapes of the shrunk picture on the full picture, keeps those that pass
// every card check, and ranks them. The corners come out where the straight edges meet, to a
// fraction of a pixel.
class FineRefinement
{
public:
    struct Frame
    {
        const ColourSampler &picture; // the full picture
        cv::Size2d size;
        double focal;          // pixels, 0 when unknown
        double aspect;         // wanted long edge over short edge
        int factor;            // how much the coarse shapes' picture was shrunk
        int roundedNeeded = 0; // corners a card must show like a card's
    };

    // shapes: from the shrunk picture, best first. Fills cards(), best first.
    void run(const Frame &frame, const std::vector<Hypothesis> &shapes);

    [[nodiscard]] const std::vector<Hypothesis> &cards() const { return m_cards; }
    // Replaces the cards (when a later look found a better one).
    void setCards(const std::vector<Hypothesis> &cards) { m_cards = cards; }

    // Looks for the card where it was in the previous frame: the sides are fitted around the
    // previous corners (within `reach` pixels) and the shape must pass every card check and
    // show no corner unlike a card's. Fills cards() with it, or leaves it empty.
    void track(const Frame &frame, const quad::Corners &previous, int reach);

private:
    // Refines shapes[i] and keeps it if it passes every check and shows at least roundedNeeded
    // corners like a card's.
    void tryShape(const Frame &frame, const std::vector<Hypothesis> &shapes, size_t i,
                  int roundedNeeded);
    void finish();
    // Fits the shape's sides on the full picture; false when they do not settle.
    bool fit(const Frame &frame, const Hypothesis &shape);
    // Every check but the corners'; cardCorners: the shape showed a card's corners and no
    // other, so its sides may be broken in more places.
    [[nodiscard]] bool isCard(const Frame &frame, const Hypothesis &shape, const Hypothesis &h,
                              bool cardCorners);

    EdgeRefiner m_refiner;
    EdgeRefiner::Result m_fit;
    std::vector<Hypothesis> m_cards;
    std::vector<double> m_bands;
    int m_wrongCorners = 0;                          // of the last shape kept
    std::vector<bool> m_refined;                     // per coarse shape
    std::vector<std::pair<double, size_t>> m_bySize; // coarse shapes by long side
};
