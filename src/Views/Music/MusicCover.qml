import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// A cover clipped to a rounded square, or the music-note placeholder when there is no artwork.
Item {
    id: cover

    property alias image: artwork.image
    property real radius: 10
    property real placeholderRadius: radius
    property real symbolSize: 22
    property int symbolWeight: Font.Normal
    property color placeholderColor
    property color symbolColor
    readonly property bool hasArtwork: artwork.hasImage

    Rectangle {
        anchors.fill: parent
        radius: cover.placeholderRadius
        visible: !artwork.hasImage
        color: cover.placeholderColor
        SymbolIcon {
            anchors.centerIn: parent
            name: "music.note"
            size: cover.symbolSize
            font.weight: cover.symbolWeight
            color: cover.symbolColor
        }
    }

    ArtworkImage {
        id: artwork
        objectName: "artwork"
        anchors.fill: parent
        radius: cover.radius
    }
}
