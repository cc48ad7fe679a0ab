#include "ProgramFixture.h"
#include "core/comm/ParGen.h"
#include "gui/comm/CategoryPanelGroup.h"
#include "gui/comm/TFParGen.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QUndoStack>
#include <QtTest>

#include <functional>

namespace {

const char* const kDocument = "PROJECTS/C1/ParGen.xml";

class ParGenWindow : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(QStringLiteral("C1"));
        w = m_main->parGenWindow();
    }
    void TearDown() override {
        w->hide();
        ProgramFixture::TearDown();
    }

    template <class T = QWidget> T* find(const QString& name) const {
        T* child = w->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    QLineEdit* field(const QString& name) const { return find<QLineEdit>(name); }
    QComboBox* list(const QString& name) const { return find<QComboBox>(name); }
    QCheckBox* box(const QString& name) const { return find<QCheckBox>(name); }
    void setText(const QString& name, const QString& text) const { field(name)->setText(text); }
    void click(QWidget* widget) const { QTest::mouseClick(widget, Qt::LeftButton); }
    // On the box itself: a check box takes clicks on its box and caption only.
    void click(QCheckBox* box) const {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void clickOk() const { click(w->Btn_OK); }
    void openActive() const {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    // Each character goes to the field that has the focus at that moment, as a user types.
    void typeIntoFocus(const QString& text) const {
        for (QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    ParGenSet stored() const {
        ParGenSet set;
        EXPECT_EQ(ParGen::load(programPath(kDocument), set), ParGen::LoadResult::Loaded);
        return set;
    }

    TFParGen* w = nullptr;
};

} // namespace

TEST_F(ParGenWindow, FrameAndStackedPanelsFollowTheFixedLayout) {
    w->show();
    EXPECT_EQ(w->size(), QSize(460, 700));
    EXPECT_EQ(w->P_Title->geometry(), QRect(0, 0, 460, 69));
    EXPECT_EQ(w->CPG->geometry(), QRect(0, 69, 460, 591));
    EXPECT_EQ(w->Btn_OK->geometry(), QRect(219, 6, 110, 28));
    EXPECT_EQ(w->Btn_Cancel->geometry(), QRect(335, 6, 110, 28));
    EXPECT_EQ(w->P_Title->L_SW_Code->text(), "SW73052");
    EXPECT_EQ(w->windowTitle(), "Set Communication");

    const struct {
        const char* name;
        const char* caption;
        int top;
        int height;
    } panels[] = {{"CP_Ethernet_Connection", "1. Ethernet Connection", 0, 206},
                  {"CP_EtherNetIP", "2. EtherNet/IP", 206, 206},
                  {"CP_RS232", "3.  RS232 ", 412, 151},
                  {"CP_RS485_1", "4.  RS485 1 ", 563, 151},
                  {"CP_RS485_2", "5.  RS485 2 ", 714, 151}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.name);
        const auto* panel = find<CategoryPanel>(p.name);
        EXPECT_EQ(panel->caption(), p.caption);
        EXPECT_EQ(panel->y(), p.top);
        EXPECT_EQ(panel->height(), p.height);
    }
    // 865 pixels of panels in 591: the group scrolls.
    QApplication::processEvents();
    EXPECT_TRUE(w->CPG->verticalScrollBar()->isVisible());
    EXPECT_EQ(find("CP_RS485_2")->width(), w->CPG->viewport()->width());

    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {
        {"E_EthConn_Device_Name", {191, 9, 238, 21}}, {"E_EthConn_Sec_DNS_IP4", {374, 149, 55, 21}},
        {"E_EtherNetIP_IP2", {252, 9, 55, 21}},       {"E_EtherNetIP_GAT3", {313, 66, 55, 21}},
        {"CB_EtherNetIP_GAT", {14, 67, 175, 17}},     {"E_EtherNetIP_NByte_Out", {191, 149, 238, 21}},
        {"CB_RS485_2_Stop_Bits", {191, 93, 238, 22}}, {"CB_RS232_Enable", {14, 11, 415, 17}},
    };
    for (const auto& c : controls)
        EXPECT_EQ(find(c.name)->geometry(), c.geometry) << c.name;
}

TEST_F(ParGenWindow, ChevronCollapsesAPanelAndThePanelsBelowMoveUp) {
    w->show();
    auto* ethernet = find<CategoryPanel>("CP_Ethernet_Connection");
    auto* rs232 = find<CategoryPanel>("CP_RS232");
    click(ethernet->chevron());
    EXPECT_TRUE(ethernet->isCollapsed());
    EXPECT_EQ(ethernet->height(), 24);
    EXPECT_EQ(find<CategoryPanel>("CP_EtherNetIP")->y(), 24);
    EXPECT_EQ(rs232->y(), 230);
    EXPECT_FALSE(field("E_EthConn_Device_Name")->isVisible());

    // Collapsing stays over a reopening; expanding gives the full height back.
    w->hide();
    w->show();
    EXPECT_TRUE(ethernet->isCollapsed());
    click(ethernet->chevron());
    EXPECT_EQ(rs232->y(), 412);
    EXPECT_TRUE(field("E_EthConn_Device_Name")->isVisible());
}

TEST_F(ParGenWindow, MissingDocumentShowsTheDefaults) {
    w->show();
    const std::pair<const char*, const char*> texts[] = {
        {"E_EthConn_Device_Name", ""},
        {"E_EthConn_Pri_DNS_IP1", "8"},
        {"E_EthConn_Sec_DNS_IP3", "4"},
        {"E_EtherNetIP_IP4", "5"},
        {"E_EtherNetIP_SM4", "0"},
        {"E_EtherNetIP_GAT4", "1"},
        {"E_EtherNetIP_NByte_In", "496"},
        {"E_EtherNetIP_NByte_Out", "496"},
        {"E_EtherNetIP_TunnelPort", "44818"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(field(name)->text(), text) << name;
    for (const char* name : {"CB_EthConn_En_DHCP_Cable", "CB_EthConn_Enable_DNS", "CB_EtherNetIP_GAT"})
        EXPECT_FALSE(box(name)->isChecked()) << name;
    for (const char* port : {"RS232", "RS485_1", "RS485_2"}) {
        SCOPED_TRACE(port);
        EXPECT_TRUE(box(QStringLiteral("CB_%1_Enable").arg(port))->isChecked());
        EXPECT_EQ(list(QStringLiteral("CB_%1_Baud").arg(port))->currentText(), "4800");
        EXPECT_EQ(list(QStringLiteral("CB_%1_Parity").arg(port))->currentText(), "NONE");
        EXPECT_EQ(list(QStringLiteral("CB_%1_Stop_Bits").arg(port))->currentText(), "1 bit");
    }
    EXPECT_FALSE(field("E_EtherNetIP_TunnelPort")->isEnabled());
    EXPECT_FALSE(box("CB_EthConn_En_DHCP_WiFi")->isEnabled());
    EXPECT_FALSE(box("CB_EthConn_En_DHCP_WiFi")->isChecked());
    EXPECT_FALSE(list("CB_RS232_Baud")->isEditable());
    EXPECT_EQ(list("CB_RS485_1_Stop_Bits")->itemText(1), "2 bits");
    EXPECT_EQ(list("CB_RS232_Baud")->count(), 8);
    EXPECT_EQ(field("E_EtherNetIP_SM1")->toolTip(), "Insert First byte of SubNet Mask");
    EXPECT_EQ(list("CB_RS485_2_Parity")->toolTip(), "Select the Parity of RS485 2 Port (Default NONE)");
    EXPECT_EQ(box("CB_EtherNetIP_GAT")->text(), "Gateway");
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(ParGenWindow, EveryValueSetByTheUserComesBackAfterOkAndReopening) {
    w->show();
    QTest::keyClicks(field("E_EthConn_Device_Name"), QStringLiteral("x").repeated(40));
    EXPECT_EQ(field("E_EthConn_Device_Name")->text().size(), 31);
    click(box("CB_EthConn_Enable_DNS"));
    click(box("CB_EtherNetIP_GAT"));
    const std::pair<const char*, const char*> texts[] = {
        {"E_EthConn_Pri_DNS_IP1", "1"},    {"E_EthConn_Pri_DNS_IP2", "2"}, {"E_EthConn_Pri_DNS_IP3", "3"},
        {"E_EthConn_Pri_DNS_IP4", "4"},    {"E_EthConn_Sec_DNS_IP1", "5"}, {"E_EthConn_Sec_DNS_IP2", "6"},
        {"E_EthConn_Sec_DNS_IP3", "7"},    {"E_EthConn_Sec_DNS_IP4", "9"}, {"E_EtherNetIP_IP1", "10"},
        {"E_EtherNetIP_IP2", "11"},        {"E_EtherNetIP_IP3", "12"},     {"E_EtherNetIP_IP4", " 13"},
        {"E_EtherNetIP_SM1", "255"},       {"E_EtherNetIP_SM2", "254"},    {"E_EtherNetIP_SM3", "253"},
        {"E_EtherNetIP_SM4", "252"},       {"E_EtherNetIP_GAT1", "20"},    {"E_EtherNetIP_GAT2", "21"},
        {"E_EtherNetIP_GAT3", "22"},       {"E_EtherNetIP_GAT4", "23"},    {"E_EtherNetIP_NByte_In", "0"},
        {"E_EtherNetIP_NByte_Out", "$10"},
    };
    for (const auto& [name, text] : texts)
        setText(name, text);
    click(box("CB_RS485_1_Enable"));
    const std::pair<const char*, int> lists[] = {{"CB_RS232_Baud", 7},      {"CB_RS232_Parity", 1},
                                                 {"CB_RS232_Stop_Bits", 1}, {"CB_RS485_1_Baud", 0},
                                                 {"CB_RS485_2_Parity", 2},  {"CB_RS485_2_Stop_Bits", 1}};
    for (const auto& [name, index] : lists)
        list(name)->setCurrentIndex(index);
    clickOk();
    EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
    EXPECT_FALSE(w->isVisible());

    // Fields scrambled while hidden are replaced by the stored values at the next opening.
    for (const auto& [name, text] : texts)
        setText(name, QStringLiteral("junk"));
    box("CB_EthConn_Enable_DNS")->setChecked(false);
    list("CB_RS232_Baud")->setCurrentIndex(0);
    w->show();
    for (const auto& [name, text] : texts)
        EXPECT_EQ(field(name)->text(), text) << name;
    for (const auto& [name, index] : lists)
        EXPECT_EQ(list(name)->currentIndex(), index) << name;
    EXPECT_EQ(field("E_EthConn_Device_Name")->text(), QStringLiteral("x").repeated(31));
    EXPECT_TRUE(box("CB_EthConn_Enable_DNS")->isChecked());
    EXPECT_TRUE(box("CB_EtherNetIP_GAT")->isChecked());
    EXPECT_FALSE(box("CB_RS485_1_Enable")->isChecked());
    EXPECT_TRUE(box("CB_RS485_2_Enable")->isChecked());

    const QByteArray document = readFile(kDocument);
    EXPECT_TRUE(document.contains("<RS485_2_PARITY>EVEN</RS485_2_PARITY><RS485_2_STOP_BITS>2 bits"));
    EXPECT_TRUE(document.contains("<EtherNetIP_IP4> 13</EtherNetIP_IP4>"));
    EXPECT_FALSE(document.contains("EtherNetIP_PORT"));
}

TEST_F(ParGenWindow, HostNameLongerThanTheTypingLimitIsKeptWhole) {
    const QString stored40 = QStringLiteral("n").repeated(40);
    writeFile(kDocument,
              "<Par_Gen><Eth_Conn_Device_Name>" + stored40.toUtf8() + "</Eth_Conn_Device_Name></Par_Gen>");
    w->show();
    EXPECT_EQ(field("E_EthConn_Device_Name")->text(), stored40);
    clickOk();
    EXPECT_EQ(stored().Eth_Conn_Device_Name, stored40);

    // A stored name within the limit limits typing again.
    writeFile(kDocument, "<Par_Gen><Eth_Conn_Device_Name>a</Eth_Conn_Device_Name></Par_Gen>");
    w->show();
    QTest::keyClicks(field("E_EthConn_Device_Name"), QStringLiteral("x").repeated(40));
    EXPECT_EQ(field("E_EthConn_Device_Name")->text().size(), 31);
}

TEST_F(ParGenWindow, PastedTextKeepsNoControlCharacters) {
    w->show();
    QLineEdit* name = field("E_EthConn_Device_Name");
    name->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("bridge\t1\r\n"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("a"));
    EXPECT_EQ(name->text(), "bridge1a");
    clickOk();
    EXPECT_EQ(stored().Eth_Conn_Device_Name, "bridge1a");
}

struct OkCase {
    const char* name;
    std::function<void()> edit;
    const char* message; // nullptr: saved
    std::function<bool(const ParGenSet&)> saved;
};

TEST_F(ParGenWindow, OkSavesOnlyWhatPassesTheDataCheck) {
    const OkCase cases[] = {
        {"DNS off lets any DNS text through, stored as typed",
         [this] {
             setText("E_EthConn_Pri_DNS_IP2", "300");
             setText("E_EthConn_Sec_DNS_IP1", "abc");
         },
         nullptr,
         [](const ParGenSet& s) {
             return s.Eth_Conn_Primary_DNS[1] == "300" && s.Eth_Conn_Secondary_DNS[0] == "abc";
         }},
        {"DNS on stops 300 in the second primary octet",
         [this] {
             click(box("CB_EthConn_Enable_DNS"));
             setText("E_EthConn_Pri_DNS_IP2", "300");
         },
         "Error Primary DNS!! DNS 2 must be between 0 and 255",
         {}},
        {"gateway off skips the gateway octets", [this] { setText("E_EtherNetIP_GAT3", "x"); }, nullptr,
         [](const ParGenSet& s) { return s.EtherNetIP_GAT[2] == "x" && !s.EtherNetIP_EN_GAT; }},
        {"gateway on checks them",
         [this] {
             click(box("CB_EtherNetIP_GAT"));
             setText("E_EtherNetIP_GAT4", "256");
         },
         "Error EtherNet/IP!! GATEWAY IP 4 must be between 0 and 255",
         {}},
        {"greyed octets under DHCP are still checked",
         [this] {
             setText("E_EtherNetIP_IP4", "300");
             click(box("CB_EthConn_En_DHCP_Cable"));
         },
         "Error EtherNet/IP!! IP Address 4 must be between 0 and 255",
         {}},
        {"a leading blank passes and is kept", [this] { setText("E_EtherNetIP_SM3", " 7"); }, nullptr,
         [](const ParGenSet& s) { return s.EtherNetIP_SM[2] == " 7"; }},
        {"a trailing blank fails",
         [this] { setText("E_EtherNetIP_SM3", "7 "); },
         "Error EtherNet/IP!! SUBNET Mask 3 must be between 0 and 255",
         {}},
        {"input count 497",
         [this] { setText("E_EtherNetIP_NByte_In", "497"); },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496",
         {}},
        {"input count -1",
         [this] { setText("E_EtherNetIP_NByte_In", "-1"); },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496",
         {}},
        {"input count empty",
         [this] { setText("E_EtherNetIP_NByte_In", ""); },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496",
         {}},
        {"input count 12a",
         [this] { setText("E_EtherNetIP_NByte_In", "12a"); },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496",
         {}},
        {"output count",
         [this] { setText("E_EtherNetIP_NByte_Out", "497"); },
         "Error EtherNet/IP!! Number Byte Output must be between 0 and 496",
         {}},
        {"only the first failure is shown",
         [this] {
             setText("E_EtherNetIP_NByte_Out", "x");
             setText("E_EtherNetIP_SM1", "x");
             setText("E_EtherNetIP_IP2", "x");
         },
         "Error EtherNet/IP!! IP Address 2 must be between 0 and 255",
         {}},
        {"two stop bits with EVEN are saved",
         [this] {
             find<QComboBox>("CB_RS232_Parity")->setCurrentIndex(2);
             find<QComboBox>("CB_RS232_Stop_Bits")->setCurrentIndex(1);
         },
         nullptr, [](const ParGenSet& s) { return s.RS232.ParityIndex == 2 && s.RS232.StopBitsIndex == 1; }},
    };
    for (const OkCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(programPath(kDocument));
        m_boxes.clear();
        w->show();
        c.edit();
        clickOk();
        if (c.message) {
            ASSERT_EQ(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
            EXPECT_EQ(m_boxes.lastText(), c.message);
            EXPECT_TRUE(w->isVisible());
            EXPECT_FALSE(QFile::exists(programPath(kDocument)));
            w->reject();
        } else {
            EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
            EXPECT_FALSE(w->isVisible());
            EXPECT_TRUE(c.saved(stored()));
        }
    }
}

TEST_F(ParGenWindow, DhcpOnTheCableGreysTheTwelveAddressOctetsOnly) {
    w->show();
    click(box("CB_EthConn_En_DHCP_Cable"));
    for (const char* prefix : {"E_EtherNetIP_IP", "E_EtherNetIP_SM", "E_EtherNetIP_GAT"}) {
        for (int i = 1; i <= 4; ++i)
            EXPECT_FALSE(field(prefix + QString::number(i))->isEnabled()) << prefix << i;
    }
    for (const char* name : {"E_EthConn_Pri_DNS_IP1", "E_EtherNetIP_NByte_In", "E_EtherNetIP_NByte_Out",
                             "E_EthConn_Device_Name", "CB_EtherNetIP_GAT", "CB_RS232_Baud"})
        EXPECT_TRUE(find(name)->isEnabled()) << name;

    // Loading a document with DHCP off brings the fields back.
    w->reject();
    w->show();
    EXPECT_TRUE(field("E_EtherNetIP_GAT4")->isEnabled());
}

TEST_F(ParGenWindow, DotKeyMovesAlongTheOctetChainsAndIsNeverTyped) {
    openActive();
    QLineEdit* first = field("E_EtherNetIP_IP1");
    first->clear();
    first->setFocus();
    typeIntoFocus(QStringLiteral("192.168.0.10"));
    const char* expected[] = {"192", "168", "0", "10"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(field(QStringLiteral("E_EtherNetIP_IP%1").arg(i + 1))->text(), expected[i]);

    const struct {
        const char* from;
        const char* to;
    } steps[] = {
        {"E_EtherNetIP_IP4", "E_EtherNetIP_SM1"},
        {"E_EtherNetIP_SM4", "E_EtherNetIP_GAT1"},
        {"E_EtherNetIP_GAT4", "E_EtherNetIP_GAT4"},
        {"E_EthConn_Pri_DNS_IP4", "E_EthConn_Sec_DNS_IP1"},
        {"E_EthConn_Sec_DNS_IP4", "E_EthConn_Sec_DNS_IP4"},
        {"E_EtherNetIP_NByte_In", "E_EtherNetIP_NByte_In"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.from);
        QLineEdit* from = field(step.from);
        from->setText(QStringLiteral("1"));
        from->setFocus();
        from->end(false);
        QTest::keyClick(from, '.');
        EXPECT_EQ(QApplication::focusWidget(), find(step.to));
        // The byte counts take the dot as any other character.
        EXPECT_EQ(from->text(), QString::fromLatin1(step.from) == "E_EtherNetIP_NByte_In" ? "1." : "1");
    }
}

TEST_F(ParGenWindow, KeyboardOrderRunsThroughThePanelsInTheirOrder) {
    openActive();
    QStringList expected{"E_EthConn_Device_Name", "CB_EthConn_En_DHCP_Cable", "CB_EthConn_Enable_DNS"};
    for (const char* prefix :
         {"E_EthConn_Pri_DNS_IP", "E_EthConn_Sec_DNS_IP", "E_EtherNetIP_IP", "E_EtherNetIP_SM"}) {
        for (int i = 1; i <= 4; ++i)
            expected << prefix + QString::number(i);
    }
    expected << "CB_EtherNetIP_GAT";
    for (int i = 1; i <= 4; ++i)
        expected << QStringLiteral("E_EtherNetIP_GAT%1").arg(i);
    expected << "E_EtherNetIP_NByte_In"
             << "E_EtherNetIP_NByte_Out";
    for (const char* port : {"RS232", "RS485_1", "RS485_2"}) {
        for (const char* control : {"Enable", "Baud", "Parity", "Stop_Bits"})
            expected << QStringLiteral("CB_%1_%2").arg(port, control);
    }
    expected << "Btn_OK"
             << "Btn_Cancel";
    field("E_EthConn_Device_Name")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i + 1 < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

namespace {

enum class Leave { Escape, Cancel, CloseBox };

const char* leaveName(Leave way) {
    return way == Leave::Escape ? "Escape" : way == Leave::Cancel ? "Cancel" : "close box";
}

const char* const kDiscardQuestion = "The communication parameters have been changed and not saved. "
                                     "Close the window and discard the changes?";

} // namespace

class ParGenWindowLeaving : public ParGenWindow {
protected:
    void leave(Leave way) const {
        switch (way) {
        case Leave::Escape:
            QTest::keyClick(field("E_EthConn_Device_Name"), Qt::Key_Escape);
            break;
        case Leave::Cancel:
            click(w->Btn_Cancel);
            break;
        case Leave::CloseBox:
            w->close();
            break;
        }
    }
    // The values the cases change, as the window shows them.
    QStringList shown() const {
        return {field("E_EthConn_Device_Name")->text(), field("E_EtherNetIP_IP1")->text(),
                box("CB_EtherNetIP_GAT")->isChecked() ? "1" : "0", list("CB_RS232_Baud")->currentText()};
    }
};

TEST_F(ParGenWindowLeaving, UnchangedParametersCloseAtOnceEvenAfterAnEditIsUndone) {
    writeFile(kDocument, "<Par_Gen><Eth_Conn_Device_Name>stored</Eth_Conn_Device_Name></Par_Gen>");
    for (const Leave way : {Leave::Escape, Leave::Cancel, Leave::CloseBox}) {
        SCOPED_TRACE(leaveName(way));
        w->show();
        setText("E_EthConn_Device_Name", "typed");
        setText("E_EthConn_Device_Name", "stored");
        list("CB_RS485_1_Parity")->setCurrentIndex(2);
        list("CB_RS485_1_Parity")->setCurrentIndex(0);
        leave(way);
        EXPECT_FALSE(w->isVisible());
    }
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(ParGenWindowLeaving, ChangedParametersAskAndOnlyYesDiscardsThem) {
    const QByteArray document = "<Par_Gen><Eth_Conn_Device_Name>stored</Eth_Conn_Device_Name></Par_Gen>";
    writeFile(kDocument, document);
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"host name", [this] { setText("E_EthConn_Device_Name", "typed"); }},
        {"octet", [this] { setText("E_EtherNetIP_IP1", "x"); }},
        {"check box", [this] { click(box("CB_EtherNetIP_GAT")); }},
        {"list", [this] { list("CB_RS232_Baud")->setCurrentIndex(5); }},
    };
    for (const auto& [what, change] : changes) {
        for (const Leave way : {Leave::Escape, Leave::Cancel, Leave::CloseBox}) {
            SCOPED_TRACE(testing::Message() << what << ", " << leaveName(way));
            w->show();
            change();
            const QStringList edited = shown();

            m_boxes.clear();
            m_boxes.setNextAnswer(MessageBox::Answer::No);
            leave(way);
            ASSERT_EQ(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Question);
            EXPECT_EQ(m_boxes.lastText(), kDiscardQuestion);
            ASSERT_TRUE(w->isVisible());
            EXPECT_EQ(shown(), edited);

            m_boxes.setNextAnswer(MessageBox::Answer::Yes);
            leave(way);
            EXPECT_EQ(m_boxes.shown().size(), 2u);
            EXPECT_FALSE(w->isVisible());
            EXPECT_EQ(readFile(kDocument), document);
            w->show();
            EXPECT_EQ(shown(), QStringList({"stored", "192", "0", "4800"}));
            w->hide();
        }
    }
}

// On the real question a stray Enter keeps the changes: No is its default button.
TEST_F(ParGenWindowLeaving, EnterOnTheRealQuestionKeepsTheChanges) {
    writeFile(kDocument, "<Par_Gen><Eth_Conn_Device_Name>stored</Eth_Conn_Device_Name></Par_Gen>");
    w->show();
    setText("E_EthConn_Device_Name", "typed");
    MessageBox::setHandler(nullptr);
    QMessageBox::StandardButton byDefault = QMessageBox::NoButton;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!question)
            return;
        poll.stop();
        byDefault = question->standardButton(question->defaultButton());
        QTest::keyClick(question, Qt::Key_Return);
    });
    poll.start(10);
    leave(Leave::Cancel);
    MessageBox::setHandler(&m_boxes);
    EXPECT_EQ(byDefault, QMessageBox::No);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(field("E_EthConn_Device_Name")->text(), "typed");
    w->hide();
}

TEST_F(ParGenWindow, DocumentThatIsNotWellFormedKeepsTheFieldsAndIsRewrittenByOk) {
    writeFile(kDocument, "<Par_Gen>\n<RS232_ENABLE>1</RS232_ENABLE>\n<EtherNetIP_IP1>");
    w->show();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
    EXPECT_TRUE(m_boxes.lastText().contains("line 3")) << m_boxes.lastText().toStdString();
    EXPECT_TRUE(m_boxes.lastText().contains(programPath(kDocument)));
    // At the first opening the fields hold what they were created with.
    EXPECT_EQ(field("E_EtherNetIP_SM4")->text(), "5");
    EXPECT_EQ(list("CB_RS232_Baud")->currentText(), "115200");
    EXPECT_FALSE(box("CB_RS232_Enable")->isChecked());

    // Later openings keep the values of the opening before.
    setText("E_EtherNetIP_NByte_In", "100");
    w->reject();
    m_boxes.clear();
    w->show();
    EXPECT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(field("E_EtherNetIP_NByte_In")->text(), "100");
    clickOk();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(stored().EtherNetIP_NB_Input, "100");
    EXPECT_EQ(stored().EtherNetIP_SM[3], "5");
}

TEST_F(ParGenWindow, DocumentThatCannotBeWrittenStaysWholeAndTheWindowOpen) {
    const QByteArray old = "<Par_Gen><EtherNetIP_NB_Input>10</EtherNetIP_NB_Input></Par_Gen>";
    writeFile(kDocument, old);
    QFile::setPermissions(programPath(kDocument), QFileDevice::ReadOwner);
    w->show();
    setText("E_EtherNetIP_NByte_In", "20");
    clickOk();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
    EXPECT_TRUE(m_boxes.lastText().contains(programPath(kDocument)));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(field("E_EtherNetIP_NByte_In")->text(), "20");
    EXPECT_EQ(readFile(kDocument), old);
}

TEST_F(ParGenWindow, LanguageChangeRenewsEveryTextButThePanelCaptions) {
    m_state.Msg_Catalog.setText(1121, QStringLiteral("Ethernet-Verbindung"));
    m_state.Msg_Catalog.setText(1122, QStringLiteral("Gerätename"));
    m_state.Msg_Catalog.setText(433, QStringLiteral("Baudrate wählen"));
    m_state.Msg_Catalog.setText(400, QStringLiteral("Kommunikation"));
    m_main->Change_Language();
    EXPECT_EQ(find<CategoryPanel>("CP_Ethernet_Connection")->caption(), "1. Ethernet Connection");
    EXPECT_EQ(find<QLabel>("L_EthConn_Device_Name")->text(), "Gerätename");
    EXPECT_EQ(list("CB_RS232_Baud")->toolTip(), "Baudrate wählen");
    EXPECT_EQ(list("CB_RS232_Baud")->itemText(0), "1200");
    EXPECT_EQ(w->windowTitle(), "Kommunikation");
}

TEST_F(ParGenWindow, WheelScrollsTheGroupByLinesAndNeverReachesAList) {
    w->show();
    QApplication::processEvents();
    QScrollBar* bar = w->CPG->verticalScrollBar();
    QComboBox* baud = list("CB_RS232_Baud");
    baud->setFocus();
    const int lines = QApplication::wheelScrollLines();
    ASSERT_GE(lines, 1);
    const auto turn = [&](QWidget* target, int delta) {
        const QPoint local = target->rect().center();
        QWheelEvent event(local, target->mapToGlobal(local), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    turn(baud, -120);
    EXPECT_EQ(bar->value(), lines * bar->singleStep());
    EXPECT_EQ(baud->currentIndex(), 2);
    turn(field("E_EtherNetIP_IP1"), -1);
    EXPECT_EQ(bar->value(), 2 * lines * bar->singleStep());
    turn(baud, 120);
    EXPECT_EQ(bar->value(), lines * bar->singleStep());
    EXPECT_EQ(baud->currentIndex(), 2);
}

TEST_F(ParGenWindow, ActivationBringsATitleBarAboveTheScreenBackToTheTop) {
    openActive();
    const int screenTop = w->screen()->geometry().top();
    w->move(w->x(), screenTop - 100);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    EXPECT_EQ(w->frameGeometry().top(), screenTop);
}

TEST_F(ParGenWindow, StepTwoOfTheMainWindowOpensTheWindowModally) {
    bool wasModal = false;
    QTimer::singleShot(0, w, [&] {
        wasModal = w->isVisible() && w->isModal();
        setText("E_EthConn_Device_Name", "converter-7");
        clickOk();
    });
    QTest::mouseClick(m_main->Btn_Prm_Gen, Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(stored().Eth_Conn_Device_Name, "converter-7");
}

// Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) walk the window's own history wherever the focus is, a
// field's typing included; back at the opening values, closing asks nothing.
TEST_F(ParGenWindowLeaving, EveryChangeIsUndoneAndRedoneAndUndoingAllClosesWithoutAQuestion) {
    writeFile(kDocument, "<Par_Gen><Eth_Conn_Device_Name>stored</Eth_Conn_Device_Name></Par_Gen>");
    openActive();
    const QStringList opening = shown();
    QLineEdit* name = field("E_EthConn_Device_Name");
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, "-2");
    click(box("CB_EtherNetIP_GAT"));
    QComboBox* baud = list("CB_RS232_Baud");
    baud->setFocus();
    QTest::keyClick(baud, Qt::Key_Down);
    const QStringList edited = shown();
    ASSERT_EQ(edited, QStringList({"stored-2", "192", "1", "9600"}));
    EXPECT_EQ(w->undoStack()->count(), 3); // the typing is one step

    const auto keys = [](QWidget* at, QKeyCombination k) {
        QTest::keyClick(at, k.key(), k.keyboardModifiers());
    };
    keys(name, Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(shown(), QStringList({"stored-2", "192", "1", "4800"}));
    keys(baud, Qt::ControlModifier | Qt::Key_Z);
    keys(name, Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(shown(), opening);
    keys(name, Qt::ControlModifier | Qt::Key_Y);
    keys(baud, Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z);
    keys(name, Qt::ControlModifier | Qt::Key_Y);
    EXPECT_EQ(shown(), edited);
    for (int i = 0; i < 3; ++i)
        keys(name, Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(shown(), opening);
    leave(Leave::Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(m_boxes.shown().empty());
    // The history ended with the window.
    w->show();
    EXPECT_EQ(w->undoStack()->count(), 0);
}
