#pragma once

#include "gui/shell/LanguageAware.h"

#include <QDialog>

struct ProgramState;

class TFBoot : public QDialog, public LanguageAware {
    Q_OBJECT
public:
    explicit TFBoot(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;

    int Form_Type = 1;

private:
    ProgramState& m_state;
};
