#include "FrameClock.h"

#include <QElapsedTimer>
#include <QFile>

bool FrameClock::waitForFrame(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!m_framed && timer.elapsed() < timeoutMs) {
        processEvents(QEventLoop::AllEvents);
        if (!m_framed)
            processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return m_framed;
}

bool FrameClock::notify(QObject* receiver, QEvent* event) {
    // Decided before delivery: the receiver may be gone afterwards.
    const bool paintsWatched = m_window && !m_framed && event->type() == QEvent::Paint &&
                               receiver->isWidgetType() &&
                               static_cast<QWidget*>(receiver)->window() == m_window;
    ++m_depth;
    const bool result = QApplication::notify(receiver, event);
    --m_depth;
    if (paintsWatched)
        m_painted = true;
    if (m_depth == 0 && m_painted && !m_framed) {
        m_framed = true;
        m_framedAt = Clock::now();
    }
    return result;
}

std::int64_t monotonicNs(FrameClock::Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}
