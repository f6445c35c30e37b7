#pragma once

#include <QHash>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// The user's persisted settings plus a volatile argument domain: a launch argument pair
// "-key value" overrides the stored value of key for this run only and is never written back.
class UserDefaults
{
public:
    // The program's settings file (an INI file in the user's configuration folder) and the
    // arguments of the running QCoreApplication, if there is one.
    static UserDefaults &standard();

    // Settings in the given INI file; arguments as the process received them (program first).
    explicit UserDefaults(const QString &settingsFile, const QStringList &arguments = {});
    ~UserDefaults();

    // Argument domain first, then the file; an invalid QVariant when neither has the key.
    [[nodiscard]] QVariant object(const QString &key) const;
    // false for an absent or non-boolean value. Accepts true/false, YES/NO and numbers.
    [[nodiscard]] bool boolValue(const QString &key) const;
    // A string or a number under key, as text; none otherwise.
    [[nodiscard]] std::optional<QString> string(const QString &key) const;

    // Writes to the file at once. Returns false (and leaves the value in memory only, for this
    // run) when the file cannot be written, e.g. a read-only settings file.
    bool setBool(const QString &key, bool value);

    [[nodiscard]] QString fileName() const;

    // "-key value" pairs after the program name.
    [[nodiscard]] static QHash<QString, QString> parseArgumentDomain(const QStringList &arguments);

private:
    std::unique_ptr<QSettings> m_settings;
    QHash<QString, QString> m_arguments;
    bool m_warnedAboutWrite = false;
};
