import QtQuick
import Tavimor 1.0

// A system symbol drawn from the icon font in a size × size box, tinted with color. A symbol with a badge (a
// warning mark) is drawn smaller in the upper left of the box, its badge in the lower right corner.
Text {
    id: icon

    property string name
    property real size: 13

    width: size
    height: size
    text: Icons.glyph(name)
    textFormat: Text.PlainText
    font.family: Icons.fontFamily
    font.pixelSize: badge.visible ? Math.round(size * 0.8) : size
    horizontalAlignment: badge.visible ? Text.AlignLeft : Text.AlignHCenter
    verticalAlignment: badge.visible ? Text.AlignTop : Text.AlignVCenter

    Text {
        id: badge

        readonly property string glyph: Icons.badgeGlyph(icon.name)

        visible: glyph !== ""
        width: Math.round(icon.size * 0.5)
        height: width
        x: icon.width - width
        y: icon.height - height
        text: glyph
        textFormat: Text.PlainText
        font.family: Icons.fontFamily
        font.pixelSize: width
        color: icon.color
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
