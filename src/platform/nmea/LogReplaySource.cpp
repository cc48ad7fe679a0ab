#include "platform/nmea/LogReplaySource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Platform {

namespace {

constexpr char NotRegularFileReason[] = "not a regular file";

// Opens path for reading if it is a regular file. A FIFO would hold open() until a writer comes
// and a device would hold read() until it sends, both on the caller's thread: they are refused.
// On Unix the file is opened without waiting and judged on what was opened, so a FIFO put in the
// path's place after a look at it cannot block either.
bool openRegularFile(QFile& file, const QString& path, NmeaSourceFailure& why, QString& reason) {
    why = NmeaSourceFailure::System;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = qt_error_string(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        why = NmeaSourceFailure::NotRegularFile;
        reason = QString::fromLatin1(NotRegularFileReason);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = file.errorString();
        return false;
    }
    return true;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        why = NmeaSourceFailure::NotRegularFile;
        reason = QString::fromLatin1(NotRegularFileReason);
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    return true;
#endif
}

} // namespace

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
    m_file = new QFile(this);
    NmeaSourceFailure why = NmeaSourceFailure::System;
    QString reason;
    if (!openRegularFile(*m_file, m_path, why, reason)) {
        stop();
        reportFailed(reason, why);
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
            emit failed(reason, NmeaSourceFailure::System);
        else if (shrank)
            emit failed(QStringLiteral("the log became shorter while it was read"),
                        NmeaSourceFailure::LogShrank);
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
