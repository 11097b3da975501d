// CPU cost of one system sample (procfs and the home folder's disk) and of one clipboard poll, idle and
// with new content to read from the display's clipboard.
#include "FakeClipboard.h"
#include "InMemoryPreferences.h"
#include "Platform/Clipboard/QtClipboard.h"
#include "Services/SystemMonitorService.h"

#include <QtTest>

namespace {

// The display's clipboard, reporting new content at every poll so that each one reads it.
class AlwaysChangedClipboard final : public IClipboard {
public:
    quint64 changeCount() const override { return ++count; }
    std::optional<ClipboardText> text() const override { return clipboard.text(); }
    void setText(const QString& text) override { clipboard.setText(text); }

private:
    QtClipboard clipboard;
    mutable quint64 count = 0;
};

} // namespace

class BenchSystemMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sample() {
        InMemoryPreferences preferences;
        SystemMonitorService service({preferences, nullptr, QStringLiteral("/proc"), QString()});
        QBENCHMARK {
            service.updateMetrics();
        }
    }

    void idleClipboardPoll() {
        InMemoryPreferences preferences;
        FakeClipboard clipboard;
        clipboard.put("unchanged");
        SystemMonitorService service({preferences, &clipboard, QString(), QString()});
        QBENCHMARK {
            service.pollClipboard();
        }
    }

    void clipboardPollReadingNewContent() {
        InMemoryPreferences preferences;
        AlwaysChangedClipboard clipboard;
        SystemMonitorService service({preferences, &clipboard, QString(), QString()});
        QBENCHMARK {
            service.pollClipboard();
        }
    }
};

QTEST_MAIN(BenchSystemMonitor)
#include "bench_system_monitor.moc"
