#pragma once

#include "cli/Checked.h"
#include "core/Storage.h"

#include <QList>
#include <QPointF>
#include <QStringList>

#include <optional>

// What one run of mirrel-measure was asked to do.
struct ToolRequest
{
    enum class Command
    {
        help,
        version,
        measure,
        detect,
        annotate
    };

    struct Segment
    {
        QString text; // as given, to name the segment in a message
        QPointF from;
        QPointF to;
    };

    Command command = Command::help;
    std::optional<QList<QPointF>> card; // --card, four corners in image pixels
    QString image;
    QString output; // annotate: the PNG file to write
    QList<Segment> segments;
    std::optional<Storage::UnitSystem> units;
};

// mirrel-measure's arguments, read with QCommandLineParser. Every mistake is a Failure with
// exit status 2 and a message that names the argument.
class MeasureArguments
{
public:
    // arguments: without the program's name.
    [[nodiscard]] static Checked<ToolRequest> parse(const QStringList &arguments);

    // "x0,y0,x1,y1,..." with exactly count points of finite numbers.
    [[nodiscard]] static Checked<QList<QPointF>> parsePoints(const QString &option,
                                                             const QString &text, int count);

    [[nodiscard]] static const char *usage();

    // What annotate starts the app's views with: arguments (the program's name first) with
    // --units as the settings' launch argument "-IS_METRIC_UNIT YES|NO" right after the name.
    // The settings read "-key value" pairs from the left, so that anywhere later an option
    // spelled "--units=imperial" would take the key for its value.
    [[nodiscard]] static QStringList viewArguments(const QStringList &arguments,
                                                   const ToolRequest &request);
};
