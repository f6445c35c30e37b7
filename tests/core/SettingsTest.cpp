#include "core/Session.h"
#include "core/Storage.h"
#include "core/UserDefaults.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Units = Storage::UnitSystem;

struct LocaleScope
{
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

const QLocale german(QLocale::German, QLocale::Germany);
const QLocale american(QLocale::English, QLocale::UnitedStates);
const QLocale british(QLocale::English, QLocale::UnitedKingdom);

} // namespace

// Guards lost settings; the settings screen's visibility is never stored.
TEST(Storage, settings_survive_a_restart)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Mirrel.conf");
    {
        UserDefaults defaults(file);
        Storage storage(defaults);
        storage.setShowSettings(true);
        EXPECT_FALSE(QFile::exists(file));
        storage.setIsTutorialSeen(true);
        storage.setUnitSystem(Units::imperial);
    }
    UserDefaults defaults(file);
    Storage restarted(defaults);
    EXPECT_TRUE(restarted.isTutorialSeen());
    EXPECT_EQ(restarted.unitSystem(), Units::imperial);
    EXPECT_FALSE(restarted.showSettings());
}

// Guards a unit stored by merely reading it, and a stored unit losing to the locale.
TEST(Storage, locale_decides_only_while_nothing_is_stored)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath("Mirrel.conf"));
    const auto unitsIn = [&](const QLocale &locale) {
        LocaleScope scope(locale);
        return Storage(defaults).unitSystem();
    };
    EXPECT_EQ(unitsIn(german), Units::metric);
    EXPECT_EQ(unitsIn(american), Units::imperial);
    EXPECT_EQ(unitsIn(british), Units::imperial);
    EXPECT_FALSE(QFile::exists(dir.filePath("Mirrel.conf")));
    {
        // Picking the unit the locale would give still stores it.
        LocaleScope scope(german);
        Storage(defaults).setUnitSystem(Units::metric);
    }
    EXPECT_EQ(unitsIn(american), Units::metric);
}

TEST(Storage, unwritable_settings_keep_the_choice_for_the_run)
{
    QTemporaryDir dir;
    QString file = dir.filePath("Mirrel.conf");
    {
        QSettings seed(file, QSettings::IniFormat);
        seed.setValue(Storage::metricUnitKey, true);
    }
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    bool seeded = true;
    if (QFile(file).open(QIODevice::WriteOnly | QIODevice::Append)) {
        // Root writes read-only files: use a path below a plain file instead.
        QFile blocker(dir.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        file = dir.filePath("blocker/Mirrel.conf");
        seeded = false;
    }

    UserDefaults defaults(file);
    Storage storage(defaults);
    storage.setUnitSystem(Units::imperial); // must neither crash nor throw
    EXPECT_EQ(storage.unitSystem(), Units::imperial);
    EXPECT_EQ(Storage::storedUnitSystem(defaults), Units::imperial);
    EXPECT_FALSE(defaults.setBool(Storage::tutorialSeenKey, true));
    // The file itself is untouched.
    if (seeded) {
        EXPECT_TRUE(QSettings(file, QSettings::IniFormat).value(Storage::metricUnitKey).toBool());
    }
}

TEST(UserDefaults, a_line_that_cannot_be_read_does_not_fail_every_save)
{
    // Qt reports the stray line as a format error for as long as the settings live, also
    // after saves that succeed; those must count as saved, and keep the file's other keys.
    QTemporaryDir dir;
    const QString file = dir.filePath("Mirrel.conf");
    {
        QFile seed(file);
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write("[General]\nIS_METRIC_UNIT=true\nnot a setting\n");
    }
    UserDefaults defaults(file);
    EXPECT_TRUE(defaults.setBool(Storage::tutorialSeenKey, true));
    EXPECT_TRUE(defaults.setBool(Storage::metricUnitKey, false));
    EXPECT_FALSE(defaults.boolValue(Storage::metricUnitKey));

    const UserDefaults again(file);
    EXPECT_TRUE(again.boolValue(Storage::tutorialSeenKey));
    EXPECT_FALSE(again.boolValue(Storage::metricUnitKey));
}

TEST(UserDefaults, launch_argument_pairs_override_for_the_run_only)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Mirrel.conf");
    UserDefaults(file).setBool(Storage::metricUnitKey, true);
    UserDefaults overridden(file, {"mirrel", "-IS_METRIC_UNIT", "NO", "photo.jpg"});
    EXPECT_EQ(Storage::storedUnitSystem(overridden), Units::imperial);
    EXPECT_TRUE(UserDefaults(file).boolValue(Storage::metricUnitKey));

    UserDefaults yes(file, {"mirrel", "-Storage_isTutorialSeen", "YES"});
    EXPECT_TRUE(Storage(yes).isTutorialSeen());
    // A dangling key without a value is not a pair.
    EXPECT_FALSE(UserDefaults(file, {"mirrel", "-Storage_isTutorialSeen"})
                     .object(Storage::tutorialSeenKey)
                     .isValid());
}

TEST(Session, ui_test_and_simulator_facts)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Mirrel.conf");
    const UserDefaults empty(file);

    EXPECT_TRUE(Session({"/usr/bin/mirrel", "isUITest"}, empty).isUITest());
    for (const QString variant : {"isuitest", "isUITest2", "-isUITest"})
        EXPECT_FALSE(Session({"/usr/bin/mirrel", variant}, empty).isUITest())
            << variant.toStdString();

    const QStringList pair{"/usr/bin/mirrel", "-isUITest", "whatever"};
    const UserDefaults withPair(file, pair);
    EXPECT_TRUE(Session(pair, withPair).isUITest());

    EXPECT_TRUE(
        Session({"/Library/Developer/CoreSimulator/Devices/x/Mirrel"}, empty).isSimulator());
    EXPECT_FALSE(Session({"/usr/bin/mirrel", "CoreSimulator"}, empty).isSimulator());
    EXPECT_FALSE(Session({}, empty).isSimulator());

    QSettings(file, QSettings::IniFormat).setValue("isUITest", "1");
    const UserDefaults stored(file);
    EXPECT_TRUE(Session({"/usr/bin/mirrel"}, stored).isUITest());
}
