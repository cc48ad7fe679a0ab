#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the stand-in updater checks before it would touch a device: the parameter file, the device
// address and every operation's file, with a configuration image checked byte for byte.
struct UpdaterJobReport {
    bool ok = false;
    QStringList lines; // what was checked and found, one line each
};

UpdaterJobReport checkUpdaterJob(const QString& parameterFile);

// A configuration image as the device reads it: 3584 bytes, the parameter block's checksum right
// and no more than 128 rules. On failure returns false with the reason in why.
bool checkConfigurationImage(const QByteArray& bytes, QString* why);
