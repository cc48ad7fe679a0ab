#pragma once

#include <QString>

struct ProgramState;

// The program keeps its settings (Tessellor.xml) and the configurations (PROJECTS) beside itself.
// A program folder the user may not write to (a zip unpacked under Program Files) would lose both
// at the first save; the program says so at start instead.
namespace ProgramFolderAccess {

// The first of the program folder and the projects folder in which no file can be made, written
// with the platform's separator; empty when both take files.
QString unwritableFolder(const ProgramState& state);

} // namespace ProgramFolderAccess
