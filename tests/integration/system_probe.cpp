// Drives the system tab's clipboard history and the file drags of the shelf against a real X server, for
// test_system_notes_shelf_x11.sh. Commands arrive one per line on stdin, answers leave on stdout:
//   history          polls the clipboard once and prints the history, one JSON array
//   copy <n>         puts entry n back on the clipboard
//   secret <text>    owns the clipboard with the text marked as a password
//   drag <file>      shows a small window at (40, 600) that drags the file's address when pressed
//   quit

#include "InMemoryPreferences.h"
#include "Platform/Clipboard/QtClipboard.h"
#include "Services/SystemMonitorService.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeData>
#include <QMouseEvent>
#include <QRasterWindow>
#include <QSocketNotifier>
#include <QTextStream>
#include <QUrl>

#include <cstdio>
#include <unistd.h>

namespace {

class DragSource final : public QRasterWindow {
public:
    explicit DragSource(QUrl file)
        : file(std::move(file)) {}

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({file});
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("dropped %d\n", int(action));
        std::fflush(stdout);
    }

private:
    QUrl file;
};

void answer(const QByteArray& line) {
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    InMemoryPreferences preferences;
    QtClipboard clipboard;
    SystemMonitorService service({preferences, &clipboard, QStringLiteral("/proc"), QString()});
    std::unique_ptr<DragSource> dragSource;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t length = ::read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (length <= 0) {
            QGuiApplication::quit();
            return;
        }
        for (const QByteArray& raw : QByteArray(buffer, length).split('\n')) {
            const QByteArray line = raw.trimmed();
            const QByteArray argument = line.mid(line.indexOf(' ') + 1);
            if (line == "history") {
                service.pollClipboard();
                answer(QJsonDocument(QJsonArray::fromStringList(service.clipboardHistory()))
                           .toJson(QJsonDocument::Compact));
            } else if (line.startsWith("copy ")) {
                service.copyEntry(argument.toInt());
                answer("ok");
            } else if (line.startsWith("secret ")) {
                auto* data = new QMimeData;
                data->setText(QString::fromUtf8(argument));
                data->setData(QtClipboard::secretHintFormat, "secret");
                QGuiApplication::clipboard()->setMimeData(data);
                answer("ok");
            } else if (line.startsWith("drag ")) {
                dragSource = std::make_unique<DragSource>(QUrl::fromLocalFile(QString::fromUtf8(argument)));
                dragSource->setGeometry(40, 600, 80, 80);
                dragSource->show();
                answer("ok");
            } else if (line == "quit") {
                QGuiApplication::quit();
            }
        }
    });
    answer("ready");
    return QGuiApplication::exec();
}
