#include "gui/comm/TFParGen.h"

#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"

TFParGen::TFParGen(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    WindowLook::apply(this);
    Set_Lang();
}

void TFParGen::Set_Lang() {
    setWindowTitle(m_state.msg(400));
}
