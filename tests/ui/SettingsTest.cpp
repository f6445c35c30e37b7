#include "ChromeTesting.h"
#include "FakePlatformServices.h"
#include "UiHarness.h"

#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "ui/SystemActions.h"
#include "ui/TextTables.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include <memory>

using chrome::child;
using chrome::click;
using chrome::shown;

namespace {

struct SettingsRig
{
    SettingsRig()
        : file(folder.filePath(QStringLiteral("settings.ini"))),
          defaults(std::make_unique<UserDefaults>(file)),
          storage(std::make_unique<Storage>(*defaults))
    {
    }

    QQuickItem *show(UiHarness &ui, QSize size = QSize(390, 844))
    {
        return ui.show(QStringLiteral("SettingsView"),
                       {{"storage", QVariant::fromValue(storage.get())}}, size);
    }

    // The unit system a new run would start with.
    [[nodiscard]] Storage::UnitSystem unitOnNextLaunch() const
    {
        UserDefaults reread(file);
        return Storage(reread).unitSystem();
    }

    QTemporaryDir folder;
    QString file;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<Storage> storage;
};

// The first item called `name` whose title text the user can tap.
QQuickItem *rowTitle(QQuickItem *settings, const char *name)
{
    return child(child(settings, name), "SettingsSectionButton_Title");
}

bool isSelected(QQuickItem *segment)
{
    return segment->property("selected").toBool();
}

} // namespace

// The unit picked is the unit stored: at once, for this run, and for the next one.
TEST(Settings, the_unit_picker_writes_the_choice_and_shows_the_stored_one)
{
    SettingsRig rig;
    rig.storage->setUnitSystem(Storage::UnitSystem::metric);
    UiHarness ui;
    QQuickItem *settings = rig.show(ui);
    ASSERT_TRUE(settings);
    QQuickItem *metric = child(settings, "SettingsAppUnitView_Metric");
    QQuickItem *imperial = child(settings, "SettingsAppUnitView_Imperial");
    EXPECT_TRUE(isSelected(metric));
    EXPECT_FALSE(isSelected(imperial));

    click(ui.window(), imperial);
    EXPECT_EQ(rig.storage->unitSystem(), Storage::UnitSystem::imperial);
    EXPECT_TRUE(isSelected(imperial));
    EXPECT_FALSE(isSelected(metric));
    EXPECT_EQ(rig.unitOnNextLaunch(), Storage::UnitSystem::imperial);

    // A change from elsewhere shows at once.
    rig.storage->setUnitSystem(Storage::UnitSystem::metric);
    EXPECT_TRUE(isSelected(metric));
    click(ui.window(), metric);
    EXPECT_EQ(rig.unitOnNextLaunch(), Storage::UnitSystem::metric);
}

// Each row hands its own address to the desktop; the rating asks over the active window first
// and opens the store page in any case, also without a window.
TEST(Settings, the_app_rows_open_the_web_site_the_support_mail_and_the_store)
{
    FakePlatformServicesScope services;
    const QString store = QStringLiteral("open https://flathub.org/apps/app.mirrel.Mirrel");
    SystemActions::rateApp();
    EXPECT_EQ(services->calls, QStringList{store});
    services->calls.clear();

    SettingsRig rig;
    UiHarness ui;
    QQuickItem *settings = rig.show(ui);
    ASSERT_TRUE(settings);

    click(ui.window(), rowTitle(settings, "Settings_About_Us"));
    click(ui.window(), rowTitle(settings, "Settings_Contact_Us"));
    ASSERT_EQ(services->calls.size(), 2);
    EXPECT_EQ(services->calls[0], QStringLiteral("open https://www.mirrel.app"));
    EXPECT_EQ(services->calls[1],
              QStringLiteral("open mailto:support@mirrel.app?subject=Feedback%20on%20Mirrel"));

    services->calls.clear();
    ui.window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ui.window()));
    // The chevron is as good as the title.
    click(ui.window(),
          child(child(settings, "Settings_Rate_the_App"), "SettingsSectionButton_Chevron"));
    EXPECT_EQ(services->calls, QStringList({QStringLiteral("review"), store}));
    EXPECT_EQ(services->reviewWindow, &ui.window());
}

// The subject is encoded with the path-allowed set: letters, digits and - . _ ~ ! $ & ' ( ) * +
// , ; = : / @ stay, everything else (space, ?, #, %, non-ASCII) becomes UTF-8 %XX.
TEST(Settings, the_mail_subject_is_percent_encoded_with_the_path_allowed_set)
{
    EXPECT_EQ(SystemActions::encodedPathAllowed(QStringLiteral("a-Z_9.~!$&'()*+,;=:/@")),
              QStringLiteral("a-Z_9.~!$&'()*+,;=:/@"));
    EXPECT_EQ(SystemActions::encodedPathAllowed(QStringLiteral("Rückmeldung zu Mirrel? #1 50%")),
              QStringLiteral("R%C3%BCckmeldung%20zu%20Mirrel%3F%20%231%2050%25"));
    EXPECT_EQ(SystemActions::encodedPathAllowed(QStringLiteral("[x]\"<>")),
              QStringLiteral("%5Bx%5D%22%3C%3E"));
    const QString broken(QChar(0xD800)); // half a surrogate pair
    EXPECT_FALSE(SystemActions::encodedPathAllowed(broken));
    EXPECT_FALSE(SystemActions::supportMailUrl(broken));
    const auto url = SystemActions::supportMailUrl(QStringLiteral("Rückmeldung zu Mirrel"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->toString(QUrl::FullyEncoded),
              QStringLiteral("mailto:support@mirrel.app?subject=R%C3%BCckmeldung%20zu%20Mirrel"));

    // The encoding keeps "&", which a mail program reads as the start of the next field: no
    // shipped subject may contain one, or it arrives cut short.
    for (const QString &language : TextTables::languages()) {
        QTranslator table;
        ASSERT_TRUE(table.load(QStringLiteral(":/mirrel/i18n/mirrel_%1.qm").arg(language)));
        EXPECT_FALSE(
            table.translate(nullptr, "Settings_Contact_Default_Subject").contains(QLatin1Char('&')))
            << language.toStdString();
    }
}

// Close and how-to-use only report to the host; the close button sits in the top leading corner
// and stays there while the sections scroll under it.
TEST(Settings, close_and_how_to_use_report_and_the_sections_scroll_under_the_close_button)
{
    SettingsRig rig;
    UiHarness ui;
    QQuickItem *settings = rig.show(ui, QSize(390, 500));
    ASSERT_TRUE(settings);
    QSignalSpy close(settings, SIGNAL(closeAction()));
    QSignalSpy howToUse(settings, SIGNAL(howToUseAction()));
    QQuickItem *closeButton = child(settings, "SettingsView_CloseButton");
    EXPECT_EQ(closeButton->mapToScene({0, 0}), QPointF(0, 0));
    EXPECT_EQ(closeButton->size(), QSizeF(44, 44));

    auto *scroller = child(settings, "SettingsView_Scroller");
    EXPECT_GT(scroller->property("contentHeight").toDouble(), scroller->height());
    EXPECT_TRUE(shown(child(settings, "SettingsView_ScrollIndicator")));
    const QPoint start(200, 420);
    QTest::mousePress(&ui.window(), Qt::LeftButton, {}, start);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(&ui.window(), start - QPoint(0, 30 * step), 10);
    QTest::mouseRelease(&ui.window(), Qt::LeftButton, {}, start - QPoint(0, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !scroller->property("moving").toBool(); }));
    EXPECT_GT(scroller->property("contentY").toDouble(), 0);
    EXPECT_EQ(closeButton->mapToScene({0, 0}), QPointF(0, 0));

    click(ui.window(), rowTitle(settings, "Settings_HowToUse"));
    click(ui.window(), closeButton);
    EXPECT_EQ(howToUse.count(), 1);
    EXPECT_EQ(close.count(), 1);
    // The how-to-use row is centred and has no chevron.
    QQuickItem *howTo = child(settings, "Settings_HowToUse");
    EXPECT_FALSE(shown(child(howTo, "SettingsSectionButton_Chevron")));
    EXPECT_NEAR(chrome::centreOf(rowTitle(settings, "Settings_HowToUse")).x(),
                chrome::centreOf(howTo).x(), 1);
}

// Guards a settings screen that only a pointer could use: no control took the keyboard focus.
// Tab walks the controls in order, ringed and scrolled into view; Space, Enter and the arrows
// press them.
TEST(Settings, a_keyboard_user_tabs_through_every_control_and_presses_it)
{
    FakePlatformServicesScope services;
    SettingsRig rig;
    UiHarness ui;
    QQuickItem *settings = rig.show(ui, QSize(390, 500));
    ASSERT_TRUE(settings);
    ui.window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ui.window()));
    QSignalSpy close(settings, SIGNAL(closeAction()));
    QSignalSpy howToUse(settings, SIGNAL(howToUseAction()));
    auto *scroller = child(settings, "SettingsView_Scroller");
    const auto key = [&](Qt::Key key, const char *focused) {
        QTest::keyClick(&ui.window(), key,
                        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        QQuickItem *item = ui.window().activeFocusItem();
        ASSERT_TRUE(item && item->objectName() == QLatin1String(focused)) << focused;
        EXPECT_TRUE(shown(child(item, "FocusRing"))) << focused;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const QRectF area = item->mapRectToItem(scroller, item->boundingRect());
            return item->objectName() == QLatin1String("SettingsView_CloseButton") ||
                   (area.top() >= 0 && area.bottom() <= scroller->height());
        })) << focused;
    };

    key(Qt::Key_Tab, "SettingsView_CloseButton");
    QTest::keyClick(&ui.window(), Qt::Key_Space);
    key(Qt::Key_Tab, "SettingsAppUnitView_Metric");
    EXPECT_FALSE(shown(child(child(settings, "SettingsView_CloseButton"), "FocusRing")));
    key(Qt::Key_Right, "SettingsAppUnitView_Imperial");
    EXPECT_EQ(rig.unitOnNextLaunch(), Storage::UnitSystem::imperial);
    key(Qt::Key_Backtab, "SettingsAppUnitView_Metric");
    QTest::keyClick(&ui.window(), Qt::Key_Return);
    EXPECT_EQ(rig.storage->unitSystem(), Storage::UnitSystem::metric);
    key(Qt::Key_Tab, "SettingsAppUnitView_Imperial");
    key(Qt::Key_Tab, "Settings_HowToUse");
    QTest::keyClick(&ui.window(), Qt::Key_Enter);
    key(Qt::Key_Tab, "Settings_About_Us");
    key(Qt::Key_Tab, "Settings_Contact_Us");
    key(Qt::Key_Tab, "Settings_Rate_the_App");
    QTest::keyClick(&ui.window(), Qt::Key_Space);
    EXPECT_EQ(close.count(), 1);
    EXPECT_EQ(howToUse.count(), 1);
    EXPECT_EQ(services->calls.value(1),
              QStringLiteral("open https://flathub.org/apps/app.mirrel.Mirrel"));
    for (const char *back : {"Settings_Contact_Us", "Settings_About_Us", "Settings_HowToUse",
                             "SettingsAppUnitView_Imperial"})
        key(Qt::Key_Backtab, back);
}

// Guards a settings screen whose controls a screen reader listed but could not press. Each is
// offered with its role and the words it shows (the close button, a symbol, with its own), and
// pressed that way does what a tap does.
TEST(Settings, a_screen_reader_finds_every_control_by_name_and_presses_it)
{
    FakePlatformServicesScope services;
    // As with a screen reader running.
    QAccessible::setActive(true);
    SettingsRig rig;
    rig.storage->setUnitSystem(Storage::UnitSystem::metric);
    UiHarness ui;
    QQuickItem *settings = rig.show(ui);
    ASSERT_TRUE(settings);
    QSignalSpy close(settings, SIGNAL(closeAction()));
    QSignalSpy howToUse(settings, SIGNAL(howToUseAction()));
    const auto offered = [](QQuickItem *item, QAccessible::Role role, const QString &name) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
        ASSERT_TRUE(face) << item->objectName().toStdString();
        EXPECT_EQ(face->role(), role) << item->objectName().toStdString();
        EXPECT_EQ(face->text(QAccessible::Name), name) << item->objectName().toStdString();
    };

    QQuickItem *closeButton = child(settings, "SettingsView_CloseButton");
    offered(closeButton, QAccessible::Button, qtTrId("Common_Close"));
    EXPECT_TRUE(chrome::pressAsScreenReader(closeButton));
    EXPECT_EQ(close.count(), 1);

    QQuickItem *imperial = child(settings, "SettingsAppUnitView_Imperial");
    offered(imperial, QAccessible::RadioButton, qtTrId("Settings_App_Unit_Imperial"));
    EXPECT_TRUE(chrome::pressAsScreenReader(imperial));
    EXPECT_EQ(rig.unitOnNextLaunch(), Storage::UnitSystem::imperial);
    EXPECT_TRUE(chrome::pressAsScreenReader(child(settings, "SettingsAppUnitView_Metric")));
    EXPECT_EQ(rig.unitOnNextLaunch(), Storage::UnitSystem::metric);

    for (const char *row : {"Settings_HowToUse", "Settings_About_Us"}) {
        QQuickItem *title = rowTitle(settings, row);
        offered(title, QAccessible::Button, title->property("text").toString());
        EXPECT_FALSE(title->property("text").toString().isEmpty()) << row;
        EXPECT_TRUE(chrome::pressAsScreenReader(title)) << row;
    }
    EXPECT_EQ(howToUse.count(), 1);
    EXPECT_EQ(services->calls, QStringList{QStringLiteral("open https://www.mirrel.app")});
}
