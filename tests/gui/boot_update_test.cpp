#include "ProgramFixture.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/update/TFBoot.h"
#include "platform/IcmpEcho.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The whole road of an update through the real windows, the real echo to 127.0.0.1 and the
// stand-in updater, which reports what it found in its log.
class BootUpdateTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        Platform::IcmpEcho echo;
        if (!echo.open({127, 0, 0, 1}, nullptr))
            GTEST_SKIP()
                << "this user may open no ICMP socket (not root, group outside net.ipv4.ping_group_range)";
        const QString standIn = QStringLiteral(TESSELLOR_BINARY_DIR "/Ethernet_Update" TESSELLOR_EXE_SUFFIX);
        ASSERT_TRUE(QFile::exists(standIn)) << "build the Ethernet_Update target first";
        ASSERT_TRUE(
            QFile::copy(standIn, programPath(QStringLiteral("Ethernet_Update" TESSELLOR_EXE_SUFFIX))));
        startProgram();
        openConfiguration(QStringLiteral("Ship"));
        // Echo requests go to loopback only, whatever the typing does; Execute is pressed only
        // once the fields hold 127.0.0.1.
        m_state.Last_IP_Address = QStringLiteral("127.0.0.2");
    }

    // Presses Update Device and, in the update window, types the address, picks the option with the
    // keyboard, sets Read Back, presses Execute and then Cancel.
    void updateDevice(const QString& address, int optionDownKeys, bool untickReadBack) {
        TFBoot* boot = m_main->bootWindow();
        bool driven = false;
        QTimer::singleShot(0, boot, [&] {
            if (!QTest::qWaitForWindowActive(boot))
                return;
            QTest::keyClicks(nullptr, address);
            for (int i = 0; i < optionDownKeys; ++i)
                QTest::keyClick(boot->CB_Update_Options, Qt::Key_Down);
            if (untickReadBack)
                QTest::keyClick(boot->CB_Update_Option_Read_Back, Qt::Key_Space);
            const QString typed = boot->E_IP1->text() + u'.' + boot->E_IP2->text() + u'.' +
                                  boot->E_IP3->text() + u'.' + boot->E_IP4->text();
            if (typed == QLatin1String("127.0.0.1")) {
                QTest::mouseClick(boot->Btn_Update, Qt::LeftButton);
                driven = true;
            } else {
                ADD_FAILURE() << "typed " << typed.toStdString() << ", focus on "
                              << (QApplication::focusWidget()
                                      ? QApplication::focusWidget()->objectName().toStdString()
                                      : std::string("nothing"));
            }
            QTest::mouseClick(boot->Btn_Cancel, Qt::LeftButton);
        });
        QTest::mouseClick(m_main->Btn_CreateBin, Qt::LeftButton);
        ASSERT_TRUE(driven);
    }
};

TEST_F(BootUpdateTest, ConfigurationUpdateHandsAValidImageToTheUpdater) {
    updateDevice(QStringLiteral("127.0.0.1"), 2, true);
    EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();

    TFBoot* boot = m_main->bootWindow();
    EXPECT_EQ(boot->ping_res, 1);
    EXPECT_EQ(boot->ping_requests, 2); // two answers end the check
    EXPECT_EQ(m_state.Last_IP_Address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(m_state.Update_Option_Index, 2);
    EXPECT_FALSE(m_state.Update_Read_Back);

    // The updater has ended when Start_Program returns: its log is there.
    const QString log = QString::fromUtf8(readFile(QStringLiteral("Ethernet_Update.log")));
    const QString image = programPath(QStringLiteral("PROJECTS/Ship/bin/bank.bin"));
    EXPECT_TRUE(log.contains(QStringLiteral("Device address: 127.0.0.1 - valid"))) << log.toStdString();
    EXPECT_TRUE(log.contains(
        QStringLiteral("Operation 1 (bank type 2, start 0x68000): %1 - valid configuration image")
            .arg(image)))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("Operation 2")));
    EXPECT_TRUE(log.endsWith(QStringLiteral("Result: OK\n"))) << log.toStdString();
    EXPECT_TRUE(readFile(QStringLiteral("Ethernet_Update.xml")).contains("<Ope_Read_Back>0</Ope_Read_Back>"));

    // The choices live on for this run.
    boot->show();
    EXPECT_EQ(boot->CB_Update_Options->currentIndex(), 2);
    EXPECT_FALSE(boot->CB_Update_Option_Read_Back->isChecked());
    boot->hide();
}

TEST_F(BootUpdateTest, FirmwareUpdateWithoutTheMakersFirmwareFailsInTheUpdater) {
    // The firmware comes from the maker; the stand-in says so and fails, the configurator carries on.
    updateDevice(QStringLiteral("127.0.0.1"), 0, false);
    EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
    const QString log = QString::fromUtf8(readFile(QStringLiteral("Ethernet_Update.log")));
    EXPECT_TRUE(log.contains(QStringLiteral("firmware file missing"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Operation 2 (bank type 2"))) << log.toStdString();
    EXPECT_TRUE(log.endsWith(QStringLiteral("Result: FAILED\n"))) << log.toStdString();
    EXPECT_TRUE(m_state.Update_Read_Back);
}

} // namespace
