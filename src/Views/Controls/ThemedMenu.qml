import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A context menu on the raised surface; fill it with ThemedMenuItem and ThemedMenuSeparator.
Basic.Menu {
    padding: 4

    background: Rectangle {
        implicitWidth: 200
        radius: 8
        color: Theme.surfaceElevated
        border.width: 1
        border.color: Theme.separator
    }
}
