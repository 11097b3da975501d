import QtQuick
import Tavimor 1.0
import "../Controls"

// A labelled on/off switch for the settings sections. `toggled` carries the value the user asked for;
// the owner writes it and the binding of `checked` follows the stored value.
Item {
    id: toggle

    property string title
    property string detail
    property bool checked: false
    signal toggled(bool checked)

    implicitHeight: Math.max(labels.implicitHeight, control.implicitHeight)

    Column {
        id: labels
        width: parent.width - control.width - 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            width: parent.width
            text: toggle.title
            textFormat: Text.PlainText
            color: Theme.text
            font.pixelSize: 13
            wrapMode: Text.Wrap
        }
        Text {
            width: parent.width
            visible: toggle.detail !== ""
            text: toggle.detail
            textFormat: Text.PlainText
            color: Theme.secondaryLabel
            font.pixelSize: 11
            wrapMode: Text.Wrap
        }
    }

    ThemedSwitch {
        id: control
        objectName: toggle.objectName !== "" ? toggle.objectName + "Switch" : ""
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        Accessible.name: toggle.title
        checked: toggle.checked
        onToggled: {
            const asked = checked;
            checked = Qt.binding(() => toggle.checked);
            toggle.toggled(asked);
        }
    }
}
