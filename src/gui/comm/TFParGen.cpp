#include "gui/comm/TFParGen.h"

#include "core/comm/ParGen.h"
#include "core/comm/SerialIndex.h"
#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "gui/comm/CategoryPanelGroup.h"
#include "gui/shell/AddressOctets.h"
#include "gui/shell/EditorSaveChecks.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/PrintableEdit.h"
#include "gui/shell/WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QUndoStack>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

namespace Text = TextSlot::ParGen;

constexpr int kClientWidth = 460;
constexpr int kClientHeight = 700;
constexpr int kButtonBandHeight = 40;

constexpr int kLabelLeft = 14;
constexpr int kFieldLeft = 191;
constexpr int kWideWidth = 238;
constexpr int kOctetWidth = 55;
constexpr int kEditHeight = 21;
constexpr int kListHeight = 22;
constexpr int kCheckWidth = 415;
constexpr int kGatewayCheckWidth = 175;
constexpr int kHostNameTyping = 31;
constexpr int kCheckHeight = 17;
constexpr std::array<int, 4> kOctetLefts{191, 252, 313, 374};
constexpr std::array<int, 3> kDotLefts{247, 308, 369};
// Space left below a panel's lowest field.
constexpr int kPanelBottomMargin = 12;

// Rows are 28 apart; fields stand 3 pixels above their labels.
int labelTop(int row) {
    return 12 + 28 * (row - 1);
}
int fieldTop(int row) {
    return 9 + 28 * (row - 1);
}

// Serial port panels: RS232, RS485 1, RS485 2, each with its caption, four texts and four tooltips.
const char* const kPortNames[3] = {"RS232", "RS485_1", "RS485_2"};
constexpr TextRange kPortTexts[3] = {Text::RS232, Text::RS485_1, Text::RS485_2};

QLabel* namedLabel(QWidget* body, const QString& name, int row) {
    QLabel* result = WindowLook::label(body, kLabelLeft, labelTop(row));
    result->setObjectName(name);
    return result;
}

QLineEdit* edit(QWidget* body, const QString& name, int left, int top, int width) {
    auto* result = new QLineEdit(body);
    result->setObjectName(name);
    result->setGeometry(left, top, width, kEditHeight);
    keepPrintable(result);
    return result;
}

QCheckBox* check(QWidget* body, const QString& name, int row, int width) {
    auto* result = new QCheckBox(body);
    result->setObjectName(name);
    result->setGeometry(kLabelLeft, labelTop(row) - 1, width, kCheckHeight);
    return result;
}

template <std::size_t N>
QComboBox* list(QWidget* body, const QString& name, int row, const char* const (&entries)[N]) {
    auto* result = new QComboBox(body);
    result->setObjectName(name);
    result->setEditable(false);
    result->setGeometry(kFieldLeft, fieldTop(row), kWideWidth, kListHeight);
    for (const char* entry : entries)
        result->addItem(QString::fromLatin1(entry));
    return result;
}

// Four octet fields named prefix1..prefix4 with a "." between them.
AddressOctets* octets(QWidget* body, const QString& prefix, int row, int top) {
    return new AddressOctets(body, prefix, {kOctetLefts, top, kOctetWidth, kDotLefts, labelTop(row)});
}

// The tooltips of four octet fields.
std::array<QString, 4> octetTips(const ProgramState& state, TextRange tips) {
    return {state.msg(tips.at(0)), state.msg(tips.at(1)), state.msg(tips.at(2)), state.msg(tips.at(3))};
}

// The bottom edge of a panel's lowest field plus the header and the margin below it.
int panelHeight(const QWidget* lowest) {
    return lowest->y() + lowest->height() + CategoryPanel::HeaderHeight + kPanelBottomMargin;
}

// One change of the fields: the whole set before and after. Typing in one field goes on growing
// the same step.
class ParGenChange : public QUndoCommand {
public:
    ParGenChange(std::function<void(const ParGenSet&)> show, const ParGenSet& before, const ParGenSet& after,
                 QObject* typedInto)
        : m_show(std::move(show)), m_before(before), m_after(after), m_typedInto(typedInto) {}
    void undo() override { m_show(m_before); }
    // The first redo is the push of a change the fields already show: showing it again would put
    // the cursor of the field being typed into at its end.
    void redo() override {
        if (!std::exchange(m_shown, false))
            m_show(m_after);
    }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const ParGenChange*>(other);
        if (!m_typedInto || next->m_typedInto != m_typedInto)
            return false;
        m_after = next->m_after;
        return true;
    }

private:
    std::function<void(const ParGenSet&)> m_show;
    ParGenSet m_before;
    ParGenSet m_after;
    QObject* m_typedInto; // the field typed into, or null for a step of its own
    bool m_shown = true;
};

} // namespace

TFParGen::TFParGen(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(kClientWidth, kClientHeight)), m_state(state) {
    setObjectName(QStringLiteral("TFParGen"));
    P_Title = addTitlePanel();

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    P_Button->setGeometry(0, kClientHeight - kButtonBandHeight, kClientWidth, kButtonBandHeight);
    Btn_OK = WindowLook::button(P_Button, QRect(219, 6, 110, 28));
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_Cancel = WindowLook::button(P_Button, QRect(335, 6, 110, 28));
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    Btn_Cancel->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    for (QPushButton* button : {Btn_OK, Btn_Cancel})
        button->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    CPG = new CategoryPanelGroup(this);
    CPG->setObjectName(QStringLiteral("CPG"));
    CPG->setFocusPolicy(Qt::NoFocus);
    CPG->setGeometry(0, WindowLook::TitleHeight, kClientWidth,
                     kClientHeight - WindowLook::TitleHeight - kButtonBandHeight);

    CP_Ethernet_Connection = CPG->addPanel(QStringLiteral("CP_Ethernet_Connection"));
    buildEthernetConnection(CP_Ethernet_Connection->body());
    CP_EtherNetIP = CPG->addPanel(QStringLiteral("CP_EtherNetIP"));
    buildEtherNetIP(CP_EtherNetIP->body());
    for (int port = 0; port < 3; ++port) {
        CP_Serial[port] = CPG->addPanel(QStringLiteral("CP_%1").arg(QLatin1String(kPortNames[port])));
        buildSerialPort(port, CP_Serial[port]->body());
    }

    // The dot key walks on from one address to the next: DNS primary then secondary; address,
    // mask, gateway. A field it reaches is scrolled into view.
    m_priDns->chainTo(m_secDns);
    m_ip->chainTo(m_sm);
    m_sm->chainTo(m_gat);
    for (AddressOctets* address : {m_priDns, m_secDns, m_ip, m_sm, m_gat})
        connect(address, &AddressOctets::movedTo, CPG,
                [this](QLineEdit* field) { CPG->ensureWidgetVisible(field); });

    // The enabling of the address fields follows the DHCP flag at once.
    for (QCheckBox* box : {CB_EthConn_En_DHCP_Cable, CB_EthConn_En_DHCP_WiFi, Serial[0].CB_Enable,
                           Serial[1].CB_Enable, Serial[2].CB_Enable})
        connect(box, &QCheckBox::toggled, this, &TFParGen::Move_GroupBoxs);

    Order_TAB_Panels();
    Move_GroupBoxs();
    Set_Lang();

    // Only the user's changes are steps: typing, a click on a box, a choice in a list.
    m_undo = new QUndoStack(this);
    for (QLineEdit* edit : CPG->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { noteChange(edit); });
    for (QCheckBox* box : CPG->findChildren<QCheckBox*>())
        connect(box, &QCheckBox::clicked, this, [this] { noteChange(nullptr); });
    for (QComboBox* list : CPG->findChildren<QComboBox*>())
        connect(list, &QComboBox::activated, this, [this] { noteChange(nullptr); });

    // The wheel scrolls the panel group wherever the pointer is over it: it is seen before the
    // control under the pointer or with the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TFParGen::buildEthernetConnection(QWidget* body) {
    L_EthConn_Device_Name = namedLabel(body, QStringLiteral("L_EthConn_Device_Name"), 1);
    E_EthConn_Device_Name =
        edit(body, QStringLiteral("E_EthConn_Device_Name"), kFieldLeft, fieldTop(1), kWideWidth);
    E_EthConn_Device_Name->setMaxLength(kHostNameTyping);
    CB_EthConn_En_DHCP_Cable = check(body, QStringLiteral("CB_EthConn_En_DHCP_Cable"), 2, kCheckWidth);
    CB_EthConn_En_DHCP_WiFi = check(body, QStringLiteral("CB_EthConn_En_DHCP_WiFi"), 3, kCheckWidth);
    CB_EthConn_Enable_DNS = check(body, QStringLiteral("CB_EthConn_Enable_DNS"), 4, kCheckWidth);
    L_EthConn_Primary_DNS = namedLabel(body, QStringLiteral("L_EthConn_Primary_DNS"), 5);
    m_priDns = octets(body, QStringLiteral("E_EthConn_Pri_DNS_IP"), 5, fieldTop(5));
    E_EthConn_Pri_DNS_IP = m_priDns->fields();
    L_EthConn_Secondary_DNS = namedLabel(body, QStringLiteral("L_EthConn_Secondary_DNS"), 6);
    m_secDns = octets(body, QStringLiteral("E_EthConn_Sec_DNS_IP"), 6, fieldTop(6));
    E_EthConn_Sec_DNS_IP = m_secDns->fields();
    // The values the fields hold until the first load succeeds.
    for (QLineEdit* field : E_EthConn_Pri_DNS_IP)
        field->setText(QStringLiteral("8"));
    for (QLineEdit* field : E_EthConn_Sec_DNS_IP)
        field->setText(QStringLiteral("8"));
}

void TFParGen::buildEtherNetIP(QWidget* body) {
    L_EtherNetIP_IP = namedLabel(body, QStringLiteral("L_EtherNetIP_IP"), 1);
    m_ip = octets(body, QStringLiteral("E_EtherNetIP_IP"), 1, fieldTop(1));
    E_EtherNetIP_IP = m_ip->fields();
    L_EtherNetIP_SM = namedLabel(body, QStringLiteral("L_EtherNetIP_SM"), 2);
    m_sm = octets(body, QStringLiteral("E_EtherNetIP_SM"), 2, fieldTop(2));
    E_EtherNetIP_SM = m_sm->fields();
    CB_EtherNetIP_GAT = check(body, QStringLiteral("CB_EtherNetIP_GAT"), 3, kGatewayCheckWidth);
    m_gat = octets(body, QStringLiteral("E_EtherNetIP_GAT"), 3, fieldTop(3) + 1);
    E_EtherNetIP_GAT = m_gat->fields();
    L_EtherNetIP_TunnelPort = namedLabel(body, QStringLiteral("L_EtherNetIP_TunnelPort"), 4);
    E_EtherNetIP_TunnelPort =
        edit(body, QStringLiteral("E_EtherNetIP_TunnelPort"), kFieldLeft, fieldTop(4), kWideWidth);
    // The device's EtherNet/IP port is fixed; the field only shows it.
    E_EtherNetIP_TunnelPort->setText(QStringLiteral("44818"));
    E_EtherNetIP_TunnelPort->setEnabled(false);
    L_EtherNetIP_NByte_In = namedLabel(body, QStringLiteral("L_EtherNetIP_NByte_In"), 5);
    E_EtherNetIP_NByte_In =
        edit(body, QStringLiteral("E_EtherNetIP_NByte_In"), kFieldLeft, fieldTop(5), kWideWidth);
    L_EtherNetIP_NByte_Out = namedLabel(body, QStringLiteral("L_EtherNetIP_NByte_Out"), 6);
    E_EtherNetIP_NByte_Out =
        edit(body, QStringLiteral("E_EtherNetIP_NByte_Out"), kFieldLeft, fieldTop(6), kWideWidth);

    const std::array<QString, 4> creation{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("0"),
                                          QStringLiteral("5")};
    for (AddressOctets* address : {m_ip, m_sm, m_gat})
        address->setOctets(creation);
    E_EtherNetIP_NByte_In->setText(QStringLiteral("496"));
    E_EtherNetIP_NByte_Out->setText(QStringLiteral("496"));
}

void TFParGen::buildSerialPort(int port, QWidget* body) {
    const QString name = QLatin1String(kPortNames[port]);
    SerialPortControls& c = Serial[port];
    c.CB_Enable = check(body, QStringLiteral("CB_%1_Enable").arg(name), 1, kCheckWidth);
    c.L_Baud = namedLabel(body, QStringLiteral("L_%1_Baud").arg(name), 2);
    c.CB_Baud = list(body, QStringLiteral("CB_%1_Baud").arg(name), 2, kBaudRates);
    c.L_Parity = namedLabel(body, QStringLiteral("L_%1_Parity").arg(name), 3);
    c.CB_Parity = list(body, QStringLiteral("CB_%1_Parity").arg(name), 3, kParities);
    c.L_Stop_Bits = namedLabel(body, QStringLiteral("L_%1_Stop_Bits").arg(name), 4);
    c.CB_Stop_Bits = list(body, QStringLiteral("CB_%1_Stop_Bits").arg(name), 4, kStopBits);
    c.CB_Baud->setCurrentIndex(7); // "115200" until the first load succeeds
}

void TFParGen::Order_TAB_Panels() {
    // The numbered captions are set once: they keep the language the program started in.
    CP_Ethernet_Connection->setCaption(QStringLiteral("1. ") + m_state.msg(Text::EthernetCaption));
    CP_EtherNetIP->setCaption(QStringLiteral("2. ") + m_state.msg(Text::EtherNetIPCaption));
    for (int port = 0; port < 3; ++port)
        CP_Serial[port]->setCaption(QStringLiteral("%1. ").arg(port + 3) +
                                    m_state.msg(kPortTexts[port].at(TextSlot::PortCaption)));
    setKeyboardOrder();
}

void TFParGen::setKeyboardOrder() {
    std::vector<QWidget*> order{E_EthConn_Device_Name, CB_EthConn_En_DHCP_Cable, CB_EthConn_En_DHCP_WiFi,
                                CB_EthConn_Enable_DNS};
    for (const auto* fields :
         {&E_EthConn_Pri_DNS_IP, &E_EthConn_Sec_DNS_IP, &E_EtherNetIP_IP, &E_EtherNetIP_SM})
        order.insert(order.end(), fields->begin(), fields->end());
    order.push_back(CB_EtherNetIP_GAT);
    order.insert(order.end(), E_EtherNetIP_GAT.begin(), E_EtherNetIP_GAT.end());
    order.insert(order.end(), {E_EtherNetIP_TunnelPort, E_EtherNetIP_NByte_In, E_EtherNetIP_NByte_Out});
    for (const SerialPortControls& c : Serial)
        order.insert(order.end(), {c.CB_Enable, c.CB_Baud, c.CB_Parity, c.CB_Stop_Bits});
    order.insert(order.end(), {Btn_OK, Btn_Cancel});
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TFParGen::Set_Lang() {
    const ProgramState& s = m_state;
    setWindowTitle(s.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, s.msg(Text::Description));
    Btn_OK->setText(s.msg(Text::OkButton));
    Btn_Cancel->setText(s.msg(Text::CancelButton));
    Btn_OK->setToolTip(s.msg(Text::OkTip));
    Btn_Cancel->setToolTip(s.msg(Text::CancelTip));

    WindowLook::setLabelText(L_EthConn_Device_Name, s.msg(Text::DeviceName));
    E_EthConn_Device_Name->setToolTip(s.msg(Text::DeviceNameTip));
    CB_EthConn_En_DHCP_Cable->setText(s.msg(Text::DhcpCable));
    CB_EthConn_En_DHCP_Cable->setToolTip(s.msg(Text::DhcpCableTip));
    CB_EthConn_En_DHCP_WiFi->setText(s.msg(Text::DhcpWiFi));
    CB_EthConn_En_DHCP_WiFi->setToolTip(s.msg(Text::DhcpWiFiTip));
    CB_EthConn_Enable_DNS->setText(s.msg(Text::EnableDns));
    CB_EthConn_Enable_DNS->setToolTip(s.msg(Text::EnableDnsTip));
    WindowLook::setLabelText(L_EthConn_Primary_DNS, s.msg(Text::PrimaryDns));
    m_priDns->setToolTips(octetTips(s, Text::PrimaryDnsTips));
    WindowLook::setLabelText(L_EthConn_Secondary_DNS, s.msg(Text::SecondaryDns));
    m_secDns->setToolTips(octetTips(s, Text::SecondaryDnsTips));

    WindowLook::setLabelText(L_EtherNetIP_IP, s.msg(Text::Address));
    m_ip->setToolTips(octetTips(s, Text::AddressTips));
    WindowLook::setLabelText(L_EtherNetIP_SM, s.msg(Text::Mask));
    m_sm->setToolTips(octetTips(s, Text::MaskTips));
    CB_EtherNetIP_GAT->setText(s.msg(Text::Gateway));
    CB_EtherNetIP_GAT->setToolTip(s.msg(Text::GatewayTip));
    m_gat->setToolTips(octetTips(s, Text::GatewayTips));
    WindowLook::setLabelText(L_EtherNetIP_TunnelPort, s.msg(Text::TunnelPort));
    E_EtherNetIP_TunnelPort->setToolTip(s.msg(Text::TunnelPortTip));
    WindowLook::setLabelText(L_EtherNetIP_NByte_In, s.msg(Text::BytesIn));
    E_EtherNetIP_NByte_In->setToolTip(s.msg(Text::BytesInTip));
    WindowLook::setLabelText(L_EtherNetIP_NByte_Out, s.msg(Text::BytesOut));
    E_EtherNetIP_NByte_Out->setToolTip(s.msg(Text::BytesOutTip));

    for (int port = 0; port < 3; ++port) {
        const TextRange texts = kPortTexts[port];
        const SerialPortControls& c = Serial[port];
        c.CB_Enable->setText(s.msg(texts.at(TextSlot::PortEnable)));
        WindowLook::setLabelText(c.L_Baud, s.msg(texts.at(TextSlot::PortBaud)));
        WindowLook::setLabelText(c.L_Parity, s.msg(texts.at(TextSlot::PortParity)));
        WindowLook::setLabelText(c.L_Stop_Bits, s.msg(texts.at(TextSlot::PortStopBits)));
        c.CB_Enable->setToolTip(s.msg(texts.at(TextSlot::PortEnableTip)));
        c.CB_Baud->setToolTip(s.msg(texts.at(TextSlot::PortBaudTip)));
        c.CB_Parity->setToolTip(s.msg(texts.at(TextSlot::PortParityTip)));
        c.CB_Stop_Bits->setToolTip(s.msg(texts.at(TextSlot::PortStopBitsTip)));
    }
}

void TFParGen::Move_GroupBoxs() {
    RePosition_Object_Ethernet_Connection();
    RePosition_Object_EtherNetIP();
    for (int port = 0; port < 3; ++port)
        RePosition_Object_Serial(port);
    CPG->restack();
}

void TFParGen::RePosition_Object_Ethernet_Connection() {
    CP_Ethernet_Connection->setExpandedHeight(panelHeight(E_EthConn_Sec_DNS_IP[3]));
    // This product has no Wi-Fi.
    CB_EthConn_En_DHCP_WiFi->setChecked(false);
    CB_EthConn_En_DHCP_WiFi->setEnabled(false);
}

void TFParGen::RePosition_Object_EtherNetIP() {
    CP_EtherNetIP->setExpandedHeight(panelHeight(E_EtherNetIP_NByte_Out));
    // The DHCP server gives address, mask and gateway; the fields keep their texts meanwhile.
    const bool manual = !CB_EthConn_En_DHCP_Cable->isChecked();
    for (AddressOctets* address : {m_ip, m_sm, m_gat})
        address->setEnabled(manual);
}

void TFParGen::RePosition_Object_Serial(int port) {
    CP_Serial[port]->setExpandedHeight(panelHeight(Serial[port].CB_Stop_Bits));
}

ParGenSet TFParGen::fieldsToSet() const {
    ParGenSet set;
    set.Eth_Conn_Device_Name = E_EthConn_Device_Name->text();
    set.Eth_Conn_DHCP_Cable = CB_EthConn_En_DHCP_Cable->isChecked();
    set.Eth_Conn_DHCP_WiFi = CB_EthConn_En_DHCP_WiFi->isChecked();
    set.Eth_Conn_Enable_DNS = CB_EthConn_Enable_DNS->isChecked();
    set.Eth_Conn_Primary_DNS = m_priDns->octets();
    set.Eth_Conn_Secondary_DNS = m_secDns->octets();
    for (SerialPortSet* port : {&set.RS232, &set.RS485_1, &set.RS485_2}) {
        const SerialPortControls& c = Serial[port - &set.RS232];
        port->Enable = c.CB_Enable->isChecked();
        port->BaudIndex = c.CB_Baud->currentIndex();
        port->ParityIndex = c.CB_Parity->currentIndex();
        port->StopBitsIndex = c.CB_Stop_Bits->currentIndex();
    }
    set.EtherNetIP_IP = m_ip->octets();
    set.EtherNetIP_SM = m_sm->octets();
    set.EtherNetIP_GAT = m_gat->octets();
    set.EtherNetIP_EN_GAT = CB_EtherNetIP_GAT->isChecked();
    set.EtherNetIP_NB_Input = E_EtherNetIP_NByte_In->text();
    set.EtherNetIP_NB_Output = E_EtherNetIP_NByte_Out->text();
    return set;
}

void TFParGen::setToFields(const ParGenSet& set) {
    // The limit is on typing only: a longer stored name is shown and written back whole.
    E_EthConn_Device_Name->setMaxLength(std::max<int>(kHostNameTyping, set.Eth_Conn_Device_Name.size()));
    E_EthConn_Device_Name->setText(set.Eth_Conn_Device_Name);
    CB_EthConn_En_DHCP_Cable->setChecked(set.Eth_Conn_DHCP_Cable);
    CB_EthConn_En_DHCP_WiFi->setChecked(false);
    CB_EthConn_Enable_DNS->setChecked(set.Eth_Conn_Enable_DNS);
    m_priDns->setOctets(set.Eth_Conn_Primary_DNS);
    m_secDns->setOctets(set.Eth_Conn_Secondary_DNS);
    const SerialPortSet* ports[3] = {&set.RS232, &set.RS485_1, &set.RS485_2};
    for (int i = 0; i < 3; ++i) {
        Serial[i].CB_Enable->setChecked(ports[i]->Enable);
        Serial[i].CB_Baud->setCurrentIndex(ports[i]->BaudIndex);
        Serial[i].CB_Parity->setCurrentIndex(ports[i]->ParityIndex);
        Serial[i].CB_Stop_Bits->setCurrentIndex(ports[i]->StopBitsIndex);
    }
    m_ip->setOctets(set.EtherNetIP_IP);
    m_sm->setOctets(set.EtherNetIP_SM);
    m_gat->setOctets(set.EtherNetIP_GAT);
    CB_EtherNetIP_GAT->setChecked(set.EtherNetIP_EN_GAT);
    E_EtherNetIP_NByte_In->setText(set.EtherNetIP_NB_Input);
    E_EtherNetIP_NByte_Out->setText(set.EtherNetIP_NB_Output);
}

bool TFParGen::Controllo_Dati() {
    const std::optional<QString> failure = ::Controllo_Dati(fieldsToSet(), m_state.Msg_Catalog);
    if (failure)
        MessageBox::error(this, *failure);
    return !failure;
}

void TFParGen::Btn_OKClick() {
    if (!EditorSaveChecks::folderStillThere(this, m_state) || !Controllo_Dati())
        return;
    if (!EditorSaveChecks::mayReplace(this, m_state, m_read, m_state.File_ParGen, Text::ChangedOnDisk))
        return;
    QString error;
    if (!ParGen::save(m_state.File_ParGen, fieldsToSet(), &error)) {
        MessageBox::error(this, error);
        return;
    }
    accept();
}

void TFParGen::opened() {
    // Taken before the read: a document written in between is then seen as changed at OK.
    m_read = DiskSnapshot::take(m_state.File_ParGen);
    ParGenSet set;
    QString error;
    if (ParGen::load(m_state.File_ParGen, set, &error) == ParGen::LoadResult::Failed) {
        // The fields keep what they held, so OK rewrites the document from visible values.
        m_loaded = fieldsToSet();
        m_recorded = m_loaded;
        m_undo->clear();
        MessageBox::error(this, error);
        return;
    }
    setToFields(set);
    Move_GroupBoxs();
    m_loaded = fieldsToSet();
    m_recorded = m_loaded;
    m_undo->clear();
}

void TFParGen::closed() {
    m_undo->clear();
}

void TFParGen::noteChange(QObject* control) {
    const ParGenSet now = fieldsToSet();
    if (now == m_recorded)
        return;
    const auto show = [this](const ParGenSet& set) {
        m_recorded = set;
        setToFields(set);
        Move_GroupBoxs();
    };
    // Pushed as done: the fields already show it.
    auto* change = new ParGenChange(show, m_recorded, now, control);
    m_recorded = now;
    m_undo->push(change);
}

bool TFParGen::undoKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeyCombination pressed = key->keyCombination();
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
                      pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
    if (!undo && !redo)
        return false;
    // A field's own undo would take the key first; the window's history holds its typing too.
    event->accept();
    if (event->type() == QEvent::KeyPress)
        undo ? m_undo->undo() : m_undo->redo();
    return true;
}

bool TFParGen::hasUnsavedChanges() const {
    return fieldsToSet() != m_loaded;
}

void TFParGen::reject() {
    if (hasUnsavedChanges() && MessageBox::question(this, m_state.msg(Text::DiscardChanges),
                                                    MessageBox::Answer::No) != MessageBox::Answer::Yes)
        return;
    QDialog::reject();
}

void TFParGen::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // A screen lower than the window would hide the title bar above its top edge.
    const QScreen* screen = this->screen();
    const int screenTop = screen ? screen->geometry().top() : 0;
    if (frameGeometry().top() < screenTop)
        move(x(), screenTop);
}

bool TFParGen::FormMouseWheel(QWheelEvent* event) {
    const QPoint inGroup = CPG->viewport()->mapFromGlobal(event->globalPosition().toPoint());
    if (!CPG->viewport()->rect().contains(inGroup))
        return false;
    // Handled here, so a list under the pointer or with the focus never changes its entry.
    const int delta = event->angleDelta().y();
    const int lines = QApplication::wheelScrollLines();
    // A turn without vertical movement (a sideways tilt) scrolls nothing.
    if (delta != 0 && lines >= 1)
        CPG->scrollLines(lines, delta > 0);
    event->accept();
    return true;
}

bool TFParGen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel)
        return FormMouseWheel(static_cast<QWheelEvent*>(event));
    if (undoKey(event))
        return true;
    return QDialog::eventFilter(watched, event);
}
