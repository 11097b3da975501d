import QtQuick
import QtQuick.Controls

// The first-run window: its texts and its action come from OnboardingWindowManager.
Window {
    id: window

    required property QtObject manager

    width: 480
    height: 320
    title: manager.title

    Button {
        anchors.centerIn: parent
        text: window.manager.finishText
        onClicked: window.manager.finish()
    }
}
