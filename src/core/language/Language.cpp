#include "core/language/Language.h"

#include "core/shell/ProgramState.h"
#include "core/util/Paths.h"

#include <QFileInfo>

QString Load_Language(ProgramState& state, const QString& languageName) {
    state.Msg_Catalog.Build_Default_Texts();
    const QString chosen = joinPath(state.Dir_Language, languageName + QStringLiteral(".lng"));
    if (QFileInfo(chosen).isFile()) {
        state.Msg_Catalog.Load_Lng_File(chosen);
        return languageName;
    }
    const QString english = joinPath(state.Dir_Language, QStringLiteral("English.lng"));
    if (QFileInfo(english).isFile())
        state.Msg_Catalog.Load_Lng_File(english);
    return QStringLiteral("English");
}

void Load_Language(ProgramState& state) {
    state.Language_Name = Load_Language(state, state.Language_Name);
}
