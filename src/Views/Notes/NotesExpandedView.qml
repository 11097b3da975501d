import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The notes tab: a quick-capture field for the inbox note beside the recent notes.
Item {
    id: view

    required property var model
    readonly property var service: model.service
    readonly property var texts: model.texts

    // The field mirrors the service's draft, which a saved note empties and a refused one keeps.
    function capture() {
        view.service.capture(field.text);
    }

    Connections {
        target: view.service
        function onDraftChanged() {
            if (field.text !== view.service.draft)
                field.text = view.service.draft;
        }
    }

    Item {
        id: captureCard
        width: (view.width - 10) / 2
        height: view.height
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 12
            width: parent.width - 24
            height: parent.height - 24

            Rectangle {
                id: fieldFrame
                objectName: "noteFrame"
                width: parent.width
                height: parent.height - sendButton.height - 28
                radius: 8
                color: Appearance.isLiquid ? Qt.rgba(1, 1, 1, 0.08) : Theme.surfaceElevated
                border.width: 1
                border.color: field.activeFocus ? Theme.accent : Theme.separator

                // Text longer than the frame scrolls inside it, clipped to it, and follows the caret.
                Flickable {
                    id: fieldScroll
                    objectName: "noteScroll"
                    anchors.fill: parent
                    anchors.margins: 8
                    clip: true
                    contentWidth: width
                    contentHeight: field.height
                    flickableDirection: Flickable.VerticalFlick
                    boundsBehavior: Flickable.StopAtBounds

                    function ensureVisible(caret) {
                        if (contentY > caret.y)
                            contentY = caret.y;
                        else if (contentY + height < caret.y + caret.height)
                            contentY = caret.y + caret.height - height;
                    }

                    TextEdit {
                        id: field
                        objectName: "noteField"
                        width: fieldScroll.width
                        height: Math.max(fieldScroll.height, contentHeight)
                        color: Theme.primaryLabel
                        selectionColor: Theme.accent
                        selectedTextColor: Theme.background
                        font.pixelSize: 12
                        wrapMode: TextEdit.Wrap
                        textFormat: TextEdit.PlainText
                        Component.onCompleted: text = view.service.draft
                        onCursorRectangleChanged: fieldScroll.ensureVisible(cursorRectangle)
                        // Past the draft's limit, the end of what was just typed or pasted is dropped.
                        onTextChanged: {
                            const excess = length - view.service.draftLimit;
                            if (excess <= 0) {
                                view.service.draft = text;
                                return;
                            }
                            const end = Math.max(cursorPosition, excess);
                            remove(end - excess, end);
                        }
                        Keys.onReturnPressed: (event) => {
                            if (event.modifiers & Qt.ControlModifier)
                                view.capture();
                            else
                                event.accepted = false;
                        }
                    }
                }
                ScrollHint { flickable: fieldScroll }
                Text {
                    anchors.fill: fieldScroll
                    visible: field.text === "" && !field.activeFocus
                    text: view.texts.hint
                    textFormat: Text.PlainText
                    color: Theme.secondaryText(Appearance.isLiquid)
                    font.pixelSize: 12
                }
            }

            Text {
                objectName: "noteError"
                y: fieldFrame.height + 6
                width: parent.width
                visible: view.service.errorMessage !== ""
                text: view.service.errorMessage
                textFormat: Text.PlainText
                color: Theme.danger
                font.pixelSize: 10
                elide: Text.ElideRight
            }

            Rectangle {
                id: sendButton
                objectName: "captureButton"
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                width: sendRow.implicitWidth + 16
                height: 24
                radius: 12
                color: Theme.accent
                opacity: field.text.trim() === "" ? 0.5 : 1
                Row {
                    id: sendRow
                    anchors.centerIn: parent
                    spacing: 4
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "paperplane.fill"
                        size: 12
                        color: Theme.background
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: view.texts.capture
                        textFormat: Text.PlainText
                        color: Theme.background
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: view.capture()
                }
            }
        }
    }

    Item {
        x: captureCard.width + 10
        width: view.width - x
        height: view.height
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 10
            width: parent.width - 24
            height: parent.height - 20
            Text {
                id: heading
                text: view.texts.recent
                textFormat: Text.PlainText
                color: Theme.secondaryText(Appearance.isLiquid)
                font: Theme.sectionTitle
            }
            Text {
                y: heading.height + 8
                visible: notes.count === 0
                text: view.texts.empty
                textFormat: Text.PlainText
                color: Theme.secondaryText(Appearance.isLiquid)
                font.pixelSize: 11
            }
            ListView {
                id: notes
                y: heading.height + 6
                width: parent.width
                height: parent.height - y
                clip: true
                spacing: 2
                model: view.service.recentNotes
                delegate: Rectangle {
                    required property var modelData
                    required property int index
                    objectName: "note"
                    width: ListView.view.width
                    height: 26
                    radius: 6
                    color: noteMouse.containsMouse ? Theme.separator : "transparent"
                    SymbolIcon {
                        id: noteIcon
                        x: 4
                        anchors.verticalCenter: parent.verticalCenter
                        name: "note.text"
                        size: 12
                        color: Theme.accent
                    }
                    Text {
                        x: noteIcon.x + noteIcon.width + 6
                        width: time.x - x - 6
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData.title
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        color: Theme.primaryLabel
                        font.pixelSize: 12
                    }
                    Text {
                        id: time
                        anchors.right: parent.right
                        anchors.rightMargin: 4
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData.time
                        textFormat: Text.PlainText
                        color: Theme.secondaryText(Appearance.isLiquid)
                        font.pixelSize: 10
                    }
                    MouseArea {
                        id: noteMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: view.service.openNote(index)
                    }
                }
            }
        }
    }
}
