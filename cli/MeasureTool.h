#pragma once

#include "capture/ImageLoader.h"
#include "cli/Checked.h"
#include "cli/MeasureArguments.h"

#include <QByteArray>
#include <QImage>
#include <QLineF>
#include <QStringList>

#include <functional>

class ReferenceTargetModel;

// One run of mirrel-measure, in process: the arguments in, the JSON for standard output or the
// one line that says why not, and the exit status out. Nothing here exits or prints.
class MeasureTool
{
public:
    using ImageSource = std::function<ImageLoader::Result(const QString &path)>;

    // What annotate draws: the photo with its card and segments.
    struct Annotation
    {
        QString photoPath;
        QImage photo;
        QList<QPointF> card;
        QList<QLineF> segments;
    };
    // Draws the annotated picture; the program hands in the app's own views.
    using Annotator = std::function<Checked<QImage>(const Annotation &annotation)>;

    struct Outcome
    {
        int exit = exitSuccess;
        QByteArray output; // what goes to standard output, newline included
        QString error;     // empty on success
    };

    // Without an annotator, annotate fails with a message.
    explicit MeasureTool(ImageSource images, Annotator annotator = {});

    // arguments: without the program's name.
    [[nodiscard]] Outcome run(const QStringList &arguments) const;

private:
    [[nodiscard]] Checked<QImage> loadImage(const QString &path) const;
    [[nodiscard]] Checked<QByteArray> detect(const ToolRequest &request) const;
    [[nodiscard]] Checked<QByteArray> measure(const ToolRequest &request) const;
    [[nodiscard]] Checked<QByteArray> annotate(const ToolRequest &request) const;

    ImageSource m_images;
    Annotator m_annotator;
};
