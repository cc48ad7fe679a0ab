#pragma once

#include <QString>
#include <QStringList>

// A configuration is a named folder under the projects folder, with a bin folder for the image.
namespace Configurations {

enum class CreateResult {
    Created,
    EmptyName,     // slot 107
    AlreadyExists, // slot 106
    NotValid,      // slot 105: cannot be created, or its folder would not be a child of the projects folder
};

// Creates projects/name and projects/name/bin. The name is taken as typed, but a name that holds
// a path separator, is "." or "..", or otherwise leaves the projects folder creates nothing.
CreateResult create(const QString& projectsDir, const QString& name);

// The folder of a remembered configuration: projects/name when the name is one that create()
// accepts and the folder exists, else empty (no configuration open).
QString existingFolder(const QString& projectsDir, const QString& name);

// The configuration folders, hidden ones left out, sorted without regard to case.
QStringList list(const QString& projectsDir);

// Index of the first name equal to name with the letters a to z folded to upper case, or -1.
int Search_Open_Conf(const QStringList& names, const QString& name);

} // namespace Configurations
