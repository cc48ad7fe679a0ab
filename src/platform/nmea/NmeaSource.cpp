#include "platform/nmea/NmeaSource.h"

#include <QTimer>

namespace Platform {

void NmeaSource::reportStarted() {
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation)
            emit started();
    });
}

void NmeaSource::reportFailed(const QString& reason, NmeaSourceFailure why) {
    QTimer::singleShot(0, this, [this, generation = m_generation, reason, why] {
        if (generation == m_generation)
            emit failed(reason, why);
    });
}

} // namespace Platform
