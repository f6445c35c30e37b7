#include "ChromeTesting.h"
#include "FakePlatformServices.h"
#include "UiHarness.h"

#include "ui/TextTables.h"
#include "ui/measure/PictureSaver.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

using chrome::child;
using chrome::click;
using chrome::shown;

namespace {

// An annotated picture as the export renders it: a photo-like fill with a coloured line.
QImage exportedPicture()
{
    QImage image(390, 844, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(120, 90, 60));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(53, 202, 171), 4));
    painter.drawLine(40, 700, 350, 120);
    return image;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Sets or clears the immutable flag of a folder; false where the file system cannot.
bool setImmutable(const QString &folder, bool immutable)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

// A folder nobody may write into. File modes do not stop root, so as root the folder is also
// marked immutable; where the file system cannot do that either, sysfs stands in (without a
// file of ours inside).
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : m_folder(path), m_path(path)
    {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (!writable(path))
            return;
        m_immutable = setImmutable(path, true);
        if (!m_immutable || writable(path))
            m_path = QStringLiteral("/sys");
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable)
            setImmutable(m_folder, false);
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }

    // The folder that turned out read-only: the one asked for, or sysfs.
    [[nodiscard]] const QString &path() const { return m_path; }

private:
    static bool writable(const QString &folder)
    {
        QFile probe(folder + QStringLiteral("/.probe"));
        const bool ok = probe.open(QIODevice::WriteOnly);
        if (ok)
            probe.remove();
        return ok;
    }

    const QString m_folder;
    QString m_path;
    bool m_immutable = false;
};

// The sheet with one exported picture, handed over as the measurement screen does it: a list
// built in QML around the picture.
QQuickItem *showSheet(UiHarness &ui, const QImage &picture, QSize window = QSize(390, 844))
{
    return ui.show(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\n"
                                  "Mirrel.ActivityViewController {"
                                  " required property var exported; activityItems: [exported] }"),
                   {{"exported", QVariant::fromValue(picture)}}, window);
}

QRectF sceneRect(const QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

// As the save dialog's answer does, or the replace button with replace set.
void saveThroughSheet(QQuickItem *sheet, const QString &path, bool replace = false)
{
    QMetaObject::invokeMethod(sheet, "saveTo", Q_ARG(QUrl, QUrl::fromLocalFile(path)),
                              Q_ARG(bool, replace));
}

} // namespace

// The file the user gets must be a complete PNG of the picture with nothing left beside it,
// and an existing file is replaced only when the user says so.
TEST(ShareSheet, saving_over_an_existing_file_asks_first_and_keeps_it_unless_told)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("measure.png"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("yesterday's picture");
    }
    UiHarness ui;
    QQuickItem *sheet = showSheet(ui, exportedPicture());
    ASSERT_TRUE(sheet);
    QQuickItem *question = child(sheet, "ActivityViewController_ReplaceQuestion");
    EXPECT_FALSE(shown(question));

    saveThroughSheet(sheet, path);
    EXPECT_TRUE(shown(question));
    EXPECT_EQ(contents(path), QByteArray("yesterday's picture"));
    click(ui.window(), child(sheet, "ActivityViewController_KeepButton"));
    EXPECT_FALSE(shown(question));
    EXPECT_EQ(contents(path), QByteArray("yesterday's picture"));

    saveThroughSheet(sheet, path);
    click(ui.window(), child(sheet, "ActivityViewController_ReplaceButton"));
    EXPECT_FALSE(shown(question));
    EXPECT_EQ(QImage(path).convertToFormat(exportedPicture().format()), exportedPicture());
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("measure.png")});
}

// In German the two answers to "replace?" ran past the sheet's edges of the narrowest window.
TEST(ShareSheet, the_answers_to_replace_stay_on_the_sheet_in_a_narrow_window_in_german)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("measure.png"));
    ASSERT_TRUE(exportedPicture().save(path));
    UiHarness ui;
    TextTables::install(QLocale(QLocale::German));
    const auto english = qScopeGuard([] { TextTables::install(QLocale(QLocale::English)); });
    QQuickItem *sheet = showSheet(ui, exportedPicture(), QSize(320, 568));
    ASSERT_TRUE(sheet);
    saveThroughSheet(sheet, path);
    QQuickItem *question = child(sheet, "ActivityViewController_ReplaceQuestion");
    ASSERT_TRUE(shown(question));
    for (const char *answer :
         {"ActivityViewController_KeepButton", "ActivityViewController_ReplaceButton"}) {
        QQuickItem *button = child(sheet, answer);
        EXPECT_TRUE(sceneRect(question).contains(sceneRect(button))) << answer;
        EXPECT_NE(button->property("text").toString(), QString()) << answer;
    }
}

// A refused folder must say so clearly, leave what is there untouched, and keep the picture
// in the sheet so it can be saved elsewhere.
TEST(ShareSheet, a_save_into_a_read_only_folder_fails_clearly_and_loses_nothing)
{
    QTemporaryDir base;
    const QString lockedPath = base.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(lockedPath));
    const QString existing = lockedPath + QStringLiteral("/measure.png");
    ASSERT_TRUE(exportedPicture().mirrored().save(existing));
    const QByteArray before = contents(existing);
    const ReadOnlyFolder locked(lockedPath);
    const QString target = locked.path() + QStringLiteral("/measure.png");

    UiHarness ui;
    QQuickItem *sheet = showSheet(ui, exportedPicture());
    ASSERT_TRUE(sheet);
    // Straight to replacing, as after answering "replace" for the existing file.
    saveThroughSheet(sheet, target, true);
    QQuickItem *message = child(sheet, "ActivityViewController_Message");
    EXPECT_TRUE(shown(message));
    const QString text = message->property("text").toString();
    EXPECT_TRUE(text.contains(locked.path())) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("could not be saved"))) << text.toStdString();
    if (locked.path() == lockedPath) {
        EXPECT_EQ(contents(existing), before);
        EXPECT_EQ(filesIn(lockedPath), QStringList{QStringLiteral("measure.png")});
    } else {
        EXPECT_FALSE(QFile::exists(target));
    }
    EXPECT_FALSE(shown(child(sheet, "ActivityViewController_ReplaceQuestion")));

    // A folder that is gone is named as it is, a "%2" in its name included.
    const QString gone = base.filePath(QStringLiteral("scans 100%2/gone"));
    saveThroughSheet(sheet, gone + QStringLiteral("/measure.png"), true);
    const QString goneText = message->property("text").toString();
    EXPECT_TRUE(goneText.contains(QStringLiteral("“") + gone + QStringLiteral("”")))
        << goneText.toStdString();

    // The picture is still there to save somewhere else; a name without the extension gets it.
    saveThroughSheet(sheet, base.filePath(QStringLiteral("measure")));
    EXPECT_EQ(QImage(base.filePath(QStringLiteral("measure.png")))
                  .convertToFormat(exportedPicture().format()),
              exportedPicture());
}

// Guards a full disk reported as "Unknown error": the encoder only learned that a write failed.
// Files of this process may not grow past 512 bytes meanwhile, which fails a write as a full
// disk does, with the system's own reason.
TEST(ShareSheet, a_save_that_runs_out_of_room_says_why_and_leaves_nothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("measure.png"));
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const rlimit cramped{512, previous.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &cramped), 0);
    const PictureSaver::Result result = PictureSaver::writePng(exportedPicture(), path, false);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.outcome, PictureSaver::Failed);
    EXPECT_EQ(result.error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_TRUE(filesIn(folder.path()).isEmpty());
}

// The save button opens the dialog in the pictures folder; the name typed there is saved as a
// PNG; the folder button then shows that folder; the copy button puts the picture on the
// clipboard.
TEST(ShareSheet, save_dialog_copy_and_show_folder_act_on_the_exported_picture)
{
    FakePlatformServicesScope services;
    // The dialog starts in the pictures folder: a home of its own keeps the real one untouched.
    const QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", realHome); });
    const QString pictures = home.path() + QStringLiteral("/Pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    UiHarness ui;
    const QImage picture = exportedPicture();
    QQuickItem *sheet = showSheet(ui, picture);
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(child(sheet, "ActivityViewController_FolderButton")->isEnabled());

    click(ui.window(), child(sheet, "ActivityViewController_SaveButton"));
    auto *dialog = sheet->findChild<QObject *>(QStringLiteral("ActivityViewController_SaveDialog"));
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->property("visible").toBool(); }));
    EXPECT_EQ(dialog->property("currentFolder").toUrl(), QUrl::fromLocalFile(pictures));
    // The name field of the dialog's own Qt Quick implementation.
    QQuickItem *name = dialog->findChild<QQuickItem *>(QStringLiteral("fileNameTextField"));
    if (!name)
        name = ui.window().findChild<QQuickItem *>(QStringLiteral("fileNameTextField"));
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->property("text").toString().endsWith(QStringLiteral(".png")));
    // Typed, as a user would, then confirmed.
    name->forceActiveFocus();
    QMetaObject::invokeMethod(name, "selectAll");
    for (const char letter : QByteArrayLiteral("chosen"))
        QTest::keyClick(&ui.window(), letter);
    QMetaObject::invokeMethod(dialog, "accept");
    const QString path = pictures + QStringLiteral("/chosen.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path); }))
        << filesIn(pictures).join(QLatin1Char(' ')).toStdString();
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "png");
    EXPECT_EQ(reader.read().convertToFormat(picture.format()), picture);
    EXPECT_EQ(filesIn(pictures), QStringList{QStringLiteral("chosen.png")});

    QQuickItem *folderButton = child(sheet, "ActivityViewController_FolderButton");
    EXPECT_TRUE(folderButton->isEnabled());
    click(ui.window(), folderButton);
    ASSERT_EQ(services->urls.size(), 1);
    EXPECT_EQ(services->urls[0], QUrl::fromLocalFile(pictures));

    QGuiApplication::clipboard()->clear();
    click(ui.window(), child(sheet, "ActivityViewController_CopyButton"));
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(picture.format()), picture);
}

TEST(ShareSheet, done_and_a_click_beside_the_sheet_dismiss_it_a_click_on_it_does_not)
{
    UiHarness ui;
    QQuickItem *sheet = showSheet(ui, exportedPicture());
    ASSERT_TRUE(sheet);
    QSignalSpy dismissed(sheet, SIGNAL(dismissed()));
    click(ui.window(), child(sheet, "ActivityViewController_Picture"));
    EXPECT_EQ(dismissed.count(), 0);
    QTest::mouseClick(&ui.window(), Qt::LeftButton, {}, QPoint(195, 20));
    EXPECT_EQ(dismissed.count(), 1);
    click(ui.window(), child(sheet, "ActivityViewController_DoneButton"));
    EXPECT_EQ(dismissed.count(), 2);
}

// Guards a sheet whose focus showed nowhere, whose tiles ignored Enter, and whose "replace
// it?" left the keys on the tiles hidden under it. A click shows no ring.
TEST(ShareSheet, a_keyboard_user_sees_the_focus_and_presses_with_space_or_enter)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("measure.png"));
    ASSERT_TRUE(exportedPicture().mirrored().save(path));
    UiHarness ui;
    QQuickItem *sheet = showSheet(ui, exportedPicture());
    ASSERT_TRUE(sheet);
    ui.window().requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ui.window()));
    const auto tabTo = [&](const char *name) {
        QTest::keyClick(&ui.window(), Qt::Key_Tab);
        EXPECT_EQ(ui.window().activeFocusItem(), child(sheet, name));
        EXPECT_TRUE(shown(child(child(sheet, name), "FocusRing"))) << name;
    };
    QQuickItem *copy = child(sheet, "ActivityViewController_CopyButton");
    click(ui.window(), copy);
    EXPECT_FALSE(shown(child(copy, "FocusRing")));
    tabTo("ActivityViewController_SaveButton");
    tabTo("ActivityViewController_CopyButton");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&ui.window(), Qt::Key_Enter);
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());

    saveThroughSheet(sheet, path);
    EXPECT_EQ(ui.window().activeFocusItem(), child(sheet, "ActivityViewController_KeepButton"));
    tabTo("ActivityViewController_ReplaceButton");
    tabTo("ActivityViewController_KeepButton");
    tabTo("ActivityViewController_ReplaceButton");
    QTest::keyClick(&ui.window(), Qt::Key_Return);
    EXPECT_EQ(QImage(path).convertToFormat(exportedPicture().format()), exportedPicture());

    // Answered, the question's buttons are gone for the keys too: the hidden Replace button kept
    // the focus, and every later Space or Enter saved a file named ".png" in the working folder.
    QTemporaryDir workingFolder;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(workingFolder.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
    const QString said =
        child(sheet, "ActivityViewController_Message")->property("text").toString();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(&ui.window(), key);
    EXPECT_TRUE(filesIn(workingFolder.path()).isEmpty());
    EXPECT_EQ(child(sheet, "ActivityViewController_Message")->property("text").toString(), said);
    tabTo("ActivityViewController_SaveButton");
}

// Guards tiles and answers that a screen reader offered as buttons but whose press did nothing:
// pressed that way, each does what a click does, and a greyed-out tile still does nothing.
TEST(ShareSheet, a_screen_reader_presses_the_tiles_and_the_answers_as_a_click_does)
{
    FakePlatformServicesScope services;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("measure.png"));
    ASSERT_TRUE(exportedPicture().mirrored().save(path));
    const QByteArray before = contents(path);
    // As with a screen reader running.
    QAccessible::setActive(true);
    UiHarness ui;
    QQuickItem *sheet = showSheet(ui, exportedPicture());
    ASSERT_TRUE(sheet);

    // Nothing saved yet: the folder tile is greyed out, and pressed it neither opens nor
    // complains.
    QQuickItem *folderButton = child(sheet, "ActivityViewController_FolderButton");
    QQuickItem *message = child(sheet, "ActivityViewController_Message");
    ASSERT_FALSE(folderButton->isEnabled());
    EXPECT_TRUE(chrome::pressAsScreenReader(folderButton));
    EXPECT_TRUE(services->urls.isEmpty());
    EXPECT_FALSE(shown(message)) << message->property("text").toString().toStdString();

    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(chrome::pressAsScreenReader(child(sheet, "ActivityViewController_CopyButton")));
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(exportedPicture().format()),
              exportedPicture());

    QQuickItem *question = child(sheet, "ActivityViewController_ReplaceQuestion");
    saveThroughSheet(sheet, path);
    ASSERT_TRUE(shown(question));
    EXPECT_TRUE(chrome::pressAsScreenReader(child(sheet, "ActivityViewController_KeepButton")));
    EXPECT_FALSE(shown(question));
    EXPECT_EQ(contents(path), before);

    saveThroughSheet(sheet, path);
    ASSERT_TRUE(shown(question));
    EXPECT_TRUE(chrome::pressAsScreenReader(child(sheet, "ActivityViewController_ReplaceButton")));
    EXPECT_FALSE(shown(question));
    EXPECT_EQ(QImage(path).convertToFormat(exportedPicture().format()), exportedPicture());

    // Now there is a folder to show.
    ASSERT_TRUE(folderButton->isEnabled());
    EXPECT_TRUE(chrome::pressAsScreenReader(folderButton));
    EXPECT_EQ(services->urls, QList<QUrl>{QUrl::fromLocalFile(folder.path())});
}
