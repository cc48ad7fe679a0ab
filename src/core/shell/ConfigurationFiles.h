#pragma once

#include <QString>

// The files of one configuration folder: the two documents the editors write and the image the
// compiler writes into its bin folder. Every part of the program that names them asks here.
struct ConfigurationFiles {
    explicit ConfigurationFiles(const QString& folder) : folder(folder) {}

    QString parGen() const;     // folder/ParGen.xml
    QString nmeaAccess() const; // folder/NMEA_0183_Set_Access.xml
    QString binFolder() const;  // folder/bin, made with the configuration
    QString bank() const;       // folder/bin/bank.bin

    QString folder;
};
