import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// Beside the notch: processor and memory load.
Row {
    id: compact

    required property var model

    spacing: 6
    visible: model.service.isSystemMonitoringEnabled

    // Room for the widest figure, so a changing figure never changes the bar's layout.
    TextMetrics {
        id: widest
        text: "100%"
        font.pixelSize: 10
        font.weight: Font.DemiBold
    }

    Row {
        spacing: 2
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "cpu"
            size: 11
            color: Theme.compactText
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: widest.advanceWidth
            text: compact.model.service.cpuText
            textFormat: Text.PlainText
            color: Theme.compactText
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
    }
    Row {
        spacing: 2
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "memorychip"
            size: 11
            color: Theme.compactText
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: widest.advanceWidth
            text: compact.model.service.memoryPercentText
            textFormat: Text.PlainText
            color: Theme.compactText
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
    }
}
