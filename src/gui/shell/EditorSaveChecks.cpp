#include "gui/shell/EditorSaveChecks.h"

#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "core/util/DiskSnapshot.h"
#include "gui/shell/MessageBox.h"

#include <QDir>

namespace EditorSaveChecks {

bool folderStillThere(QWidget* window, const ProgramState& state) {
    if (!state.activeFolderGone())
        return true;
    MessageBox::error(
        window,
        state.msg(TextSlot::Main::FolderGoneNotSaved).arg(QDir::toNativeSeparators(state.Active_Conf_Dir)));
    return false;
}

bool mayReplace(QWidget* window, const ProgramState& state, const DiskSnapshot& read, const QString& document,
                int questionSlot) {
    if (DiskSnapshot::take(document) == read)
        return true;
    return MessageBox::question(window, state.msg(questionSlot).arg(QDir::toNativeSeparators(document)),
                                MessageBox::Answer::No) == MessageBox::Answer::Yes;
}

} // namespace EditorSaveChecks
