#pragma once

#include "core/Calculator.h"
#include "core/Distance.h"
#include "core/DraggableTargetModel.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QString>

class TargetSelector;

// The point being dragged, for the loupe: the finger in view points, the dragged point's
// neighbours in image pixels, and the target's colour. No point is dragged when center is
// (0, 0) with no neighbours.
struct DraggedPoint
{
    Q_GADGET
    Q_PROPERTY(QPointF center MEMBER center)
    Q_PROPERTY(QList<QPointF> neighbours MEMBER neighbours)
    Q_PROPERTY(QString color MEMBER color)

public:
    QPointF center;
    QList<QPointF> neighbours;
    QString color; // a colour name or #rrggbb; empty is the clear colour

    [[nodiscard]] bool isNone() const { return center.isNull() && neighbours.isEmpty(); }
    friend bool operator==(const DraggedPoint &, const DraggedPoint &) = default;
};

// A polygon the user measures on the frozen photo. Points are image pixels (origin top left,
// y down); distance k measures the edge from point k to point k + 1 (a line has one edge).
// Observers are told of every assignment of points, distances and isSelected.
class TargetModel : public QObject, public DraggableTargetModel
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id CONSTANT FINAL)
    Q_PROPERTY(QList<QPointF> points READ points NOTIFY pointsChanged FINAL)
    Q_PROPERTY(QList<Distance> distances READ distances NOTIFY distancesChanged FINAL)
    Q_PROPERTY(bool isSelected READ isSelected WRITE setIsSelected NOTIFY isSelectedChanged FINAL)

public:
    enum class Measurable
    {
        line,
        rectangle
    };
    Q_ENUM(Measurable)

    // model is the session that owns the target and outlives it; it may be null in tools.
    TargetModel(QList<QPointF> points, QList<Distance> distances, bool isSelected,
                TargetSelector *model, QObject *parent = nullptr);

    [[nodiscard]] const QString &id() const { return m_id; }
    [[nodiscard]] const QList<QPointF> &points() const { return m_points; }
    void setPoints(QList<QPointF> points);
    [[nodiscard]] const QList<Distance> &distances() const { return m_distances; }
    void setDistances(QList<Distance> distances);
    [[nodiscard]] bool isSelected() const { return m_isSelected; }
    // After every write of true the owning session makes this the one selected target.
    void setIsSelected(bool selected);
    [[nodiscard]] TargetSelector *model() const { return m_model; }

    void movePoint(qsizetype index, const Calculator::Matrix3x3 &matrix, QPointF location,
                   QSizeF imageSize, QSizeF viewSize) override;
    void updateAllDistances(const Calculator::Matrix3x3 &matrix) override;
    void updateDistances(qsizetype index, const Calculator::Matrix3x3 &matrix) override;

    // -1 -> count - 1, count -> 0; anything else unchanged.
    [[nodiscard]] Q_INVOKABLE qsizetype cyclicIndex(qsizetype index) const;
    [[nodiscard]] Q_INVOKABLE DraggedPoint neighbours(qsizetype index, QPointF location,
                                                      const QString &color) const;

    // The image point under a view location when the image fills the view (aspect fill,
    // centred): the inverse of how the photo is shown.
    [[nodiscard]] static QPointF imagePoint(QPointF location, QSizeF imageSize, QSizeF viewSize);

    friend bool operator==(const TargetModel &a, const TargetModel &b) { return a.m_id == b.m_id; }

Q_SIGNALS:
    void pointsChanged();
    void distancesChanged();
    void isSelectedChanged(bool isSelected);

private:
    void updateEndpoints(qsizetype index);
    void checkIndex(qsizetype index, const char *operation) const;

    QString m_id;
    QList<QPointF> m_points;
    QList<Distance> m_distances;
    bool m_isSelected = false;
    TargetSelector *m_model = nullptr;
};

// Distances along the closed polygon of points, each with the given placeholder length.
[[nodiscard]] QList<Distance> edgesOf(const QList<QPointF> &points, double length);
