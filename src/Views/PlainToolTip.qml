import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// The one tooltip of the panel. Its text is always shown as plain text, never as markup. It opens below its
// item, centred on it, and stays 6 px inside the area it belongs to: the nearest enclosing item that declares
// `keepsToolTipsInside` (the open panel), else its window. So it never hangs past the panel's edge over the
// desktop, nor past the screen's; it opens above its item when there is no room below, and a text wider than
// the area wraps.
Basic.ToolTip {
    id: tip

    // Whether the owner wants the tip; it opens only while its item is in a window, since a row may leave the
    // panel under the pointer while the tip waits for its delay.
    property bool shown: false
    // The room the tip has across, set from its area each time it opens.
    property real widest: Number.POSITIVE_INFINITY

    readonly property real edgeGap: 6

    objectName: "toolTip"
    visible: shown && parent !== null && parent.Window.window !== null
    delay: 600
    width: Math.min(implicitWidth, widest)
    onAboutToShow: placeInside(areaInParent())

    function areaInParent() {
        for (let item = parent; item; item = item.parent) {
            if (item.keepsToolTipsInside === true)
                return item.mapToItem(parent, 0, 0, item.width, item.height);
        }
        const window = parent.Window.window;
        return parent.mapFromItem(null, 0, 0, window.width, window.height);
    }

    function placeInside(area) {
        widest = Math.max(0, area.width - 2 * edgeGap);
        const left = area.x + edgeGap;
        const right = area.x + area.width - edgeGap - width;
        x = Math.max(left, Math.min((parent.width - width) / 2, right));
        const below = parent.height + edgeGap;
        const fitsBelow = below + height <= area.y + area.height - edgeGap;
        y = fitsBelow ? below : Math.max(area.y + edgeGap, -height - edgeGap);
    }

    contentItem: Text {
        text: tip.text
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: Theme.primaryLabel
        font.pixelSize: 11
    }

    background: Rectangle {
        color: Theme.surfaceElevated
        radius: 4
        border.width: 1
        border.color: Theme.separator
    }
}
