#pragma once

#include "gui/shell/LanguageAware.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// Creates a configuration and makes it the active one.
class TFNew_Project : public QDialog, public LanguageAware {
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
    void showEvent(QShowEvent* event) override;

private:
    ProgramState& m_state;
};
