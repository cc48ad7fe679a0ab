#pragma once

#include <QString>

struct ProgramState;

// Fills the catalog with the built-in texts, then the language file of languageName; falls back to
// English.lng and then to the built-in texts. Returns the language now in the catalog: languageName,
// or "English" when it fell back. Language_Name is left as it is.
QString Load_Language(ProgramState& state, const QString& languageName);

// The same for Language_Name, which becomes "English" when it falls back.
void Load_Language(ProgramState& state);
