#pragma once

#include "core/TargetModel.h"
#include "session/CameraViewModel.h"

#include <QObject>
#include <QPointer>

// The measurement screen's four actions, which carry one measurement through its states: the
// main button (take the picture and create the card, confirm it, toggle the add mode,
// share), the save button (export, or back to live preview), the add buttons and the card's
// context button. They act on the session the screen owns; rendering the exported picture is
// the screen's, asked for through exportRequested().
class MeasurementActions : public QObject
{
    Q_OBJECT
    Q_PROPERTY(CameraViewModel *session READ session WRITE setSession NOTIFY sessionChanged FINAL)

public:
    explicit MeasurementActions(CameraViewModel *session = nullptr, QObject *parent = nullptr);

    [[nodiscard]] CameraViewModel *session() const { return m_session; }
    void setSession(CameraViewModel *session);

    Q_INVOKABLE void mainAction();
    Q_INVOKABLE void saveImageAction();
    // Adds a line or a rectangle on the current picture, selected and measured at once.
    Q_INVOKABLE void addMeasurableAction(TargetModel::Measurable kind);
    // For the card: confirm it. For any other target: remove it.
    Q_INVOKABLE void contextAction(TargetModel *target);

Q_SIGNALS:
    void sessionChanged();
    // The main button was pressed while exporting: render the annotated picture and offer it
    // to share. Emitted synchronously inside mainAction().
    void exportRequested();

private:
    QPointer<CameraViewModel> m_session;
};
