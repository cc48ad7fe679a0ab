#pragma once

#include "core/comm/SerialLine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QWinEventNotifier;

namespace Platform {

// A COM port read through the Win32 API, for reading only: overlapped reads signalled to the
// event loop, so nothing waits on the GUI thread. Qt Serial Port is not built for Windows here.
class WinSerialPort : public QObject {
    Q_OBJECT
public:
    explicit WinSerialPort(QObject* parent = nullptr);
    ~WinSerialPort() override;

    // The COM ports the system lists under HARDWARE\DEVICEMAP\SERIALCOMM, sorted by number.
    static QStringList availablePorts();

    // Opens "COM5" (or a full "\\.\COM5") with the line's speed, parity and stop bits, 8 data bits and
    // no flow control, and starts reading. On failure returns false and the system's reason.
    bool open(const QString& portName, const SerialLine& line, QString* reason);
    void close();
    bool isOpen() const;

signals:
    void bytesRead(const QByteArray& bytes);
    // A read failed: the port was removed or closed by the system. The port is closed.
    void broken(const QString& reason);

private:
    void readDone();
    bool startRead();

    struct State;
    State* m_state = nullptr;
    QWinEventNotifier* m_notifier = nullptr;
};

} // namespace Platform
