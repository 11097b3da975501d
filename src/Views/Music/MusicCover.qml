import QtQuick
import Qt5Compat.GraphicalEffects
import Tavimor 1.0
import "qrc:/Theme"

// A cover clipped to a rounded square, or the music-note placeholder when there is no artwork.
Item {
    id: cover

    property string source
    property real radius: 10
    property real placeholderRadius: radius
    property real symbolSize: 22
    property int symbolWeight: Font.Normal
    property color placeholderColor
    property color symbolColor

    Rectangle {
        anchors.fill: parent
        radius: cover.placeholderRadius
        visible: cover.source === ""
        color: cover.placeholderColor
        SymbolIcon {
            anchors.centerIn: parent
            name: "music.note"
            size: cover.symbolSize
            font.weight: cover.symbolWeight
            color: cover.symbolColor
        }
    }

    Image {
        id: image
        anchors.fill: parent
        visible: false
        source: cover.source
        fillMode: Image.PreserveAspectCrop
        smooth: true
    }

    Rectangle {
        id: mask
        anchors.fill: parent
        radius: cover.radius
        visible: false
    }

    OpacityMask {
        anchors.fill: parent
        visible: cover.source !== ""
        source: image
        maskSource: mask
    }
}
