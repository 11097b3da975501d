#include "Foundation/BackgroundWork.h"

#include <QThreadPool>

QThreadPool& backgroundWork() {
    static QThreadPool pool;
    return pool;
}
