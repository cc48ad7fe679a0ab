#pragma once

#include "gui/shell/LanguageAware.h"

#include <QDialog>

struct ProgramState;

class TFParGen : public QDialog, public LanguageAware {
    Q_OBJECT
public:
    explicit TFParGen(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;

private:
    ProgramState& m_state;
};
