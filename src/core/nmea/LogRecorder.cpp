#include "core/nmea/LogRecorder.h"

#include <QDir>
#include <QFile>

namespace Nmea {

LogRecorder::LogRecorder() = default;

LogRecorder::~LogRecorder() {
    close();
}

bool LogRecorder::open(const QString& path) {
    close();
    m_path = path;
    m_size = 0;
    m_error.clear();
    m_lineOpen = false;
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: every chunk goes to the system as it arrives, so a failed write is known at once
    // and size() is what the file holds.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = file->errorString();
        return false;
    }
    m_file = std::move(file);
    return true;
}

bool LogRecorder::append(QByteArrayView bytes) {
    if (!m_file)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = m_file->write(bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            m_error = m_file->errorString();
            if (m_error.isEmpty())
                m_error = QStringLiteral("nothing could be written");
            m_file->close();
            m_file.reset();
            return false;
        }
        done += written;
        m_size += written;
    }
    if (!bytes.isEmpty())
        m_lineOpen = bytes.back() != '\n' && bytes.back() != '\r';
    return true;
}

bool LogRecorder::write(QByteArrayView bytes) {
    return append(bytes);
}

bool LogRecorder::writeMessage(QByteArrayView bytes) {
    if (!append(bytes))
        return false;
    return !m_lineOpen || append("\r\n");
}

void LogRecorder::close() {
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
}

bool LogRecorder::isRecording() const {
    return m_file != nullptr;
}

} // namespace Nmea
