#pragma once

#include "core/image/BankImage.h"

#include <QString>

// Why a configuration could not be compiled. Nothing may be written then: the updater would put a
// stale or partial image into the device.
struct CompileError {
    enum class Kind {
        Document,     // a document exists but cannot be read or parsed, or lacks NMEA_Listener
        TooManyRules, // more active rules than the image has records
    };
    Kind kind = Kind::Document;
    QString file;    // the document at fault
    QString message; // the parser's message, or what is missing
    int activeRules = 0;
};

// Builds the image of a configuration from its two documents. A missing document is not an error:
// the parameters keep their initial values, or the image has no rules. On failure returns false,
// fills error and leaves image unspecified.
bool Compile_Bank(const QString& File_ParGen, const QString& File_NMEA_Access, BankImage& image,
                  CompileError* error = nullptr);

// Where the image of a configuration lives: Active_Conf_Dir/bin/bank.bin.
QString bankPath(const QString& Active_Conf_Dir);

// Writes the image to bankPath(Active_Conf_Dir) in one atomic replace. The bin folder belongs to the
// configuration and is not created here; a missing one is a failure with its reason in error.
bool Save_Bank(const QString& Active_Conf_Dir, const BankImage& image, QString* error = nullptr);
