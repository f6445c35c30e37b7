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

struct HintRow
{
    CameraState state;
    const char *symbol;
    const char *key;
    QColor background;
    QColor foreground;
};

} // namespace

// Each state has its own symbol, text and colours; the flag of confirmCardSelection changes
// nothing, the flag of addTarget swaps grey/black for red/white and the text.
TEST(HintView, every_state_shows_its_symbol_text_and_colours)
{
    const QList<HintRow> rows = {
        {CameraState::takePicture(), "camera.metering.spot", "Main_hintTakePicture",
         Palette::accent(), Palette::black()},
        {CameraState::confirmCardSelection(false), "skew", "Main_hintConfirmCardSelectionCard",
         Palette::accent(), Palette::white()},
        {CameraState::confirmCardSelection(true), "skew", "Main_hintConfirmCardSelectionCard",
         Palette::accent(), Palette::white()},
        {CameraState::addTarget(false), "plus.rectangle.on.rectangle", "Main_hintAddTarget",
         Palette::lightGray(), Palette::black()},
        {CameraState::addTarget(true), "plus.rectangle.on.rectangle", "Main_hintAddTargetSelected",
         Palette::alertRed(), Palette::white()},
        {CameraState::exportPicture(), "arrow.counterclockwise", "Main_hintExport",
         Palette::accent(), Palette::white()},
    };
    UiHarness ui;
    QQuickItem *hint =
        ui.show(QStringLiteral("HintView"),
                {{"cameraState", stateValue(CameraState::takePicture())}}, QSize(390, 200));
    ASSERT_TRUE(hint);
    for (const HintRow &row : rows) {
        SCOPED_TRACE(row.key);
        hint->setProperty("cameraState", stateValue(row.state));
        QQuickItem *icon = child(hint, "HintView_Icon");
        QQuickItem *text = child(hint, "HintView_Text");
        EXPECT_EQ(icon->property("name").toString(), QString::fromLatin1(row.symbol));
        EXPECT_EQ(colorOf(icon), row.foreground);
        EXPECT_EQ(text->property("text").toString(), qtTrId(row.key));
        EXPECT_EQ(colorOf(text), row.foreground);
        EXPECT_EQ(colorOf(child(hint, "HintView_Banner")), row.background);
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
    EXPECT_EQ(text->property("horizontalAlignment").toInt(), int(Qt::AlignHCenter));
}

struct MainButtonRow
{
    CameraState state;
    bool ring;
    QColor disc;
    double inset;
    const char *icon; // empty: none
    double rotation;
    bool saveShown;
    const char *saveSymbol;
    bool addShown;
};

// What every state shows on the bar, and that the main button never moves while the left
// place fills and empties.
TEST(CameraBottomView, every_state_shows_its_buttons_and_main_button_look)
{
    const QList<MainButtonRow> rows = {
        {CameraState::takePicture(), true, Palette::accent(), 8, "", 0, false, "", false},
        {CameraState::confirmCardSelection(false), true, Palette::accent(), 8, "checkmark", 0,
         false, "", false},
        {CameraState::addTarget(false), false, Palette::lightGray(), 0, "plus", 0, true,
         "checkmark", false},
        {CameraState::addTarget(true), false, Palette::alertRed(), 0, "plus", 45, true, "checkmark",
         true},
        {CameraState::exportPicture(), false, Palette::accent(), 0, "square.and.arrow.up", 0, true,
         "arrow.counterclockwise", false},
    };
    UiHarness ui;
    QQuickItem *bar =
        ui.show(QStringLiteral("CameraBottomView"),
                {{"cameraState", stateValue(CameraState::takePicture())}}, QSize(390, 120));
    ASSERT_TRUE(bar);
    QQuickItem *main = child(bar, "CameraBottomView_CameraMainButton");
    const QPointF mainPlace = main->mapToScene({0, 0});
    EXPECT_NEAR(centreOf(main).x(), 195, 1);
    for (const MainButtonRow &row : rows) {
        SCOPED_TRACE(row.state.name().toStdString() + (row.state.selected() ? " selected" : ""));
        bar->setProperty("cameraState", stateValue(row.state));
        QQuickItem *disc = child(bar, "CameraMainButton_Disc");
        QQuickItem *icon = child(bar, "CameraMainButton_Icon");
        EXPECT_EQ(child(bar, "CameraMainButton_Ring")->isVisible(), row.ring);
        EXPECT_TRUE(QTest::qWaitFor([&] { return colorOf(disc) == row.disc; }));
        EXPECT_EQ(disc->width(), 66 - 2 * row.inset);
        EXPECT_EQ(icon->isVisible(), *row.icon != 0);
        if (*row.icon) {
            EXPECT_EQ(icon->property("name").toString(), QString::fromLatin1(row.icon));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return icon->rotation() == row.rotation; }));
        QQuickItem *save = itemOfType(bar, "CameraSaveImageButton");
        EXPECT_EQ(shown(save), row.saveShown);
        if (row.saveShown) {
            EXPECT_EQ(child(save, "CameraRoundButton_Symbol")->property("name").toString(),
                      QString::fromLatin1(row.saveSymbol));
        }
        for (const char *add :
             {"CameraMainButton_AddLineButton", "CameraMainButton_AddRectangleButton"}) {
            QQuickItem *button = child(bar, add);
            EXPECT_TRUE(QTest::qWaitFor([&] { return shown(button) == row.addShown; })) << add;
        }
        EXPECT_EQ(main->mapToScene({0, 0}), mainPlace);
        EXPECT_TRUE(shown(child(bar, "CameraBottomView_CameraHelpButton")));
    }
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
        centreOf(child(bar, "CameraBottomView_CameraMainButton")) - QPoint(66 + 8, 0);
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
