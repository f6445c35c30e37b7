#include "core/Session.h"

#include "core/UserDefaults.h"

#include <QCoreApplication>

Session &Session::shared()
{
    static Session session(QCoreApplication::instance() ? QCoreApplication::arguments()
                                                        : QStringList(),
                           UserDefaults::standard());
    return session;
}

Session::Session(QStringList arguments, const UserDefaults &defaults)
    : m_arguments(std::move(arguments)), m_defaults(defaults)
{
}

bool Session::isUITest()
{
    if (!m_isUITest) {
        const QString key = QStringLiteral("isUITest");
        m_isUITest =
            m_arguments.contains(key, Qt::CaseSensitive) || m_defaults.string(key).has_value();
    }
    return *m_isUITest;
}

bool Session::isSimulator()
{
    if (!m_isSimulator) {
        m_isSimulator =
            !m_arguments.isEmpty() &&
            m_arguments.first().contains(QLatin1String("CoreSimulator"), Qt::CaseSensitive);
    }
    return *m_isSimulator;
}
