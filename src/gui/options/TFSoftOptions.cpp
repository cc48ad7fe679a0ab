#include "gui/options/TFSoftOptions.h"

#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"

TFSoftOptions::TFSoftOptions(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    WindowLook::apply(this);
    Set_Lang();
}

void TFSoftOptions::Set_Lang() {
    setWindowTitle(m_state.msg(300));
}
