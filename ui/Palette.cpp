#include "ui/Palette.h"

#include <QMetaEnum>

#include <array>

// Every entry ignores the scheme on purpose: the screens look the same in light and dark mode.

QColor Palette::lightBackground(ColorScheme)
{
    return QColor::fromRgbF(240.0f / 255.0f, 240.0f / 255.0f, 240.0f / 255.0f);
}

QColor Palette::white(ColorScheme)
{
    return QColor(255, 255, 255);
}

QColor Palette::black(ColorScheme)
{
    return QColor(0, 0, 0);
}

QColor Palette::alertRed(ColorScheme)
{
    return QColor(255, 44, 85);
}

QColor Palette::accent(ColorScheme)
{
    return QColor(53, 202, 171);
}

QColor Palette::lightGray(ColorScheme)
{
    return QColor(205, 205, 205);
}

QColor Palette::accentSecondary(ColorScheme scheme)
{
    return accent(scheme);
}

QColor Palette::accentSecondaryFaded(ColorScheme scheme)
{
    QColor colour = accentSecondary(scheme);
    colour.setAlphaF(0.4f);
    return colour;
}

QColor Palette::systemBlack(ColorScheme)
{
    return QColor(0, 0, 0);
}

QColor Palette::systemBlackFaded(ColorScheme scheme)
{
    QColor colour = systemBlack(scheme);
    colour.setAlphaF(0.4f);
    return colour;
}

QColor Palette::accentLight(ColorScheme)
{
    return QColor(76, 217, 186);
}

QColor Palette::systemWhite(ColorScheme)
{
    return QColor(255, 255, 255);
}

QColor Palette::systemRed(ColorScheme)
{
    return standardColor(StandardColor::red);
}

QColor Palette::standardColor(StandardColor color)
{
    // The familiar phone system colours, so targets read as the usual red, orange, ... .
    static constexpr std::array<QRgb, 12> colours = {
        0xFF3B30, // red
        0xFF9500, // orange
        0xFFCC00, // yellow
        0x34C759, // green
        0x00C7BE, // mint
        0x30B0C7, // teal
        0x32ADE6, // cyan
        0x007AFF, // blue
        0x5856D6, // indigo
        0xAF52DE, // purple
        0xFF2D55, // pink
        0xA2845E, // brown
    };
    return QColor::fromRgb(colours[static_cast<std::size_t>(color)]);
}

QColor Palette::standardColor(const QString &name)
{
    bool ok = false;
    const int value =
        QMetaEnum::fromType<StandardColor>().keyToValue(name.toLatin1().constData(), &ok);
    return ok ? standardColor(static_cast<StandardColor>(value)) : QColor();
}
