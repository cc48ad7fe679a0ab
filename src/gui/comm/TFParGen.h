#pragma once

#include "gui/shell/LanguageAware.h"

#include "gui/shell/WindowBase.h"

#include "core/comm/ParGen.h"
#include "core/util/DiskSnapshot.h"

#include <array>
#include <vector>

class AddressOctets;
class CategoryPanel;
class CategoryPanelGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QUndoStack;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The controls of one serial port panel (RS232, RS485 1, RS485 2).
struct SerialPortControls {
    QCheckBox* CB_Enable = nullptr;
    QLabel* L_Baud = nullptr;
    QComboBox* CB_Baud = nullptr;
    QLabel* L_Parity = nullptr;
    QComboBox* CB_Parity = nullptr;
    QLabel* L_Stop_Bits = nullptr;
    QComboBox* CB_Stop_Bits = nullptr;
};

// "Set Communication": edits the communication parameters of the open configuration. The fields
// are the only copy of the set while the window is open: each opening reloads ParGen.xml and OK
// rewrites it from the fields.
class TFParGen : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    explicit TFParGen(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;

    void Move_GroupBoxs();
    // The data check: shows the first failure and refuses the save.
    bool Controllo_Dati();
    void Btn_OKClick();
    // The fields differ from the set they showed when the window opened.
    bool hasUnsavedChanges() const;
    // Cancel, Escape and the close box: asks before throwing away unsaved parameters.
    void reject() override;
    // Every change the user makes is a step of this history, which ends when the window closes;
    // typing in one field is one step until another control changes.
    QUndoStack* undoStack() const { return m_undo; }

    WindowLook::TitlePanel* P_Title;
    CategoryPanelGroup* CPG;
    QWidget* P_Button;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

    CategoryPanel* CP_Ethernet_Connection;
    QLabel* L_EthConn_Device_Name;
    QLineEdit* E_EthConn_Device_Name;
    QCheckBox* CB_EthConn_En_DHCP_Cable;
    QCheckBox* CB_EthConn_En_DHCP_WiFi;
    QCheckBox* CB_EthConn_Enable_DNS;
    QLabel* L_EthConn_Primary_DNS;
    std::array<QLineEdit*, 4> E_EthConn_Pri_DNS_IP;
    QLabel* L_EthConn_Secondary_DNS;
    std::array<QLineEdit*, 4> E_EthConn_Sec_DNS_IP;

    CategoryPanel* CP_EtherNetIP;
    QLabel* L_EtherNetIP_IP;
    std::array<QLineEdit*, 4> E_EtherNetIP_IP;
    QLabel* L_EtherNetIP_SM;
    std::array<QLineEdit*, 4> E_EtherNetIP_SM;
    QCheckBox* CB_EtherNetIP_GAT;
    std::array<QLineEdit*, 4> E_EtherNetIP_GAT;
    QLabel* L_EtherNetIP_TunnelPort;
    QLineEdit* E_EtherNetIP_TunnelPort;
    QLabel* L_EtherNetIP_NByte_In;
    QLineEdit* E_EtherNetIP_NByte_In;
    QLabel* L_EtherNetIP_NByte_Out;
    QLineEdit* E_EtherNetIP_NByte_Out;

    // RS232, RS485 1, RS485 2 in panel order.
    std::array<CategoryPanel*, 3> CP_Serial;
    std::array<SerialPortControls, 3> Serial;

protected:
    void opened() override;
    void closed() override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildEthernetConnection(QWidget* body);
    void buildEtherNetIP(QWidget* body);
    void buildSerialPort(int port, QWidget* body);
    void Order_TAB_Panels();
    void setKeyboardOrder();
    void RePosition_Object_Ethernet_Connection();
    void RePosition_Object_EtherNetIP();
    void RePosition_Object_Serial(int port);

    ParGenSet fieldsToSet() const;
    void setToFields(const ParGenSet& set);
    // The fields changed by the user in control: a step of the history when they differ from the
    // set last recorded.
    void noteChange(QObject* control);
    bool undoKey(QEvent* event);
    bool FormMouseWheel(QWheelEvent* event);

    ProgramState& m_state;
    ParGenSet m_loaded;
    ParGenSet m_recorded; // the fields as the history last saw them
    QUndoStack* m_undo;
    DiskSnapshot m_read; // the document as it was read when the window opened
    AddressOctets* m_priDns = nullptr;
    AddressOctets* m_secDns = nullptr;
    AddressOctets* m_ip = nullptr;
    AddressOctets* m_sm = nullptr;
    AddressOctets* m_gat = nullptr;
};
