#include "gui/options/TFSoftOptions.h"

#include "core/language/Language.h"
#include "core/language/TextSlots.h"
#include "core/options/LanguageList.h"
#include "core/options/VersionCheck.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/MainWindowServices.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"
#include "platform/HttpGet.h"
#include "platform/UrlOpener.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>

namespace {

namespace Text = TextSlot::Options;

constexpr int kClientWidth = 509;
constexpr int kClientHeight = 373;
constexpr int kButtonBandHeight = 40;
constexpr int kFlagSize = 48;

struct EntryPlace {
    QPoint picture;
    QPoint label;
};
// Entries 1 to 3 fill the left column from the top, 4 to 6 the right one.
constexpr EntryPlace kEntries[LanguageList::EntriesPerPage] = {
    {{24, 40}, {80, 56}},   {{26, 94}, {80, 110}},   {{24, 148}, {80, 164}},
    {{254, 40}, {310, 56}}, {{254, 94}, {310, 110}}, {{254, 148}, {310, 164}},
};

QWidget* page(QTabWidget* tabs, const char* name) {
    auto* result = new QWidget(tabs);
    result->setObjectName(QLatin1String(name));
    WindowLook::apply(result);
    return result;
}

QCheckBox* checkBox(QWidget* parent, int left, int top, const char* name) {
    auto* result = new QCheckBox(parent);
    result->setObjectName(QLatin1String(name));
    result->move(left, top);
    return result;
}

// A flag drawn unscaled from the top-left, clipped to the picture area, with the colour of its
// bottom-left pixel see-through.
QPixmap flagPixmap(const QImage& bitmap) {
    QImage flag = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = flag.pixel(0, flag.height() - 1) & RGB_MASK;
    for (int y = 0; y < flag.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(flag.scanLine(y));
        for (int x = 0; x < flag.width(); ++x) {
            if ((line[x] & RGB_MASK) == transparent)
                line[x] = 0;
        }
    }
    QPixmap result(kFlagSize, kFlagSize);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawImage(0, 0, flag);
    return result;
}

} // namespace

TFSoftOptions::TFSoftOptions(ProgramState& state, MainWindowServices& main, QWidget* parent)
    : DialogBase(parent, QSize(kClientWidth, kClientHeight)), m_state(state), m_main(main) {
    P_Title = addTitlePanel();

    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    PC_Options->setGeometry(0, WindowLook::TitleHeight, kClientWidth,
                            kClientHeight - WindowLook::TitleHeight - kButtonBandHeight);

    TS_Language = page(PC_Options, "TS_Language");
    L_Sel_Lang = WindowLook::label(TS_Language, 12, 11);
    L_Sel_Lang->setObjectName(QStringLiteral("L_Sel_Lang"));
    L_Sel_Lang->setTextFormat(Qt::PlainText);
    for (int i = 0; i < LanguageList::EntriesPerPage; ++i) {
        auto* picture = new QLabel(TS_Language);
        picture->setObjectName(QStringLiteral("I_L%1").arg(i + 1));
        picture->setGeometry(QRect(kEntries[i].picture, QSize(kFlagSize, kFlagSize)));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QLabel* name = WindowLook::label(TS_Language, kEntries[i].label.x(), kEntries[i].label.y());
        name->setObjectName(QStringLiteral("L_L%1").arg(i + 1));
        name->setTextFormat(Qt::PlainText); // a file name, never markup
        for (QLabel* control : {picture, name}) {
            control->setCursor(Qt::PointingHandCursor);
            control->installEventFilter(this);
        }
        I_L.append(picture);
        L_L.append(name);
    }
    Btn_Prev = WindowLook::button(TS_Language, QRect(12, 204, 110, 28));
    Btn_Prev->setObjectName(QStringLiteral("Btn_Prev"));
    L_Page_Lang = WindowLook::label(TS_Language, 220, 212);
    L_Page_Lang->setObjectName(QStringLiteral("L_Page_Lang"));
    Btn_Next = WindowLook::button(TS_Language, QRect(379, 205, 110, 28));
    Btn_Next->setObjectName(QStringLiteral("Btn_Next"));
    for (QPushButton* button : {Btn_Prev, Btn_Next})
        connect(button, &QPushButton::clicked, this, [this, button] { Btn_NextClick(button); });

    TS_Con_Options = page(PC_Options, "TS_Con_Options");
    CB_En_Con = checkBox(TS_Con_Options, 12, 16, "CB_En_Con");
    CB_Update = checkBox(TS_Con_Options, 36, 47, "CB_Update");
    Btn_Check_Update = WindowLook::button(TS_Con_Options, QRect(36, 78, 204, 28));
    Btn_Check_Update->setObjectName(QStringLiteral("Btn_Check_Update"));
    connect(Btn_Check_Update, &QPushButton::clicked, this, &TFSoftOptions::Btn_Check_UpdateClick);
    LL_Check_Update = WindowLook::label(TS_Con_Options, 40, 120);
    LL_Check_Update->setObjectName(QStringLiteral("LL_Check_Update"));
    LL_Check_Update->setTextFormat(Qt::RichText);
    LL_Check_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(LL_Check_Update, &QLabel::linkActivated, this, &TFSoftOptions::LL_Check_UpdateLinkClick);

    TS_Soft_Settings = page(PC_Options, "TS_Soft_Settings");
    CB_Soft_Set_Jump_Table = checkBox(TS_Soft_Settings, 12, 16, "CB_Soft_Set_Jump_Table");
    CB_DoubleClick_Auto_Size = checkBox(TS_Soft_Settings, 12, 39, "CB_DoubleClick_Auto_Size");
    // Below the two of the layout, on the same steps.
    CB_Remember_Window_Sizes = checkBox(TS_Soft_Settings, 12, 62, "CB_Remember_Window_Sizes");
    CB_Align_For_Logix = checkBox(TS_Soft_Settings, 12, 85, "CB_Align_For_Logix");

    for (QWidget* tab : {TS_Language, TS_Con_Options, TS_Soft_Settings})
        PC_Options->addTab(tab, QString());
    for (QCheckBox* box : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size})
        connect(box, &QCheckBox::toggled, this, &TFSoftOptions::CB_En_ConClick);

    P_Button = new QWidget(this);
    P_Button->setGeometry(0, kClientHeight - kButtonBandHeight, kClientWidth, kButtonBandHeight);
    Btn_OK = WindowLook::button(P_Button, QRect(16, 6, 110, 28));
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_Cancel = WindowLook::button(P_Button, QRect(134, 6, 110, 28));
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    Btn_Cancel->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    connect(Btn_OK, &QPushButton::clicked, this, &TFSoftOptions::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    PC_Options->setCurrentWidget(TS_Con_Options);
    Set_Lang();
}

void TFSoftOptions::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), m_state.msg(Text::LanguageTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), m_state.msg(Text::ConnectionTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Soft_Settings), m_state.msg(Text::SettingsTab));
    WindowLook::setLabelText(L_Sel_Lang, m_state.msg(Text::SelectedLanguage));
    WindowLook::setLabelText(L_Page_Lang, m_state.msg(Text::PageBefore) + QStringLiteral("1") +
                                              m_state.msg(Text::PageBetween) + QStringLiteral("1"));
    Btn_Prev->setText(m_state.msg(Text::PreviousButton));
    Btn_Next->setText(m_state.msg(Text::NextButton));
    CB_En_Con->setText(m_state.msg(Text::EnableInternet));
    CB_Update->setText(m_state.msg(Text::CheckAtStart));
    Btn_Check_Update->setText(m_state.msg(Text::CheckUpdateButton));
    Btn_OK->setText(m_state.msg(Text::OkButton));
    Btn_Cancel->setText(m_state.msg(Text::CancelButton));
    CB_Soft_Set_Jump_Table->setText(m_state.msg(Text::JumpInTables));
    CB_DoubleClick_Auto_Size->setText(m_state.msg(Text::DoubleClickAutoSize));
    CB_Remember_Window_Sizes->setText(m_state.msg(Text::RememberWindowSizes));
    CB_Align_For_Logix->setText(m_state.msg(Text::AlignForLogix));
    for (QCheckBox* box : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size,
                           CB_Remember_Window_Sizes, CB_Align_For_Logix})
        WindowLook::fitToText(box); // those on pages not shown are fitted when their page is
}

void TFSoftOptions::opened() {
    Language_In_Use = m_state.Language_Name;
    Create_Lang_List();
    Update_CheckBox();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(m_state.Enable_Internet);
    CB_Update->setChecked(m_state.Enable_Update);
    CB_Soft_Set_Jump_Table->setChecked(m_state.Enable_Jump_Field_Tables);
    CB_DoubleClick_Auto_Size->setChecked(m_state.Enable_Double_Click_Auto_Size);
    CB_Remember_Window_Sizes->setChecked(m_state.Enable_Remember_Window_Sizes);
    CB_Align_For_Logix->setChecked(m_state.Enable_Logix_Alignment);
    Update_CheckBox();
}

void TFSoftOptions::Create_Lang_List() {
    SL_Languages = LanguageList::list(m_state.Dir_Language);
    Show_Page = 1;
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::showPageLabel(int page) {
    WindowLook::setLabelText(L_Page_Lang, m_state.msg(Text::PageBefore) + QString::number(page) +
                                              m_state.msg(Text::PageBetween) +
                                              QString::number(LanguageList::pageCount(SL_Languages.size())));
}

void TFSoftOptions::Update_Lang_Page(int page) {
    const int n = int(SL_Languages.size());
    WindowLook::setLabelText(L_Sel_Lang, m_state.msg(Text::SelectedLanguage) + Language_In_Use);
    showPageLabel(page);
    Btn_Prev->setVisible(page != 1);
    // Also hidden on the empty list, where there is no next page either.
    Btn_Next->setVisible(page < LanguageList::pageCount(n));
    const int shown = LanguageList::entriesOnPage(n, page);
    for (int i = 0; i < LanguageList::EntriesPerPage; ++i) {
        const bool onPage = i < shown;
        L_L[i]->setVisible(onPage);
        I_L[i]->setVisible(onPage);
        if (!onPage)
            continue;
        const QString name =
            LanguageList::languageName(SL_Languages[(page - 1) * LanguageList::EntriesPerPage + i]);
        WindowLook::setLabelText(L_L[i], name);
        showFlag(I_L[i], name);
    }
}

void TFSoftOptions::showFlag(QLabel* picture, const QString& languageName) {
    const QString file = LanguageList::flagFile(m_state.Dir_Language, languageName);
    const QImage bitmap = file.isEmpty() ? QImage() : QImage(file);
    // A flag that cannot be read is treated like a missing one: the label stands alone.
    if (bitmap.isNull()) {
        picture->clear();
        picture->hide();
        return;
    }
    picture->setPixmap(flagPixmap(bitmap));
}

void TFSoftOptions::Btn_NextClick(QObject* sender) {
    if (sender == Btn_Next && LanguageList::pageCount(int(SL_Languages.size())) >= Show_Page + 1)
        ++Show_Page;
    else if (sender == Btn_Prev && Show_Page - 1 > 0)
        --Show_Page;
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::LangClick(int entry) {
    const int index = (Show_Page - 1) * LanguageList::EntriesPerPage + entry - 1;
    if (entry < 1 || entry > LanguageList::EntriesPerPage || index >= SL_Languages.size())
        return;
    const QString chosen = LanguageList::languageName(SL_Languages[index]);
    const QString question = m_state.msg(Text::ChangeLanguageFrom) + Language_In_Use +
                             m_state.msg(Text::ChangeLanguageTo) + chosen +
                             m_state.msg(Text::ChangeLanguageEnd);
    if (MessageBox::question(this, question) != MessageBox::Answer::Yes)
        return;

    Language_In_Use = chosen;
    // The new texts go on screen now; Language_Name, and the settings file, change only on OK.
    Load_Language(m_state, chosen);
    m_main.Change_Language();
    WindowLook::setLabelText(L_Sel_Lang, m_state.msg(Text::SelectedLanguage) + Language_In_Use);
    showPageLabel(Show_Page);
}

void TFSoftOptions::Update_CheckBox() {
    // A disabled check box keeps its mark.
    CB_Update->setEnabled(CB_En_Con->isChecked());
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked());
}

void TFSoftOptions::CB_En_ConClick() {
    Update_CheckBox();
}

void TFSoftOptions::Btn_OKClick() {
    m_state.Language_Name = Language_In_Use;
    m_state.Enable_Internet = CB_En_Con->isChecked();
    // Stored from its mark even while disabled, so the choice survives switching the internet off.
    m_state.Enable_Update = CB_Update->isChecked();
    m_state.Enable_Jump_Field_Tables = CB_Soft_Set_Jump_Table->isChecked();
    m_state.Enable_Double_Click_Auto_Size = CB_DoubleClick_Auto_Size->isChecked();
    m_state.Enable_Remember_Window_Sizes = CB_Remember_Window_Sizes->isChecked();
    m_state.Enable_Logix_Alignment = CB_Align_For_Logix->isChecked();
    // The main window writes the settings and sets its update timer when this returns OK.
    accept();
}

bool TFSoftOptions::Check_Version() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool newer = ::Check_Version(Platform::httpGet);
    QApplication::restoreOverrideCursor();
    return newer;
}

void TFSoftOptions::Btn_Check_UpdateClick() {
    if (Check_Version())
        WindowLook::setLabelText(LL_Check_Update,
                                 VersionCheck::downloadLink(m_state.msg(Text::NewVersionLink)));
    else
        WindowLook::setLabelText(LL_Check_Update, m_state.msg(Text::NoUpdate).toHtmlEscaped());
    LL_Check_Update->show();
}

void TFSoftOptions::LL_Check_UpdateLinkClick(const QString& link) {
    Platform::openUrl(link);
}

bool TFSoftOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < LanguageList::EntriesPerPage; ++i) {
            if (watched == I_L[i] || watched == L_L[i]) {
                LangClick(i + 1);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
