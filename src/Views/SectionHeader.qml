import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The heading of a card or a column: a symbol and a title, by default in the section-title font, both in
// `color` unless the symbol has its own.
Row {
    id: header

    property string symbol
    property string title
    property real symbolSize: 11
    property real titleSize: Theme.sectionTitle.pixelSize
    property int symbolWeight: Font.Normal
    property color color: Theme.secondaryText(Appearance.isLiquid)
    property color symbolColor: color

    spacing: 5

    SymbolIcon {
        anchors.verticalCenter: parent.verticalCenter
        name: header.symbol
        size: header.symbolSize
        font.weight: header.symbolWeight
        color: header.symbolColor
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: header.title
        textFormat: Text.PlainText
        font.pixelSize: header.titleSize
        font.weight: Theme.sectionTitle.weight
        color: header.color
    }
}
