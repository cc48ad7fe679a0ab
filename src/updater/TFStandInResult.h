#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;
namespace WindowLook {
class TitlePanel;
}

// The stand-in updater's only window: says that nothing was written to any device and lists what
// was checked, line for line as in the log, until OK. English only: the stand-in is no part of the
// product and reads no language file.
class TFStandInResult : public QDialog {
    Q_OBJECT
public:
    TFStandInResult(const QStringList& lines, bool ok, QWidget* parent = nullptr);

    WindowLook::TitlePanel* P_Title;
    QLabel* L_Stand_In;
    QListWidget* LB_Checks;
    QLabel* L_Result;
    QPushButton* Btn_OK;

protected:
    void showEvent(QShowEvent* event) override;
};
