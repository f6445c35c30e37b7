// mirrel-measure: the measurement core and the card detector on the command line. Standard
// output carries only JSON; a failure is one line on standard error.

#include "capture/ImageLoader.h"
#include "cli/MeasureTool.h"
#include "core/Diagnostics.h"

#include <QCoreApplication>

#include <cstdio>
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

} // namespace

int main(int argc, char **argv)
{
    // The app's diagnostic lines (the calculator's, say) would make a second line on a failure
    // that the tool already explains.
    Diagnostics::setSink(verbose() ? &Diagnostics::toStandardError : [](const char *) {});
    qInstallMessageHandler(&quietMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirrel-measure"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRREL_VERSION));

    const MeasureTool tool(&quietlyLoaded);
    const MeasureTool::Outcome outcome = tool.run(QCoreApplication::arguments().mid(1));
    std::fwrite(outcome.output.constData(), 1, size_t(outcome.output.size()), stdout);
    if (!outcome.error.isEmpty())
        std::fprintf(stderr, "mirrel-measure: %s\n", qPrintable(outcome.error));
    return outcome.exit;
}
