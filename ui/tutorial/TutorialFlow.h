#pragma once

#include "ui/tutorial/TutorialPage.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqml.h>

class Storage;

// The tutorial's page and what its two buttons do. The main button moves on a page; on the
// camera and share pages it first asks the permission question and moves on when the answer
// arrives, whatever it is. Skipping, and the answer on the share page, finish the tutorial:
// one hop through the GUI thread's event loop, then `isTutorialSeen` is written once. On the
// desktop the keyboard can also go back a page; an answer to a question asked before that
// step back is dropped, so it cannot carry the user past pages they went back to read.
class TutorialFlow : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Storage *storage READ storage WRITE setStorage NOTIFY storageChanged FINAL)
    Q_PROPERTY(TutorialPage::Page page READ page WRITE setPage NOTIFY pageChanged FINAL)
    Q_PROPERTY(QString image READ image NOTIFY pageChanged FINAL)

public:
    explicit TutorialFlow(QObject *parent = nullptr);

    [[nodiscard]] Storage *storage() const { return m_storage; }
    void setStorage(Storage *storage);
    [[nodiscard]] TutorialPage::Page page() const { return m_page; }
    void setPage(TutorialPage::Page page);
    [[nodiscard]] QString image() const { return TutorialPage::image(m_page); }

    // The main button.
    Q_INVOKABLE void next();
    // The skip button; also how the share page's answer ends the tutorial.
    Q_INVOKABLE void finish();
    // One page back (the keyboard's Left and Page Up); nothing on the first page.
    Q_INVOKABLE void back();

Q_SIGNALS:
    void storageChanged();
    void pageChanged();
    // Right after `isTutorialSeen` was written.
    void finished();

private:
    // Shows a page, or finishes for none, on the GUI thread; callable from any thread, also
    // after the flow is gone, or went back since the question was `asked` (the answer is
    // dropped then).
    static void showPage(QPointer<TutorialFlow> flow, std::optional<TutorialPage::Page> page,
                         quint64 asked);

    QPointer<Storage> m_storage;
    TutorialPage::Page m_page = TutorialPage::welcome;
    bool m_finished = false;
    // Steps back so far; a permission answer carries the count from when it was asked.
    quint64 m_stepsBack = 0;
};
