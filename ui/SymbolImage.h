#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqml.h>

// One of the screens' symbols ("checkmark", "gearshape", ...), drawn from its vector file in the
// given colour at whatever size and scale it is shown, so it stays sharp when a view scales it
// up. Its implicit size is that of a symbol beside body text.
class SymbolImage : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged FINAL)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged FINAL)
    // Heavier strokes, for the card's check mark.
    Q_PROPERTY(bool bold READ bold WRITE setBold NOTIFY boldChanged FINAL)
    // False when the name has no symbol; nothing is drawn then.
    Q_PROPERTY(bool valid READ isValid NOTIFY nameChanged FINAL)

public:
    explicit SymbolImage(QQuickItem *parent = nullptr);

    [[nodiscard]] const QString &name() const { return m_name; }
    void setName(const QString &name);
    [[nodiscard]] const QColor &color() const { return m_color; }
    void setColor(const QColor &color);
    [[nodiscard]] bool bold() const { return m_bold; }
    void setBold(bool bold);
    [[nodiscard]] bool isValid() const { return !m_file.isEmpty(); }

    // The resource file that draws a symbol, or empty for an unknown name. The one table of
    // which symbol is drawn by which file.
    [[nodiscard]] static QString fileFor(const QString &symbol);
    // Every symbol name the screens use.
    [[nodiscard]] static QStringList symbols();
    // The symbol's vector drawing with its strokes and fills in colour.
    [[nodiscard]] static QByteArray tintedSvg(const QString &symbol, const QColor &color,
                                              bool bold = false);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void nameChanged();
    void colorChanged();
    void boldChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void updateTextureSize();

    QString m_name;
    QString m_file;
    QColor m_color = Qt::black;
    bool m_bold = false;
};
