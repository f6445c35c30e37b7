// size: 390x844
import QtQuick
import Mirrel as Mirrel

// The settings screen as it opens over the measurement screen.
Mirrel.SettingsView {
    storage: Mirrel.Storage {}
}
