#pragma once

#include "capture/detector/CardChecks.h"
#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/Hypothesis.h"

#include <opencv2/core/types.hpp>

#include <optional>
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
    // Cards seen running off the picture since forgetCutCards(), clockwise on screen: fits
    // that show a card where they are in the picture, and shapes the caller judged so.
    [[nodiscard]] const std::vector<quad::Corners> &cutCards() const { return m_cutCards; }
    void addCutCard(const quad::Corners &corners) { m_cutCards.push_back(corners); }
    void forgetCutCards() { m_cutCards.clear(); }
    // The refused fit since forgetNearCard() that came closest to a card with a side on a line
    // printed along the card's edge: a corner like a card's beside one that is not (the side
    // meets the other on the card's face). Its corners (rounded, wrong) are set.
    [[nodiscard]] const std::optional<Hypothesis> &nearCard() const { return m_nearCard; }
    void forgetNearCard() { m_nearCard.reset(); }
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
    // Every check of h, the full-size fit of `shape`, but the count of card corners the caller
    // needs. The corners come first: a shape that shows a card's corners and no other may have
    // its sides broken in more places.
    [[nodiscard]] bool isCard(const Frame &frame, const Hypothesis &shape, const Hypothesis &h,
                              double tilt, const cardcheck::CornerArcs &arcs);
    // Keeps h, a fit running off the picture, among cutCards() if it shows a card there.
    void noteCutCard(const Frame &frame, const Hypothesis &h, const cardcheck::CornerArcs &arcs);
    // Keeps h, a refused fit, as nearCard() if it comes closer than the one kept.
    void noteNearCard(Hypothesis h, const cardcheck::CornerArcs &arcs);
    // Whether card lies around nearCard(), on two of its corners, and shows fewer of a card's
    // corners than it.
    [[nodiscard]] bool ranPastCard(const Hypothesis &card) const;

    EdgeRefiner m_refiner;
    EdgeRefiner::Result m_fit;
    std::vector<Hypothesis> m_cards;
    std::vector<quad::Corners> m_cutCards;
    std::optional<Hypothesis> m_nearCard;
    std::vector<double> m_bands;
    int m_wrongCorners = 0;                          // of the last shape kept
    std::vector<bool> m_refined;                     // per coarse shape
    std::vector<std::pair<double, size_t>> m_bySize; // coarse shapes by long side
};
