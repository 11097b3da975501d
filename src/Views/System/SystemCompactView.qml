import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// Beside the notch: processor and memory load. Framed and raised like the other items beside the notch, so
// that all of them sit on one line.
Item {
    id: compact

    required property var model

    implicitWidth: figures.implicitWidth
    implicitHeight: 24
    visible: model.service.isSystemMonitoringEnabled

    // Room for the widest figure, so a changing figure never changes the bar's layout.
    TextMetrics {
        id: widest
        text: "100%"
        font.pixelSize: 10
        font.weight: Font.DemiBold
    }

    Row {
        id: figures
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: -4
        spacing: 6

        Figure { symbol: "cpu"; text: compact.model.service.cpuText }
        Figure { symbol: "memorychip"; text: compact.model.service.memoryPercentText }
    }

    component Figure: Row {
        id: figure
        property string symbol
        property string text
        spacing: 2
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: figure.symbol
            size: 11
            color: Theme.compactText
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: widest.advanceWidth
            text: figure.text
            textFormat: Text.PlainText
            color: Theme.compactText
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
    }
}
