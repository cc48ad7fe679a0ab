#pragma once

#include "gui/shell/LanguageAware.h"

#include "gui/shell/WindowBase.h"

class QLabel;
class QLineEdit;
class QPushButton;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// Creates a configuration and makes it the active one.
class TFNew_Project : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    explicit TFNew_Project(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;
    void Btn_OKClick();

    WindowLook::TitlePanel* P_Title;
    QLabel* Label1;
    QLineEdit* E_New_Proj;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

protected:
    void opened() override;

private:
    ProgramState& m_state;
};
