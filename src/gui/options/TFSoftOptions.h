#pragma once

#include "gui/shell/LanguageAware.h"

#include "gui/shell/WindowBase.h"
#include <QList>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class MainWindowServices;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The program's own options: the language, the internet and update check, conveniences of the
// table editors, keeping the windows' places, and the rules' positions aligned for
// Logix. A language picked here applies at once; the rest on OK.
class TFSoftOptions : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    TFSoftOptions(ProgramState& state, MainWindowServices& main, QWidget* parent = nullptr);
    void Set_Lang() override;

    void Create_Lang_List();
    void Update_Lang_Page(int page);
    void Btn_NextClick(QObject* sender);
    // Entry 1 to 6 of the page on show, by its picture or its label.
    void LangClick(int entry);
    void Update_CheckBox();
    void CB_En_ConClick();
    void Btn_OKClick();
    void Btn_Check_UpdateClick();
    void LL_Check_UpdateLinkClick(const QString& link);

    // Asks the maker's server whether a newer version exists; also used by the main window's timer.
    bool Check_Version();

    QStringList SL_Languages;
    int Show_Page = 1;
    QString Language_In_Use;

    WindowLook::TitlePanel* P_Title;
    QTabWidget* PC_Options;
    QWidget* TS_Language;
    QWidget* TS_Con_Options;
    QWidget* TS_Soft_Settings;
    QLabel* L_Sel_Lang;
    QList<QLabel*> I_L; // I_L1 to I_L6
    QList<QLabel*> L_L; // L_L1 to L_L6
    QPushButton* Btn_Prev;
    QLabel* L_Page_Lang;
    QPushButton* Btn_Next;
    QCheckBox* CB_En_Con;
    QCheckBox* CB_Update;
    QPushButton* Btn_Check_Update;
    QLabel* LL_Check_Update;
    QCheckBox* CB_Soft_Set_Jump_Table;
    QCheckBox* CB_DoubleClick_Auto_Size;
    QCheckBox* CB_Remember_Window_Sizes;
    QCheckBox* CB_Align_For_Logix;
    QWidget* P_Button;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

protected:
    void opened() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPageLabel(int page);
    void showFlag(QLabel* picture, const QString& languageName);

    ProgramState& m_state;
    MainWindowServices& m_main;
};
