#pragma once

#include <QLocale>
#include <QStringList>

class QCoreApplication;

// The string tables compiled into the program: every visible text is looked up by key, and a key
// missing from the tables shows as the key itself.
class TextTables
{
public:
    // The languages the program ships, English first.
    [[nodiscard]] static QStringList languages();

    // Installs the English table and, on top of it, the table of the locale's language when the
    // program ships one, so a text missing there still reads in English. Replaces the tables
    // installed by an earlier call. Returns the language that now answers first.
    static QString install(const QLocale &locale = QLocale());
};
