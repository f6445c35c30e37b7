#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

QStringList CommandLine::withoutLaunchArguments(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i > 0 && argument == QLatin1String("isUITest"))
            continue;
        // "-key value": one dash and a word longer than a short option.
        if (i > 0 && argument.size() > 2 && argument.startsWith(QLatin1Char('-')) &&
            !argument.startsWith(QLatin1String("--")) && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        kept.append(argument);
    }
    return kept;
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures objects in a photo against a bank-card-sized reference card.\n"
                       "Without PHOTO the camera's live picture is used."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PHOTO"),
                                 QStringLiteral("A photo (JPEG, PNG, WebP, ...) to measure "
                                                "instead of the camera's picture."),
                                 QStringLiteral("[PHOTO]"));

    CommandLine result;
    if (!parser.parse(withoutLaunchArguments(arguments))) {
        result.exitCode = 2;
        result.output = QStringLiteral("mirrel: %1\nTry 'mirrel --help'.").arg(parser.errorText());
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.exitCode = 0;
        // The usage line names the program by its file, or by a placeholder when no
        // application object exists yet; it is always "mirrel".
        QString text = parser.helpText();
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        text.replace(0, lineEnd, QStringLiteral("Usage: mirrel [options] [PHOTO]"));
        result.output = text.trimmed();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitCode = 0;
        result.output = QStringLiteral("mirrel %1").arg(QStringLiteral(MIRREL_VERSION));
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        result.exitCode = 2;
        result.output = QStringLiteral("mirrel: give at most one photo\nTry 'mirrel --help'.");
        return result;
    }
    if (!positional.isEmpty()) {
        // File managers may hand over a file URL.
        const QUrl url(positional.first());
        result.photo = url.isLocalFile() ? url.toLocalFile() : positional.first();
        result.photo = QFileInfo(result.photo).absoluteFilePath();
    }
    return result;
}
