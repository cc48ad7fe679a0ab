#pragma once

#include "core/nmea/AccessRules.h"

#include <QString>

// A program folder as an installed program has it (LANGUAGE beside the program, a settings file
// that remembers one configuration) with a sample configuration to measure and to photograph.
namespace Sample {

inline const QString ConfigurationName = QStringLiteral("Sample");

// Rules 1 to count, taken field by field from the supported sentences, every one complete and
// enabled, with the Position the rules window would propose.
Nmea::RuleTable rules(int count);

// Lays out folder: LANGUAGE (copied from the shipped languages), MASTER, PROJECTS/Sample/bin with
// ParGen.xml and NMEA_0183_Set_Access.xml holding ruleCount rules, and Tessellor.xml naming
// Sample and language. Returns false when a file cannot be written.
bool writeProgramFolder(const QString& folder, int ruleCount,
                        const QString& language = QStringLiteral("English"));

// PROJECTS/Sample inside folder.
QString configurationFolder(const QString& folder);

} // namespace Sample
