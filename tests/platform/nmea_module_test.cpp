#include "platform/nmea/NmeaSourceModule.h"

#include <QCoreApplication>
#include <QString>
#include <gtest/gtest.h>

namespace {

using namespace Platform;

class NoEvents : public NmeaSourceEvents {
public:
    void sourceStarted() override {}
    void sourceBytes(const QByteArray&) override {}
    void sourceMessage(const QByteArray&) override {}
    void sourceFailed(const QString&, NmeaSourceFailure) override {}
    void sourceFinished() override {}
    void sourceProgress(qint64, qint64) override {}
};

// A module left beside the program by another version is refused before any of its code runs
// with this program's objects; the module of this build is taken.
TEST(NmeaSourceModule, AModuleOfAnotherInterfaceVersionIsRefusedWithItsReason) {
    int argc = 0;
    QCoreApplication app(argc, nullptr); // a source's memory goes from the event loop
    NoEvents events;
    NmeaSourceSettings settings;
    QString problem;
    NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_STALE_MODULE_DIR));
    EXPECT_EQ(NmeaSourceModule::create(settings, events, problem), nullptr);
    EXPECT_TRUE(
        problem.contains(QStringLiteral("belongs to another version of the program (interface 1, this "
                                        "program needs %1): install the program again")
                             .arg(NmeaSourceModule::InterfaceVersion)))
        << problem.toStdString();
    EXPECT_TRUE(NmeaSourceModule::serialPorts().isEmpty());

    problem.clear();
    NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    EXPECT_NE(NmeaSourceModule::create(settings, events, problem), nullptr) << problem.toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    NmeaSourceModule::setFolder(QString());
}

} // namespace
