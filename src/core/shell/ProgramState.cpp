#include "core/shell/ProgramState.h"

#include "core/shell/Paths.h"

void ProgramState::setProgramFolder(const QString& folder) {
    Dir_Program = programFolderPath(folder);
    Dir_Master = joinPath(Dir_Program, QStringLiteral("MASTER"));
    Dir_Projects = joinPath(Dir_Program, QStringLiteral("PROJECTS"));
    Dir_Language = joinPath(Dir_Program, QStringLiteral("LANGUAGE"));
}

void ProgramState::Set_Files() {
    File_ParGen = joinPath(Active_Conf_Dir, QStringLiteral("ParGen.xml"));
    File_NMEA_Access = joinPath(Active_Conf_Dir, QStringLiteral("NMEA_0183_Set_Access.xml"));
}

void ProgramState::openConfiguration(const QString& name) {
    Active_Conf_Name = name;
    Active_Conf_Dir = name.isEmpty() ? QString() : joinPath(Dir_Projects, name);
    Set_Files();
}
