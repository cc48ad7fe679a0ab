#include "core/nmea/LogPacer.h"

#include <cmath>

namespace Nmea {

LogPacer::LogPacer(double linesPerSecond, bool loop)
    : m_rate(std::isfinite(linesPerSecond) && linesPerSecond > 0 ? linesPerSecond : 0), m_loop(loop) {}

bool LogPacer::open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

std::optional<qint64> LogPacer::nextDueMs() const {
    if (m_finished || !m_file.isOpen())
        return std::nullopt;
    if (!m_startMs || m_rate == 0)
        return m_startMs.value_or(0);
    return *m_startMs + qint64(std::ceil(double(m_lines) * 1000.0 / m_rate));
}

QByteArray LogPacer::take(qint64 nowMs, int maxLines) {
    if (!m_startMs)
        m_startMs = nowMs;
    QByteArray out;
    for (int n = 0; n < maxLines && !m_finished; ++n) {
        if (m_rate > 0 && double(m_lines) * 1000.0 / m_rate > double(nowMs - *m_startMs))
            break;
        QByteArray line = m_file.readLine(MaxLine + 1);
        if (line.isEmpty()) {
            // The end: again from the start when looping, unless a whole pass gave nothing.
            if (m_loop && m_linesThisPass > 0 && m_file.seek(0)) {
                ++m_loops;
                m_linesThisPass = 0;
                --n;
                continue;
            }
            m_finished = true;
            break;
        }
        out += line;
        ++m_lines;
        ++m_linesThisPass;
    }
    return out;
}

} // namespace Nmea
