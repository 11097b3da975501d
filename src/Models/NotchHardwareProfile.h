#pragma once

#include <QObject>
#include <QString>

// Per-model layout numbers around the notch (lengths in logical pixels).
struct NotchHardwareProfile {
    Q_GADGET
    Q_PROPERTY(QString modelName MEMBER modelName)
    Q_PROPERTY(double notchWidthPadding MEMBER notchWidthPadding)
    Q_PROPERTY(double compactVisibleDrop MEMBER compactVisibleDrop)
    Q_PROPERTY(double musicSideWidth MEMBER musicSideWidth)
    Q_PROPERTY(double musicHorizontalInset MEMBER musicHorizontalInset)
    Q_PROPERTY(double musicBottomInset MEMBER musicBottomInset)

public:
    QString modelName;
    double notchWidthPadding = 0; // extra width around the notch
    double compactVisibleDrop = 6;
    double musicSideWidth = 32;
    double musicHorizontalInset = 8;
    double musicBottomInset = 2;

    // The profile of the running machine.
    static NotchHardwareProfile current();
    static NotchHardwareProfile forModel(const QString& modelIdentifier);
};
