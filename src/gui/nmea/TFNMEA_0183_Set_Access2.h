#pragma once

#include "gui/shell/LanguageAware.h"

#include <QDialog>

struct ProgramState;

class TFNMEA_0183_Set_Access2 : public QDialog, public LanguageAware {
    Q_OBJECT
public:
    explicit TFNMEA_0183_Set_Access2(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;

private:
    ProgramState& m_state;
};
