import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A drop-down list of choices in the panel's colours. `choices` holds objects with a `title` to show and a
// `raw` value; `picked` carries the raw value the user chose, and `current` follows the stored one.
Basic.ComboBox {
    id: box

    required property var choices
    required property string current
    signal picked(string raw)

    model: choices
    textRole: "title"
    valueRole: "raw"
    currentIndex: choices.findIndex(choice => choice.raw === current)
    onActivated: picked(currentValue)

    implicitWidth: 150
    implicitHeight: 30
    leftPadding: 10
    rightPadding: 28
    font.pixelSize: 13

    contentItem: Text {
        text: box.displayText
        textFormat: Text.PlainText
        font: box.font
        color: Theme.text
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: Text {
        x: box.width - width - 10
        y: (box.height - height) / 2
        text: "▾"
        textFormat: Text.PlainText
        font.pixelSize: 13
        color: Theme.text
    }

    background: Rectangle {
        radius: 7
        color: box.pressed || box.hovered ? Qt.lighter(Theme.surfaceElevated, 1.4) : Theme.surfaceElevated
        border.width: 1
        border.color: box.visualFocus ? Theme.text : Theme.separator
    }

    delegate: Basic.ItemDelegate {
        required property var modelData
        required property int index
        width: ListView.view.width
        height: 28
        highlighted: box.highlightedIndex === index
        contentItem: Text {
            text: modelData[box.textRole]
            textFormat: Text.PlainText
            font: box.font
            color: Theme.text
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            radius: 5
            color: highlighted ? Qt.lighter(Theme.surfaceElevated, 1.6) : Theme.surfaceElevated
        }
    }

    popup: Basic.Popup {
        y: box.height + 2
        width: box.width
        implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding
        padding: 4
        margins: 8
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: box.popup.visible ? box.delegateModel : null
            currentIndex: box.highlightedIndex
        }
        background: Rectangle {
            radius: 8
            color: Theme.surfaceElevated
            border.width: 1
            border.color: Theme.separator
        }
    }
}
