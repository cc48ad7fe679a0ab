#pragma once

#include <QString>

class DiskSnapshot;
class QWidget;
struct ProgramState;

// What an editor checks at OK before it writes its document, so that a save never lands where
// the user did not mean it to: not into a configuration whose folder has gone, not over changes
// that another copy of the program has saved since the editor read the document.
namespace EditorSaveChecks {

// False, after saying so, when the open configuration's folder has been removed or renamed: the
// window stays open, so the user can put the folder back and save again.
bool folderStillThere(QWidget* window, const ProgramState& state);

// True when the document on disk is still what the window read, or when the user, asked with
// questionSlot (its %1 the document), chooses to replace the changes made elsewhere. The question
// defaults to No.
bool mayReplace(QWidget* window, const ProgramState& state, const DiskSnapshot& read, const QString& document,
                int questionSlot);

} // namespace EditorSaveChecks
