#pragma once

#include "tools/scenegen/SceneGenerator.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Ground truth as JSON next to the picture:
// {"width":W,"height":H,"card":[[x,y],[x,y],[x,y],[x,y]] or null,
//  "object":{"from":[x,y],"to":[x,y],"lengthMm":L}, ...}
// Coordinates are continuous image pixels, y down. Minimal output keeps only those keys; the
// full form adds category, seed, blur and which card edge is long.
[[nodiscard]] QByteArray sceneTruthJson(const Scene &scene, bool minimal = false);

// Reads ground truth back into a Scene without an image (width and height in imageSize).
struct SceneTruth
{
    Scene scene;
    QSize imageSize;
};
[[nodiscard]] std::optional<SceneTruth> parseSceneTruth(const QByteArray &json,
                                                        QString *error = nullptr);

// Writes the picture (format from the suffix: .png, .jpg/.jpeg) and its ground truth beside it
// (same name, .json). Returns an empty string on success, else a one-line message.
[[nodiscard]] QString writeScene(const Scene &scene, const QString &imagePath, int jpegQuality = 92,
                                 bool minimalTruth = false);
