import QtQuick
import Tavimor 1.0

// The card behind a block of tab content: a translucent fill (surface at 55 % on the dark style; on liquid
// glass frosted glass under a dark tint and a faint white sheen) and a 1 px outline inside the edge. Draws
// only; takes no input.
Item {
    id: card

    property real cornerRadius: 12
    property bool liquid: Appearance.isLiquid

    BackdropMaterial {
        id: frostedGlass
        anchors.fill: parent
        visible: card.liquid
        radius: card.cornerRadius
        image: PanelBackdrop.image
        area: PanelBackdrop.area
    }

    Rectangle {
        anchors.fill: parent
        radius: card.cornerRadius
        color: !card.liquid ? Theme.cardFill(false)
             : frostedGlass.drawn ? Theme.frostedCardFill : Theme.liquidCardFill
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
