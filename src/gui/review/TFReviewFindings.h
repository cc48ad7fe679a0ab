#pragma once

#include "core/review/Review.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/WindowBase.h"

#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The errors and warnings of the review, shown before a device update when there is an error:
// Back sends nothing, Update Anyway goes on to the update window (accepted).
class TFReviewFindings : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    TFReviewFindings(const ProgramState& state, QWidget* parent);
    void Set_Lang() override;

    // Lists the errors and warnings of findings, in their order; notes are left out.
    void showFindings(const QList<Review::Finding>& findings);

    WindowLook::TitlePanel* P_Title;
    QLabel* L_Intro;
    QTableWidget* SG_Findings;
    QWidget* P_Button;
    QPushButton* Btn_Back;
    QPushButton* Btn_Proceed;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillTable();

    const ProgramState& m_state;
    QList<Review::Finding> m_findings;
};
