import QtQuick
import Tavimor 1.0

// A system symbol drawn from the icon font in a size × size box, tinted with color.
Text {
    property string name
    property real size: 13

    width: size
    height: size
    text: Icons.glyph(name)
    textFormat: Text.PlainText
    font.family: Icons.fontFamily
    font.pixelSize: size
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
