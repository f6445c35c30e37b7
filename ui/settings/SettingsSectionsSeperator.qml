import QtQuick
import QtQuick.Window
import Mirrel as Mirrel

// A hairline between rows, across the width it is given: half a point, but never thinner than
// one pixel, which would leave it to chance whether it shows.
Rectangle {
    implicitHeight: Math.max(0.5, 1 / Screen.devicePixelRatio)
    color: Qt.rgba(Mirrel.Palette.white.r, Mirrel.Palette.white.g, Mirrel.Palette.white.b, 0.2)
}
