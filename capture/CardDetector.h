#pragma once

#include "core/CardGeometry.h"

#include <QImage>
#include <QPointF>

#include <memory>
#include <vector>

class ColourSampler;

// One quadrilateral found in an image. Corners are in a y-up pixel system: x grows to the
// right, y grows upwards from the bottom edge of the image, and (0, 0) is the bottom-left
// corner of the bottom-left pixel (continuous coordinates, pixel centres at +0.5).
// "Top" and "bottom" are named in that y-up system.
struct RectangleFeature
{
    QPointF topLeft;
    QPointF topRight;
    QPointF bottomRight;
    QPointF bottomLeft;
    double score = 0.0; // higher is more card-like
};

// Finds bank-card-like quadrilaterals in a photo. Stand-in for a platform rectangle detector:
// it takes the aspect ratio of the wanted rectangle (long edge over short edge) and a focal
// length (0 means unknown) and reports its findings best first.
class CardDetector
{
public:
    struct Options
    {
        double aspectRatio = CardGeometry::aspectRatio;
        double focalLength = 0.0;
    };

    CardDetector();
    explicit CardDetector(const Options &options);
    ~CardDetector();
    CardDetector(const CardDetector &) = delete;
    CardDetector &operator=(const CardDetector &) = delete;

    // Searches the whole frame. Accepts any QImage format; 32-bit BGRA frames
    // (Format_ARGB32, Format_RGB32, Format_ARGB32_Premultiplied) and Format_Grayscale8 take
    // the fast path. Returns an empty list when no card-like quadrilateral is there.
    // Not thread-safe: buffers are reused from frame to frame.
    [[nodiscard]] std::vector<RectangleFeature> features(const QImage &image,
                                                         const Options &options);
    [[nodiscard]] std::vector<RectangleFeature> features(const QImage &image)
    {
        return features(image, m_options);
    }

    // Looks for the card only where `previous` (a feature of an earlier frame of the same size)
    // put it, moved by at most `reach` pixels: much cheaper than a search. Returns the card or
    // nothing; nothing means the caller should search the whole frame.
    [[nodiscard]] std::vector<RectangleFeature> track(const QImage &image,
                                                      const RectangleFeature &previous,
                                                      const Options &options, int reach = 14);

    [[nodiscard]] const Options &options() const { return m_options; }

private:
    struct Buffers;
    // A reader of the frame's pixels in place (or of a converted copy); empty for pictures
    // too small to search.
    ColourSampler prepare(const QImage &image);
    // The cards found, as features in a y-up system, best first.
    [[nodiscard]] std::vector<RectangleFeature> report(double height) const;
    // The looks a search takes, each at its own size and with its own working images.
    enum class Look
    {
        first,
        largeCard,
        smallCard
    };
    // One search on the frame shrunk by factor; the cards end up in the fine stage. A card
    // must show at least roundedNeeded corners like a card's.
    void search(const ColourSampler &picture, const Options &options, Look look, int factor,
                bool withSegments, int roundedNeeded);
    // The stages of a search.
    struct LookFrames;
    void proposeOutlines(const ColourSampler &picture, Look look, int factor);
    void proposeFromSegments(const LookFrames &frames);
    bool putBestFirst(const LookFrames &frames, int needed, bool noneWrong = false);
    void lookPastPrintedLine(const LookFrames &frames);
    // Judges the segment route's shapes of a card running off the picture by their corners.
    void noteCutCards(const ColourSampler &picture, const Options &options, Look look, int factor);
    // Drops the cards found inside a card that runs off the picture.
    void dropPrintOnCutCards();

    Options m_options;
    std::unique_ptr<Buffers> m_buffers;
};
