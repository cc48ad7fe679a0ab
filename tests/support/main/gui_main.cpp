#include "platform/nmea/NmeaSourceModule.h"

#include <QApplication>
#include <QTemporaryFile>
#include <gtest/gtest.h>

// GUI tests drive real widgets, so a QApplication lives for the whole test program.
int main(int argc, char** argv) {
    // Offscreen, the windows stand on the screen of the typical engineering laptop, 1920 by 1080,
    // where each opens at its layout's size; a test that sets a platform of its own keeps it.
    QTemporaryFile screen;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        if (screen.open()) {
            screen.write(
                R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1920, "height": 1080}]})");
            screen.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toUtf8());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
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
