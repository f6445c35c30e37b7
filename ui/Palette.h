#pragma once

#include <QColor>
#include <QObject>
#include <QtQml/qqml.h>

// Every named colour of the screens and the shared stroke width. The app looks the same in the
// light and the dark scheme: each entry takes the scheme and returns the same colour for both.
//
// The platform's standard colours are chosen once here, after the usual phone system colours:
// black #000000, white #FFFFFF, red #FF3B30; the twelve target colours are in standardColor().
class Palette : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor lightBackground READ lightBackground CONSTANT FINAL)
    Q_PROPERTY(QColor white READ white CONSTANT FINAL)
    Q_PROPERTY(QColor black READ black CONSTANT FINAL)
    Q_PROPERTY(QColor alertRed READ alertRed CONSTANT FINAL)
    Q_PROPERTY(QColor accent READ accent CONSTANT FINAL)
    Q_PROPERTY(QColor lightGray READ lightGray CONSTANT FINAL)
    Q_PROPERTY(QColor accentSecondary READ accentSecondary CONSTANT FINAL)
    Q_PROPERTY(QColor accentSecondaryFaded READ accentSecondaryFaded CONSTANT FINAL)
    Q_PROPERTY(QColor systemBlack READ systemBlack CONSTANT FINAL)
    Q_PROPERTY(QColor systemBlackFaded READ systemBlackFaded CONSTANT FINAL)
    Q_PROPERTY(QColor accentLight READ accentLight CONSTANT FINAL)
    Q_PROPERTY(QColor systemWhite READ systemWhite CONSTANT FINAL)
    Q_PROPERTY(QColor systemRed READ systemRed CONSTANT FINAL)
    // Target outlines, handle strokes, the hint banner's and the buttons' outlines (points).
    Q_PROPERTY(double standardLineWidth READ standardLineWidth CONSTANT FINAL)

public:
    enum class ColorScheme
    {
        light,
        dark
    };
    Q_ENUM(ColorScheme)

    // The platform's standard named colours that targets and the debug stripes use.
    enum class StandardColor
    {
        red,
        orange,
        yellow,
        green,
        mint,
        teal,
        cyan,
        blue,
        indigo,
        purple,
        pink,
        brown
    };
    Q_ENUM(StandardColor)

    explicit Palette(QObject *parent = nullptr) : QObject(parent) {}

    [[nodiscard]] static QColor lightBackground(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor white(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor black(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor alertRed(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor accent(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor lightGray(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor accentSecondary(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor accentSecondaryFaded(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor systemBlack(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor systemBlackFaded(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor accentLight(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor systemWhite(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor systemRed(ColorScheme scheme = ColorScheme::light);
    [[nodiscard]] static QColor standardColor(StandardColor color);
    // The standard colour by its lower-case name ("red", "mint", ...); invalid for others.
    [[nodiscard]] Q_INVOKABLE static QColor standardColor(const QString &name);

    [[nodiscard]] static constexpr double standardLineWidth() { return 2.0; }
};
