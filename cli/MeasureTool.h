#pragma once

#include "capture/ImageLoader.h"
#include "cli/Checked.h"
#include "cli/CommandLine.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

class ReferenceTargetModel;

// One run of mirrel-measure, in process: the arguments in, the JSON for standard output or the
// one line that says why not, and the exit status out. Nothing here exits or prints.
class MeasureTool
{
public:
    using ImageSource = std::function<ImageLoader::Result(const QString &path)>;

    struct Outcome
    {
        int exit = exitSuccess;
        QByteArray output; // what goes to standard output, newline included
        QString error;     // empty on success
    };

    explicit MeasureTool(ImageSource images);

    // arguments: without the program's name.
    [[nodiscard]] Outcome run(const QStringList &arguments) const;

private:
    [[nodiscard]] Checked<QImage> loadImage(const QString &path) const;
    [[nodiscard]] Checked<QByteArray> detect(const Request &request) const;
    [[nodiscard]] Checked<QByteArray> measure(const Request &request) const;

    ImageSource m_images;
};
