#pragma once

#include "Platform/Capture/IScreenCapture.h"

#include <QFont>
#include <QList>
#include <QPainter>

#include <functional>

// Shows `screen` at every area asked for (null: nothing can be read), and notes the areas.
class FakeScreenCapture final : public IScreenCapture {
public:
    QImage screen;
    QList<QRect> areas;
    std::function<void()> grabbing; // runs at each read, to look at what was on screen then

    QImage grab(const QRect& area) override {
        areas.append(area);
        if (grabbing)
            grabbing();
        return screen.isNull() ? QImage() : screen.scaled(area.size());
    }

    // Black lines of small text on white, as a terminal shows them.
    static QImage textPage(QSize size) {
        QImage page(size, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        QFont font(QStringLiteral("monospace"));
        font.setPixelSize(13);
        painter.setFont(font);
        for (int y = 16; y < size.height(); y += 17)
            painter.drawText(8, y,
                             QStringLiteral("drwxr-xr-x 2 user user 4096 projeto_arquivo_%1.txt lorem ipsum "
                                            "dolor sit amet consectetur adipiscing elit sed do eiusmod")
                                 .arg(y));
        return page;
    }
};
