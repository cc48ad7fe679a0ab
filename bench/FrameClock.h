#pragma once

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdint>

// A QApplication that notes when a watched window has been painted for the first time: the moment
// the outermost event that painted it (an expose or an update request) returns, so every child
// and the backing-store flush are included.
class FrameClock : public QApplication {
public:
    using Clock = std::chrono::steady_clock;

    FrameClock(int& argc, char** argv) : QApplication(argc, argv) {}

    void watch(QWidget* window) {
        m_window = window;
        m_painted = false;
        m_framed = false;
    }
    bool framed() const { return m_framed; }
    Clock::time_point framedAt() const { return m_framedAt; }

    // Processes events until the watched window has been painted; false after the time-out.
    bool waitForFrame(int timeoutMs = 20000);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QWidget* m_window = nullptr;
    bool m_painted = false;
    bool m_framed = false;
    int m_depth = 0;
    Clock::time_point m_framedAt;
};

// Nanoseconds on the system-wide monotonic clock, comparable between processes.
std::int64_t monotonicNs(FrameClock::Clock::time_point at = FrameClock::Clock::now());

// The peak resident set of this process in kilobytes (VmHWM), 0 when unknown.
long peakResidentKb();
