#pragma once

#include "core/TargetModel.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QtQml/qqml.h>

// One point of a target, for the view that draws it. The target announces every change of any
// of its points; this passes on only the changes of its own point, so a drag redraws the one
// handle under the finger instead of every handle of every target.
class TargetPoint : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TargetModel *target READ target WRITE setTarget NOTIFY targetChanged FINAL)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged FINAL)
    // Image pixels; (0, 0) without a target or for an index it does not have.
    Q_PROPERTY(QPointF point READ point NOTIFY pointChanged FINAL)

public:
    explicit TargetPoint(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] TargetModel *target() const { return m_target; }
    void setTarget(TargetModel *target);
    [[nodiscard]] int index() const { return m_index; }
    void setIndex(int index);
    [[nodiscard]] QPointF point() const { return m_point; }

Q_SIGNALS:
    void targetChanged();
    void indexChanged();
    void pointChanged();

private:
    void update();

    QPointer<TargetModel> m_target;
    int m_index = 0;
    QPointF m_point;
    QMetaObject::Connection m_connection;
};
