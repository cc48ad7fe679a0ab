#pragma once

#include "platform/nmea/NmeaSource.h"

class QFile;
class QTimer;

namespace Platform {

// A log file read as fast as the disk allows, one chunk per turn of the event loop, so that a
// window stays responsive and can show progress while a large log is replayed. Regular files only:
// a FIFO or a device is for the serial source, which reads as data arrives.
class LogReplaySource : public NmeaSource {
    Q_OBJECT
public:
    static constexpr qint64 ChunkBytes = 256 * 1024;

    explicit LogReplaySource(const QString& path, QObject* parent = nullptr);
    ~LogReplaySource() override;

    void start() override;
    void stop() override;
    bool isRunning() const override;
    QString description() const override;

private:
    void readChunk();

    QString m_path;
    QFile* m_file = nullptr;
    QTimer* m_timer = nullptr;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

} // namespace Platform
