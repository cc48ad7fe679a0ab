#include "core/nmea/BaudFinder.h"

namespace Nmea {

qint32 BaudFinder::currentRate() const {
    return finished() ? 0 : Rates[static_cast<size_t>(m_at)];
}

void BaudFinder::feed(QByteArrayView bytes) {
    if (finished())
        return;
    m_reader.feed(bytes, [](const ReadLine&) {});
}

void BaudFinder::closeRate() {
    // The line still open was cut by the change of rate.
    m_reader.cut([](const ReadLine&) {});
    const ReaderCounts& counts = m_reader.counts();
    Tally& tally = m_tallies[static_cast<size_t>(m_at)];
    tally.checked = counts.sentences - counts.noChecksum;
    tally.bad = counts.checksumErrors + counts.badLines;
    m_reader.clear();
}

bool BaudFinder::next() {
    if (finished())
        return false;
    closeRate();
    ++m_at;
    return !finished();
}

qint32 BaudFinder::found() const {
    qint32 best = 0;
    qint64 bestChecked = 0;
    for (size_t i = 0; i < Rates.size() && static_cast<int>(i) < m_at; ++i) {
        const Tally& t = m_tallies[i];
        if (t.checked >= MinSentences && t.checked > t.bad && t.checked > bestChecked) {
            best = Rates[i];
            bestChecked = t.checked;
        }
    }
    return best;
}

void BaudFinder::restart() {
    m_at = 0;
    m_reader.clear();
    m_tallies = {};
}

} // namespace Nmea
