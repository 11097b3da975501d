#include "Theme/PanelBackdrop.h"

#include "Foundation/ImageBlur.h"
#include "Theme/TavimorTheme.h"

#include <QList>

namespace {

struct Glass {
    QImage image;
    QRectF area;
};

Glass& current() {
    static Glass glass;
    return glass;
}

QList<PanelBackdrop*>& instances() {
    static QList<PanelBackdrop*> list;
    return list;
}

} // namespace

PanelBackdrop::PanelBackdrop(QObject* parent)
    : QObject(parent) {
    instances().append(this);
}

PanelBackdrop::~PanelBackdrop() {
    instances().removeOne(this);
}

QImage PanelBackdrop::image() {
    return current().image;
}

QRectF PanelBackdrop::area() {
    return current().area;
}

void PanelBackdrop::readBehind(IScreenCapture& capture, bool liquid, const QRect& global,
                               const QRectF& inWindow) {
    const bool wanted = liquid && !TavimorTheme::blurBehind();
    publish(wanted ? ImageBlur::frosted(capture.grab(global)) : QImage(), inWindow);
}

void PanelBackdrop::publish(const QImage& frosted, const QRectF& area) {
    Glass& glass = current();
    if (frosted.cacheKey() == glass.image.cacheKey() && area == glass.area)
        return;
    glass = {frosted, area};
    for (PanelBackdrop* backdrop : std::as_const(instances()))
        Q_EMIT backdrop->changed();
}
