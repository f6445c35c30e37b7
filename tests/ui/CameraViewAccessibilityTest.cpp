#include "CameraScreen.h"
#include "ChromeTesting.h"
#include "UiHarness.h"

#include "core/ReferenceTargetModel.h"
#include "core/TargetModel.h"
#include "session/CameraViewModel.h"
#include "ui/TextTables.h"

#include <QAccessible>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using chrome::child;
using chrome::items;
using chrome::shown;

namespace {

QAccessibleInterface *accessible(QQuickItem *item)
{
    return item ? QAccessible::queryAccessibleInterface(item) : nullptr;
}

QString nameOf(QQuickItem *item)
{
    QAccessibleInterface *face = accessible(item);
    return face ? face->text(QAccessible::Name) : QString();
}

bool isButton(QQuickItem *item)
{
    QAccessibleInterface *face = accessible(item);
    return face && face->role() == QAccessible::Button;
}

// Every item below root that shows and that a screen reader offers as a button.
QList<QQuickItem *> shownButtons(QQuickItem *root)
{
    QList<QQuickItem *> found;
    for (QQuickItem *item : root->childItems()) {
        if (shown(item) && isButton(item))
            found.append(item);
        found.append(shownButtons(item));
    }
    return found;
}

// The context button of the view that draws target.
QQuickItem *contextButtonOf(QQuickItem *screen, const TargetModel *target)
{
    QQuickItem *view = chrome::viewOf(screen, target);
    return view ? items(view, QStringLiteral("contextButton")).value(0) : nullptr;
}

// The save/restart button has no object name: it is the leftmost button of the bottom bar.
QQuickItem *saveButtonOf(QQuickItem *bottomBar)
{
    QQuickItem *leftmost = nullptr;
    for (QQuickItem *button : shownButtons(bottomBar))
        if (!leftmost || button->mapToScene({}).x() < leftmost->mapToScene({}).x())
            leftmost = button;
    return leftmost;
}

} // namespace

// The screen's camera is the process's shared one, so this program holds this one test: its
// camera is a launch photo, as after `mirrel desk.png`.
//
// Guards a screen reader finding the buttons of the measurement screen nameless, or not at all:
// the main button in each of its five meanings, the save/restart button in its two, the
// settings, the add buttons, the card's check mark, a target's bin and the share sheet's Done
// and picture. Each one must be offered as a button with a name of its own in the interface's
// language, and pressing it through the screen reader must do what a click does.
TEST(CameraView, a_screen_reader_can_tell_the_buttons_apart_and_press_them)
{
    QTemporaryDir folder;
    ASSERT_TRUE(launchWithDeskPhoto(folder));
    // As with a screen reader running.
    QAccessible::setActive(true);

    CameraScreen camera(folder, QSize(390, 844));
    ASSERT_TRUE(camera.screen && camera.session);
    QQuickItem *screen = camera.screen;
    CameraViewModel *session = camera.session;
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->frame() && session->frame()->hasImage(); }));

    QQuickItem *bottomBar = child(screen, QStringLiteral("CameraBottomView"));
    QQuickItem *main = child(screen, QStringLiteral("CameraBottomView_CameraMainButton"));
    QQuickItem *settings = child(screen, QStringLiteral("CameraBottomView_CameraHelpButton"));
    // The button inside its place, which comes and goes around it.
    const auto addButton = [&](const char *name) {
        QQuickItem *place = child(screen, QString::fromLatin1(name));
        return place ? place->childItems().value(0) : nullptr;
    };
    QQuickItem *addLine = addButton("CameraMainButton_AddLineButton");
    QQuickItem *addRectangle = addButton("CameraMainButton_AddRectangleButton");
    ASSERT_TRUE(bottomBar && main && settings && addLine && addRectangle);

    // In every state, each button that shows has a name, and none in the bottom bar shares its
    // name with another.
    const auto everyButtonNamed = [&](const char *state) {
        for (QQuickItem *button : shownButtons(screen))
            EXPECT_FALSE(nameOf(button).isEmpty())
                << state << ": " << button->objectName().toStdString() << " has no name";
        QSet<QString> names;
        for (QQuickItem *button : shownButtons(bottomBar))
            names.insert(nameOf(button));
        EXPECT_EQ(names.size(), shownButtons(bottomBar).size()) << state;
    };
    const auto waitForState = [&](const CameraState &state) {
        return QTest::qWaitFor([&] { return session->cameraState() == state; });
    };
    QSet<QString> mainNames;
    QSet<QString> saveNames;

    // The live picture: take it.
    ASSERT_TRUE(isButton(main) && isButton(settings));
    everyButtonNamed("takePicture");
    mainNames.insert(nameOf(main));
    ASSERT_TRUE(chrome::pressAsScreenReader(main));
    ASSERT_TRUE(waitForState(CameraState::confirmCardSelection(false)));

    // The card: its check mark is a button too, and pressed confirms the card.
    TargetModel *card = session->referenceRectangle();
    QQuickItem *checkMark = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        checkMark = contextButtonOf(screen, card);
        return shown(checkMark);
    }));
    EXPECT_TRUE(isButton(checkMark));
    everyButtonNamed("confirmCardSelection");
    mainNames.insert(nameOf(main));
    ASSERT_TRUE(chrome::pressAsScreenReader(checkMark));
    ASSERT_TRUE(waitForState(CameraState::addTarget(false)));

    // Adding: the main button opens the add buttons and then closes them; the left button
    // finishes.
    everyButtonNamed("addTarget");
    mainNames.insert(nameOf(main));
    QQuickItem *save = saveButtonOf(bottomBar);
    ASSERT_TRUE(save);
    saveNames.insert(nameOf(save));
    ASSERT_TRUE(chrome::pressAsScreenReader(main));
    ASSERT_TRUE(waitForState(CameraState::addTarget(true)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(addLine) && shown(addRectangle); }));
    EXPECT_TRUE(isButton(addLine) && isButton(addRectangle));
    everyButtonNamed("addTarget(selected)");
    mainNames.insert(nameOf(main));

    // A line added through its button, then removed through its bin.
    ASSERT_TRUE(chrome::pressAsScreenReader(addLine));
    ASSERT_EQ(session->measurableObjects().size(), 1);
    QPointer<TargetModel> line = session->measurableObjects().first();
    QQuickItem *bin = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        bin = contextButtonOf(screen, line);
        return shown(bin);
    }));
    EXPECT_TRUE(isButton(bin));
    everyButtonNamed("a line selected");
    EXPECT_NE(nameOf(bin), nameOf(checkMark));
    ASSERT_TRUE(chrome::pressAsScreenReader(bin));
    EXPECT_TRUE(QTest::qWaitFor([&] { return line.isNull(); }));
    EXPECT_TRUE(session->measurableObjects().isEmpty());

    // Finished: the main button shares, the left one goes back to the live picture.
    ASSERT_TRUE(chrome::pressAsScreenReader(save));
    ASSERT_TRUE(waitForState(CameraState::exportPicture()));
    everyButtonNamed("export");
    mainNames.insert(nameOf(main));
    saveNames.insert(nameOf(save));
    EXPECT_EQ(mainNames.size(), 5) << "the main button does not say what it does";
    EXPECT_EQ(saveNames.size(), 2) << "the left button does not say what it does";

    // In German every button says so in German.
    QHash<QQuickItem *, QString> english;
    for (QQuickItem *button : shownButtons(screen))
        english.insert(button, nameOf(button));
    ASSERT_EQ(TextTables::install(QLocale(QLocale::German)), QStringLiteral("de"));
    camera.ui.engine().retranslate();
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        EXPECT_FALSE(nameOf(it.key()).isEmpty());
        EXPECT_NE(nameOf(it.key()), it.value());
    }
    TextTables::install(QLocale(QLocale::English));
    camera.ui.engine().retranslate();

    // The share sheet: its picture is described, and Done closes it.
    ASSERT_TRUE(chrome::pressAsScreenReader(main));
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->property("shareActivityVisible").toBool(); }));
    QQuickItem *done = child(screen, QStringLiteral("ActivityViewController_DoneButton"));
    QQuickItem *picture = child(screen, QStringLiteral("ActivityViewController_Picture"));
    ASSERT_TRUE(done && picture);
    EXPECT_TRUE(isButton(done));
    EXPECT_FALSE(nameOf(done).isEmpty());
    ASSERT_TRUE(accessible(picture));
    EXPECT_EQ(accessible(picture)->role(), QAccessible::Graphic);
    EXPECT_FALSE(nameOf(picture).isEmpty());
    ASSERT_TRUE(chrome::pressAsScreenReader(done));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !screen->property("shareActivityVisible").toBool(); }));
    EXPECT_EQ(session->cameraState(), CameraState::exportPicture());

    // Back to the live picture.
    ASSERT_TRUE(chrome::pressAsScreenReader(save));
    EXPECT_TRUE(waitForState(CameraState::takePicture()));
}
