// The clipboard and drag peer of test_system_notes_shelf_x11.sh, one command per line on stdin: history (poll
// once, print the history as JSON), copy <n>, secret <text> (own the clipboard, marked as a password),
// drag <file> (a window at (40, 600) that drags the file when pressed and reports drops on it), quit.

#include "InMemoryPreferences.h"
#include "Platform/Clipboard/QtClipboard.h"
#include "Services/SystemMonitorService.h"

#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
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

// Drags its file when pressed; prints the address of whatever is dropped on it.
class DragSource final : public QRasterWindow {
public:
    explicit DragSource(QUrl file)
        : file(std::move(file)) {}

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)
            static_cast<QDropEvent*>(event)->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            std::printf("dropped %s\n",
                        qPrintable(static_cast<QDropEvent*>(event)->mimeData()->urls().value(0).toString()));
        std::fflush(stdout);
        return QRasterWindow::event(event);
    }

    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({file});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
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
