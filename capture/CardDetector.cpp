#include "capture/CardDetector.h"

// Placeholder until the detector lands: finds nothing.
struct CardDetector::Buffers
{
};

CardDetector::CardDetector(const Options &options)
    : m_options(options), m_buffers(std::make_unique<Buffers>())
{
}

CardDetector::CardDetector() : CardDetector(Options{}) {}

CardDetector::~CardDetector() = default;

std::vector<RectangleFeature> CardDetector::features(const QImage &, const Options &)
{
    return {};
}
