#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

// A C locale whose decimal mark is a comma (German), for tests of text that must not follow
// LC_NUMERIC. Test machines often have no such locale installed; then one is made from glibc's
// locale sources with localedef, once per test program, into a temporary folder that LOCPATH
// then names (for the program and the processes it starts).
// None when neither works: the caller skips.
struct CommaLocale
{
    QString name;
    QString locPath; // empty when the locale is installed

    [[nodiscard]] static std::optional<CommaLocale> find()
    {
        static const std::optional<CommaLocale> found = search();
        return found;
    }

private:
    [[nodiscard]] static bool hasComma(const char *name)
    {
        const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
        const bool comma = std::setlocale(LC_NUMERIC, name) &&
                           std::localeconv()->decimal_point == std::string_view(",");
        std::setlocale(LC_NUMERIC, previous.c_str());
        return comma;
    }

    [[nodiscard]] static std::optional<CommaLocale> search()
    {
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
            if (hasComma(name))
                return CommaLocale{QString::fromLatin1(name), {}};
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty() || !QFile::exists(QStringLiteral("/usr/share/i18n/locales/de_DE")))
            return std::nullopt;
        // Removed when the test program ends.
        static QTemporaryDir made;
        const QString folder = made.path();
        QProcess::execute(localedef,
                          {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), folder + QStringLiteral("/de_DE.UTF-8")});
        ::setenv("LOCPATH", QFile::encodeName(folder).constData(), 1);
        if (hasComma("de_DE.UTF-8"))
            return CommaLocale{QStringLiteral("de_DE.UTF-8"), folder};
        ::unsetenv("LOCPATH");
        return std::nullopt;
    }
};
