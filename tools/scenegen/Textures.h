#pragma once

#include "tools/scenegen/SceneGenerator.h"
#include "tools/scenegen/SceneRng.h"

#include <opencv2/core.hpp>

// Procedural surfaces and noise for the generated scenes. Textures are CV_32FC3, BGR, 0..1,
// drawn at a given number of pixels per millimetre so their features have real-world sizes.
using Surface = SceneSurface;

// Smooth noise of roughly unit spread with features about cellX x cellY pixels large.
[[nodiscard]] cv::Mat smoothNoise(cv::Size size, double cellX, double cellY, SceneRng &rng);

// Several octaves of smoothNoise, the largest features about cell pixels.
[[nodiscard]] cv::Mat fractalNoise(cv::Size size, double cell, int octaves, SceneRng &rng);

// level, when not negative, fixes the brightness of the plain surfaces (light and dark table,
// paper) instead of drawing it.
[[nodiscard]] cv::Mat surfaceTexture(Surface surface, cv::Size size, double pxPerMm, SceneRng &rng,
                                     double level = -1.0);
