import QtQuick

// Shows one of a widget's bodies: the QML component at `body`, created with the widget's view model as its
// `model` property (a body declares `property var model` or `required property var model`). An empty URL
// shows nothing. The body is recreated when either changes.
Loader {
    id: loader

    property url body
    property QtObject viewModel

    function reload() {
        if (body.toString() === "")
            source = "";
        else
            setSource(body, { "model": viewModel });
    }

    onBodyChanged: reload()
    onViewModelChanged: reload()
    Component.onCompleted: reload()
}
