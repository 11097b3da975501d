import QtQuick
import Tavimor 1.0

Item {
    width: 200
    height: 100

    property bool liquid: Appearance.isLiquid
    property color fill: Theme.background
    property int bodySize: Theme.body.pixelSize
    property color hex: Theme.colorFromHex("#12G456")

    GlassCard {
        anchors.fill: parent
        cornerRadius: 10
    }

    GlassTextShadow {
        Text {
            text: "Agenda"
            font: Theme.sectionTitle
            color: Theme.primaryLabel
        }
    }

    SymbolIcon {
        name: "mic.fill"
        size: 11
        color: Theme.accent
    }
}
