#pragma once

#include "core/Distance.h"
#include "core/TargetModel.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqml.h>

// One measured edge of a target, for its label. The target announces every change of any of
// its edges, several times while a point moves; this passes on only the changes of its own
// edge.
class TargetEdge : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(TargetModel *target READ target WRITE setTarget NOTIFY targetChanged FINAL)
    Q_PROPERTY(int index READ index WRITE setIndex NOTIFY indexChanged FINAL)
    // An empty distance without a target or for an index it does not have.
    Q_PROPERTY(Distance distance READ distance NOTIFY distanceChanged FINAL)

public:
    explicit TargetEdge(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] TargetModel *target() const { return m_target; }
    void setTarget(TargetModel *target);
    [[nodiscard]] int index() const { return m_index; }
    void setIndex(int index);
    [[nodiscard]] const Distance &distance() const { return m_distance; }

Q_SIGNALS:
    void targetChanged();
    void indexChanged();
    void distanceChanged();

private:
    void update();

    QPointer<TargetModel> m_target;
    int m_index = 0;
    Distance m_distance;
    QMetaObject::Connection m_connection;
};
