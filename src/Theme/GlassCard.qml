import QtQuick
import Tavimor 1.0

// The card behind a block of tab content: a translucent fill (surface at 55 % on the dark style, a dark tint
// under a faint white sheen on liquid glass) and a 1 px outline inside the edge. Draws only; takes no input.
Item {
    id: card

    property real cornerRadius: 12
    property bool liquid: Appearance.isLiquid

    Rectangle {
        anchors.fill: parent
        radius: card.cornerRadius
        color: card.liquid ? Theme.liquidCardFill : Theme.cardFill(false)
    }

    Rectangle {
        anchors.fill: parent
        radius: card.cornerRadius
        visible: card.liquid
        color: Qt.rgba(1, 1, 1, 0.04)
    }

    Rectangle {
        anchors.fill: parent
        radius: card.cornerRadius
        color: "transparent"
        border.width: 1
        border.color: Theme.separator
    }
}
