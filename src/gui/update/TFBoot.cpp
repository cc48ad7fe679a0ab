#include "gui/update/TFBoot.h"

#include "core/language/TextSlots.h"
#include "core/shell/ProductIdentity.h"
#include "core/shell/ProgramState.h"
#include "core/update/UpdateAddress.h"
#include "core/update/UpdaterParameters.h"
#include "core/util/Paths.h"
#include "gui/shell/AddressOctets.h"
#include "gui/shell/MainWindowServices.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"
#include "platform/IcmpEcho.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

namespace Text = TextSlot::Boot;

constexpr int ClientWidth = 449;
constexpr int AddressHeight = 49;
constexpr int OptionsHeight = 72;
constexpr int ButtonsHeight = 40;
// The panels stack from the top; the window is as high as the four together.
constexpr int ClientHeight = WindowLook::TitleHeight + AddressHeight + OptionsHeight + ButtonsHeight;

const QByteArray PingData = QByteArrayLiteral("abcdefghijklmnopqrstuvwa");
constexpr int PingTimeoutMs = 400;
constexpr int PingCheckMs = 5000;
constexpr int PingAnswersNeeded = 2;

QWidget* panel(QWidget* parent, const char* name) {
    auto* result = new QWidget(parent);
    result->setObjectName(QLatin1String(name));
    return result;
}

QPushButton* pictureButton(QWidget* parent, const QRect& geometry, Pictures::Kind kind, const char* name) {
    QPushButton* button = WindowLook::button(parent, geometry);
    button->setObjectName(QLatin1String(name));
    button->setIcon(Pictures::picture(kind, 20));
    button->setIconSize(QSize(20, 20));
    return button;
}

} // namespace

TFBoot::TFBoot(ProgramState& state, MainWindowServices& main, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight)), m_state(state), m_main(main) {
    P_Title = addTitlePanel();
    L_SW_Code = P_Title->L_SW_Code;
    L_SW_Desc = P_Title->L_SW_Desc;

    P_IP_Address = panel(this, "P_IP_Address");
    L_IP_Address = WindowLook::label(P_IP_Address, 16, 4);
    L_IP_Address->setObjectName(QStringLiteral("L_IP_Address"));
    m_address = new AddressOctets(P_IP_Address, QStringLiteral("E_IP"),
                                  {{35, 91, 147, 203}, 23, 41, {83, 139, 193}, 31});
    m_address->setSelectOnFocus(true);
    m_address->setOctets(
        {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    E_IP1 = m_address->fields()[0];
    E_IP2 = m_address->fields()[1];
    E_IP3 = m_address->fields()[2];
    E_IP4 = m_address->fields()[3];
    Label2 = m_address->dots()[0];
    Label3 = m_address->dots()[1];
    Label4 = m_address->dots()[2];

    P_Update_Options = panel(this, "P_Update_Options");
    L_Update_Option = WindowLook::label(P_Update_Options, 16, 4);
    L_Update_Option->setObjectName(QStringLiteral("L_Update_Option"));
    CB_Update_Options = new QComboBox(P_Update_Options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    CB_Update_Options->setEditable(false);
    CB_Update_Options->setGeometry(35, 23, 382, 22);
    CB_Update_Option_Read_Back = new QCheckBox(P_Update_Options);
    CB_Update_Option_Read_Back->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
    CB_Update_Option_Read_Back->setGeometry(16, 50, 401, 17);

    P_Buttons = panel(this, "P_Buttons");
    Btn_Cancel = pictureButton(P_Buttons, QRect(16, 6, 110, 28), Pictures::Kind::Cancel, "Btn_Cancel");
    Btn_Update = pictureButton(P_Buttons, QRect(132, 6, 228, 28), Pictures::Kind::Execute, "Btn_Update");
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFBoot::reject);
    connect(Btn_Update, &QPushButton::clicked, this, &TFBoot::Btn_UpdateClick);

    QWidget::setTabOrder(E_IP1, E_IP2);
    QWidget::setTabOrder(E_IP2, E_IP3);
    QWidget::setTabOrder(E_IP3, E_IP4);
    QWidget::setTabOrder(E_IP4, CB_Update_Options);
    QWidget::setTabOrder(CB_Update_Options, CB_Update_Option_Read_Back);
    QWidget::setTabOrder(CB_Update_Option_Read_Back, Btn_Cancel);
    QWidget::setTabOrder(Btn_Cancel, Btn_Update);

    Set_Lang();
}

void TFBoot::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(L_SW_Desc, m_state.msg(Text::Description));
    WindowLook::setLabelText(L_IP_Address, m_state.msg(Text::AddressLabel));
    WindowLook::setLabelText(L_Update_Option, m_state.msg(Text::OptionsLabel));
    CB_Update_Options->clear();
    CB_Update_Options->addItems({m_state.msg(Text::Options.at(UpdateFirmwareAndConfiguration)),
                                 m_state.msg(Text::Options.at(UpdateFirmware)),
                                 m_state.msg(Text::Options.at(UpdateConfiguration))});
    CB_Update_Options->setCurrentIndex(0);
    CB_Update_Option_Read_Back->setText(m_state.msg(Text::ReadBack));
    Btn_Cancel->setText(m_state.msg(Text::CancelButton));
    Btn_Update->setText(m_state.msg(Text::UpdateButton));
    m_address->setToolTips({m_state.msg(Text::AddressTips.at(0)), m_state.msg(Text::AddressTips.at(1)),
                            m_state.msg(Text::AddressTips.at(2)), m_state.msg(Text::AddressTips.at(3))});
    CB_Update_Options->setToolTip(m_state.msg(Text::OptionsTip));
    CB_Update_Option_Read_Back->setToolTip(m_state.msg(Text::ReadBackTip));
    Btn_Cancel->setToolTip(m_state.msg(Text::CancelTip));
    Btn_Update->setToolTip(m_state.msg(Text::UpdateTip));
}

void TFBoot::FormShow() {
    Set_Lang();
    WindowLook::setLabelText(L_SW_Code, Product::SW_Code);

    int top = 0;
    const std::pair<QWidget*, int> panels[] = {{P_Title, WindowLook::TitleHeight},
                                               {P_IP_Address, AddressHeight},
                                               {P_Update_Options, OptionsHeight},
                                               {P_Buttons, ButtonsHeight}};
    for (const auto& [widget, height] : panels) {
        widget->setGeometry(0, top, ClientWidth, height);
        widget->show();
        top += height;
    }

    std::array<QString, 4> octets;
    if (!m_state.Last_IP_Address.isEmpty() && Split_IP_Address(m_state.Last_IP_Address, octets))
        m_address->setOctets(octets);
    const int option = m_state.Update_Option_Index;
    CB_Update_Options->setCurrentIndex(option >= 0 && option < CB_Update_Options->count() ? option : 0);
    CB_Update_Option_Read_Back->setChecked(m_state.Update_Read_Back);

    if (E_IP1->isEnabled()) {
        E_IP1->setFocus();
        E_IP1->selectAll();
    }
}

void TFBoot::opened() {
    FormShow();
}

void TFBoot::reject() {
    // The check runs with the window's messages flowing; the window stays until it has ended.
    if (m_checking)
        return;
    QDialog::reject();
}

void TFBoot::PingReply(int bytesReceived) {
    ping_res = bytesReceived > 0 ? 1 : 2;
}

bool TFBoot::Send_Ping() {
    ping_res = 0;
    ping_requests = 0;
    QElapsedTimer sinceStart;
    sinceStart.start();

    // The fields hold octets, so the target is taken only as a dotted decimal address, never
    // looked up as a name, and the device checked is the one the updater is told about.
    const std::optional<std::array<quint8, 4>> target = dottedDecimalAddress(m_address->text());
    if (!target)
        return false;
    Platform::IcmpEcho echo;
    if (!echo.open(*target, nullptr))
        return false;

    int answers = 0;
    for (;;) {
        QElapsedTimer sinceAttempt;
        sinceAttempt.start();
        if (!echo.send(PingData, PingTimeoutMs, nullptr))
            return false;
        ++ping_requests;
        for (;;) {
            int bytesReceived = 0;
            const Platform::IcmpEcho::Wait waited = echo.wait(10, &bytesReceived, nullptr);
            if (waited == Platform::IcmpEcho::Wait::Error)
                return false;
            if (waited == Platform::IcmpEcho::Wait::Answer) {
                PingReply(bytesReceived);
                break;
            }
            QCoreApplication::processEvents();
            if (sinceAttempt.elapsed() > PingTimeoutMs) {
                PingReply(0);
                break;
            }
        }
        if (ping_res == 1)
            ++answers;
        if (answers >= PingAnswersNeeded || sinceStart.elapsed() > PingCheckMs)
            break;
    }
    return ping_res == 1;
}

void TFBoot::Btn_UpdateClick() {
    if (m_checking)
        return;
    const QString address = m_address->text();

    // Nothing can be changed or pressed again while the check runs, so the address and choices
    // that are remembered and written are the ones that were checked.
    m_checking = true;
    QWidget* focused = focusWidget();
    const QList<QWidget*> panels{P_IP_Address, P_Update_Options, P_Buttons};
    for (QWidget* widget : panels)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool answered = Send_Ping();
    QApplication::restoreOverrideCursor();
    for (QWidget* widget : panels)
        widget->setEnabled(true);
    if (focused)
        focused->setFocus();
    m_checking = false;

    if (!answered) {
        if (ping_res == 2)
            MessageBox::warning(this, m_state.msg(Text::DeviceNotFound));
        else
            MessageBox::error(this, m_state.msg(Text::AddressNotValid));
        return;
    }

    m_state.Last_IP_Address = address;
    m_state.Update_Option_Index = CB_Update_Options->currentIndex();
    m_state.Update_Read_Back = CB_Update_Option_Read_Back->isChecked();

    QString error;
    if (!Compile_XML_Parameter(m_state, address, m_state.Update_Option_Index, m_state.Update_Read_Back,
                               &error)) {
        MessageBox::error(
            this,
            QStringLiteral("%1\n%2").arg(
                QDir::toNativeSeparators(joinPath(m_state.Dir_Program, updaterParameterName())), error));
        return;
    }
    m_main.Start_Program(joinPath(m_state.Dir_Program, updaterProgramName()), QString(), false);
}
