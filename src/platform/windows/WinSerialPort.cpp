#include "platform/windows/WinSerialPort.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <algorithm>

namespace Platform {

namespace {

QString systemReason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("system error %1").arg(code);
    LocalFree(text);
    return reason;
}

int portNumber(const QString& name) {
    return name.mid(3).toInt();
}

} // namespace

struct WinSerialPort::State {
    HANDLE port = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    char buffer[4096];
};

WinSerialPort::WinSerialPort(QObject* parent) : QObject(parent) {}

WinSerialPort::~WinSerialPort() {
    close();
}

QStringList WinSerialPort::availablePorts() {
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD valueNameLength = DWORD(std::size(valueName));
        wchar_t data[256];
        DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        names << QString::fromWCharArray(data);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return portNumber(a) != portNumber(b) ? portNumber(a) < portNumber(b) : a < b;
    });
    names.removeDuplicates();
    return names;
}

bool WinSerialPort::open(const QString& portName, const SerialLine& line, QString* reason) {
    close();
    // COM10 and above are only reachable through the device namespace; it serves the others too.
    const QString path =
        portName.startsWith(QLatin1String("\\\\.\\")) ? portName : QStringLiteral("\\\\.\\") + portName;
    HANDLE port = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        *reason = systemReason(GetLastError());
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port, &dcb)) {
        *reason = systemReason(GetLastError());
        CloseHandle(port);
        return false;
    }
    dcb.BaudRate = DWORD(line.baudRate);
    dcb.ByteSize = 8;
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != SerialLine::Parity::None;
    dcb.Parity = line.parity == SerialLine::Parity::Odd    ? ODDPARITY
                 : line.parity == SerialLine::Parity::Even ? EVENPARITY
                                                           : NOPARITY;
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    // A read returns as soon as a byte is there, or after a second without one.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 1000;
    if (!SetCommState(port, &dcb) || !SetCommTimeouts(port, &timeouts)) {
        *reason = systemReason(GetLastError());
        CloseHandle(port);
        return false;
    }
    m_state = new State;
    m_state->port = port;
    m_state->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_notifier = new QWinEventNotifier(m_state->overlapped.hEvent, this);
    connect(m_notifier, &QWinEventNotifier::activated, this, &WinSerialPort::readDone);
    if (!startRead()) {
        *reason = systemReason(GetLastError());
        close();
        return false;
    }
    return true;
}

bool WinSerialPort::startRead() {
    // Done at once or later, the read sets its event: the bytes always arrive through readDone(),
    // from the event loop, never from inside open().
    ResetEvent(m_state->overlapped.hEvent);
    return ReadFile(m_state->port, m_state->buffer, sizeof(m_state->buffer), nullptr, &m_state->overlapped) ||
           GetLastError() == ERROR_IO_PENDING;
}

void WinSerialPort::readDone() {
    if (!m_state)
        return;
    DWORD read = 0;
    if (!GetOverlappedResult(m_state->port, &m_state->overlapped, &read, FALSE)) {
        const DWORD code = GetLastError();
        if (code == ERROR_IO_INCOMPLETE)
            return;
        close();
        emit broken(systemReason(code));
        return;
    }
    if (read > 0)
        emit bytesRead(QByteArray(m_state->buffer, int(read)));
    if (m_state && !startRead()) {
        const DWORD code = GetLastError();
        close();
        emit broken(systemReason(code));
    }
}

void WinSerialPort::close() {
    if (!m_state)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    // The pending read must end before its buffer and event go.
    CancelIo(m_state->port);
    DWORD ignored = 0;
    GetOverlappedResult(m_state->port, &m_state->overlapped, &ignored, TRUE);
    CloseHandle(m_state->overlapped.hEvent);
    CloseHandle(m_state->port);
    delete m_state;
    m_state = nullptr;
}

bool WinSerialPort::isOpen() const {
    return m_state != nullptr;
}

} // namespace Platform
