#include "core/UserDefaults.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QStandardPaths>

UserDefaults &UserDefaults::standard()
{
    static UserDefaults defaults = [] {
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QStringList arguments =
            QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
        return UserDefaults(folder + QStringLiteral("/Mirrel/Mirrel.conf"), arguments);
    }();
    return defaults;
}

UserDefaults::UserDefaults(const QString &settingsFile, const QStringList &arguments)
    : m_settings(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat)),
      m_arguments(parseArgumentDomain(arguments))
{
}

UserDefaults::~UserDefaults() = default;

QHash<QString, QString> UserDefaults::parseArgumentDomain(const QStringList &arguments)
{
    QHash<QString, QString> domain;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-')))
            continue;
        domain.insert(argument.mid(1), arguments[i + 1]);
        ++i;
    }
    return domain;
}

QVariant UserDefaults::object(const QString &key) const
{
    if (const auto it = m_arguments.constFind(key); it != m_arguments.cend())
        return *it;
    return m_settings->value(key);
}

bool UserDefaults::boolValue(const QString &key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("yes"))
            return true;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        return isNumber && number != 0.0;
    }
    default:
        return false;
    }
}

std::optional<QString> UserDefaults::string(const QString &key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return value.toString();
    default:
        return std::nullopt;
    }
}

bool UserDefaults::setBool(const QString &key, bool value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    if (m_settings->status() == QSettings::FormatError) {
        // A line that could not be read when the file was loaded keeps this status for good,
        // and hides whether a save failed since. The save drops that line: read the file again
        // and see whether it holds the value now. If not, the old settings keep it in memory.
        auto reread = std::make_unique<QSettings>(m_settings->fileName(), QSettings::IniFormat);
        if (reread->status() == QSettings::NoError && reread->contains(key) &&
            reread->value(key).toBool() == value) {
            m_settings = std::move(reread);
            return true;
        }
    }
    if (!m_warnedAboutWrite) {
        // The value still holds for this run; say once why it will not survive a restart.
        qWarning().noquote() << "Mirrel: cannot save settings to" << m_settings->fileName()
                             << "- changes last until the program closes";
        m_warnedAboutWrite = true;
    }
    return false;
}

QString UserDefaults::fileName() const
{
    return m_settings->fileName();
}
