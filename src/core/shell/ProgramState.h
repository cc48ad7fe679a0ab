#pragma once

#include "core/language/MessageCatalog.h"

#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>

// The program-wide state: one instance for the whole run, shared by every window.
struct ProgramState {
    QString Dir_Program;
    QString Dir_Master;
    QString Dir_Projects;
    QString Dir_Language;

    QString Active_Conf_Name;
    QString Active_Conf_Dir; // empty while no configuration is open
    QString File_ParGen;
    QString File_NMEA_Access;

    QString Last_IP_Address = QStringLiteral("192.168.2.205");
    QString Language_Name = QStringLiteral("English");
    bool Enable_Internet = false;
    bool Enable_Update = false;
    bool Enable_Jump_Field_Tables = false;
    bool Enable_Double_Click_Auto_Size = false;
    // The settings file keeps the windows' places (Window_Geometry) for the next start.
    bool Enable_Remember_Window_Sizes = false;
    // The rules window's position proposal also follows Logix's alignment of 2- and 4-byte values.
    bool Enable_Logix_Alignment = false;

    // Where a window the user may resize stood when it last closed, by its object name: it opens
    // there again in this run, and in the next when the option above is on.
    QMap<QString, QRect> Window_Geometry;

    // Live for one run only.
    int Update_Option_Index = 0;
    bool Update_Read_Back = true;

    MessageCatalog Msg_Catalog;

    // The row copied last in any table editor, one entry per data column ("Y"/"N" for check boxes).
    QStringList Row_Clipboard;
    QList<bool> Row_Clipboard_Checks;

    bool Conf_Is_Open() const { return !Active_Conf_Dir.isEmpty(); }
    QString msg(int slot) const { return Msg_Catalog.text(slot); }

    // Sets the program folder, written with the platform's separator, and the three folders in it.
    void setProgramFolder(const QString& folder);
    // File_ParGen and File_NMEA_Access from Active_Conf_Dir.
    void Set_Files();
    // Makes the named configuration the active one, or none for an empty name, and sets its paths.
    void openConfiguration(const QString& name);
    // The open configuration's folder has been removed or renamed since it was opened.
    bool activeFolderGone() const;
    // No configuration open, as at a start whose remembered folder is gone: the name stays, to be
    // written back to the settings.
    void closeConfiguration();
};
