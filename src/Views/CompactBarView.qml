import QtQuick
import Tavimor 1.0

// The strip across the notch: side widgets packed towards the notch on either side and, while the panel is
// closed and music has a track, the music widget's compact view over the notch.
Item {
    id: bar

    required property var widgets
    required property real notchWidth
    required property bool sidesOnly

    // Rectangles of the visible side items in this item's coordinates.
    property var itemRects: []

    // The capsules the bar draws once its springs have come to rest, in this item's coordinates: each side's
    // backing and, while it shows, the music item's. They follow the layout's targets, not the frames of an
    // animation.
    readonly property var capsules: {
        const rects = [];
        if (leftRow.width > 0)
            rects.push(Qt.rect(layout.sideWidth - innerGap - leftRow.width - backingPadding, leftBacking.y,
                               leftBacking.width, leftBacking.height));
        if (rightRow.width > 0)
            rects.push(Qt.rect(width - layout.sideWidth + innerGap - backingPadding, rightBacking.y,
                               rightBacking.width, rightBacking.height));
        const music = centreBody.item;
        if (layout.showsCentre && music && music.backing)
            rects.push(Qt.rect(layout.sideWidth + music.backing.x, music.backing.y,
                               layout.centreWidth - music.backingSideMargins, music.backing.height));
        return rects;
    }

    // Side items stop this far short of the centre region.
    readonly property real innerGap: 12
    // A side's backing reaches this far beyond its items.
    readonly property real backingPadding: 6
    // The side rows rest on the notch's lower edge.
    readonly property real rowBottomMargin: 6

    function sameRects(a, b) {
        if (a.length !== b.length)
            return false;
        for (let i = 0; i < a.length; ++i) {
            if (a[i].x !== b[i].x || a[i].y !== b[i].y || a[i].width !== b[i].width || a[i].height !== b[i].height)
                return false;
        }
        return true;
    }

    function updateItemRects() {
        const rects = [];
        for (const row of [leftRow, rightRow]) {
            for (let i = 0; i < row.children.length; ++i) {
                const item = row.children[i];
                if (item.visible && item.width > 0 && item.height > 0)
                    rects.push(drawnRect(item));
            }
        }
        if (!sameRects(rects, itemRects))
            itemRects = rects;
    }

    // A body may draw beyond its own size (a row shifted up to the notch's edge): the rectangle covers all of
    // it, so every drawn part takes the pointer.
    function drawnRect(item) {
        const drawn = item.item ? item.item.childrenRect : Qt.rect(0, 0, 0, 0);
        const left = Math.min(0, drawn.x);
        const top = Math.min(0, drawn.y);
        const right = Math.max(item.width, drawn.x + drawn.width);
        const bottom = Math.max(item.height, drawn.y + drawn.height);
        return item.mapToItem(bar, left, top, right - left, bottom - top);
    }

    function scheduleItemRects() {
        Qt.callLater(updateItemRects);
    }

    CompactBarLayout {
        id: layout
        widgets: bar.widgets
        panelWidth: bar.width
        notchWidth: bar.notchWidth
        sidesOnly: bar.sidesOnly
    }

    property real sideWidth: layout.sideWidth
    Behavior on sideWidth {
        NumberAnimation { easing: Springs.compactBar; duration: Springs.compactBarDuration }
    }
    onSideWidthChanged: scheduleItemRects()
    onWidthChanged: scheduleItemRects()

    Item {
        id: leftBlock
        width: Math.max(0, bar.sideWidth)
        height: bar.height

        Row {
            id: leftRow
            objectName: "compactSide"
            anchors.right: parent.right
            anchors.rightMargin: bar.innerGap
            anchors.bottom: parent.bottom
            anchors.bottomMargin: bar.rowBottomMargin
            spacing: 8
            onPositioningComplete: bar.scheduleItemRects()

            Repeater {
                model: layout.leftWidgets
                delegate: CompactItem {}
            }
        }
        SideBacking { id: leftBacking; row: leftRow }
    }

    Item {
        id: rightBlock
        x: bar.width - width
        width: Math.max(0, bar.sideWidth)
        height: bar.height

        Row {
            id: rightRow
            objectName: "compactSide"
            anchors.left: parent.left
            anchors.leftMargin: bar.innerGap
            anchors.bottom: parent.bottom
            anchors.bottomMargin: bar.rowBottomMargin
            spacing: 8
            onPositioningComplete: bar.scheduleItemRects()

            Repeater {
                model: layout.rightWidgets
                delegate: CompactItem {}
            }
        }
        SideBacking { id: rightBacking; row: rightRow }
    }

    // Never takes clicks; scales up from 85 % and fades in, and the reverse on the way out.
    Item {
        id: centre
        x: bar.sideWidth
        width: Math.max(0, bar.width - 2 * bar.sideWidth)
        height: bar.height
        enabled: false
        visible: opacity > 0
        opacity: layout.showsCentre ? 1 : 0
        scale: layout.showsCentre ? 1 : 0.85

        Behavior on opacity {
            NumberAnimation { easing: Springs.compactBar; duration: Springs.compactBarDuration }
        }
        Behavior on scale {
            NumberAnimation { easing: Springs.compactBar; duration: Springs.compactBarDuration }
        }

        WidgetBody {
            id: centreBody
            anchors.fill: parent
            active: centre.visible
            widget: layout.musicWidget
        }
    }

    // Behind the items of one side: the bar lies over whatever the top of the screen shows, a light title
    // bar included, so its texts get a dark backing of their own.
    component SideBacking: Rectangle {
        required property Row row
        z: -1
        visible: row.width > 0
        x: row.x - bar.backingPadding
        y: row.y + row.height / 2 - 4 - height / 2
        width: row.width + 2 * bar.backingPadding
        height: 18
        radius: height / 2
        color: Theme.liquidCardFill
    }

    component CompactItem: WidgetBody {
        required property QtObject modelData
        anchors.verticalCenter: parent ? parent.verticalCenter : undefined
        widget: modelData
        onXChanged: bar.scheduleItemRects()
        onYChanged: bar.scheduleItemRects()
        onWidthChanged: bar.scheduleItemRects()
        onHeightChanged: bar.scheduleItemRects()
        Connections {
            target: item
            function onChildrenRectChanged() { bar.scheduleItemRects() }
        }
    }
}
