#pragma once

#include <QImage>
#include <QPointF>
#include <QString>
#include <QTransform>

#include <array>
#include <optional>
#include <vector>

// The same picture changed in ways that must not change which card a detector finds: scaled,
// cropped around the card, turned, mirrored, darkened, re-saved as JPEG. Each variant says how
// its coordinates map back onto the original's (continuous coordinates, y down), so an answer
// can be compared without marked corners.
struct ImageVariant
{
    QString name;
    QImage image;          // Format_RGB32
    QTransform toOriginal; // variant point -> original point
};

// The standard changes: scale 0.5, 0.75, 1.25 and 1.5; a crop around `card` with a margin of
// a quarter of its long edge (skipped without a card); a quarter turn clockwise; a mirror
// image; 60 % brightness; JPEG quality 70.
[[nodiscard]] std::vector<ImageVariant>
imageVariants(const QImage &image, const std::optional<std::array<QPointF, 4>> &card);

// The picture cropped so that its border cuts through `card`: from each side in turn, 12 % and
// then 30 % of the card's extent across that side left outside the picture. A detector must
// report no card in any of them (a card not wholly in the picture cannot be measured with).
// Crops narrower or lower than a quarter of the picture are left out.
[[nodiscard]] std::vector<ImageVariant> cutVariants(const QImage &image,
                                                    const std::array<QPointF, 4> &card);

// The parts of the picture beside `card`: everything left of it, right of it, above and below
// it, each kept clear of the card by a twentieth of its extent. They show the table, the
// clutter and the hand without the card, so a detector must report no card in them. `card`
// may run off the picture. Crops narrower or lower than a quarter of the picture are left out.
[[nodiscard]] std::vector<ImageVariant> awayVariants(const QImage &image,
                                                     const std::array<QPointF, 4> &card);

// The picture turned about its centre by 20 degrees clockwise and by 35 degrees anticlockwise,
// on a canvas that holds all of it, the bare corners filled with the nearest border pixel. A
// quarter turn only moves pixels; these resample every edge at another angle to the pixel grid.
[[nodiscard]] std::vector<ImageVariant> turnVariants(const QImage &image);
