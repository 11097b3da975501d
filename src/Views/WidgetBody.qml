import QtQuick

// Shows one of a widget's bodies: the QML component at the widget's compactBody (or expandedBody when
// `expanded`), created with the widget's view model as its `model` property (a body declares
// `property var model` or `required property var model`). An empty URL shows nothing. Body and model are
// always read together from the widget, so a body never meets another widget's model.
Loader {
    id: loader

    property QtObject widget
    property bool expanded: false

    readonly property url body: widget ? (expanded ? widget.expandedBody : widget.compactBody) : ""
    readonly property QtObject bodyModel: widget ? widget.viewModel : null
    property QtObject loadedModel: null

    function reload() {
        const url = widget ? (expanded ? widget.expandedBody : widget.compactBody) : "";
        const model = widget ? widget.viewModel : null;
        if (url.toString() === "") {
            source = "";
            loadedModel = null;
        } else if (source.toString() !== url.toString() || loadedModel !== model) {
            loadedModel = model;
            setSource(url, { "model": model });
        }
    }

    onBodyChanged: reload()
    onBodyModelChanged: reload()
    Component.onCompleted: reload()
}
