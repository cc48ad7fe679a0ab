#pragma once

struct ProgramState;

// The built-in texts, then the language file of Language_Name; falls back to English.lng and then
// to the built-in texts, setting Language_Name to "English" when it falls back.
void Load_Language(ProgramState& state);
