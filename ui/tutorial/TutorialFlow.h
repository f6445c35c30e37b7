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
// one hop through the GUI thread's event loop, then `isTutorialSeen` is written once.
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

Q_SIGNALS:
    void storageChanged();
    void pageChanged();
    // Right after `isTutorialSeen` was written.
    void finished();

private:
    // Shows a page, or finishes for none, on the GUI thread; callable from any thread, also
    // after the flow is gone (the answer is dropped then).
    static void showPage(QPointer<TutorialFlow> flow, std::optional<TutorialPage::Page> page);

    QPointer<Storage> m_storage;
    TutorialPage::Page m_page = TutorialPage::welcome;
    bool m_finished = false;
};
