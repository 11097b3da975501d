import QtQuick
import Tavimor 1.0

// The title of a group of settings.
Text {
    textFormat: Text.PlainText
    color: Theme.text
    font.pixelSize: 14
    font.weight: Font.DemiBold
    wrapMode: Text.Wrap
}
