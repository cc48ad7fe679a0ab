#include "gui/review/TFReviewFindings.h"

#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "gui/review/ReviewMarks.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>

namespace {

namespace Text = TextSlot::ReviewWindows;

constexpr int ClientWidth = 900;
constexpr int ClientHeight = 420;
constexpr int IntroHeight = 44;
constexpr int ButtonPanelHeight = 40;

enum Column { ColSeverity, ColRules, ColMessage, Columns };

QString ruleList(const QList<int>& rules) {
    QStringList numbers;
    for (int rule : rules)
        numbers << QString::number(rule);
    return numbers.join(QStringLiteral(", "));
}

} // namespace

TFReviewFindings::TFReviewFindings(const ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight), Sizing::Resizable,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint),
      m_state(state) {
    setObjectName(QStringLiteral("FReviewFindings"));
    setMinimumSize(400, 260);
    P_Title = addTitlePanel();

    L_Intro = new QLabel(this);
    L_Intro->setObjectName(QStringLiteral("L_Intro"));
    L_Intro->setWordWrap(true);
    L_Intro->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    SG_Findings = new QTableWidget(0, Columns, this);
    SG_Findings->setObjectName(QStringLiteral("SG_Findings"));
    SG_Findings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG_Findings->setSelectionBehavior(QAbstractItemView::SelectRows);
    SG_Findings->setWordWrap(true);
    SG_Findings->verticalHeader()->hide();
    SG_Findings->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QHeaderView* top = SG_Findings->horizontalHeader();
    top->setSectionResizeMode(ColSeverity, QHeaderView::Interactive);
    top->setSectionResizeMode(ColRules, QHeaderView::Interactive);
    top->setSectionResizeMode(ColMessage, QHeaderView::Stretch);
    top->setHighlightSections(false);
    SG_Findings->setColumnWidth(ColSeverity, 100);
    SG_Findings->setColumnWidth(ColRules, 80);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    Btn_Back = WindowLook::button(P_Button, QRect(18, 6, 110, 28));
    Btn_Back->setObjectName(QStringLiteral("Btn_Back"));
    Btn_Back->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    Btn_Back->setDefault(true);
    Btn_Proceed = WindowLook::button(P_Button, QRect(134, 6, 180, 28));
    Btn_Proceed->setObjectName(QStringLiteral("Btn_Proceed"));
    Btn_Proceed->setIcon(Pictures::picture(Pictures::Kind::Execute, 16));
    Btn_Proceed->setAutoDefault(false);
    connect(Btn_Back, &QPushButton::clicked, this, &QDialog::reject);
    connect(Btn_Proceed, &QPushButton::clicked, this, &QDialog::accept);

    Set_Lang();
}

void TFReviewFindings::Set_Lang() {
    setWindowTitle(m_state.msg(Text::FindingsTitle));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::FindingsDescription));
    L_Intro->setText(m_state.msg(Text::FindingsIntro));
    Btn_Back->setText(m_state.msg(Text::BackButton));
    Btn_Back->setToolTip(m_state.msg(Text::BackTip));
    Btn_Proceed->setText(m_state.msg(Text::ProceedButton));
    Btn_Proceed->setToolTip(m_state.msg(Text::ProceedTip));
    QStringList headers;
    for (int col = 0; col < Columns; ++col)
        headers << m_state.msg(Text::FindingsHeaders.at(col));
    SG_Findings->setHorizontalHeaderLabels(headers);
    fillTable();
}

void TFReviewFindings::showFindings(const QList<Review::Finding>& findings) {
    m_findings.clear();
    for (const Review::Finding& f : findings) {
        if (f.severity != Review::Severity::Note)
            m_findings << f;
    }
    fillTable();
    SG_Findings->scrollToTop();
}

void TFReviewFindings::fillTable() {
    SG_Findings->setRowCount(int(m_findings.size()));
    for (int row = 0; row < m_findings.size(); ++row) {
        const Review::Finding& f = m_findings[row];
        auto* severity = new QTableWidgetItem(ReviewMarks::picture(f.severity, 16),
                                              m_state.msg(ReviewMarks::nameSlot(f.severity)));
        severity->setBackground(ReviewMarks::colour(f.severity));
        SG_Findings->setItem(row, ColSeverity, severity);
        auto* rules = new QTableWidgetItem(ruleList(f.rules));
        rules->setTextAlignment(Qt::AlignCenter);
        SG_Findings->setItem(row, ColRules, rules);
        SG_Findings->setItem(row, ColMessage, new QTableWidgetItem(f.message));
    }
}

void TFReviewFindings::resizeEvent(QResizeEvent* event) {
    DialogBase::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int top = WindowLook::TitleHeight + IntroHeight;
    P_Title->setGeometry(0, 0, w, WindowLook::TitleHeight);
    L_Intro->setGeometry(16, WindowLook::TitleHeight, w - 32, IntroHeight);
    SG_Findings->setGeometry(0, top, w, h - top - ButtonPanelHeight);
    P_Button->setGeometry(0, h - ButtonPanelHeight, w, ButtonPanelHeight);
}
