#pragma once

#include <QString>

struct ProgramState;

// Tessellor.xml beside the program: the remembered configuration, device address, language and
// the option flags and, when kept, the windows' places.
namespace SettingsFile {

QString path(const ProgramState& state);

// Reads every item on its own; a missing or unreadable file, or a missing item, gives that
// item's default. Active_Conf_Dir is not touched.
void load(ProgramState& state);

// The whole document as written.
QByteArray serialize(const ProgramState& state);

// Rewrites the file whole. Returns false, with the reason, when it cannot be written.
bool save(const ProgramState& state, QString* error = nullptr);

} // namespace SettingsFile
