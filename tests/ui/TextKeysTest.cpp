#include "UiHarness.h"

#include "session/CameraState.h"
#include "ui/ResolvedText.h"
#include "ui/TextKeys.h"
#include "ui/TextTables.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

QString sourceDir()
{
    return qEnvironmentVariable("MIRREL_SOURCE_DIR");
}

// Every key written literally into a qsTrId/qtTrId call anywhere in the program's sources.
QSet<QString> keysInSources()
{
    static const QRegularExpression call(QStringLiteral(R"(q[st]TrId\(\s*"([^"]+)\")"));
    QSet<QString> keys;
    for (const char *folder : {"app", "core", "session", "capture", "ui", "cli", "tools"}) {
        QDirIterator files(
            sourceDir() + QLatin1Char('/') + QLatin1String(folder),
            {QStringLiteral("*.qml"), QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
            QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (const auto &match : call.globalMatch(text))
                keys.insert(match.captured(1));
        }
    }
    return keys;
}

// Every key the program looks up: the literal ones, the table of TextKeys, the tutorial's
// pattern and the hint banner's choice by state.
QSet<QString> keysInUse()
{
    QSet<QString> keys = keysInSources();
    for (const QStringList &list :
         {TextKeys::displayKeys(), TextKeys::resolvedKeys(), TextKeys::tutorialKeyNames()}) {
        for (const QString &key : list)
            keys.insert(key);
    }
    for (const CameraState &state :
         {CameraState::takePicture(), CameraState::confirmCardSelection(false),
          CameraState::confirmCardSelection(true), CameraState::addTarget(false),
          CameraState::addTarget(true), CameraState::exportPicture()})
        keys.insert(state.hint());
    return keys;
}

QSet<QString> keysInTable(const QString &language)
{
    QFile file(QStringLiteral("%1/resources/translations/mirrel_%2.ts").arg(sourceDir(), language));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    static const QRegularExpression message(QStringLiteral(R"(<message id="([^"]+)\")"));
    QSet<QString> keys;
    for (const auto &match : message.globalMatch(QString::fromUtf8(file.readAll())))
        keys.insert(match.captured(1).replace(QStringLiteral("&quot;"), QStringLiteral("\"")));
    return keys;
}

// Counts how often the tables are asked for one key.
class CountingTranslator : public QTranslator
{
public:
    explicit CountingTranslator(QString key) : m_key(std::move(key)) {}

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        if (QString::fromUtf8(sourceText) == m_key)
            ++m_count;
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }

    [[nodiscard]] int count() const { return m_count; }

private:
    QString m_key;
    mutable std::atomic<int> m_count{0};
};

} // namespace

// A key typed differently in the code and in a table shows the raw key to the user; a table
// that lacks a key shows it in that language only.
TEST(TextTables, every_key_the_program_looks_up_has_a_text_in_every_shipped_language)
{
    const QSet<QString> used = keysInUse();
    for (const QString &language : TextTables::languages()) {
        QTranslator table;
        ASSERT_TRUE(table.load(QStringLiteral(":/mirrel/i18n/mirrel_%1.qm").arg(language)));
        for (const QString &key : used) {
            const QString text = table.translate(nullptr, key.toUtf8().constData());
            EXPECT_FALSE(text.trimmed().isEmpty())
                << "no " << language.toStdString() << " text for " << key.toStdString();
        }
        // And nothing in the table that the program never shows.
        for (const QString &key : keysInTable(language))
            EXPECT_TRUE(used.contains(key)) << key.toStdString() << " is never used";
    }
}

TEST(TextTables, a_missing_key_shows_the_key_itself_for_both_kinds)
{
    UiHarness ui;
    const ResolvedText resolved("Settings_Not_In_Any_Table");
    EXPECT_EQ(resolved.text(), QStringLiteral("Settings_Not_In_Any_Table"));

    QQuickItem *text =
        ui.show(QStringLiteral("import QtQuick\nText { text: qsTrId(\"Main_Not_In_Any_Table\") }"),
                {}, QSize(200, 50));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->property("text").toString(), QStringLiteral("Main_Not_In_Any_Table"));
}

// A resolved string is read on every redraw of the settings; the lookup must happen once, also
// when several threads read it first at the same moment.
TEST(TextTables, a_resolved_string_is_looked_up_once_and_then_kept)
{
    CountingTranslator counter(QStringLiteral("Settings_Help"));
    QCoreApplication::installTranslator(&counter);
    const ResolvedText help("Settings_Help");
    std::vector<std::thread> readers;
    std::atomic<bool> same{true};
    for (int i = 0; i < 8; ++i) {
        readers.emplace_back([&] {
            if (help.text() != QStringLiteral("Help"))
                same = false;
        });
    }
    for (auto &reader : readers)
        reader.join();
    EXPECT_EQ(help.text(), QStringLiteral("Help"));
    QCoreApplication::removeTranslator(&counter);
    EXPECT_EQ(counter.count(), 1);
    EXPECT_TRUE(same);
}

// Display keys follow the language whenever they are drawn; resolved strings keep the language
// of their first read.
TEST(TextTables, display_keys_follow_a_language_change_and_resolved_strings_keep_theirs)
{
    UiHarness ui;
    const ResolvedText unit("Settings_App_Unit");
    EXPECT_EQ(unit.text(), QStringLiteral("Units"));
    QQuickItem *text =
        ui.show(QStringLiteral("import QtQuick\nText { text: qsTrId(\"Main_hintExport\") }"), {},
                QSize(300, 50));
    ASSERT_TRUE(text);
    const QString english = text->property("text").toString();

    ASSERT_EQ(TextTables::install(QLocale(QLocale::German)), QStringLiteral("de"));
    ui.engine().retranslate();
    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral(":/mirrel/i18n/mirrel_de.qm")));
    EXPECT_EQ(text->property("text").toString(), german.translate(nullptr, "Main_hintExport"));
    EXPECT_NE(text->property("text").toString(), english);
    EXPECT_EQ(unit.text(), QStringLiteral("Units"));
    TextTables::install(QLocale(QLocale::English));
}
