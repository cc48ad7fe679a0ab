#include "platform/nmea/NmeaSourceModule.h"

#include <QApplication>
#include <QTemporaryFile>
#include <gtest/gtest.h>

// GUI tests drive real widgets, so a QApplication lives for the whole test program.
int main(int argc, char** argv) {
    // Offscreen, the windows stand on the screen of a typical engineering laptop at the display
    // scaling the tests run under (QT_SCALE_FACTOR): 1920 by 1080 pixels, 3840 by 2160 from 200 %,
    // less a taskbar 48 pixels high at that scaling, so each window opens as on such a laptop. A test
    // that sets a platform of its own keeps it.
    QTemporaryFile screen;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        bool given = false;
        double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
        scale = given && scale > 0 ? scale : 1.0;
        const int width = scale >= 2 ? 3840 : 1920;
        const int height = (scale >= 2 ? 2160 : 1080) - qRound(48 * scale);
        if (screen.open()) {
            screen.write(
                QStringLiteral(
                    R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1, "height": %2}]})")
                    .arg(width)
                    .arg(height)
                    .toUtf8());
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
