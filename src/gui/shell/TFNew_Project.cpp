#include "gui/shell/TFNew_Project.h"

#include "core/shell/Configurations.h"
#include "core/shell/ProductIdentity.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TFNew_Project::TFNew_Project(ProgramState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state) {
    WindowLook::apply(this);
    WindowLook::setFixedClientSize(this, 331, 162);
    P_Title = new WindowLook::TitlePanel(this);
    P_Title->setGeometry(0, 0, 331, 69);
    WindowLook::setLabelText(P_Title->L_SW_Code, Product::SW_Code);
    Label1 = WindowLook::label(this, 16, 70);
    E_New_Proj = new QLineEdit(this);
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
    setWindowTitle(m_state.msg(100));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(101));
    WindowLook::setLabelText(Label1, m_state.msg(102));
    Btn_OK->setText(m_state.msg(103));
    Btn_Cancel->setText(m_state.msg(104));
    E_New_Proj->setToolTip(m_state.msg(108));
    Btn_OK->setToolTip(m_state.msg(109));
    Btn_Cancel->setToolTip(m_state.msg(110));
}

void TFNew_Project::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new opening.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    E_New_Proj->clear();
    E_New_Proj->setFocus();
    WindowLook::centreOnScreen(this);
    QDialog::showEvent(event);
}

void TFNew_Project::Btn_OKClick() {
    const QString name = E_New_Proj->text();
    int refusal = 0;
    switch (Configurations::create(m_state.Dir_Projects, name)) {
    case Configurations::CreateResult::EmptyName:
        refusal = 107;
        break;
    case Configurations::CreateResult::AlreadyExists:
        refusal = 106;
        break;
    case Configurations::CreateResult::NotValid:
        refusal = 105;
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
