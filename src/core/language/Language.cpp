#include "core/language/Language.h"

#include "core/shell/Paths.h"
#include "core/shell/ProgramState.h"

#include <QFileInfo>

void Load_Language(ProgramState& state) {
    state.Msg_Catalog.Build_Default_Texts();
    const QString chosen = joinPath(state.Dir_Language, state.Language_Name + QStringLiteral(".lng"));
    if (QFileInfo(chosen).isFile()) {
        state.Msg_Catalog.Load_Lng_File(chosen);
        return;
    }
    state.Language_Name = QStringLiteral("English");
    const QString english = joinPath(state.Dir_Language, QStringLiteral("English.lng"));
    if (QFileInfo(english).isFile())
        state.Msg_Catalog.Load_Lng_File(english);
}
