#pragma once

#include <QDomDocument>
#include <QString>

struct ProgramState;

// The updater's file names, all in the program folder.
QString updaterProgramName();   // Ethernet_Update.exe on Windows, Ethernet_Update elsewhere
QString updaterParameterName(); // Ethernet_Update.xml
QString updaterLogName();       // Ethernet_Update.log, written by the stand-in updater
// The firmware image supplied by the maker, in the MASTER folder.
QString firmwareFileName(); // Sim73052.sim

// The update options by list position: both, firmware only, configuration only.
enum UpdateOption { UpdateFirmwareAndConfiguration = 0, UpdateFirmware = 1, UpdateConfiguration = 2 };

// The whole job for the updater: the device address exactly as typed, one firmware and/or one
// configuration operation for the option, and the read-back flag on each operation.
QDomDocument updaterParameterDocument(const QString& address, int optionIndex, bool readBack,
                                      const QString& firmwareFile, const QString& imageFile);

// Builds the job from the program's folders and the active configuration and saves it, replacing
// any earlier file whole, as Dir_Program/Ethernet_Update.xml. On failure returns false with the
// reason in error (an option outside 0 to 2 is refused rather than written as an empty job).
bool Compile_XML_Parameter(const ProgramState& state, const QString& address, int optionIndex, bool readBack,
                           QString* error = nullptr);
