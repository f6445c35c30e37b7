// mirrel-measure: the measurement core and the card detector on the command line. Standard
// output carries only JSON; a failure is one line on standard error.

#include "capture/ImageLoader.h"
#include "cli/MeasureArguments.h"
#include "cli/MeasureTool.h"
#include "core/Diagnostics.h"

#include <QCoreApplication>

#ifdef MIRREL_MEASURE_ANNOTATE
#include "ui/AnnotationRenderer.h"
#include "ui/TextTables.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool verbose()
{
    return qEnvironmentVariableIsSet("MIRREL_VERBOSE");
}

// libpng writes its complaints straight to the standard error stream; keep them out of the
// tool's one-line report unless asked for.
class QuietStandardError
{
public:
    QuietStandardError()
    {
        if (verbose())
            return;
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        if (m_saved >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~QuietStandardError()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int m_saved = -1;
};

ImageLoader::Result quietlyLoaded(const QString &path)
{
    QuietStandardError quiet;
    return ImageLoader::load(path);
}

// Image decoders talk through Qt's warnings ("libpng error: ..."); the tool reports every
// failure in its own single line, so their chatter is only shown on request.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || verbose())
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

#ifdef MIRREL_MEASURE_ANNOTATE
Checked<QImage> annotated(const MeasureTool::Annotation &annotation)
{
    const AnnotationRenderer::Result result = AnnotationRenderer::render(
        {annotation.photoPath, annotation.photo, annotation.card, annotation.segments});
    if (result.image.isNull())
        return Failure{exitUsage, result.error};
    return result.image;
}

// annotate draws with the app's views, which need a GUI application but never a display: it
// renders off screen, in software, so that it runs the same on a server. The labels read the
// unit system from the settings; --units overrides it for this run the way a launch argument
// does in the app.
std::unique_ptr<QCoreApplication> application(int &argc, char **argv, const QStringList &given,
                                              std::vector<QByteArray> &arguments)
{
    const Checked<ToolRequest> request = MeasureArguments::parse(given);
    if (!request.ok() || request->command != ToolRequest::Command::annotate)
        return std::make_unique<QCoreApplication>(argc, argv);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    const QStringList views = MeasureArguments::viewArguments(
        QStringList(QString::fromLocal8Bit(argv[0])) + given, *request);
    for (const QString &argument : views)
        arguments.push_back(argument.toLocal8Bit());
    static std::vector<char *> pointers;
    for (QByteArray &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    static int count = int(arguments.size());
    auto app = std::make_unique<QGuiApplication>(count, pointers.data());
    TextTables::install();
    return app;
}
#else
const MeasureTool::Annotator annotated;

std::unique_ptr<QCoreApplication> application(int &argc, char **argv, const QStringList &,
                                              std::vector<QByteArray> &)
{
    return std::make_unique<QCoreApplication>(argc, argv);
}
#endif

} // namespace

#ifdef MIRREL_MEASURE_ANNOTATE
Q_IMPORT_QML_PLUGIN(MirrelPlugin)
#endif

int main(int argc, char **argv)
{
    // The app's diagnostic lines (the calculator's, say) would make a second line on a failure
    // that the tool already explains.
    Diagnostics::setSink(verbose() ? &Diagnostics::toStandardError : [](const char *) {});
    qInstallMessageHandler(&quietMessages);
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given.append(QString::fromLocal8Bit(argv[i]));
    std::vector<QByteArray> arguments;
    const std::unique_ptr<QCoreApplication> app = application(argc, argv, given, arguments);
    QCoreApplication::setApplicationName(QStringLiteral("mirrel-measure"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));

    const MeasureTool tool(&quietlyLoaded, annotated);
    // As given, without the unit override put in for the views.
    const MeasureTool::Outcome outcome = tool.run(given);
    // A full disk or a closed file behind standard output loses the JSON: no success.
    const auto size = size_t(outcome.output.size());
    if (size > 0 && (std::fwrite(outcome.output.constData(), 1, size, stdout) != size ||
                     std::fflush(stdout) != 0)) {
        std::fprintf(stderr, "mirrel-measure: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return exitUsage;
    }
    if (!outcome.error.isEmpty())
        std::fprintf(stderr, "mirrel-measure: %s\n", qPrintable(outcome.error));
    return outcome.exit;
}
