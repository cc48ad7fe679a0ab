#pragma once

#include "core/image/BankImage.h"
#include "core/nmea/AccessRules.h"

#include <QString>
#include <functional>
#include <optional>

struct ParGenSet;

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

// Why the compiler leaves a candidate rule out; the first test that fails, in the order they run.
enum class RuleRejection {
    Enable,       // Enable is not exactly "Y"
    Channel,      // no channel code for the Serial_Channel text
    PortDisabled, // the channel's port is off in the parameter block
    Sentence,     // not a sentence of the catalog
    Unsupported,  // a sentence the device does not decode
    Field,        // no such field of the sentence
};

// The compiler's decision on one candidate rule: its record, or why it is left out. The flags say
// where a compiled record does not hold what the stored text says, because a default was taken or
// the number was cut to its width.
struct RuleDecision {
    std::optional<RuleRecord> record;
    RuleRejection rejection = RuleRejection::Enable; // only without a record
    bool postOperationUnknown = false;               // present, not blank, no label: compiled as None
    bool indexNotByte = false;                       // an indexed field whose Index is not a number 0..255
    bool positionNotWord = false;                    // not a number 0..65535
};

// Decides one candidate rule from its stored attribute texts and the serial enable bits of the
// parameter block being built. Knows nothing of how the document was read.
RuleDecision compileRule(const Nmea::RuleAttributes& rule, quint8 enableBits);

// The text of a ParGen.xml item by its element name; a null text when the item is missing.
using ParameterItems = std::function<QString(const char* key)>;

// The parameter block as the compiler builds it from the items, on an image in its initial state.
void compileParameters(const ParameterItems& items, BankImage& image);
// The image with the parameter block of File_ParGen and no rules. A missing document takes the
// initial values; one that cannot be parsed fails with error filled.
bool compileParameterDocument(const QString& File_ParGen, BankImage& image, CompileError* error = nullptr);
// The parameter block that saving the set and compiling would give.
BankImage compileParameterSet(const ParGenSet& set);

// Visits the candidate rules of File_NMEA_Access in document order: the element children of
// NMEA_Listener. A missing document has none; one that cannot be parsed or lacks NMEA_Listener
// fails with error filled.
bool readRuleDocument(const QString& File_NMEA_Access,
                      const std::function<void(const Nmea::RuleAttributes&)>& visit,
                      CompileError* error = nullptr);
// The same, handing over each element as read, for a reader that wants more than the compiler's
// view of it (Nmea::attributesOf).
bool readRuleElements(const QString& File_NMEA_Access, const std::function<void(const XmlRootReader&)>& visit,
                      CompileError* error = nullptr);

// Where the image of a configuration lives: Active_Conf_Dir/bin/bank.bin.
QString bankPath(const QString& Active_Conf_Dir);

// Writes the image to bankPath(Active_Conf_Dir) in one atomic replace. The bin folder belongs to the
// configuration and is not created here; a missing one is a failure with its reason in error.
bool Save_Bank(const QString& Active_Conf_Dir, const BankImage& image, QString* error = nullptr);
