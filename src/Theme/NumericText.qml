import QtQuick
import Tavimor 1.0

// A figure whose changing characters roll: the old character slides up and fades out while the new one slides
// in from below, each character on its own, and the figure's width follows. Characters line up from the
// right, where figures change most; a character the new text no longer has rolls out and closes its gap.
// Only a change seen on screen rolls: one made while the figure or its window is hidden stands at once when it
// shows, and a roll still under way when it hides is finished.
Item {
    id: root

    property string text
    property font font
    property color color: "black"
    // Whether a change rolls; when false the new text stands at once.
    property bool rolls: true
    readonly property bool onScreen: visible && Window.visibility !== Window.Hidden

    implicitWidth: row.implicitWidth
    implicitHeight: metrics.height
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    function placeCharacters() {
        const characters = Array.from(root.text);
        if (slots.count === 0) {
            // Shown as it is: only a change rolls.
            characters.forEach(character => slots.append({ "character": character }));
            return;
        }
        while (slots.count > characters.length && slots.get(0).character === "")
            slots.remove(0);
        const missing = characters.length - slots.count;
        for (let i = 0; i < missing; ++i)
            slots.insert(0, { "character": "" });
        const offset = slots.count - characters.length;
        for (let i = 0; i < offset; ++i)
            slots.setProperty(i, "character", "");
        characters.forEach((character, i) => {
            if (slots.get(offset + i).character !== character)
                slots.setProperty(offset + i, "character", character);
        });
    }

    onTextChanged: placeCharacters()
    Component.onCompleted: placeCharacters()

    FontMetrics {
        id: metrics
        font: root.font
    }

    ListModel {
        id: slots
    }

    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter

        Repeater {
            model: slots

            delegate: Item {
                id: slot

                required property string character
                property string shown
                property string leaving
                property real progress: 1
                property bool placed: false

                Component.onCompleted: {
                    shown = character;
                    placed = true;
                }

                readonly property real leavingAdvance: metrics.advanceWidth(leaving)
                readonly property real shownAdvance: metrics.advanceWidth(shown)

                width: leavingAdvance * (1 - progress) + shownAdvance * progress
                height: metrics.height

                onCharacterChanged: {
                    if (!placed)
                        return;
                    leaving = shown;
                    shown = character;
                    if (root.rolls && root.onScreen)
                        roll.restart();
                    else
                        settle();
                }

                function settle() {
                    roll.stop();
                    progress = 1;
                }

                Connections {
                    target: root
                    function onOnScreenChanged() {
                        slot.settle();
                    }
                }

                NumberAnimation {
                    id: roll
                    target: slot
                    property: "progress"
                    from: 0
                    to: 1
                    duration: Springs.smoothDuration
                    easing: Springs.smooth
                }

                Text {
                    text: slot.leaving
                    visible: slot.progress < 1
                    y: -slot.progress * slot.height / 2
                    opacity: 1 - slot.progress
                    textFormat: Text.PlainText
                    Accessible.ignored: true
                    font: root.font
                    color: root.color
                }
                Text {
                    text: slot.shown
                    y: (1 - slot.progress) * slot.height / 2
                    opacity: slot.progress
                    textFormat: Text.PlainText
                    Accessible.ignored: true
                    font: root.font
                    color: root.color
                }
            }
        }
    }
}
