#include "gui/shell/TFNew_Project.h"

#include "core/language/TextSlots.h"
#include "core/shell/Configurations.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/PrintableEdit.h"
#include "gui/shell/WindowLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
namespace Text = TextSlot::NewProject;
}

TFNew_Project::TFNew_Project(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(331, 162)), m_state(state) {
    P_Title = addTitlePanel();
    Label1 = WindowLook::label(this, 16, 70);
    E_New_Proj = new QLineEdit(this);
    keepPrintable(E_New_Proj);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    E_New_Proj->setGeometry(16, 94, 297, 21);
    auto* buttons = new QWidget(this);
    buttons->setGeometry(0, 122, 331, 40);
    Btn_OK = WindowLook::button(buttons, QRect(85, 6, 110, 28));
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_Cancel = WindowLook::button(buttons, QRect(203, 6, 110, 28));
    Btn_Cancel->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    for (QPushButton* b : {Btn_OK, Btn_Cancel})
        b->setAutoDefault(false);
    connect(Btn_OK, &QPushButton::clicked, this, &TFNew_Project::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter in the name field acts as OK.
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &TFNew_Project::Btn_OKClick);
    Set_Lang();
}

void TFNew_Project::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    WindowLook::setLabelText(Label1, m_state.msg(Text::NameLabel));
    Btn_OK->setText(m_state.msg(Text::OkButton));
    Btn_Cancel->setText(m_state.msg(Text::CancelButton));
    E_New_Proj->setToolTip(m_state.msg(Text::NameTip));
    Btn_OK->setToolTip(m_state.msg(Text::OkTip));
    Btn_Cancel->setToolTip(m_state.msg(Text::CancelTip));
}

void TFNew_Project::opened() {
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void TFNew_Project::Btn_OKClick() {
    const QString name = E_New_Proj->text();
    int refusal = 0;
    switch (Configurations::create(m_state.Dir_Projects, name)) {
    case Configurations::CreateResult::EmptyName:
        refusal = Text::EmptyName;
        break;
    case Configurations::CreateResult::AlreadyExists:
        refusal = Text::AlreadyExists;
        break;
    case Configurations::CreateResult::NotValid:
        refusal = Text::NameNotValid;
        break;
    case Configurations::CreateResult::Created:
        m_state.openConfiguration(name);
        accept();
        return;
    }
    MessageBox::error(this, m_state.msg(refusal));
    // The box, or a click on OK, took the focus: the name is typed over at once.
    E_New_Proj->setFocus();
    E_New_Proj->selectAll();
}
