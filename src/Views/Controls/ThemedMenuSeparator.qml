import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// The line between groups of a ThemedMenu.
Basic.MenuSeparator {
    topPadding: 3
    bottomPadding: 3
    contentItem: Rectangle {
        implicitHeight: 1
        color: Theme.separator
    }
}
