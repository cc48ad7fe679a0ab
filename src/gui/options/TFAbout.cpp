#include "gui/options/TFAbout.h"

#include "core/shell/ProductIdentity.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"
#include "platform/UrlOpener.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

TFAbout::TFAbout(QWidget* parent) : DialogBase(parent, QSize(425, 148)) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(0x33, 0x33, 0x33));
    setPalette(palette);
    setWindowTitle(QStringLiteral("About..."));

    Image2 = new QLabel(this);
    Image2->setGeometry(32, 24, 81, 81);
    Image2->setPixmap(Pictures::picture(Pictures::Kind::Product, 81));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    Label1 = WindowLook::label(this, 128, 24, QStringLiteral("Software Tessellor "));
    Label1->setFont(WindowLook::font(13, true));
    Label1->adjustSize();
    Label2 = WindowLook::label(this, 128, 39, Product::SW_Desc);
    Label6 = WindowLook::label(this, 128, 62, QStringLiteral("Software Code : "));
    Label9 = WindowLook::label(this, 240, 62, Product::SW_Code);
    Label3 = WindowLook::label(this, 128, 77, QStringLiteral("Version :"));
    Label10 = WindowLook::label(this, 240, 77, Product::SW_Version);
    Label8 = WindowLook::label(this, 128, 93, QStringLiteral("Document Code :"));
    Label12 = WindowLook::label(this, 240, 93, QStringLiteral("MN73052"));
    Label4 = WindowLook::label(this, 316, 131, Product::MakerWebAddress);
    QFont linkFont = Label4->font();
    linkFont.setUnderline(true);
    Label4->setFont(linkFont);
    Label4->setStyleSheet(QStringLiteral("color: blue;"));
    Label4->adjustSize();
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->installEventFilter(this);

    LbButton1 = WindowLook::button(this, QRect(32, 115, 81, 22));
    LbButton1->setText(QStringLiteral("OK"));
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);
}

void TFAbout::opened() {
    Label2->setText(Product::SW_Desc);
    Label2->adjustSize();
}

void TFAbout::Label4Click() {
    Platform::openUrl(Product::homePageUrl());
}

bool TFAbout::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label4 || watched == Image2) && WindowLook::isLeftClick(event)) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
