#include "gui/shell/TFOpenConf.h"

#include "core/language/TextSlots.h"
#include "core/shell/Configurations.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
namespace Text = TextSlot::OpenConf;
}

TFOpenConf::TFOpenConf(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(377, 351), Sizing::Resizable, Qt::Dialog), m_state(state) {
    setMinimumSize(300, 220);
    P_Title = addTitlePanel();
    Label1 = WindowLook::label(this, 16, 70);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    P_Button = new QWidget(this);
    Btn_OK = WindowLook::button(P_Button, QRect(0, 6, 110, 28));
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_Cancel = WindowLook::button(P_Button, QRect(0, 6, 110, 28));
    Btn_Cancel->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            Name_Conf = ListBox1->item(row)->text();
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    Set_Lang();
}

void TFOpenConf::resizeEvent(QResizeEvent* event) {
    // The list grows with the window; the buttons keep to its right edge.
    const int w = width();
    const int h = height();
    P_Title->setGeometry(0, 0, w, WindowLook::TitleHeight);
    ListBox1->setGeometry(16, 94, w - 32, h - 94 - 40 - 8);
    P_Button->setGeometry(0, h - 40, w, 40);
    Btn_Cancel->move(w - 126, 6);
    Btn_OK->move(w - 244, 6);
    QDialog::resizeEvent(event);
}

void TFOpenConf::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    WindowLook::setLabelText(Label1, m_state.msg(Text::ListLabel));
    Btn_OK->setText(m_state.msg(Text::OkButton));
    Btn_Cancel->setText(m_state.msg(Text::CancelButton));
    ListBox1->setToolTip(m_state.msg(Text::ListTip));
    Btn_OK->setToolTip(m_state.msg(Text::OkTip));
    Btn_Cancel->setToolTip(m_state.msg(Text::CancelTip));
}

void TFOpenConf::Load_Existing_Configuration() {
    SL = Configurations::list(m_state.Dir_Projects);
}

void TFOpenConf::opened() {
    Load_Existing_Configuration();
    // Rebuilding the list selects nothing, so an empty list leaves Name_Conf as it was.
    ListBox1->clear();
    ListBox1->addItems(SL);
    // The open configuration is the part of Active_Conf_Dir after the projects folder.
    QString open;
    const QString prefix = m_state.Dir_Projects + QDir::separator();
    if (m_state.Active_Conf_Dir.startsWith(prefix))
        open = m_state.Active_Conf_Dir.mid(prefix.size());
    const int found = Configurations::Search_Open_Conf(SL, open);
    if (found >= 0)
        ListBox1->setCurrentRow(found);
    else if (!SL.isEmpty())
        ListBox1->setCurrentRow(0);
}
