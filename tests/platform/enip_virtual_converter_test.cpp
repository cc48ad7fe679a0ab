// The virtual converter on real sockets on the loopback range, loaded from the sources module as
// the program loads it, against the tests' own scanner.

#include "EnipScanner.h"

#include "core/enip/OutputArraySource.h"
#include "platform/enip/VirtualConverter.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

using namespace EnipTest;
using Enip::ConnectionState;

constexpr int OutputSize = 32;
constexpr int InputSize = 12;
// Apart from the other tests' addresses: each binds its own.
const QString AdapterAddress = QStringLiteral("127.0.0.2");

// Every Output array handed out, in order, so each packet can be matched with its production.
class RecordingOutput final : public Enip::OutputArraySource {
public:
    QByteArray outputArray() const override {
        QByteArray bytes(OutputSize, '\0');
        for (int i = 0; i < OutputSize; ++i)
            bytes[i] = char(handed.size() * 7 + i);
        handed << bytes;
        return bytes;
    }
    mutable QList<QByteArray> handed;
};

class VirtualConverterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    }

    VirtualConverterTest() {
        settings.outputSize = OutputSize;
        settings.inputSize = InputSize;
        settings.encapsulationPort = 0; // any free port: tests run side by side
        settings.ioPort = 0;
    }
    ~VirtualConverterTest() override {
        converter.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Platform::VirtualConverter& started() {
        converter = std::make_unique<Platform::VirtualConverter>(settings, AdapterAddress, output);
        QString problem;
        EXPECT_TRUE(converter->start(&problem)) << problem.toStdString();
        EXPECT_TRUE(spinUntil([this] { return converter->isListening(); }, 5000));
        return *converter;
    }
    std::unique_ptr<Scanner> scanner() {
        auto s = std::make_unique<Scanner>(AdapterAddress, converter->encapsulationPort());
        EXPECT_TRUE(s->connectTcp());
        EXPECT_NE(s->registerSession(), 0u);
        EXPECT_TRUE(s->bindIo());
        return s;
    }
    std::optional<RRReply> open(Scanner& s, quint32 rpiUs, quint16 serial = 0x1234,
                                int outputSize = OutputSize) {
        return s.forwardOpen(classOneOpen(outputSize, InputSize, rpiUs, serial),
                             connectionPath(settings.assemblies), converter->ioPort());
    }

    int argc = 0;
    QCoreApplication app{argc, nullptr};
    Enip::AdapterSettings settings;
    RecordingOutput output;
    std::unique_ptr<Platform::VirtualConverter> converter;
};

TEST_F(VirtualConverterTest, AScannerReadsTheIdentityAndAHundredCyclesAt20Ms) {
    started();
    QSignalSpy states(converter.get(), &Platform::VirtualConverter::stateChanged);
    QSignalSpy inputs(converter.get(), &Platform::VirtualConverter::inputArrayChanged);
    const std::unique_ptr<Scanner> plc = scanner();

    // ListIdentity and the Identity object's product name.
    const std::optional<QByteArray> identity = plc->exchange(message(Command::ListIdentity, 0));
    ASSERT_TRUE(identity);
    EXPECT_TRUE(identity->contains("Tessellor virtual converter"));
    const std::optional<RRReply> name = plc->ask(getAttributeSingle(Cip::ClassId::Identity, 1, 7));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->data, QByteArray("\x1BTessellor virtual converter"));

    const std::optional<RRReply> reply = open(*plc, 20'000);
    ASSERT_TRUE(reply && reply->general == 0);
    ASSERT_GE(states.size(), 1);
    EXPECT_EQ(converter->status().state, ConnectionState::Connected);
    EXPECT_EQ(converter->status().peerAddress, 0x7F000001u);
    EXPECT_EQ(converter->status().peerPort, plc->ioPort());
    EXPECT_EQ(converter->status().rpiUs, 20'000);

    // The PLC sends its Input array every 20 ms, as the adapter sends the Output array.
    QTimer cycle;
    cycle.setTimerType(Qt::PreciseTimer);
    int sent = 0;
    QObject::connect(&cycle, &QTimer::timeout, [&] { plc->sendInput(QByteArray(InputSize, char(++sent))); });
    cycle.start(20);
    ASSERT_TRUE(spinUntil([&] { return plc->received.size() >= 100; }, 10000));
    cycle.stop();

    const QList<Scanner::Received> got = plc->received.mid(0, 100);
    for (int k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].packet.connectionId, plc->opened().outputId);
        EXPECT_EQ(got[k].packet.sequence, quint32(k + 1));
        EXPECT_EQ(got[k].packet.count, quint16(k + 1)) << "the sequence count rises by one a production";
        EXPECT_EQ(got[k].packet.output, output.handed.value(k))
            << "packet " << k << " carries its production";
    }
    const double meanMs = (got.last().atUs - got.first().atUs) / 1000.0 / (got.size() - 1);
    EXPECT_GE(meanMs, 19.0) << "never faster than the interval asked for";
    EXPECT_LE(meanMs, 60.0);
    EXPECT_GT(converter->status().received, 50u);
    EXPECT_EQ(converter->status().lastInput, QByteArray(InputSize, char(sent)));
    EXPECT_FALSE(inputs.isEmpty());
    EXPECT_TRUE(converter->status().run);

    // The PLC stops sending: after 20 ms x 4 the connection times out and the adapter stops too.
    ASSERT_TRUE(spinUntil([&] { return converter->status().state == ConnectionState::TimedOut; }, 2000));
    spinFor(50);
    const qsizetype after = plc->received.size();
    spinFor(200);
    EXPECT_EQ(plc->received.size(), after);
    EXPECT_EQ(plc->strays, 0);
}

TEST_F(VirtualConverterTest, AWrongSizeAndASecondOpenAreRefusedWithTheirStatus) {
    started();
    QSignalSpy refusals(converter.get(), &Platform::VirtualConverter::forwardOpenRefused);
    const std::unique_ptr<Scanner> plc = scanner();

    const std::optional<RRReply> wrong = open(*plc, 20'000, 0x1234, OutputSize - 4);
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->general, 0x01);
    EXPECT_EQ(wrong->extended, (QList<quint16>{0x0109, OutputSize + 2}));
    ASSERT_EQ(refusals.size(), 1);
    EXPECT_EQ(refusals[0][1].value<quint16>(), 0x0109);

    ASSERT_EQ(open(*plc, 20'000)->general, 0);
    EXPECT_EQ(open(*plc, 20'000)->extended.value(0), 0x0100);
    const std::unique_ptr<Scanner> second = scanner();
    EXPECT_EQ(open(*second, 20'000, 0x4321)->extended.value(0), 0x0106);
    EXPECT_EQ(converter->status().connections, 1u);
}

TEST_F(VirtualConverterTest, HostileClientsNeitherStopTheProductionNorBlockTheLoop) {
    started();
    const std::unique_ptr<Scanner> plc = scanner();
    Cip::ForwardOpen fo = classOneOpen(OutputSize, InputSize, 10'000);
    fo.timeoutMultiplier = 3; // 320 ms: the test's own loop shares a busy machine
    ASSERT_EQ(plc->forwardOpen(fo, connectionPath(settings.assemblies), converter->ioPort())->general, 0);
    QTimer cycle;
    QObject::connect(&cycle, &QTimer::timeout, [&] { plc->sendInput(QByteArray(InputSize, 'p')); });
    cycle.start(10);

    // A client that connects and never speaks, and one announcing a message larger than any.
    QTcpSocket silent;
    silent.connectToHost(AdapterAddress, converter->encapsulationPort());
    Scanner rude(AdapterAddress, converter->encapsulationPort());
    ASSERT_TRUE(rude.connectTcp());
    QByteArray huge = message(Command::SendRRData, 0);
    huge[2] = char(0xFF);
    huge[3] = char(0xFF);
    const std::optional<QByteArray> refused = rude.exchange(huge);
    ASSERT_TRUE(refused);
    EXPECT_EQ(readHeader(*refused)->status, EncapsulationStatus::InvalidLength);
    EXPECT_TRUE(spinUntil([&] { return rude.tcp().state() == QAbstractSocket::UnconnectedState; }, 3000));

    // A second of datagrams to both UDP ports from another thread, while a timer of the test's own
    // must keep its pace on the loop the adapter runs on.
    const quint16 ioPort = converter->ioPort();
    const quint16 encapsulationPort = converter->encapsulationPort();
    std::atomic<int> datagrams = 0;
    std::thread flood([&] {
        QUdpSocket socket;
        const QByteArray junk(300, 'j');
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1000) {
            for (int i = 0; i < 50; ++i) {
                socket.writeDatagram(junk, QHostAddress(AdapterAddress), ioPort);
                socket.writeDatagram(junk.left(24), QHostAddress(AdapterAddress), encapsulationPort);
            }
            datagrams += 100;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    int ticks = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { ++ticks; });
    watch.start(10);
    const qsizetype before = plc->received.size();
    spinFor(1000);
    flood.join();
    spinFor(100);
    // Slower under the flood on a shared machine, but turning: a loop that blocked would tick once
    // or not at all, so the bounds say "kept going", not how fast.
    EXPECT_GT(ticks, 10) << "the event loop kept turning under " << datagrams << " datagrams";
    EXPECT_GT(plc->received.size() - before, 10) << "the Output array kept going";
    EXPECT_EQ(converter->status().state, ConnectionState::Connected);
    EXPECT_GT(converter->status().dropped, 1000u);

    // The well-behaved scanner is still served over TCP.
    const std::optional<RRReply> name = plc->ask(getAttributeSingle(Cip::ClassId::Identity, 1, 7));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->general, 0);
}

// An independent decoder: Debian's tshark captures the loopback exchange from before the Forward
// Open, on the usual ports of addresses of this test's own, and its ENIP/CIP dissector must read
// the sizes, the interval and the bytes the adapter sent.
TEST_F(VirtualConverterTest, TsharkReadsTheSameConnectionFromTheWire) {
    const QString tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
    if (tshark.isEmpty())
        GTEST_SKIP() << "tshark is not installed (scripts/setup.sh installs it)";
    const QString adapter = QStringLiteral("127.0.0.4");
    const QString own = QStringLiteral("127.0.0.5");
    QTemporaryDir folder;
    const QString capture = folder.filePath(QStringLiteral("exchange.pcapng"));
    QProcess dumper;
    dumper.start(tshark, {"-i", "lo", "-f", "host " + adapter, "-w", capture});
    QByteArray said;
    spinUntil(
        [&] {
            dumper.waitForReadyRead(20);
            said += dumper.readAllStandardError();
            return said.contains("Capturing on") || dumper.state() == QProcess::NotRunning;
        },
        20000);
    if (!said.contains("Capturing on"))
        GTEST_SKIP() << "capture on the loopback interface is not permitted here: "
                     << said.trimmed().toStdString();
    spinFor(300); // the capture starts a moment after it says so

    settings.encapsulationPort = 44818;
    settings.ioPort = 2222;
    converter = std::make_unique<Platform::VirtualConverter>(settings, adapter, output);
    ASSERT_TRUE(converter->start());
    ASSERT_TRUE(spinUntil([this] { return converter->isListening(); }, 5000));
    Scanner plc(adapter, 44818, own);
    ASSERT_TRUE(plc.connectTcp());
    ASSERT_NE(plc.registerSession(), 0u);
    ASSERT_TRUE(plc.bindIo(2222));
    ASSERT_EQ(open(plc, 50'000)->general, 0);
    QTimer cycle;
    QObject::connect(&cycle, &QTimer::timeout, [&] { plc.sendInput(QByteArray(InputSize, 'i')); });
    cycle.start(50);
    ASSERT_TRUE(spinUntil([&] { return plc.received.size() >= 10; }, 5000));
    spinFor(300);
    dumper.terminate();
    ASSERT_TRUE(dumper.waitForFinished(10000));

    const auto fields = [&](const QString& filter, const QStringList& names) {
        QStringList arguments{"-r", capture, "-Y", filter, "-T", "fields", "-E", "separator=;"};
        for (const QString& name : names)
            arguments << "-e" << name;
        QProcess reader;
        reader.start(tshark, arguments);
        reader.waitForFinished(30000);
        return QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    };
    // The Forward Open and its reply: the sizes (O->T, then T->O) and the intervals.
    EXPECT_EQ(
        fields("cip.cm.sc == 0x54 && cip.cm.otrpi", {"cip.cm.fwo.consize", "cip.cm.otrpi", "cip.cm.torpi"}),
        QStringList{QStringLiteral("%1,%2;50000;50000").arg(InputSize + 6).arg(OutputSize + 2)});
    EXPECT_EQ(fields("enip.command == 0x6f && cip.cm.otapi", {"cip.cm.otapi", "cip.cm.toapi"}),
              QStringList{"50000;50000"});
    // Every Output array on the wire, read by the dissector, is the production the adapter made.
    const QStringList io =
        fields(QStringLiteral("cipio && enip.cpf.sai.connid == 0x%1").arg(plc.opened().outputId, 0, 16),
               {"enip.cpf.sai.seq", "cip.seq", "cipio.data"});
    ASSERT_GE(io.size(), 10);
    for (int k = 0; k < io.size(); ++k) {
        const QStringList row = io[k].split(u';');
        ASSERT_EQ(row.size(), 3) << io[k].toStdString();
        EXPECT_EQ(row[0].toInt(), k + 1);
        EXPECT_EQ(row[1].toInt(), k + 1);
        EXPECT_EQ(row[2].toLatin1(), output.handed.value(k).toHex()) << "packet " << k;
    }
}

} // namespace
