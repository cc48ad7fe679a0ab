#pragma once

#include "gui/shell/LanguageAware.h"

#include "gui/shell/WindowBase.h"
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// Lists the existing configurations and returns the chosen one in Name_Conf.
class TFOpenConf : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    explicit TFOpenConf(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;
    void Load_Existing_Configuration();

    QStringList SL;
    QString Name_Conf; // kept from one showing to the next

    WindowLook::TitlePanel* P_Title;
    QLabel* Label1;
    QListWidget* ListBox1;
    QWidget* P_Button;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

protected:
    void opened() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ProgramState& m_state;
};
