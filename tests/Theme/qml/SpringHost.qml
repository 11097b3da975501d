import QtQuick
import Tavimor 1.0

Item {
    property real value: 0
    property alias running: animation.running

    NumberAnimation on value {
        id: animation
        from: 0
        to: 100
        duration: Springs.openDuration
        easing: Springs.open
    }
}
