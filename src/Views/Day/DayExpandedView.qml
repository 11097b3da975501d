import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The day tab: the agenda card (the next meeting as hero with its join button, the day's other meetings
// dimmed by whether they are past, the all-day events) beside the tasks card (overdue and today's tasks, each
// closed with one click). Every decision comes from the view model.
Item {
    id: root

    required property var model

    readonly property bool liquid: Appearance.isLiquid
    readonly property color secondary: Theme.secondaryText(liquid)
    readonly property real available: width - 8
    readonly property var texts: model.texts

    Row {
        spacing: 8

        Card {
            width: root.available * 0.3
            height: root.height

            Item {
                width: parent.width
                height: parent.height

                ColumnHeader { id: agendaHeader; title: root.texts.agendaTitle; symbol: "calendar" }

                Flickable {
                    id: agendaList
                    y: agendaHeader.height + 6
                    width: parent.width
                    height: parent.height - y
                    contentHeight: agenda.implicitHeight
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds

                    Column {
                        id: agenda
                        width: parent.width
                        spacing: 4

                        Loader {
                            width: parent.width
                            active: root.model.hero.id !== undefined
                            visible: active
                            sourceComponent: heroComponent
                        }

                        Column {
                            width: parent.width
                            spacing: 2
                            visible: root.model.agendaRows.length > 0
                            Repeater {
                                model: root.model.agendaRows
                                delegate: EventRow { required property var modelData; event: modelData }
                            }
                        }

                        Column {
                            width: parent.width
                            spacing: 2
                            visible: root.model.allDayRows.length > 0
                            Repeater {
                                model: root.model.allDayRows
                                delegate: AllDayRow { required property var modelData; event: modelData }
                            }
                        }

                        Text {
                            objectName: "emptyAgenda"
                            width: parent.width
                            visible: root.model.showsEmptyAgenda
                            text: root.texts.emptyAgenda
                            textFormat: Text.PlainText
                            wrapMode: Text.Wrap
                            font.pixelSize: 12
                            color: root.secondary
                            opacity: 0.8
                        }
                    }
                }
                ScrollHint { flickable: agendaList }
            }
        }

        Card {
            width: root.available * 0.7
            height: root.height

            Item {
                width: parent.width
                height: parent.height

                Row {
                    id: tasksHeaderRow
                    width: parent.width
                    spacing: 4

                    ColumnHeader { id: tasksHeader; title: root.texts.tasksTitle; symbol: "checkmark.circle" }
                    Item { width: parent.width - tasksHeader.width - counts.width - spinner.width - 12; height: 1 }
                    Row {
                        id: counts
                        spacing: 4
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            objectName: "overdueCount"
                            visible: text !== ""
                            text: root.model.overdueCountText
                            textFormat: Text.PlainText
                            font.pixelSize: 10
                            font.weight: Font.Medium
                            color: Theme.danger
                        }
                        Text {
                            objectName: "todayCount"
                            visible: text !== ""
                            text: root.model.todayCountText
                            textFormat: Text.PlainText
                            font.pixelSize: 10
                            font.weight: Font.Medium
                            color: root.secondary
                        }
                    }
                    Spinner {
                        id: spinner
                        anchors.verticalCenter: parent.verticalCenter
                        running: root.model.isLoading
                    }
                }

                Text {
                    objectName: "tasksMessage"
                    y: tasksHeaderRow.height + 6
                    width: parent.width
                    visible: root.model.tasksBody !== "list"
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    maximumLineCount: root.model.tasksBody === "error" ? 2 : 100
                    elide: Text.ElideRight
                    text: root.model.tasksBody === "error" ? root.model.tasksError
                        : root.model.tasksBody === "noToken" ? root.texts.noToken : root.texts.tasksEmpty
                    font.pixelSize: root.model.tasksBody === "error" ? 10 : root.model.tasksBody === "noToken" ? 11 : 12
                    color: root.model.tasksBody === "error" ? Theme.danger : root.secondary
                    opacity: root.model.tasksBody === "error" ? 1 : 0.8
                }

                Flickable {
                    id: tasksList
                    y: tasksHeaderRow.height + 6
                    width: parent.width
                    height: parent.height - y
                    visible: root.model.tasksBody === "list"
                    contentHeight: taskList.implicitHeight
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds

                    Column {
                        id: taskList
                        width: parent.width
                        spacing: 3
                        Repeater {
                            model: root.model.taskRows
                            delegate: TaskRow { required property var modelData; task: modelData }
                        }
                    }
                }
                ScrollHint { flickable: tasksList }
            }
        }
    }

    Component {
        id: heroComponent

        Item {
            objectName: "hero"
            readonly property var hero: root.model.hero
            width: parent ? parent.width : 0
            implicitHeight: Math.max(34, details.implicitHeight, trailing.implicitHeight)

            Rectangle {
                width: 3
                height: 34
                radius: 1.5
                color: hero.calendarColor
            }

            Column {
                id: details
                x: 7
                width: parent.width - x - trailing.width - 10
                spacing: 2

                Text {
                    objectName: "heroTitle"
                    width: parent.width
                    text: hero.title
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    color: Theme.primaryLabel
                }
                // Bounded by the details column: when the time and the badge do not fit side by side, the
                // badge goes under the time rather than under the countdown column.
                Flow {
                    width: parent.width
                    spacing: 4
                    Text {
                        objectName: "heroTimeRange"
                        height: badge.visible ? Math.max(implicitHeight, badge.height) : implicitHeight
                        verticalAlignment: Text.AlignVCenter
                        text: hero.timeRange
                        textFormat: Text.PlainText
                        font.family: Theme.monoFamily
                        font.pixelSize: 9
                        color: root.secondary
                    }
                    Rectangle {
                        id: badge
                        objectName: "nowBadge"
                        visible: hero.isRunning
                        width: badgeText.implicitWidth + 6
                        height: badgeText.implicitHeight + 2
                        radius: 2
                        color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.15)
                        Text {
                            id: badgeText
                            anchors.centerIn: parent
                            text: root.texts.nowBadge
                            textFormat: Text.PlainText
                            font.pixelSize: 8
                            font.bold: true
                            color: Theme.accent
                        }
                    }
                }
            }

            Column {
                id: trailing
                anchors.right: parent.right
                anchors.rightMargin: 6
                spacing: 1

                Text {
                    objectName: "heroCountdown"
                    anchors.right: parent.right
                    text: hero.countdown
                    textFormat: Text.PlainText
                    font.family: Theme.monoFamily
                    font.pixelSize: 12
                    font.bold: true
                    color: hero.countdownColor
                }
                Item {
                    objectName: "joinButton"
                    anchors.right: parent.right
                    visible: hero.hasLink
                    width: Math.max(44, joinLabel.width)
                    height: visible ? 28 : 0

                    Rectangle {
                        id: joinLabel
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        width: joinText.implicitWidth + 10
                        height: joinText.implicitHeight + 4
                        radius: 3
                        color: Theme.accent
                        Text {
                            id: joinText
                            anchors.centerIn: parent
                            text: root.texts.join
                            textFormat: Text.PlainText
                            font.pixelSize: 9
                            font.weight: Font.DemiBold
                            color: Theme.background
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: root.model.join(hero.id)
                    }
                }
            }
        }
    }

    component Card: Item {
        default property alias content: shadow.content
        GlassCard {
            anchors.fill: parent
            cornerRadius: 12
        }
        GlassTextShadow {
            id: shadow
            x: 8
            y: 8
            width: parent.width - 16
            height: parent.height - 16
        }
    }

    component ColumnHeader: SectionHeader {
        spacing: 4
        symbolSize: 9
        symbolWeight: Font.DemiBold
        color: Theme.accent
    }

    component EventRow: Row {
        property var event
        objectName: "agendaRow"
        width: parent ? parent.width : 0
        spacing: 5
        opacity: event.opacity
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 4
            height: 4
            radius: 2
            color: event.calendarColor
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 9 - 10 - range.implicitWidth
            text: event.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pixelSize: 11
            color: root.secondary
        }
        Text {
            id: range
            anchors.verticalCenter: parent.verticalCenter
            text: event.timeRange
            textFormat: Text.PlainText
            font.family: Theme.monoFamily
            font.pixelSize: 10
            color: root.secondary
            opacity: 0.8
        }
    }

    component AllDayRow: Row {
        property var event
        objectName: "allDayRow"
        width: parent ? parent.width : 0
        spacing: 5
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 4
            height: 4
            radius: 1
            color: event.calendarColor
            opacity: 0.5
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 9
            text: event.title
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pixelSize: 11
            color: root.secondary
            opacity: 0.8
        }
    }

    component TaskRow: Item {
        property var task
        objectName: "taskRow"
        width: parent ? parent.width : 0
        implicitHeight: Math.max(taskText.implicitHeight, 14)

        Item {
            id: check
            objectName: "taskCheck"
            width: 10
            height: 10
            anchors.verticalCenter: parent.verticalCenter

            Rectangle {
                anchors.fill: parent
                visible: !task.completing
                radius: 5
                color: "transparent"
                border.width: 1
                border.color: Qt.rgba(root.secondary.r, root.secondary.g, root.secondary.b, 0.7)
            }
            SymbolIcon {
                anchors.centerIn: parent
                visible: task.completing
                name: "checkmark.circle.fill"
                size: 11
                color: Theme.accent
            }
            MouseArea {
                anchors.fill: parent
                anchors.margins: -14
                onClicked: root.model.closeTask(task.id)
            }
        }

        Column {
            id: taskText
            x: 15
            width: parent.width - x - due.width - 10
            anchors.verticalCenter: parent.verticalCenter
            spacing: 1

            Row {
                width: parent.width
                spacing: 4
                Text {
                    width: Math.min(implicitWidth, parent.width - (badge.visible ? badge.width + 4 : 0))
                    text: task.content
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    font.pixelSize: 11
                    color: Theme.primaryLabel
                }
                Rectangle {
                    id: badge
                    objectName: "overdueBadge"
                    anchors.verticalCenter: parent.verticalCenter
                    visible: task.isOverdue
                    width: overdueText.implicitWidth + 6
                    height: overdueText.implicitHeight + 2
                    radius: 2
                    color: Theme.danger
                    Text {
                        id: overdueText
                        anchors.centerIn: parent
                        text: root.texts.overdueBadge
                        textFormat: Text.PlainText
                        font.pixelSize: 8
                        font.bold: true
                        color: "white"
                    }
                }
            }
            Text {
                visible: task.projectName !== ""
                width: parent.width
                text: task.projectName
                textFormat: Text.PlainText
                elide: Text.ElideRight
                maximumLineCount: 1
                font.pixelSize: 9
                color: root.secondary
            }
        }

        Text {
            id: due
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: task.dueText
            textFormat: Text.PlainText
            font.family: Theme.monoFamily
            font.pixelSize: 9
            color: task.isOverdue ? Theme.danger : root.secondary
            opacity: task.isOverdue ? 0.7 : 1
        }
    }

    component Spinner: Item {
        id: spinnerItem
        property bool running: false
        visible: running
        width: running ? 14 : 0
        height: 10
        Rectangle {
            x: 4
            width: 10
            height: 10
            radius: 5
            color: "transparent"
            border.width: 2
            border.color: root.secondary
            RotationAnimation on rotation {
                running: spinnerItem.running
                from: 0
                to: 360
                duration: 900
                loops: Animation.Infinite
            }
            Rectangle { width: 4; height: 4; color: Theme.background }
        }
    }
}
