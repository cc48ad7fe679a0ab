#include "gui/shell/TFTesselloreFirmWare.h"

#include "core/image/BankCompiler.h"
#include "core/language/Language.h"
#include "core/language/TextSlots.h"
#include "core/options/VersionCheck.h"
#include "core/review/Review.h"
#include "core/shell/Configurations.h"
#include "core/shell/ProductIdentity.h"
#include "core/shell/ProgramFolderAccess.h"
#include "core/shell/ProgramState.h"
#include "core/shell/SettingsFile.h"
#include "gui/comm/TFParGen.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/options/TFAbout.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/review/TFReviewFindings.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/ProgramWindows.h"
#include "gui/shell/QtTranslation.h"
#include "gui/shell/TFNew_Project.h"
#include "gui/shell/TFOpenConf.h"
#include "gui/shell/WindowLook.h"
#include "gui/update/TFBoot.h"
#include "platform/ProgramRunner.h"
#include "platform/UrlOpener.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <type_traits>
#include <utility>

namespace {

namespace Text = TextSlot::Main;

QLabel* greyLabel(QWidget* parent, int left, int top, bool bold) {
    QLabel* label = WindowLook::label(parent, left, top);
    label->setFont(WindowLook::font(11, bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, WindowLook::TitleGrey);
    label->setPalette(palette);
    return label;
}

QToolButton* iconButton(QWidget* parent, int left, Pictures::Kind kind, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 8, 50, 50);
    button->setIcon(Pictures::picture(kind, 36));
    button->setIconSize(QSize(36, 36));
    button->setAutoRaise(true);
    return button;
}

QPushButton* stepButton(QWidget* parent, int left, int top, Pictures::Kind kind, const char* name) {
    QPushButton* button = WindowLook::button(parent, QRect(left, top, 170, 36));
    button->setObjectName(QLatin1String(name));
    button->setIcon(Pictures::picture(kind, 24));
    button->setIconSize(QSize(24, 24));
    button->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: 6px; }"
                                         "QPushButton:pressed { background-color: #FF8000; }"));
    return button;
}

} // namespace

TFTesselloreFirmWare::TFTesselloreFirmWare(ProgramState& state, const QString& programFolder)
    : WindowBase(nullptr, QSize(694, 396), Sizing::Fixed, FixedMainWindowFlags), m_state(state) {
    buildLayout();

    m_state.setProgramFolder(programFolder);
    for (const QString& folder : {m_state.Dir_Master, m_state.Dir_Projects, m_state.Dir_Language})
        QDir().mkdir(folder); // a folder that cannot be made fails later, where it is needed
    m_unwritableFolder = ProgramFolderAccess::unwritableFolder(m_state);

    m_state.Active_Conf_Name.clear();
    m_state.Update_Read_Back = true;
    m_state.Update_Option_Index = 0;
    SettingsFile::load(m_state);
    setTimerFromOptions();

    setWindowTitle(Product::SW_Title);
    WindowLook::setLabelText(L_SW_Code, Product::SW_Code);
    WindowLook::setLabelText(L_SW_Desc, Product::SW_Desc);

    Load_Language(m_state);
    useQtTranslation(m_state.Dir_Language, m_state.Language_Name);

    // The remembered name stays as read and is written back even when its folder is not opened.
    m_state.Active_Conf_Dir = Configurations::existingFolder(m_state.Dir_Projects, m_state.Active_Conf_Name);

    Set_Lang();
    m_startCatalog = m_state.Msg_Catalog;
    m_state.Set_Files();
    m_state.Row_Clipboard.clear();
    m_state.Row_Clipboard_Checks.clear();
}

TFTesselloreFirmWare::~TFTesselloreFirmWare() = default;

void TFTesselloreFirmWare::opened() {
    if (m_unwritableFolder.isEmpty())
        return;
    // After the main window is on screen, so the message stands in front of the program it is about.
    QTimer::singleShot(0, this, [this, folder = std::exchange(m_unwritableFolder, QString())] {
        MessageBox::warning(this, m_state.msg(TextSlot::ProgramFolder::NotWritable).arg(folder));
    });
}

void TFTesselloreFirmWare::buildLayout() {
    L_SW_Code = greyLabel(this, 16, 8, false);
    L_SW_Code->setObjectName(QStringLiteral("L_SW_Code"));
    L_SW_Code->setFont(WindowLook::font(32));
    L_SW_Desc = greyLabel(this, 16, 42, true);
    L_SW_Desc->setObjectName(QStringLiteral("L_SW_Desc"));

    LL_Update = new QLabel(this);
    LL_Update->setObjectName(QStringLiteral("LL_Update"));
    LL_Update->setGeometry(208, 19, 294, 17);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, [](const QString& link) { Platform::openUrl(link); });

    L_Begin = greyLabel(this, 16, 84, true);
    Shape2 = new QFrame(this);
    Shape2->setGeometry(80, 70, 348, 36);
    Shape2->setStyleSheet(QStringLiteral("QFrame { border: 1px solid silver; background: transparent; }"));
    L_Name_Conf = greyLabel(this, 87, 75, false);
    L_Name_Conf->setObjectName(QStringLiteral("L_Name_Conf"));
    L_Name_Conf_L2 = greyLabel(this, 87, 88, false);
    L_Name_Conf_L2->setObjectName(QStringLiteral("L_Name_Conf_L2"));

    Btn_Info = iconButton(this, 516, Pictures::Kind::Info, "Btn_Info");
    Btn_Opz = iconButton(this, 574, Pictures::Kind::Options, "Btn_Opz");
    Btn_Close = iconButton(this, 632, Pictures::Kind::Close, "Btn_Close");

    for (int i = 0; i < 8; ++i) {
        QLabel* step = greyLabel(this, 16, 128 + 44 * i, true);
        step->setObjectName(QStringLiteral("L_Step_%1").arg(i + 1));
        step->setVisible(i < 4);
        L_Step.append(step);
    }
    Btn_New = stepButton(this, 80, 112, Pictures::Kind::NewConfiguration, "Btn_New");
    Btn_Open = stepButton(this, 258, 112, Pictures::Kind::OpenConfiguration, "Btn_Open");
    Btn_Prm_Gen = stepButton(this, 80, 156, Pictures::Kind::Communication, "Btn_Prm_Gen");
    Btn_NMEA0183_Access = stepButton(this, 80, 200, Pictures::Kind::NmeaAccess, "Btn_NMEA0183_Access");
    Btn_CreateBin = stepButton(this, 80, 244, Pictures::Kind::UpdateDevice, "Btn_CreateBin");
    for (const char* name : {"Btn_PROFINET_XML", "Btn_PROFINET_Map", "Btn_MQTT_Set_Topic",
                             "Btn_EtherCAT_Set_Access", "Btn_EtherCAT_ESI_File"}) {
        QPushButton* hidden = stepButton(this, 80, 288, Pictures::Kind::Communication, name);
        hidden->hide();
        hiddenButtons.append(hidden);
    }

    L_Norvane = greyLabel(this, 565, 260, true);
    L_Norvane->setObjectName(QStringLiteral("L_Norvane"));
    L_Norvane->setCursor(Qt::PointingHandCursor);
    WindowLook::setLabelText(L_Norvane, Product::MakerWebAddress);
    L_Norvane->installEventFilter(this);

    Shape1 = new QFrame(this);
    Shape1->setGeometry(10, 295, 674, 1);
    Shape1->setStyleSheet(QStringLiteral("QFrame { background: silver; border: none; }"));

    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{Btn_New, Btn_Open, Btn_Close, Btn_Info, Btn_Opz, Btn_Prm_Gen,
                                                 Btn_NMEA0183_Access, Btn_CreateBin}) {
        connect(button, &QAbstractButton::clicked, this, [this, button] { Btn_Click(button); });
    }

    Timer_Update = new QTimer(this);
    Timer_Update->setInterval(60000);
    connect(Timer_Update, &QTimer::timeout, this, &TFTesselloreFirmWare::Timer_UpdateTimer);
    LL_Update->raise();
}

void TFTesselloreFirmWare::createWindows() {
    for (const ProgramWindow& window : programWindows()) {
        if (!window.onDemand)
            window.build(*this);
    }
}

// The windows are built only when first used, so that the first frame waits for none of them. A
// window is built as if at start, with the texts of the language of program start (some, like the
// numbered panel captions of the parameters window, keep those), then switched to the current
// language as Change_Language would have switched it.
template <typename Window, typename Make> Window* TFTesselloreFirmWare::built(Window*& window, Make make) {
    if (window)
        return window;
    std::swap(m_state.Msg_Catalog, m_startCatalog);
    window = make();
    std::swap(m_state.Msg_Catalog, m_startCatalog);
    if constexpr (std::is_base_of_v<LanguageAware, Window>) {
        if (m_languageChanged)
            window->Set_Lang();
    }
    return window;
}

TFNew_Project* TFTesselloreFirmWare::newProjectWindow() {
    return built(m_newProject, [this] { return new TFNew_Project(m_state, this); });
}

TFOpenConf* TFTesselloreFirmWare::openConfWindow() {
    return built(m_openConf, [this] { return new TFOpenConf(m_state, this); });
}

TFSoftOptions* TFTesselloreFirmWare::softOptionsWindow() {
    return built(m_softOptions, [this] { return new TFSoftOptions(m_state, *this, this); });
}

TFAbout* TFTesselloreFirmWare::aboutWindow() {
    return built(m_about, [this] { return new TFAbout(this); });
}

TFParGen* TFTesselloreFirmWare::parGenWindow() {
    return built(m_parGen, [this] { return new TFParGen(m_state, this); });
}

TFBoot* TFTesselloreFirmWare::bootWindow() {
    return built(m_boot, [this] { return new TFBoot(m_state, *this, this); });
}

TFNMEA_0183_Set_Access2* TFTesselloreFirmWare::nmeaAccessWindow() {
    return built(m_nmeaAccess, [this] { return new TFNMEA_0183_Set_Access2(m_state, this); });
}

TFReviewFindings* TFTesselloreFirmWare::makeReviewFindingsWindow() {
    return built(m_reviewFindings, [this] { return new TFReviewFindings(m_state, this); });
}

void TFTesselloreFirmWare::Set_Lang() {
    WindowLook::setLabelText(L_Begin, m_state.msg(Text::Begin));
    for (int i = 0; i < L_Step.size(); ++i)
        WindowLook::setLabelText(L_Step[i], m_state.msg(Text::Steps.at(i)));
    Btn_Info->setToolTip(m_state.msg(Text::InfoTip));
    Btn_Opz->setToolTip(m_state.msg(Text::OptionsTip));
    Btn_Close->setToolTip(m_state.msg(Text::CloseTip));
    Btn_New->setText(m_state.msg(Text::NewButton));
    Btn_Open->setText(m_state.msg(Text::OpenButton));
    Btn_CreateBin->setText(m_state.msg(Text::UpdateButton));
    Btn_Prm_Gen->setText(m_state.msg(Text::CommunicationButton));
    Btn_NMEA0183_Access->setText(m_state.msg(Text::NmeaAccessButton));
    Btn_New->setToolTip(m_state.msg(Text::NewTip));
    Btn_Open->setToolTip(m_state.msg(Text::OpenTip));
    Btn_Prm_Gen->setToolTip(m_state.msg(Text::CommunicationTip));
    Btn_NMEA0183_Access->setToolTip(m_state.msg(Text::NmeaAccessTip));
    Btn_CreateBin->setToolTip(m_state.msg(Text::UpdateTip));
    for (int i = 0; i < hiddenButtons.size(); ++i) {
        hiddenButtons[i]->setText(m_state.msg(Text::HiddenButtons.at(i)));
        hiddenButtons[i]->setToolTip(m_state.msg(Text::HiddenButtonTips.at(i)));
    }
    showActiveConfiguration();
}

void TFTesselloreFirmWare::showActiveConfiguration() {
    if (m_state.Conf_Is_Open()) {
        WindowLook::setLabelText(L_Name_Conf, m_state.msg(Text::OpenConfiguration));
        WindowLook::setLabelText(L_Name_Conf_L2, m_state.Active_Conf_Name);
    } else {
        WindowLook::setLabelText(L_Name_Conf, m_state.msg(Text::NoConfiguration));
        WindowLook::setLabelText(L_Name_Conf_L2, m_state.msg(Text::NoConfigurationHint));
    }
}

bool TFTesselloreFirmWare::configurationFolderStillThere() {
    if (!m_state.activeFolderGone())
        return true;
    const QString folder = QDir::toNativeSeparators(m_state.Active_Conf_Dir);
    m_state.closeConfiguration();
    showActiveConfiguration();
    MessageBox::error(this, m_state.msg(Text::ConfigurationGone).arg(folder));
    return false;
}

void TFTesselloreFirmWare::Change_Language() {
    // A window not built yet takes the new texts when it is built.
    m_languageChanged = true;
    useQtTranslation(m_state.Dir_Language, m_state.Language_Name);
    for (const ProgramWindow& entry : programWindows()) {
        if (auto* window = dynamic_cast<LanguageAware*>(entry.existing(*this)))
            window->Set_Lang();
    }
}

void TFTesselloreFirmWare::Btn_Click(QObject* button) {
    if (button == Btn_New) {
        Create_New_Project();
    } else if (button == Btn_Open) {
        Open_Project();
    } else if (button == Btn_Close) {
        close();
    } else if (button == Btn_Info) {
        aboutWindow()->exec();
    } else if (button == Btn_Opz) {
        if (softOptionsWindow()->exec() == QDialog::Accepted) {
            Save_Setting();
            setTimerFromOptions();
        }
    } else if (button == Btn_Prm_Gen || button == Btn_NMEA0183_Access || button == Btn_CreateBin) {
        if (!m_state.Conf_Is_Open()) {
            MessageBox::error(this, m_state.msg(Text::ProjectNotValid));
            return;
        }
        if (!configurationFolderStillThere())
            return;
        if (button == Btn_Prm_Gen)
            parGenWindow()->exec();
        else if (button == Btn_NMEA0183_Access)
            nmeaAccessWindow()->exec();
        else
            Update_Device();
        // The folder may have gone while a window was open over it.
        configurationFolderStillThere();
    }
}

void TFTesselloreFirmWare::Create_New_Project() {
    if (newProjectWindow()->exec() == QDialog::Accepted)
        showActiveConfiguration();
}

void TFTesselloreFirmWare::Open_Project() {
    if (openConfWindow()->exec() != QDialog::Accepted)
        return;
    m_state.openConfiguration(m_openConf->Name_Conf);
    showActiveConfiguration();
}

void TFTesselloreFirmWare::Update_Device() {
    // The updater writes whatever bank.bin holds: without a fresh image the step stops here.
    BankImage image;
    CompileError compileError;
    if (!Compile_Bank(m_state.File_ParGen, m_state.File_NMEA_Access, image, &compileError)) {
        const QString file = QDir::toNativeSeparators(compileError.file);
        MessageBox::error(this,
                          compileError.kind == CompileError::Kind::TooManyRules
                              ? QStringLiteral("%1\n%2\n%3")
                                    .arg(m_state.msg(Text::TooManyRules), file, compileError.message)
                              : QStringLiteral("%1%2\n%3")
                                    .arg(m_state.msg(Text::DocumentNotReadable), file, compileError.message));
        return;
    }
    QString saveError;
    if (!Save_Bank(m_state.Active_Conf_Dir, image, &saveError)) {
        MessageBox::error(this,
                          QStringLiteral("%1%2\n%3")
                              .arg(m_state.msg(Text::ImageNotWritten),
                                   QDir::toNativeSeparators(bankPath(m_state.Active_Conf_Dir)), saveError));
        return;
    }
    // An error means the device would not do what the windows show: the user sees the findings
    // first and chooses. Warnings and notes alone leave the step as it was.
    const Review::Result review =
        Review::reviewDocuments(m_state.File_ParGen, m_state.File_NMEA_Access, m_state.Msg_Catalog);
    if (review.count(Review::Severity::Error) > 0) {
        makeReviewFindingsWindow()->showFindings(review.findings);
        if (m_reviewFindings->exec() != QDialog::Accepted)
            return;
    }
    bootWindow()->Form_Type = 1;
    m_boot->exec();
}

void TFTesselloreFirmWare::Timer_UpdateTimer() {
    Timer_Update->stop();
    if (softOptionsWindow()->Check_Version()) {
        WindowLook::setLabelText(LL_Update, VersionCheck::downloadLink(m_state.msg(Text::NewVersionLink)));
        LL_Update->show();
    } else {
        LL_Update->hide();
    }
    Timer_Update->setInterval(7200000);
    Timer_Update->start();
}

void TFTesselloreFirmWare::Start_Program(const QString& NomeSW, const QString& Parameter, bool tipo) {
    // The wait processes no messages: the windows stay as they are until the program ends.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const Platform::RunEnd end =
        Platform::startAndWait(NomeSW, Parameter, tipo, m_startProgramLimitMs, &error);
    QApplication::restoreOverrideCursor();
    // Without this box a program that is missing would fail without a word.
    if (end == Platform::RunEnd::NotStarted)
        MessageBox::error(this, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(NomeSW), error));
}

void TFTesselloreFirmWare::setTimerFromOptions() {
    // A running timer keeps its time; one switched on runs with the interval it has: a minute until
    // its first check, two hours from then on.
    if (m_state.Enable_Internet && m_state.Enable_Update) {
        if (!Timer_Update->isActive())
            Timer_Update->start();
    } else {
        Timer_Update->stop();
    }
}

void TFTesselloreFirmWare::Save_Setting() {
    QString error;
    if (!SettingsFile::save(m_state, &error))
        MessageBox::error(
            this, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(SettingsFile::path(m_state)), error));
}

void TFTesselloreFirmWare::closeEvent(QCloseEvent* event) {
    Save_Setting();
    event->accept();
}

bool TFTesselloreFirmWare::eventFilter(QObject* watched, QEvent* event) {
    if (watched == L_Norvane && WindowLook::isLeftClick(event)) {
        Platform::openUrl(Product::homePageUrl());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
