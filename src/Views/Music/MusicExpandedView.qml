import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"

// The music tab: cover, title, artist, progress with its times, the transport buttons and, for a player
// whose volume can be set, the volume bar; or the empty state when nothing plays.
Item {
    id: view

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color secondary: Theme.secondaryText(liquid)

    function surface(opacity, dark) {
        return liquid ? Qt.rgba(1, 1, 1, opacity) : dark;
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        liquid: view.liquid
    }

    GlassTextShadow {
        x: 12
        y: 12
        width: view.width - 24
        height: view.height - 24
        liquid: view.liquid

        RowLayout {
            objectName: "playingContent"
            visible: view.model.hasTrack
            width: parent.width
            spacing: 16

            MusicCover {
                Layout.preferredWidth: 72
                Layout.preferredHeight: 72
                image: view.model.artwork
                placeholderColor: view.surface(0.12, Theme.surfaceElevated)
                symbolColor: Theme.muted
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 6

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Text {
                        objectName: "trackTitle"
                        Layout.fillWidth: true
                        text: view.model.title
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        font.pixelSize: 14
                        font.weight: Font.DemiBold
                        color: Theme.primaryLabel
                    }
                    Text {
                        Layout.fillWidth: true
                        text: view.model.artist
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        font.pixelSize: 13
                        color: view.secondary
                    }
                }

                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 3
                    Item {
                        id: scrubber
                        Layout.fillWidth: true
                        Layout.preferredHeight: 3
                        Rectangle {
                            anchors.fill: parent
                            radius: 2
                            color: view.surface(0.1, Theme.surface)
                        }
                        Rectangle {
                            objectName: "expandedProgress"
                            width: scrubber.width * view.model.expandedProgress
                            height: 3
                            radius: 2
                            color: Theme.accent
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            text: view.model.elapsedText
                            textFormat: Text.PlainText
                            font.family: Theme.monoFamily
                            font.pixelSize: 9
                            color: view.secondary
                        }
                        Item { Layout.fillWidth: true }
                        Text {
                            text: view.model.durationText
                            textFormat: Text.PlainText
                            font.family: Theme.monoFamily
                            font.pixelSize: 9
                            color: view.secondary
                        }
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8

                    RowLayout {
                        spacing: 4
                        ControlButton { symbol: "backward.fill"; size: 13; onClicked: view.model.previousTrack() }
                        ControlButton {
                            objectName: "playPauseButton"
                            symbol: view.model.playPauseSymbol
                            size: 16
                            primary: true
                            onClicked: view.model.togglePlayPause()
                        }
                        ControlButton { symbol: "forward.fill"; size: 13; onClicked: view.model.nextTrack() }
                    }

                    RowLayout {
                        objectName: "volumeBar"
                        visible: view.model.hasVolume
                        Layout.fillWidth: true
                        spacing: 5
                        SymbolIcon {
                            Layout.preferredWidth: 10
                            name: "speaker.fill"
                            size: 9
                            color: view.secondary
                            opacity: 0.8
                        }
                        Item {
                            id: slider
                            Layout.fillWidth: true
                            Layout.preferredHeight: 32
                            Rectangle {
                                anchors.verticalCenter: parent.verticalCenter
                                width: parent.width
                                height: 3
                                radius: 1.5
                                color: view.surface(0.1, Theme.surface)
                            }
                            Rectangle {
                                anchors.verticalCenter: parent.verticalCenter
                                width: Math.max(slider.width * view.model.volume / 100, 4)
                                height: 3
                                radius: 1.5
                                color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.75)
                            }
                            MouseArea {
                                anchors.fill: parent
                                onPressed: mouse => view.model.dragVolume(mouse.x, width)
                                onPositionChanged: mouse => view.model.dragVolume(mouse.x, width)
                            }
                        }
                        SymbolIcon {
                            Layout.preferredWidth: 12
                            name: "speaker.wave.2.fill"
                            size: 9
                            color: view.secondary
                            opacity: 0.8
                        }
                    }
                }
            }
        }

        RowLayout {
            objectName: "emptyState"
            visible: !view.model.hasTrack
            width: parent.width
            spacing: 12

            MusicCover {
                Layout.preferredWidth: 72
                Layout.preferredHeight: 72
                placeholderColor: view.surface(0.12, Theme.surfaceElevated)
                symbolColor: Theme.muted
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 4
                Text {
                    Layout.fillWidth: true
                    text: view.model.emptyTitle
                    textFormat: Text.PlainText
                    font: Theme.body
                    color: Theme.primaryLabel
                }
                Text {
                    Layout.fillWidth: true
                    text: view.model.emptyDetail
                    textFormat: Text.PlainText
                    wrapMode: Text.WordWrap
                    font.pixelSize: 12
                    color: view.secondary
                }
            }
        }
    }

    component ControlButton: Rectangle {
        id: button
        property string symbol
        property real size: 13
        property bool primary: false
        signal clicked()

        Layout.preferredWidth: 32
        Layout.preferredHeight: 32
        radius: 8
        color: primary ? view.surface(0.12, Theme.surfaceElevated) : "transparent"

        SymbolIcon {
            anchors.centerIn: parent
            name: button.symbol
            size: button.size
            font.weight: Font.DemiBold
            color: button.primary ? Theme.accent : Theme.text
        }
        MouseArea {
            anchors.fill: parent
            onClicked: button.clicked()
        }
    }
}
