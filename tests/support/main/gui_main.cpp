#include "platform/nmea/NmeaSourceModule.h"

#include <QApplication>
#include <gtest/gtest.h>

// GUI tests drive real widgets, so a QApplication lives for the whole test program.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
#ifdef TESSELLOR_TEST_FONT_DIR
    // Offscreen, Qt for Windows finds fonts only in a folder it is given; the windows are measured
    // with the same fonts as on Linux.
    if (qgetenv("QT_QPA_FONTDIR").isEmpty())
        qputenv("QT_QPA_FONTDIR", TESSELLOR_TEST_FONT_DIR);
#endif
    QApplication app(argc, argv);
    // The test programs stand apart from the sources module, which the build leaves in its own folder.
    Platform::NmeaSourceModule::setFolder(QStringLiteral(TESSELLOR_NMEA_MODULE_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
