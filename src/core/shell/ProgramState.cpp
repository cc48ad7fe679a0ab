#include "core/shell/ProgramState.h"

#include "core/shell/ConfigurationFiles.h"
#include "core/util/Paths.h"

#include <QFileInfo>

void ProgramState::setProgramFolder(const QString& folder) {
    Dir_Program = programFolderPath(folder);
    Dir_Master = joinPath(Dir_Program, QStringLiteral("MASTER"));
    Dir_Projects = joinPath(Dir_Program, QStringLiteral("PROJECTS"));
    Dir_Language = joinPath(Dir_Program, QStringLiteral("LANGUAGE"));
}

void ProgramState::Set_Files() {
    const ConfigurationFiles files(Active_Conf_Dir);
    File_ParGen = files.parGen();
    File_NMEA_Access = files.nmeaAccess();
}

void ProgramState::openConfiguration(const QString& name) {
    Active_Conf_Name = name;
    Active_Conf_Dir = name.isEmpty() ? QString() : joinPath(Dir_Projects, name);
    Set_Files();
}

bool ProgramState::activeFolderGone() const {
    return Conf_Is_Open() && !QFileInfo(Active_Conf_Dir).isDir();
}

void ProgramState::closeConfiguration() {
    Active_Conf_Dir.clear();
    Set_Files();
}
