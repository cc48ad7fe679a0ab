#include "gui/update/TFBoot.h"

#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"

TFBoot::TFBoot(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    WindowLook::apply(this);
    Set_Lang();
}

void TFBoot::Set_Lang() {
    setWindowTitle(m_state.msg(802));
}
