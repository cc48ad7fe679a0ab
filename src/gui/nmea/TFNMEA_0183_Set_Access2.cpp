#include "gui/nmea/TFNMEA_0183_Set_Access2.h"

#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"

TFNMEA_0183_Set_Access2::TFNMEA_0183_Set_Access2(ProgramState& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    WindowLook::apply(this);
    Set_Lang();
}

void TFNMEA_0183_Set_Access2::Set_Lang() {
    setWindowTitle(m_state.msg(1000));
}
