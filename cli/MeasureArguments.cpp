#include "cli/MeasureArguments.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

constexpr const char *usageText =
    "Usage:\n"
    "  mirrel-measure measure --card x0,y0,x1,y1,x2,y2,x3,y3 --segment x1,y1,x2,y2\n"
    "                         [--segment ...] [--units metric|imperial]\n"
    "  mirrel-measure measure IMAGE --segment x1,y1,x2,y2 [--segment ...] [--units ...]\n"
    "  mirrel-measure detect IMAGE\n"
    "  mirrel-measure annotate IMAGE -o OUT.png [--card ...] [--segment ...] [--units ...]\n"
    "  mirrel-measure --help | --version\n"
    "\n"
    "Measures lengths in a photo against a bank-card-sized reference card (85.725 x 53.975 mm).\n"
    "Points are image pixels, origin at the top-left corner, y down. --card gives the card's\n"
    "four corners in order around it; without it the card is found in IMAGE. Lengths are\n"
    "printed in millimetres and as the app shows them, in the chosen unit system (default:\n"
    "the one stored in the app's settings). annotate measures like measure and also draws the\n"
    "card and every segment with its length onto the photo, as the app exports it, into the\n"
    "PNG file OUT.png; the card is the one found in IMAGE unless --card gives it.\n"
    "\n"
    "Exit status: 0 success, 2 bad arguments, an unreadable image or an OUT.png that cannot\n"
    "be written, 3 no usable card or a segment that has no length on the card's plane.\n";

Failure usageFailure(const QString &message)
{
    return {exitUsage, message};
}

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}};
    QCommandLineOption card{QStringLiteral("card"), {}, QStringLiteral("corners")};
    QCommandLineOption segment{QStringLiteral("segment"), {}, QStringLiteral("ends")};
    QCommandLineOption units{QStringLiteral("units"), {}, QStringLiteral("system")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")}, {},
                              QStringLiteral("file")};
};

// The argument as the user typed it, for an option the parser did not know.
QString spelledOption(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments) {
        const QString bare = argument.section(QLatin1Char('='), 0, 0);
        if (bare.startsWith(QLatin1Char('-')) &&
            QStringView(bare).mid(bare.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return bare;
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

Failure parserFailure(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
        return usageFailure(QStringLiteral("unknown option %1 (see --help)")
                                .arg(spelledOption(arguments, unknown.first())));
    // The parser's other complaint is an option that takes a value coming last.
    const QString last = arguments.isEmpty() ? QString() : arguments.last();
    for (const char *option : {"--card", "--segment", "--units", "-o", "--output"})
        if (last == QLatin1String(option))
            return usageFailure(QStringLiteral("%1 needs a value").arg(last));
    return usageFailure(parser.errorText() + QStringLiteral(" (see --help)"));
}

std::optional<Failure> readMeasureOptions(const QCommandLineParser &parser, const Options &options,
                                          ToolRequest &request)
{
    if (parser.isSet(options.card)) {
        const auto card =
            MeasureArguments::parsePoints(QStringLiteral("--card"), parser.value(options.card), 4);
        if (!card.ok())
            return card.failure();
        request.card = *card;
    }
    for (const QString &text : parser.values(options.segment)) {
        const auto ends = MeasureArguments::parsePoints(QStringLiteral("--segment"), text, 2);
        if (!ends.ok())
            return ends.failure();
        request.segments.append({text, (*ends)[0], (*ends)[1]});
    }
    if (parser.isSet(options.units)) {
        const QString name = parser.value(options.units);
        if (name == QLatin1String("metric"))
            request.units = Storage::UnitSystem::metric;
        else if (name == QLatin1String("imperial"))
            request.units = Storage::UnitSystem::imperial;
        else
            return usageFailure(
                QStringLiteral("--units is metric or imperial, not \"%1\"").arg(name));
    }
    return std::nullopt;
}

Checked<ToolRequest> measureRequest(const QCommandLineParser &parser, const Options &options)
{
    ToolRequest request;
    request.command = ToolRequest::Command::measure;
    if (const auto failure = readMeasureOptions(parser, options, request))
        return *failure;
    const QStringList images = parser.positionalArguments().mid(1);
    if (images.size() > 1)
        return usageFailure(QStringLiteral("unexpected argument \"%1\"").arg(images[1]));
    request.image = images.value(0);
    if (request.card && !request.image.isEmpty())
        return usageFailure(QStringLiteral("give either --card or an IMAGE, not both"));
    if (!request.card && request.image.isEmpty())
        return usageFailure(QStringLiteral("measure needs --card or an IMAGE (see --help)"));
    if (request.segments.isEmpty())
        return usageFailure(QStringLiteral("measure needs at least one --segment"));
    return request;
}

Checked<ToolRequest> annotateRequest(const QCommandLineParser &parser, const Options &options)
{
    ToolRequest request;
    request.command = ToolRequest::Command::annotate;
    if (const auto failure = readMeasureOptions(parser, options, request))
        return *failure;
    const QStringList images = parser.positionalArguments().mid(1);
    if (images.size() != 1)
        return usageFailure(QStringLiteral("annotate takes exactly one IMAGE (see --help)"));
    request.image = images.first();
    request.output = parser.value(options.output);
    if (request.output.isEmpty())
        return usageFailure(QStringLiteral("annotate needs -o OUT.png"));
    if (!request.output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return usageFailure(
            QStringLiteral("-o: the annotated picture is a PNG file; name it .png, not \"%1\"")
                .arg(request.output));
    return request;
}

Checked<ToolRequest> detectRequest(const QCommandLineParser &parser, const Options &options)
{
    const QStringList images = parser.positionalArguments().mid(1);
    if (images.size() != 1 || parser.isSet(options.card) || parser.isSet(options.segment) ||
        parser.isSet(options.units))
        return usageFailure(QStringLiteral("detect takes exactly one IMAGE (see --help)"));
    ToolRequest request;
    request.command = ToolRequest::Command::detect;
    request.image = images.first();
    return request;
}

} // namespace

const char *MeasureArguments::usage()
{
    return usageText;
}

QStringList MeasureArguments::viewArguments(const QStringList &arguments,
                                            const ToolRequest &request)
{
    QStringList views = arguments;
    if (request.units && !views.isEmpty()) {
        const bool metric = request.units == Storage::UnitSystem::metric;
        views.insert(1, QLatin1String("-") + QLatin1String(Storage::metricUnitKey));
        views.insert(2, metric ? QStringLiteral("YES") : QStringLiteral("NO"));
    }
    return views;
}

Checked<QList<QPointF>> MeasureArguments::parsePoints(const QString &option, const QString &text,
                                                      int count)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 2 * count)
        return usageFailure(QStringLiteral("%1 needs %2 comma-separated numbers, got \"%3\"")
                                .arg(option)
                                .arg(2 * count)
                                .arg(text));
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        double xy[2];
        for (int j = 0; j < 2; ++j) {
            const QString field = fields[2 * i + j].trimmed();
            bool isNumber = false;
            xy[j] = field.toDouble(&isNumber);
            if (!isNumber)
                return usageFailure(
                    QStringLiteral("%1: \"%2\" is not a number").arg(option, field));
            if (!std::isfinite(xy[j]))
                return usageFailure(QStringLiteral("%1: coordinates must be finite, got \"%2\"")
                                        .arg(option, field));
        }
        points.append(QPointF(xy[0], xy[1]));
    }
    return points;
}

Checked<ToolRequest> MeasureArguments::parse(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usageFailure(QStringLiteral("missing command (see --help)"));
    const Options options;
    QCommandLineParser parser;
    parser.addOptions({options.help, options.version, options.card, options.segment, options.units,
                       options.output});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("measure, detect or annotate"));
    // The parser takes the first element for the program's name.
    const bool parsed = parser.parse(QStringList(QStringLiteral("mirrel-measure")) + arguments);

    ToolRequest request;
    if (parser.isSet(options.help))
        return request;
    const QString command = parser.positionalArguments().value(0);
    if (!command.isEmpty() && command != QLatin1String("measure") &&
        command != QLatin1String("detect") && command != QLatin1String("annotate"))
        return usageFailure(QStringLiteral("unknown command \"%1\" (see --help)").arg(command));
    if (!parsed)
        return parserFailure(parser, arguments);
    if (parser.isSet(options.version)) {
        request.command = ToolRequest::Command::version;
        return request;
    }
    if (command.isEmpty())
        return usageFailure(QStringLiteral("missing command (see --help)"));
    if (parser.isSet(options.output) && command != QLatin1String("annotate"))
        return usageFailure(QStringLiteral("-o is for annotate (see --help)"));
    if (command == QLatin1String("measure"))
        return measureRequest(parser, options);
    if (command == QLatin1String("annotate"))
        return annotateRequest(parser, options);
    return detectRequest(parser, options);
}
