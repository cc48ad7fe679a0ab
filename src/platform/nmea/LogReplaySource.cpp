#include "platform/nmea/LogReplaySource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace Platform {

LogReplaySource::LogReplaySource(const QString& path, QObject* parent) : NmeaSource(parent), m_path(path) {}

LogReplaySource::~LogReplaySource() {
    stop();
}

void LogReplaySource::start() {
    stop();
    if (QFileInfo(m_path).isDir()) {
        reportFailed(QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(m_path)));
        return;
    }
    m_file = new QFile(m_path, this);
    if (!m_file->open(QIODevice::ReadOnly)) {
        const QString reason = m_file->errorString();
        stop();
        reportFailed(reason);
        return;
    }
    m_done = 0;
    m_total = m_file->size();
    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &LogReplaySource::readChunk);
    reportStarted();
    m_timer->start();
}

void LogReplaySource::readChunk() {
    if (!m_file)
        return;
    const QByteArray chunk = m_file->read(ChunkBytes);
    if (chunk.isEmpty()) {
        const bool broken = !m_file->atEnd() && m_file->error() != QFileDevice::NoError;
        const QString reason = m_file->errorString();
        // A log cut shorter while it was read (rewritten by a logger, say) was not read to its end.
        const bool shrank = m_done < m_total;
        stop();
        if (broken)
            emit failed(NmeaSourceFailure::System, reason);
        else if (shrank)
            emit failed(NmeaSourceFailure::LogShrank,
                        QStringLiteral("the log became shorter while it was read"));
        else
            emit finished();
        return;
    }
    m_done += chunk.size();
    emit bytesReceived(chunk);
    emit progress(m_done, std::max(m_total, m_done));
}

void LogReplaySource::stop() {
    cancelReports();
    if (m_timer) {
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
    }
    if (m_file) {
        m_file->close();
        m_file->deleteLater();
        m_file = nullptr;
    }
}

bool LogReplaySource::isRunning() const {
    return m_file != nullptr;
}

QString LogReplaySource::description() const {
    return QDir::toNativeSeparators(m_path);
}

} // namespace Platform
