#pragma once

#include "tools/scenegen/SceneGenerator.h"
#include "tools/scenegen/SceneRng.h"

#include <opencv2/core.hpp>

using CardStyle = SceneCardStyle;

// Printed faces drawn in the object's own plane at pxPerMm pixels per millimetre. Texture pixel
// (0, 0) starts marginMm outside the object's outline so edge pixels sample the face's colour.
// CV_32FC3, BGR, 0..1.
// level, when not negative, fixes the brightness of dark, white and grey cards.
[[nodiscard]] cv::Mat cardFaceTexture(CardStyle style, double pxPerMm, double marginMm,
                                      SceneRng &rng, double level = -1.0);
[[nodiscard]] cv::Mat rulerTexture(double lengthMm, double widthMm, double pxPerMm, double marginMm,
                                   SceneRng &rng);
