#include "ui/SymbolImage.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QQuickWindow>
#include <QSvgRenderer>

#include <cmath>

namespace {

const QHash<QString, QString> &symbolFiles()
{
    // Symbol names as the screens know them -> Tabler icon files in :/mirrel/icons/.
    static const QHash<QString, QString> files = {
        {QStringLiteral("camera.metering.spot"), QStringLiteral("focus-centered")},
        {QStringLiteral("skew"), QStringLiteral("perspective")},
        {QStringLiteral("plus.rectangle.on.rectangle"), QStringLiteral("copy-plus")},
        {QStringLiteral("arrow.counterclockwise"), QStringLiteral("rotate")},
        {QStringLiteral("checkmark"), QStringLiteral("check")},
        {QStringLiteral("plus"), QStringLiteral("plus")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("upload")},
        {QStringLiteral("line.diagonal"), QStringLiteral("line")},
        {QStringLiteral("square"), QStringLiteral("square")},
        {QStringLiteral("gearshape"), QStringLiteral("settings")},
        {QStringLiteral("exclamationmark.octagon.fill"), QStringLiteral("alert-octagon-filled")},
        {QStringLiteral("chevron.right"), QStringLiteral("chevron-right")},
        {QStringLiteral("trash.fill"), QStringLiteral("trash-filled")},
        {QStringLiteral("xmark"), QStringLiteral("x")},
        // Desktop actions: open a photo, save, copy, show the folder.
        {QStringLiteral("photo"), QStringLiteral("photo")},
        {QStringLiteral("folder.open"), QStringLiteral("folder-open")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("square.and.arrow.down"), QStringLiteral("device-floppy")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("copy")},
    };
    return files;
}

} // namespace

SymbolImage::SymbolImage(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setImplicitSize(22, 22);
    setAntialiasing(true);
    connect(this, &QQuickItem::scaleChanged, this, &SymbolImage::updateTextureSize);
}

QString SymbolImage::fileFor(const QString &symbol)
{
    const auto found = symbolFiles().constFind(symbol);
    if (found == symbolFiles().cend())
        return {};
    return QStringLiteral(":/mirrel/icons/%1.svg").arg(*found);
}

QStringList SymbolImage::symbols()
{
    return symbolFiles().keys();
}

QByteArray SymbolImage::tintedSvg(const QString &symbol, const QColor &color, bool bold)
{
    QFile file(fileFor(symbol));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    if (bold)
        svg.replace("stroke-width=\"2\"", "stroke-width=\"3\"");
    return svg;
}

void SymbolImage::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    m_file = fileFor(name);
    Q_EMIT nameChanged();
    update();
}

void SymbolImage::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    Q_EMIT colorChanged();
    update();
}

void SymbolImage::setBold(bool bold)
{
    if (bold == m_bold)
        return;
    m_bold = bold;
    Q_EMIT boldChanged();
    update();
}

void SymbolImage::paint(QPainter *painter)
{
    if (m_file.isEmpty() || width() <= 0 || height() <= 0)
        return;
    QSvgRenderer renderer(tintedSvg(m_name, m_color, m_bold));
    if (!renderer.isValid())
        return;
    painter->setOpacity(m_color.alphaF());
    // Square symbols drawn centred in whatever box they get.
    const double side = std::min(width(), height());
    renderer.render(painter, QRectF((width() - side) / 2, (height() - side) / 2, side, side));
}

void SymbolImage::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickPaintedItem::itemChange(change, value);
    if (change == ItemSceneChange || change == ItemDevicePixelRatioHasChanged)
        updateTextureSize();
}

void SymbolImage::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    updateTextureSize();
}

void SymbolImage::updateTextureSize()
{
    // Views scale symbols up (1.7 times in the bars); draw them at the size they are seen.
    const double dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    double scale = 1.0;
    for (const QQuickItem *item = this; item; item = item->parentItem())
        scale *= item->scale();
    const double factor = std::max(1.0, dpr * std::abs(scale));
    setTextureSize(QSize(int(std::ceil(width() * factor)), int(std::ceil(height() * factor))));
}
