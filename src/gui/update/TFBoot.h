#pragma once

#include "gui/shell/LanguageAware.h"

#include "gui/shell/WindowBase.h"
#include <QList>

class AddressOctets;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class MainWindowServices;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The device update window: the device's address, what to update, and Execute, which checks that
// the device answers before it hands the job to the updater.
class TFBoot : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    TFBoot(ProgramState& state, MainWindowServices& main, QWidget* parent = nullptr);
    void Set_Lang() override;

    // Prepares the window at every showing.
    void FormShow();
    void Btn_UpdateClick();
    // True when the latest echo request to the typed address was answered.
    bool Send_Ping();
    void PingReply(int bytesReceived);

    int Form_Type = 1;     // 1: Ethernet, the only mode of this product
    int ping_res = 0;      // latest echo request: 0 no result, 1 answered, 2 no answer
    int ping_requests = 0; // echo requests sent by the latest check

    WindowLook::TitlePanel* P_Title;
    QWidget* P_IP_Address;
    QWidget* P_Update_Options;
    QWidget* P_Buttons;
    QLabel* L_SW_Code;
    QLabel* L_SW_Desc;
    QLabel* L_IP_Address;
    QLineEdit* E_IP1;
    QLineEdit* E_IP2;
    QLineEdit* E_IP3;
    QLineEdit* E_IP4;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* L_Update_Option;
    QComboBox* CB_Update_Options;
    QCheckBox* CB_Update_Option_Read_Back;
    QPushButton* Btn_Cancel;
    QPushButton* Btn_Update;

public slots:
    void reject() override;

protected:
    void opened() override;

private:
    ProgramState& m_state;
    MainWindowServices& m_main;
    AddressOctets* m_address;
    bool m_checking = false;
};
