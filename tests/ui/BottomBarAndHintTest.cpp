#include "ChromeTesting.h"
#include "UiHarness.h"

#include "core/TargetModel.h"
#include "session/CameraState.h"
#include "ui/Palette.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using chrome::centreOf;
using chrome::child;
using chrome::click;
using chrome::shown;

namespace {

QVariant stateValue(const CameraState &state)
{
    return QVariant::fromValue(state);
}

// The first item below root whose QML type is `type` (the save button has no identifier).
QQuickItem *itemOfType(QQuickItem *root, const char *type)
{
    for (QQuickItem *item : root->findChildren<QQuickItem *>()) {
        if (QString::fromLatin1(item->metaObject()->className()).startsWith(QLatin1String(type)))
            return item;
    }
    ADD_FAILURE() << "no " << type;
    return nullptr;
}

QColor colorOf(QQuickItem *item, const char *property = "color")
{
    return item->property(property).value<QColor>();
}

// What one state shows on the hint and on the bottom bar.
struct StateRow
{
    CameraState state;
    const char *hintSymbol;
    const char *hintKey;
    // The hint's banner and the main button's disc.
    QColor colour;
    bool ring;
    const char *icon;       // on the main button; empty: none
    const char *saveSymbol; // empty: no save button
    bool addShown;          // and the main button's plus turned into a cross
};

} // namespace

// Each state has its own look on the hint and the bar, and the main button never moves while
// the left place fills and empties. The flag of confirmCardSelection changes nothing; the flag
// of addTarget turns grey into red, changes the hint and opens the add buttons.
TEST(HintAndBottomBar, every_state_shows_its_hint_buttons_and_colours)
{
    const QList<StateRow> rows = {
        {CameraState::takePicture(), "camera.metering.spot", "Main_hintTakePicture",
         Palette::accent(), true, "", "", false},
        {CameraState::confirmCardSelection(false), "skew", "Main_hintConfirmCardSelectionCard",
         Palette::accent(), true, "checkmark", "", false},
        {CameraState::confirmCardSelection(true), "skew", "Main_hintConfirmCardSelectionCard",
         Palette::accent(), true, "checkmark", "", false},
        {CameraState::addTarget(false), "plus.rectangle.on.rectangle", "Main_hintAddTarget",
         Palette::lightGray(), false, "plus", "checkmark", false},
        {CameraState::addTarget(true), "plus.rectangle.on.rectangle", "Main_hintAddTargetSelected",
         Palette::alertRed(), false, "plus", "checkmark", true},
        {CameraState::exportPicture(), "arrow.counterclockwise", "Main_hintExport",
         Palette::accent(), false, "square.and.arrow.up", "arrow.counterclockwise", false},
    };
    UiHarness ui;
    QQuickItem *screen =
        ui.show(QStringLiteral(R"(
        import QtQuick
        import Mirrel as Mirrel
        Item {
            id: root
            required property var cameraState
            Mirrel.HintView { cameraState: root.cameraState }
            Mirrel.CameraBottomView {
                y: 200; width: root.width; height: 120
                cameraState: root.cameraState
            }
        })"),
                {{"cameraState", stateValue(CameraState::takePicture())}}, QSize(390, 320));
    ASSERT_TRUE(screen);
    QQuickItem *main = child(screen, "CameraBottomView_CameraMainButton");
    const QPointF mainPlace = main->mapToScene({0, 0});
    EXPECT_NEAR(centreOf(main).x(), 195, 1);
    for (const StateRow &row : rows) {
        SCOPED_TRACE(row.hintKey);
        screen->setProperty("cameraState", stateValue(row.state));
        EXPECT_EQ(child(screen, "HintView_Icon")->property("name").toString(),
                  QString::fromLatin1(row.hintSymbol));
        EXPECT_EQ(child(screen, "HintView_Text")->property("text").toString(), qtTrId(row.hintKey));
        EXPECT_EQ(colorOf(child(screen, "HintView_Banner")), row.colour);

        QQuickItem *disc = child(screen, "CameraMainButton_Disc");
        QQuickItem *icon = child(screen, "CameraMainButton_Icon");
        EXPECT_EQ(child(screen, "CameraMainButton_Ring")->isVisible(), row.ring);
        EXPECT_TRUE(QTest::qWaitFor([&] { return colorOf(disc) == row.colour; }));
        EXPECT_EQ(icon->isVisible(), *row.icon != 0);
        if (*row.icon) {
            EXPECT_EQ(icon->property("name").toString(), QString::fromLatin1(row.icon));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return icon->rotation() == (row.addShown ? 45 : 0); }));
        QQuickItem *save = itemOfType(screen, "CameraSaveImageButton");
        EXPECT_EQ(shown(save), *row.saveSymbol != 0);
        if (*row.saveSymbol) {
            EXPECT_EQ(child(save, "CameraRoundButton_Symbol")->property("name").toString(),
                      QString::fromLatin1(row.saveSymbol));
        }
        for (const char *add :
             {"CameraMainButton_AddLineButton", "CameraMainButton_AddRectangleButton"}) {
            QQuickItem *button = child(screen, add);
            EXPECT_TRUE(QTest::qWaitFor([&] { return shown(button) == row.addShown; })) << add;
        }
        EXPECT_EQ(main->mapToScene({0, 0}), mainPlace);
        EXPECT_TRUE(shown(child(screen, "CameraBottomView_CameraHelpButton")));
    }
}

TEST(HintView, a_long_hint_wraps_onto_centred_lines_inside_the_capsule)
{
    UiHarness ui;
    QQuickItem *hint =
        ui.show(QStringLiteral("HintView"),
                {{"cameraState", stateValue(CameraState::exportPicture())}, {"maximumWidth", 200}},
                QSize(390, 300));
    ASSERT_TRUE(hint);
    QQuickItem *text = child(hint, "HintView_Text");
    QQuickItem *banner = child(hint, "HintView_Banner");
    EXPECT_LE(banner->width(), 200);
    EXPECT_GT(text->property("lineCount").toInt(), 1);
    // The text stays inside the banner, above and below the padding.
    const QRectF inBanner =
        text->mapRectToItem(banner, QRectF(0, 0, text->width(), text->height()));
    EXPECT_GE(inBanner.top(), 16 - 0.5);
    EXPECT_LE(inBanner.bottom(), banner->height() - 16 + 0.5);
}

// Every press reaches the screen as its own action, and a hidden add button cannot be hit.
TEST(CameraBottomView, presses_report_their_actions)
{
    UiHarness ui;
    QQuickItem *bar =
        ui.show(QStringLiteral("CameraBottomView"),
                {{"cameraState", stateValue(CameraState::addTarget(false))}}, QSize(390, 120));
    ASSERT_TRUE(bar);
    QSignalSpy main(bar, SIGNAL(mainAction()));
    QSignalSpy help(bar, SIGNAL(helpAction()));
    QSignalSpy save(bar, SIGNAL(saveImageAction()));
    QSignalSpy add(bar, SIGNAL(addMeasurableAction(int)));

    // Where the add-line button shows when open: one button and a gap left of the main one.
    const QPoint lineButton =
        (centreOf(child(bar, "CameraBottomView_CameraMainButton")) - QPointF(66 + 8, 0)).toPoint();
    QTest::mouseClick(&ui.window(), Qt::LeftButton, {}, lineButton);
    EXPECT_EQ(add.count(), 0);

    click(ui.window(), child(bar, "CameraBottomView_CameraMainButton"));
    click(ui.window(), child(bar, "CameraBottomView_CameraHelpButton"));
    click(ui.window(), itemOfType(bar, "CameraSaveImageButton"));
    EXPECT_EQ(main.count(), 1);
    EXPECT_EQ(help.count(), 1);
    EXPECT_EQ(save.count(), 1);

    bar->setProperty("cameraState", stateValue(CameraState::addTarget(true)));
    QQuickItem *line = child(bar, "CameraMainButton_AddLineButton");
    QQuickItem *rectangle = child(bar, "CameraMainButton_AddRectangleButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->scale() == 1 && rectangle->scale() == 1; }));
    click(ui.window(), line);
    click(ui.window(), rectangle);
    ASSERT_EQ(add.count(), 2);
    EXPECT_EQ(add[0][0].toInt(), int(TargetModel::Measurable::line));
    EXPECT_EQ(add[1][0].toInt(), int(TargetModel::Measurable::rectangle));
    EXPECT_EQ(main.count(), 1);
}

// The window may be as narrow as 320 points, which leaves the bar 296 (the screen keeps 12 on
// each side). There the open add buttons lay over the save and settings buttons: a press on
// the visible part of the add-rectangle button opened the settings. Every button must keep a
// place of its own inside the bar, and each press must reach its own action.
TEST(CameraBottomView, at_the_narrowest_window_no_button_lies_over_another)
{
    UiHarness ui;
    QQuickItem *bar =
        ui.show(QStringLiteral("CameraBottomView"),
                {{"cameraState", stateValue(CameraState::addTarget(true))}}, QSize(296, 120));
    ASSERT_TRUE(bar);
    QQuickItem *line = child(bar, "CameraMainButton_AddLineButton");
    QQuickItem *rectangle = child(bar, "CameraMainButton_AddRectangleButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->scale() == 1 && rectangle->scale() == 1; }));
    const struct
    {
        const char *name;
        QQuickItem *item;
    } buttons[] = {
        {"save", itemOfType(bar, "CameraSaveImageButton")},
        {"add line", line},
        {"main", child(bar, "CameraBottomView_CameraMainButton")},
        {"add rectangle", rectangle},
        {"settings", child(bar, "CameraBottomView_CameraHelpButton")},
    };
    const auto sceneRect = [](QQuickItem *item) {
        return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    };
    for (const auto &button : buttons) {
        SCOPED_TRACE(button.name);
        ASSERT_TRUE(button.item);
        EXPECT_TRUE(QRectF(0, 0, 296, 120).contains(sceneRect(button.item)));
        for (const auto &other : buttons) {
            if (&other != &button) {
                EXPECT_FALSE(sceneRect(button.item).intersects(sceneRect(other.item)))
                    << "under " << other.name;
            }
        }
    }

    QSignalSpy main(bar, SIGNAL(mainAction()));
    QSignalSpy help(bar, SIGNAL(helpAction()));
    QSignalSpy save(bar, SIGNAL(saveImageAction()));
    QSignalSpy add(bar, SIGNAL(addMeasurableAction(int)));
    for (const auto &button : buttons)
        click(ui.window(), button.item);
    EXPECT_EQ(save.count(), 1);
    EXPECT_EQ(add.count(), 2);
    EXPECT_EQ(main.count(), 1);
    EXPECT_EQ(help.count(), 1);
}
