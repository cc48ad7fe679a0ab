#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QFile;

// Records what a source receives to a log file, byte for byte as it arrives, so that the log source
// and the companion's replay read it back as the monitor heard it. A recording is never cut
// silently: when a write fails (a full disk) the recording stops, the file keeps every byte written
// before, and error() says why.
namespace Nmea {

class LogRecorder {
public:
    LogRecorder();
    ~LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // Starts recording into path, replacing a file there; false with error() when it cannot be
    // opened. A recording already running is closed first.
    bool open(const QString& path);
    // Appends bytes of a stream as they arrived. False once the recording has stopped.
    bool write(QByteArrayView bytes);
    // Appends a whole message, a datagram: a line end follows when it has none of its own, so that
    // the next message does not continue its last line when the log is read back, as it does not
    // while listening.
    bool writeMessage(QByteArrayView bytes);
    // Ends the recording; what was written stays.
    void close();

    bool isRecording() const;
    QString path() const { return m_path; }
    // Bytes in the file.
    qint64 size() const { return m_size; }
    // Why the recording stopped or could not start; empty while all is well.
    QString error() const { return m_error; }

private:
    bool append(QByteArrayView bytes);

    std::unique_ptr<QFile> m_file;
    QString m_path;
    qint64 m_size = 0;
    QString m_error;
    bool m_lineOpen = false; // the last byte written does not end a line
};

} // namespace Nmea
