#pragma once

#include "Platform/Audio/AudioTransport.h"

#include <QString>

#include <cstdint>

// One audio device as the audio tab lists it.
struct AudioDeviceInfo {
    std::uint32_t id = 0;
    QString uid;
    QString name;
    std::uint32_t transport = 0;

    bool operator==(const AudioDeviceInfo&) const = default;

    // The symbol the tab shows: name rules first, then the transport.
    QString iconSystemName() const;
};
