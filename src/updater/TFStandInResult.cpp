#include "updater/TFStandInResult.h"

#include "core/shell/ProductIdentity.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int Width = 600;
constexpr int Height = 360;

} // namespace

TFStandInResult::TFStandInResult(const QStringList& lines, bool ok, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TFStandInResult"));
    setWindowTitle(QStringLiteral("Ethernet_Update (stand-in)"));
    setWindowIcon(Pictures::picture(Pictures::Kind::UpdateDevice, 32));
    WindowLook::apply(this);
    WindowLook::setFixedClientSize(this, Width, Height);

    P_Title = new WindowLook::TitlePanel(this);
    P_Title->setGeometry(0, 0, Width, 69);
    WindowLook::setLabelText(P_Title->L_SW_Code, Product::SW_Code);
    WindowLook::setLabelText(P_Title->L_SW_Desc, QStringLiteral("Ethernet_Update - stand-in updater"));

    L_Stand_In = new QLabel(this);
    L_Stand_In->setObjectName(QStringLiteral("L_Stand_In"));
    L_Stand_In->setWordWrap(true);
    L_Stand_In->setGeometry(16, 74, Width - 32, 34);
    L_Stand_In->setText(
        QStringLiteral("This is the stand-in for the maker's updater. It checked the update below and wrote "
                       "nothing to any device: no device was contacted."));

    LB_Checks = new QListWidget(this);
    LB_Checks->setObjectName(QStringLiteral("LB_Checks"));
    LB_Checks->setGeometry(16, 112, Width - 32, 170);
    LB_Checks->setSelectionMode(QAbstractItemView::NoSelection);
    LB_Checks->setFocusPolicy(Qt::NoFocus);
    // An operation's line holds a whole path: wrapped, it is read without scrolling sideways.
    LB_Checks->setWordWrap(true);
    LB_Checks->setTextElideMode(Qt::ElideNone);
    LB_Checks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LB_Checks->setResizeMode(QListView::Adjust);
    LB_Checks->addItems(lines);

    L_Result = new QLabel(this);
    L_Result->setObjectName(QStringLiteral("L_Result"));
    L_Result->setFont(WindowLook::font(11, true));
    QPalette palette = L_Result->palette();
    palette.setColor(QPalette::WindowText, ok ? QColor(0x00, 0x80, 0x00) : QColor(0xC0, 0x00, 0x00));
    L_Result->setPalette(palette);
    L_Result->move(16, 290);
    WindowLook::setLabelText(
        L_Result, ok ? QStringLiteral("All checks passed. The real updater would now write the device.")
                     : QStringLiteral("A check failed. The real updater would not write the device."));

    auto* buttons = new QWidget(this);
    buttons->setGeometry(0, Height - 40, Width, 40);
    Btn_OK = WindowLook::button(buttons, QRect(Width - 126, 6, 110, 28));
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_OK->setText(QStringLiteral("OK"));
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_OK->setDefault(true);
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
}

void TFStandInResult::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        Btn_OK->setFocus();
        WindowLook::centreOnScreen(this);
    }
    QDialog::showEvent(event);
}
