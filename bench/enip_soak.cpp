// The virtual converter on duty: one class 1 connection at 10 ms for a long time, a scanner in a
// thread of its own sending the Input array every cycle. Reports the cycles missed (against the
// late wake-ups a bare timer shows in the same run), whether memory stays flat, and the share of a
// CPU the adapter's thread takes against a floor measured in the same run: a bare UDP socket
// sending datagrams of the same size at the same interval.
//
// Usage: tessellor_enip_soak [--seconds N] (300 by default; the floor runs a fifth of it, at least
// 5 s). Loopback only: the adapter on 127.0.0.2, the scanner on 127.0.0.1, ports the system gives.
#include "core/enip/Adapter.h"
#include "core/enip/Bytes.h"
#include "core/enip/Cip.h"
#include "core/enip/Encapsulation.h"
#include "core/enip/OutputArraySource.h"
#include "platform/enip/VirtualConverter.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <atomic>
#include <cstdio>
#include <thread>

#include <sys/resource.h>

namespace {

using namespace Enip;

constexpr int OutputSize = 496;
constexpr int InputSize = 496;
constexpr int RpiMs = 10;

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

// Counts productions a whole interval late on the receiving side.
struct Gaps {
    qint64 lastUs = -1;
    int late = 0;
    int count = 0;
    void arrived(qint64 nowUs) {
        if (lastUs >= 0 && nowUs - lastUs >= 2 * RpiMs * 1000)
            ++late;
        lastUs = nowUs;
        ++count;
    }
};

class Output final : public OutputArraySource {
public:
    QByteArray outputArray() const override { return m_bytes; }
    QByteArray m_bytes = QByteArray(OutputSize, 'o');
};

// The scanner: register, Forward Open, then the Input array every cycle until told to stop.
void scan(quint16 encapsulationPort, quint16 ioPort, std::atomic<bool>& stop, Gaps& gaps, bool& opened) {
    QTcpSocket tcp;
    tcp.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), encapsulationPort);
    if (!tcp.waitForConnected(5000))
        return;
    const auto exchange = [&tcp](const QByteArray& request) {
        tcp.write(request);
        QByteArray reply;
        while (tcp.waitForReadyRead(5000)) {
            reply += tcp.readAll();
            const std::optional<Header> header = readHeader(reply);
            if (header && reply.size() >= Header::Size + header->length)
                return reply;
        }
        return QByteArray();
    };
    Header header;
    header.command = Command::RegisterSession;
    const std::optional<Header> registered =
        readHeader(exchange(encapsulated(header, ByteWriter().u16(1).u16(0).data())));
    QUdpSocket io;
    if (!registered || !io.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0))
        return;
    Cip::ForwardOpen fo;
    fo.targetToOriginatorId = 0x50AC0001;
    fo.connectionSerial = 1;
    fo.originatorVendor = 0x7E57;
    fo.originatorSerial = 1;
    fo.timeoutMultiplier = 2;
    fo.originatorToTargetRpi = fo.targetToOriginatorRpi = RpiMs * 1000;
    fo.originatorToTarget = {InputSize + 6, false, 0, Cip::ConnectionParameters::Type::PointToPoint, false};
    fo.targetToOriginator = {OutputSize + 2, false, 0, Cip::ConnectionParameters::Type::PointToPoint, false};
    fo.transport = 0x01;
    const QByteArray path("\x20\x04\x24\x97\x2C\x96\x2C\x64", 8);
    fo.path = path;
    const QByteArray request =
        Cip::request(Cip::Service::ForwardOpen, Cip::logicalPath(Cip::ClassId::ConnectionManager, 1),
                     Cip::forwardOpenData(fo));
    header.command = Command::SendRRData;
    header.session = registered->session;
    const QByteArray sockaddr = socketAddressItem({io.localPort(), 0});
    const QByteArray reply =
        exchange(encapsulated(header, ByteWriter()
                                          .u32(0)
                                          .u16(10)
                                          .bytes(cpf({{Item::NullAddress, {}},
                                                      {Item::UnconnectedData, request},
                                                      {Item::SockaddrTargetToOriginator, sockaddr}}))
                                          .data()));
    const std::optional<QList<CpfItem>> items =
        reply.size() > 30 ? readCpf(QByteArrayView(reply).sliced(30)) : std::nullopt;
    const std::optional<CpfItem> answer = items ? findItem(*items, Item::UnconnectedData) : std::nullopt;
    const std::optional<Cip::Reply> cipReply = answer ? Cip::readReply(answer->data) : std::nullopt;
    if (!cipReply || cipReply->general != 0)
        return;
    ByteReader opening(cipReply->data);
    const quint32 inputId = opening.u32();
    opened = true;

    QElapsedTimer clock;
    clock.start();
    quint32 sequence = 0;
    qint64 nextSendUs = 0;
    const QByteArray input(InputSize, 'i');
    while (!stop) {
        const qint64 now = clock.nsecsElapsed() / 1000;
        if (now >= nextSendUs) {
            ++sequence;
            io.writeDatagram(
                cpf({{Item::SequencedAddress, ByteWriter().u32(inputId).u32(sequence).data()},
                     {Item::ConnectedData, ByteWriter().u16(sequence).u32(1).bytes(input).data()}}),
                QHostAddress(QStringLiteral("127.0.0.2")), ioPort);
            nextSendUs += RpiMs * 1000;
        }
        if (io.waitForReadyRead(1))
            while (io.hasPendingDatagrams()) {
                io.receiveDatagram();
                gaps.arrived(clock.nsecsElapsed() / 1000);
            }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int seconds = 300;
    const QStringList arguments = application.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--seconds"));
        at >= 0 && at + 1 < arguments.size())
        seconds = std::max(1, arguments[at + 1].toInt());
    const int floorSeconds = std::max(5, seconds / 5);
    Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));

    // The floor: a bare socket sending the same bytes at the same interval from this thread.
    Gaps floorGaps;
    double floorCpu = 0;
    {
        QUdpSocket sink;
        sink.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        QObject::connect(&sink, &QUdpSocket::readyRead, [&sink] {
            while (sink.hasPendingDatagrams())
                sink.receiveDatagram();
        });
        QUdpSocket sender;
        const QByteArray datagram(OutputSize + 2 + 20, 'o');
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&tick, &QTimer::timeout, [&] {
            sender.writeDatagram(datagram, QHostAddress(QStringLiteral("127.0.0.1")), sink.localPort());
            floorGaps.arrived(clock.nsecsElapsed() / 1000);
        });
        const double before = threadCpuSeconds();
        tick.start(RpiMs);
        QTimer::singleShot(floorSeconds * 1000, &application, &QCoreApplication::quit);
        application.exec();
        floorCpu = (threadCpuSeconds() - before) / floorSeconds;
    }

    Enip::AdapterSettings settings;
    settings.outputSize = OutputSize;
    settings.inputSize = InputSize;
    settings.encapsulationPort = 0;
    settings.ioPort = 0;
    const Output output;
    Platform::VirtualConverter converter(settings, QStringLiteral("127.0.0.2"), output);
    QString problem;
    if (!converter.start(&problem)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(problem));
        return 1;
    }
    QObject::connect(&converter, &Platform::VirtualConverter::failed, [](const QString& reason) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(reason));
        QCoreApplication::exit(1);
    });
    std::atomic<bool> stop = false;
    Gaps gaps;
    bool opened = false;
    std::thread scanner;
    long rssStart = 0;
    long rssPeakAfterWarmUp = 0;
    double cpuBefore = 0;
    QObject::connect(&converter, &Platform::VirtualConverter::listening, [&] {
        scanner = std::thread(scan, converter.encapsulationPort(), converter.ioPort(), std::ref(stop),
                              std::ref(gaps), std::ref(opened));
        cpuBefore = threadCpuSeconds();
    });
    QTimer memory;
    int samples = 0;
    QObject::connect(&memory, &QTimer::timeout, [&] {
        ++samples;
        if (samples == 1)
            rssStart = residentKiB();
        rssPeakAfterWarmUp = std::max(rssPeakAfterWarmUp, residentKiB());
    });
    memory.start(5000);
    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    if (application.exec() != 0)
        return 1;
    const double adapterCpu = (threadCpuSeconds() - cpuBefore) / seconds;
    stop = true;
    if (scanner.joinable())
        scanner.join();
    const Enip::AdapterStatus status = converter.status();
    converter.stop();

    std::printf("| Figure | Value |\n|---|---|\n");
    std::printf("| run | %d s, one connection at %d ms, %d + %d bytes |\n", seconds, RpiMs, OutputSize,
                InputSize);
    std::printf("| connection opened | %s, state at the end: %s |\n", opened ? "yes" : "no",
                status.state == Enip::ConnectionState::Connected ? "connected" : "not connected");
    std::printf("| Output arrays sent / received by the scanner | %llu / %d |\n",
                (unsigned long long)status.sent, gaps.count);
    std::printf("| Input arrays taken / dropped | %llu / %llu |\n", (unsigned long long)status.received,
                (unsigned long long)status.dropped);
    std::printf("| cycles missed (adapter) | %llu |\n", (unsigned long long)status.missed);
    std::printf(
        "| gaps of 2 intervals or more: scanner side / bare timer floor (per minute) | %.2f / %.2f |\n",
        gaps.late * 60.0 / seconds, floorGaps.late * 60.0 / floorSeconds);
    std::printf("| resident memory after 5 s / highest later | %ld KiB / %ld KiB |\n", rssStart,
                rssPeakAfterWarmUp);
    std::printf(
        "| CPU share of the adapter's thread / floor (bare UDP socket) | %.2f %% / %.2f %% (ratio %.1f) |\n",
        adapterCpu * 100, floorCpu * 100, floorCpu > 0 ? adapterCpu / floorCpu : 0.0);
    return opened && status.state == Enip::ConnectionState::Connected ? 0 : 1;
}
