#pragma once

#include "core/language/MessageCatalog.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/MainWindowServices.h"
#include "gui/shell/WindowBase.h"

#include <QList>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;
struct ProgramState;
class TFAbout;
class TFBoot;
class TFNMEA_0183_Set_Access2;
class TFNew_Project;
class TFOpenConf;
class TFParGen;
class TFReviewFindings;
class TFSoftOptions;

// The main window: product identity, the open configuration and one button per step of the work.
class TFTesselloreFirmWare : public WindowBase<QWidget>, public LanguageAware, public MainWindowServices {
    Q_OBJECT
public:
    // Runs the start-up: folders beside the program, settings, language, active configuration.
    TFTesselloreFirmWare(ProgramState& state, const QString& programFolder);
    ~TFTesselloreFirmWare() override;

    // Creates the other windows not made yet, hidden, in the order of programWindows(), but for
    // those made on demand. The program does without: each window is made when first used,
    // showing the current language then.
    void createWindows();

    void Set_Lang() override;
    void Change_Language() override;
    void Btn_Click(QObject* button);
    void Create_New_Project();
    void Open_Project();
    void Update_Device();
    void Timer_UpdateTimer();
    void Save_Setting();
    void Start_Program(const QString& NomeSW, const QString& Parameter, bool tipo) override;
    // Tests shorten the wait of Start_Program.
    void setStartProgramLimit(int milliseconds) { m_startProgramLimitMs = milliseconds; }

    ProgramState& state() { return m_state; }
    // Each makes its window on first use.
    TFNew_Project* newProjectWindow();
    TFOpenConf* openConfWindow();
    TFSoftOptions* softOptionsWindow();
    TFAbout* aboutWindow();
    TFParGen* parGenWindow();
    TFBoot* bootWindow();
    TFNMEA_0183_Set_Access2* nmeaAccessWindow();
    // Made when Update Device first finds an error in the configuration; null until then.
    TFReviewFindings* reviewFindingsWindow() const { return m_reviewFindings; }
    TFReviewFindings* makeReviewFindingsWindow();

    QLabel* L_SW_Code;
    QLabel* L_SW_Desc;
    QLabel* LL_Update;
    QLabel* L_Begin;
    QFrame* Shape2;
    QLabel* L_Name_Conf;
    QLabel* L_Name_Conf_L2;
    QToolButton* Btn_Info;
    QToolButton* Btn_Opz;
    QToolButton* Btn_Close;
    QList<QLabel*> L_Step; // L_Step_1 to L_Step_8; 5 to 8 hidden in this product
    QPushButton* Btn_New;
    QPushButton* Btn_Open;
    QPushButton* Btn_Prm_Gen;
    QPushButton* Btn_NMEA0183_Access;
    QPushButton* Btn_CreateBin;
    QList<QPushButton*> hiddenButtons; // editors of other products of the family
    QLabel* L_Norvane;
    QFrame* Shape1;
    QTimer* Timer_Update;

protected:
    void opened() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void showActiveConfiguration();
    // False, after saying so and closing the configuration, when the open configuration's folder
    // has been removed or renamed behind the program's back.
    bool configurationFolderStillThere();
    void setTimerFromOptions();
    template <typename Window, typename Make> Window* built(Window*& window, Make make);

    ProgramState& m_state;
    TFNew_Project* m_newProject = nullptr;
    TFOpenConf* m_openConf = nullptr;
    TFSoftOptions* m_softOptions = nullptr;
    TFAbout* m_about = nullptr;
    TFParGen* m_parGen = nullptr;
    TFBoot* m_boot = nullptr;
    TFNMEA_0183_Set_Access2* m_nmeaAccess = nullptr;
    TFReviewFindings* m_reviewFindings = nullptr;
    int m_startProgramLimitMs = 150000;
    // The texts the windows were built with when all were built at start.
    MessageCatalog m_startCatalog;
    bool m_languageChanged = false;
    // The program folder (or its PROJECTS) found to take no files at start; said once, when the
    // main window first opens.
    QString m_unwritableFolder;
};
