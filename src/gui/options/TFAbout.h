#pragma once

#include "gui/shell/WindowBase.h"

class QLabel;
class QPushButton;

// Names the software, its code, version and manual; its texts stay English in every language.
class TFAbout : public DialogBase {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);
    void Label4Click();

    QLabel* Image2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label10;
    QLabel* Label8;
    QLabel* Label12;
    QLabel* Label4;
    QPushButton* LbButton1;

protected:
    void opened() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
