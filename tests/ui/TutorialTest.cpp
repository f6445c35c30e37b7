#include "ChromeTesting.h"
#include "UiHarness.h"

#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "ui/tutorial/Permissions.h"

#include <QAccessible>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using chrome::child;
using chrome::click;
using chrome::shown;

namespace {

// Holds every question until the test answers it, and answers from a thread of its own, as a
// platform does.
class FakePermissions final : public Permissions
{
public:
    void requestCameraAccess(Answer answer) override { ask(cameraQuestions, std::move(answer)); }
    void requestPhotoLibraryAccess(Answer answer) override
    {
        ask(photoQuestions, std::move(answer));
    }

    // Answers every open question on another thread and waits until that thread is done.
    void answerAll(bool granted)
    {
        std::vector<Answer> answers;
        {
            const QMutexLocker lock(&m_mutex);
            answers.swap(m_pending);
        }
        std::thread platform([&] {
            for (auto &answer : answers)
                answer(granted);
        });
        platform.join();
    }

    int cameraQuestions = 0;
    int photoQuestions = 0;

private:
    void ask(int &questions, Answer answer)
    {
        const QMutexLocker lock(&m_mutex);
        ++questions;
        m_pending.push_back(std::move(answer));
    }

    QMutex m_mutex;
    std::vector<Answer> m_pending;
};

// The fake permissions, a settings file of its own and a store on it, for one test.
struct TutorialRig
{
    TutorialRig()
        : permissions(std::make_shared<FakePermissions>()),
          defaults(std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("settings.ini")))),
          storage(std::make_unique<Storage>(*defaults))
    {
        Permissions::install(permissions);
        QObject::connect(storage.get(), &Storage::isTutorialSeenChanged, [this] {
            ++writes;
            writtenOnGuiThread = QThread::currentThread() == qApp->thread();
        });
    }
    ~TutorialRig() { Permissions::install(nullptr); }

    QQuickItem *show(UiHarness &ui, int startPage = 0)
    {
        return ui.show(QStringLiteral("TutorialView"),
                       {{"storage", QVariant::fromValue(storage.get())}, {"startPage", startPage}},
                       QSize(390, 844));
    }

    // What the next launch reads.
    [[nodiscard]] bool seenOnDisk() const
    {
        return UserDefaults(defaults->fileName())
            .boolValue(QStringLiteral("Storage_isTutorialSeen"));
    }

    QTemporaryDir folder;
    std::shared_ptr<FakePermissions> permissions;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<Storage> storage;
    int writes = 0;
    bool writtenOnGuiThread = false;
};

int page(QQuickItem *tutorial)
{
    return tutorial->property("page").toInt();
}

// Title, summary, button title and dots must all belong to the page shown.
void expectPageContent(QQuickItem *tutorial, int expected)
{
    SCOPED_TRACE("page " + std::to_string(expected));
    ASSERT_EQ(page(tutorial), expected);
    const auto key = [&](const char *suffix) {
        return qtTrId(QStringLiteral("Tutorial_%1_%2")
                          .arg(expected)
                          .arg(QLatin1String(suffix))
                          .toUtf8()
                          .constData());
    };
    EXPECT_EQ(child(tutorial, "TutorialTextView_Title")->property("text").toString(), key("Title"));
    EXPECT_EQ(child(tutorial, "TutorialTextView_Summary")->property("text").toString(),
              key("Summary"));
    EXPECT_EQ(child(tutorial, "TutorialPageButton")->property("text").toString(),
              key("NextButtonTitle"));
    for (int dot = 0; dot < 5; ++dot) {
        const QColor colour = child(tutorial, "TutorialPageControl_Dot" + QString::number(dot))
                                  ->property("color")
                                  .value<QColor>();
        EXPECT_EQ(colour.alphaF() == 1.0, dot == expected) << "dot " << dot;
    }
    QQuickItem *skip = child(tutorial, "TutorialNavigationView_SkipButton");
    EXPECT_EQ(shown(skip), expected != 0);
    // A layout gives a hidden item no room (though it keeps the height it last gave it).
    if (expected == 0) {
        EXPECT_FALSE(skip->parentItem()->isVisible())
            << "the skip row takes room on the first page";
    }
}

void press(UiHarness &ui, Qt::Key key)
{
    QTest::keyClick(&ui.window(), key);
}

// Shortcuts reach only the window with the keyboard focus.
bool activate(UiHarness &ui)
{
    ui.window().requestActivate();
    return QTest::qWaitForWindowActive(&ui.window());
}

// Runs what was posted to the GUI thread so far: an answer or a finish already on its way has
// had its chance to act once this returns.
void runPosted()
{
    bool reached = false;
    QMetaObject::invokeMethod(
        qApp, [&reached] { reached = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&reached] { return reached; }));
}

} // namespace

// The whole way through with both questions refused, each asked twice by impatient presses:
// the camera and share pages wait for the answers, a refusal still moves on, a second answer
// moves no further, and finishing writes the flag once, on the GUI thread, so the next launch
// opens on the measurement screen.
TEST(Tutorial, refused_and_repeated_answers_lead_through_every_page_to_one_write_of_the_flag)
{
    TutorialRig rig;
    UiHarness ui;
    QQuickItem *tutorial = rig.show(ui);
    ASSERT_TRUE(tutorial);
    QQuickItem *button = child(tutorial, "TutorialPageButton");
    expectPageContent(tutorial, 0);

    click(ui.window(), button);
    expectPageContent(tutorial, 1);

    click(ui.window(), button);
    click(ui.window(), button);
    EXPECT_EQ(rig.permissions->cameraQuestions, 2);
    runPosted();
    EXPECT_EQ(page(tutorial), 1) << "moved on before the platform answered";
    rig.permissions->answerAll(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page(tutorial) == 2; }));
    runPosted();
    expectPageContent(tutorial, 2);
    // A held key moves on once: its repeats are no presses.
    chrome::repeatedPress(&ui.window(), Qt::Key_Right);
    chrome::repeatedPress(&ui.window(), Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(page(tutorial), 2);

    click(ui.window(), button);
    expectPageContent(tutorial, 3);
    click(ui.window(), button);
    expectPageContent(tutorial, 4);

    click(ui.window(), button);
    click(ui.window(), button);
    EXPECT_EQ(rig.permissions->photoQuestions, 2);
    runPosted();
    EXPECT_EQ(rig.writes, 0) << "finished before the platform answered";
    rig.permissions->answerAll(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.storage->isTutorialSeen(); }));
    runPosted();
    EXPECT_EQ(rig.writes, 1);
    EXPECT_TRUE(rig.writtenOnGuiThread);
    EXPECT_TRUE(rig.seenOnDisk());
}

// Skipping, by the button or Escape, finishes from any page but the first (which has no skip
// button, see above).
TEST(Tutorial, skip_finishes_from_every_page_but_the_first)
{
    for (const bool byKey : {false, true}) {
        for (int start = 1; start < 5; ++start) {
            SCOPED_TRACE("page " + std::to_string(start) + (byKey ? " by Escape" : " by button"));
            TutorialRig rig;
            UiHarness ui;
            QQuickItem *tutorial = rig.show(ui, start);
            ASSERT_TRUE(tutorial);
            if (byKey) {
                ASSERT_TRUE(activate(ui));
                press(ui, Qt::Key_Escape);
            } else {
                click(ui.window(), child(tutorial, "TutorialNavigationView_SkipButton"));
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return rig.storage->isTutorialSeen(); }));
            EXPECT_EQ(rig.writes, 1);
            EXPECT_TRUE(rig.seenOnDisk());
        }
    }
}

// The share page's answer finishes the tutorial; arriving after the tutorial is gone, it must
// neither touch the destroyed page nor write the flag.
TEST(Tutorial, an_answer_after_the_tutorial_is_gone_changes_nothing)
{
    TutorialRig rig;
    {
        UiHarness ui;
        QQuickItem *tutorial = rig.show(ui, 4);
        ASSERT_TRUE(tutorial);
        click(ui.window(), child(tutorial, "TutorialPageButton"));
        EXPECT_EQ(rig.permissions->photoQuestions, 1);
    }
    rig.permissions->answerAll(true);
    runPosted();
    EXPECT_EQ(rig.writes, 0);
}

// The desktop answers like a platform: once, later, and not on the thread that asked.
TEST(Tutorial, the_desktop_answers_both_questions_on_another_thread)
{
    Permissions::install(nullptr);
    struct Reply
    {
        std::atomic<int> count{0};
        std::atomic<bool> onGuiThread{false}, granted{false};
    } camera, photos;
    const auto record = [](Reply &reply) {
        return [&reply](bool granted) {
            reply.onGuiThread = QThread::currentThread() == qApp->thread();
            reply.granted = granted;
            ++reply.count;
        };
    };
    Permissions::current()->requestCameraAccess(record(camera));
    Permissions::current()->requestPhotoLibraryAccess(record(photos));
    ASSERT_TRUE(QTest::qWaitFor([&] { return camera.count == 1 && photos.count == 1; }));
    EXPECT_FALSE(camera.onGuiThread);
    EXPECT_FALSE(photos.onGuiThread);
    EXPECT_TRUE(photos.granted); // a desktop has no photo library to guard
}

// A desktop user goes through by keyboard: Right, Page Down, Space and both Enters act as the
// main button (asking the questions where it does, finishing on the last page), and Escape
// skips as the skip button does, so not on the first page. Left and Page Up do nothing: the
// buttons have no way back either. Guards the tutorial having had no keys at all.
TEST(Tutorial, the_keyboard_moves_on_asks_as_the_button_does_and_finishes)
{
    TutorialRig rig;
    UiHarness ui;
    QQuickItem *tutorial = rig.show(ui);
    ASSERT_TRUE(tutorial);
    ASSERT_TRUE(activate(ui));

    // Tab reaches the main button, which shows that it has the focus.
    QQuickItem *button = child(tutorial, "TutorialPageButton");
    press(ui, Qt::Key_Tab);
    EXPECT_TRUE(button->hasActiveFocus());
    EXPECT_TRUE(shown(child(button, "FocusRing")));

    press(ui, Qt::Key_Escape);
    runPosted();
    EXPECT_EQ(rig.writes, 0) << "Escape skipped the first page, which has no skip button";
    expectPageContent(tutorial, 0);

    // The button clicked first takes the focus: Space must still move on once, not twice.
    click(ui.window(), child(tutorial, "TutorialPageButton"));
    expectPageContent(tutorial, 1);
    press(ui, Qt::Key_Left);
    press(ui, Qt::Key_PageUp);
    runPosted();
    EXPECT_EQ(page(tutorial), 1) << "went back a page";
    press(ui, Qt::Key_Space);
    EXPECT_EQ(rig.permissions->cameraQuestions, 1);
    runPosted();
    EXPECT_EQ(page(tutorial), 1) << "moved on before the platform answered";
    rig.permissions->answerAll(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page(tutorial) == 2; }));
    runPosted();
    expectPageContent(tutorial, 2);
    // A held key moves on once: its repeats are no presses.
    chrome::repeatedPress(&ui.window(), Qt::Key_Right);
    chrome::repeatedPress(&ui.window(), Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(page(tutorial), 2);

    press(ui, Qt::Key_Right);
    press(ui, Qt::Key_PageDown);
    expectPageContent(tutorial, 4);
    press(ui, Qt::Key_Enter);
    EXPECT_EQ(rig.permissions->photoQuestions, 1);
    runPosted();
    EXPECT_EQ(rig.writes, 0) << "finished before the platform answered";
    press(ui, Qt::Key_Return);
    EXPECT_EQ(rig.permissions->photoQuestions, 2);
    rig.permissions->answerAll(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.storage->isTutorialSeen(); }));
    runPosted();
    EXPECT_EQ(rig.writes, 1);
    EXPECT_TRUE(rig.seenOnDisk());
}

// A tutorial that is not on screen (leaving, with the measurement screen and its own
// shortcuts on the same keys behind it) takes no keys.
TEST(Tutorial, no_key_acts_while_the_tutorial_is_off_screen)
{
    TutorialRig rig;
    UiHarness ui;
    QQuickItem *tutorial = rig.show(ui, 2);
    ASSERT_TRUE(tutorial);
    ASSERT_TRUE(activate(ui));
    tutorial->setProperty("onScreen", false);
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape})
        press(ui, key);
    runPosted();
    EXPECT_EQ(page(tutorial), 2);
    EXPECT_EQ(rig.writes, 0);
}

// Guards a tutorial whose buttons a screen reader offered but could not press: pressed that
// way, the main button moves on and asks as a click does, and skip finishes.
TEST(Tutorial, a_screen_reader_presses_the_main_button_and_skip_as_a_click_does)
{
    // As with a screen reader running.
    QAccessible::setActive(true);
    TutorialRig rig;
    UiHarness ui;
    QQuickItem *tutorial = rig.show(ui);
    ASSERT_TRUE(tutorial);
    QQuickItem *button = child(tutorial, "TutorialPageButton");

    EXPECT_TRUE(chrome::pressAsScreenReader(button));
    expectPageContent(tutorial, 1);
    EXPECT_TRUE(chrome::pressAsScreenReader(button));
    EXPECT_EQ(rig.permissions->cameraQuestions, 1);

    QQuickItem *skip = child(tutorial, "TutorialNavigationView_SkipButton");
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(skip);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(face->text(QAccessible::Name), skip->property("text").toString());
    EXPECT_TRUE(chrome::pressAsScreenReader(skip));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.storage->isTutorialSeen(); }));
    EXPECT_EQ(rig.writes, 1);
}
