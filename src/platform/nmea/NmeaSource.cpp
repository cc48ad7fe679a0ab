#include "platform/nmea/NmeaSource.h"

#include <QTimer>

namespace Platform {

void NmeaSource::reportStarted() {
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation)
            emit started();
    });
}

void NmeaSource::reportFailed(const QString& reason) {
    QTimer::singleShot(0, this, [this, generation = m_generation, reason] {
        if (generation == m_generation)
            emit failed(reason);
    });
}

} // namespace Platform
