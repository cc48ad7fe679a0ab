#include "../platform/TestNetworkNamespace.h"
#include "ProgramFixture.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"
#include "gui/update/TFBoot.h"
#include "platform/IcmpEcho.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class BootWindowTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        m_boot = m_main->bootWindow();
        // Echo requests go to 127.0.0.1 only.
        m_state.Last_IP_Address = QStringLiteral("127.0.0.1");
    }
    void TearDown() override {
        if (m_boot)
            m_boot->hide();
        ProgramFixture::TearDown();
    }

    void showBoot() {
        m_boot->show();
        m_boot->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_boot));
    }
    QStringList fields() const {
        return {m_boot->E_IP1->text(), m_boot->E_IP2->text(), m_boot->E_IP3->text(), m_boot->E_IP4->text()};
    }
    void setFields(const QStringList& octets) {
        const QList<QLineEdit*> edits{m_boot->E_IP1, m_boot->E_IP2, m_boot->E_IP3, m_boot->E_IP4};
        for (int i = 0; i < 4; ++i)
            edits[i]->setText(octets[i]);
    }
    // Skips a test that needs an echo to 127.0.0.1 where this user may open no ICMP socket.
    bool loopbackEchoAvailable() {
        Platform::IcmpEcho echo;
        return echo.open({127, 0, 0, 1}, nullptr);
    }

    TFBoot* m_boot = nullptr;
};

TEST_F(BootWindowTest, LayoutAndTextsOfTheEthernetMode) {
    m_state.Msg_Catalog.setText(806, QStringLiteral("Device address"));
    m_main->Change_Language();
    showBoot();
    EXPECT_EQ(m_boot->width(), 449);
    EXPECT_EQ(m_boot->height(), 230);
    const std::pair<QWidget*, QRect> panels[] = {{m_boot->P_Title, QRect(0, 0, 449, 69)},
                                                 {m_boot->P_IP_Address, QRect(0, 69, 449, 49)},
                                                 {m_boot->P_Update_Options, QRect(0, 118, 449, 72)},
                                                 {m_boot->P_Buttons, QRect(0, 190, 449, 40)}};
    for (const auto& [panel, geometry] : panels)
        EXPECT_EQ(panel->geometry(), geometry) << panel->objectName().toStdString();
    EXPECT_EQ(m_boot->E_IP3->geometry(), QRect(147, 23, 41, 21));
    EXPECT_EQ(m_boot->Btn_Update->geometry(), QRect(132, 6, 228, 28));

    EXPECT_EQ(m_boot->windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
    EXPECT_EQ(m_boot->L_SW_Code->text(), QStringLiteral("SW73052"));
    EXPECT_EQ(m_boot->L_SW_Desc->text(), QStringLiteral("Update Device Using the Ethernet Port"));
    EXPECT_EQ(m_boot->L_IP_Address->text(), QStringLiteral("Device address"));
    EXPECT_EQ(m_boot->L_Update_Option->text(), QStringLiteral("Select Update Options"));
    QStringList options;
    for (int i = 0; i < m_boot->CB_Update_Options->count(); ++i)
        options << m_boot->CB_Update_Options->itemText(i);
    EXPECT_EQ(options, (QStringList{"Firmware + Configuration", "Firmware", "Configuration"}));
    EXPECT_EQ(m_boot->CB_Update_Option_Read_Back->text(), QStringLiteral("Read Back"));
    EXPECT_EQ(m_boot->Btn_Cancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(m_boot->Btn_Update->text(), QStringLiteral("Execute Update Firmware"));
    EXPECT_EQ(m_boot->E_IP2->toolTip(), QStringLiteral("Insert second byte of IP Address"));
    EXPECT_EQ(m_boot->CB_Update_Option_Read_Back->toolTip(),
              QStringLiteral("Enable or disable the possibility to read back the Firmware/Configuration"));
    EXPECT_EQ(m_boot->Btn_Cancel->toolTip(), QStringLiteral("Exit without to do the Update"));
}

TEST_F(BootWindowTest, EachShowingFillsTheFieldsFromTheLastAddressWhenItIsValid) {
    struct Showing {
        const char* lastAddress;
        QStringList fields; // the fields keep their texts when the address is refused
    };
    const Showing showings[] = {
        {"10.0.0", {"0", "0", "0", "0"}},          {"192.168.2.205", {"192", "168", "2", "205"}},
        {"1.2.3.256", {"192", "168", "2", "205"}}, {"1.2.3.4.5", {"192", "168", "2", "205"}},
        {"", {"192", "168", "2", "205"}},          {" 10 . 1.010 .3", {"10", "1", "010", "3"}},
    };
    for (const Showing& showing : showings) {
        SCOPED_TRACE(showing.lastAddress);
        m_state.Last_IP_Address = QLatin1String(showing.lastAddress);
        showBoot();
        EXPECT_EQ(fields(), showing.fields);
        m_boot->hide();
    }
}

TEST_F(BootWindowTest, ShowingSelectsTheOptionsOfThisRunAndFocusesTheFirstOctet) {
    m_state.Update_Option_Index = 2;
    m_state.Update_Read_Back = false;
    showBoot();
    EXPECT_EQ(m_boot->CB_Update_Options->currentIndex(), 2);
    EXPECT_FALSE(m_boot->CB_Update_Option_Read_Back->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), m_boot->E_IP1);
    EXPECT_EQ(m_boot->E_IP1->selectedText(), m_boot->E_IP1->text());
}

TEST_F(BootWindowTest, TypingAnAddressFillsTheFourFieldsWithoutDots) {
    showBoot();
    QTest::keyClicks(nullptr, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(fields(), (QStringList{"127", "0", "0", "1"}));
    EXPECT_EQ(QApplication::focusWidget(), m_boot->E_IP4);
    // In the last field the dot is dropped and the focus stays; letters reach the field.
    QTest::keyClicks(nullptr, QStringLiteral(".a"));
    EXPECT_EQ(m_boot->E_IP4->text(), QStringLiteral("1a"));
    EXPECT_EQ(QApplication::focusWidget(), m_boot->E_IP4);

    // A click into a field selects its text, so typing replaces the octet.
    QTest::mouseClick(m_boot->E_IP2, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(m_boot->E_IP2->selectedText(), QStringLiteral("0"));
    QTest::keyClicks(nullptr, QStringLiteral("5"));
    EXPECT_EQ(m_boot->E_IP2->text(), QStringLiteral("5"));
}

TEST_F(BootWindowTest, AnAddressThatCannotBeUsedGivesTheAddressErrorAndChangesNothing) {
    m_state.Last_IP_Address = QStringLiteral("127.0.0.2");
    showBoot();
    for (const char* octet : {"1a", "x5", "300", ""}) {
        SCOPED_TRACE(octet);
        m_boxes.clear();
        setFields({"127", "0", "0", QLatin1String(octet)});
        QTest::mouseClick(m_boot->Btn_Update, Qt::LeftButton);
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
        EXPECT_EQ(m_boxes.lastText(), QStringLiteral("Error!!! Check the Ip Address"));
        EXPECT_EQ(m_boot->ping_requests, 0);
        EXPECT_EQ(m_state.Last_IP_Address, QStringLiteral("127.0.0.2"));
        EXPECT_FALSE(QFile::exists(programPath(QStringLiteral("Ethernet_Update.xml"))));
        EXPECT_TRUE(m_boot->isVisible());
    }
}

TEST_F(BootWindowTest, ASilentDeviceIsNotFoundAfterAboutFiveSeconds) {
    TestNetworkNamespace space({QStringLiteral("net.ipv4.icmp_echo_ignore_all=1")});
    if (!space.ready())
        GTEST_SKIP() << "no network namespace for a silent device: " << space.whyNot().toStdString();
    m_state.Last_IP_Address = QStringLiteral("127.0.0.1");
    m_state.Update_Option_Index = 1;
    showBoot();
    m_boot->CB_Update_Options->setCurrentIndex(2);

    // Halfway through the check: the window still handles messages, but can neither start a
    // second check nor be closed.
    bool sawCheck = false;
    bool executeEnabled = true;
    bool fieldsEnabled = true;
    QTimer::singleShot(1000, m_boot, [&] {
        sawCheck = true;
        executeEnabled = m_boot->Btn_Update->isEnabled();
        fieldsEnabled = m_boot->E_IP1->isEnabled();
        QTest::mouseClick(m_boot->Btn_Update, Qt::LeftButton);
        m_boot->reject();
    });
    {
        TestNetworkNamespace::Inside inside(space);
        ASSERT_TRUE(inside.entered());
        QTest::mouseClick(m_boot->Btn_Update, Qt::LeftButton);
    }
    EXPECT_TRUE(sawCheck);
    EXPECT_FALSE(executeEnabled);
    EXPECT_FALSE(fieldsEnabled);
    EXPECT_TRUE(m_boot->isVisible());
    EXPECT_TRUE(m_boot->Btn_Update->isEnabled());

    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Warning);
    EXPECT_EQ(m_boxes.lastText(), QStringLiteral("Device Not Found!"));
    EXPECT_EQ(m_boot->ping_res, 2);
    EXPECT_GT(m_boot->ping_requests, 2); // it keeps asking until the five seconds are over
    EXPECT_EQ(m_state.Update_Option_Index, 1);
    EXPECT_FALSE(QFile::exists(programPath(QStringLiteral("Ethernet_Update.xml"))));
}

TEST_F(BootWindowTest, AParameterFileThatCannotBeSavedStopsTheUpdate) {
    if (!loopbackEchoAvailable())
        GTEST_SKIP()
            << "this user may open no ICMP socket (not root, group outside net.ipv4.ping_group_range)";
    // A read-only file in place: the updater must not run on the old job.
    writeFile(QStringLiteral("Ethernet_Update.xml"), "<Ethernet_Update>old</Ethernet_Update>");
    QFile::setPermissions(programPath(QStringLiteral("Ethernet_Update.xml")), QFileDevice::ReadOwner);
    m_state.Last_IP_Address = QStringLiteral("127.0.0.1");
    showBoot();
    QTest::mouseClick(m_boot->Btn_Update, Qt::LeftButton);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
    EXPECT_TRUE(m_boxes.lastText().startsWith(
        QDir::toNativeSeparators(programPath(QStringLiteral("Ethernet_Update.xml"))) + u'\n'));
    EXPECT_EQ(readFile(QStringLiteral("Ethernet_Update.xml")), "<Ethernet_Update>old</Ethernet_Update>");
    EXPECT_TRUE(m_boot->isVisible());
}

TEST_F(BootWindowTest, StartProgramWaitsUpToItsLimitAndReportsAFailedStart) {
    const QString marker = programPath(QStringLiteral("ended"));
    writeFile(QStringLiteral("slow"), "#!/bin/sh\nsleep 1\ntouch '" + marker.toLocal8Bit() + "'\n");
    QFile::setPermissions(programPath(QStringLiteral("slow")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_main->setStartProgramLimit(100);
    m_main->Start_Program(programPath(QStringLiteral("slow")), QString(), false);
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 10000)); // left running
    EXPECT_TRUE(m_boxes.shown().empty());

    m_main->Start_Program(programPath(QStringLiteral("missing")), QString(), false);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
    EXPECT_TRUE(m_boxes.lastText().startsWith(
        QDir::toNativeSeparators(programPath(QStringLiteral("missing"))) + u'\n'));
}

} // namespace
