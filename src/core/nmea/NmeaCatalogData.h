#pragma once

#include "core/nmea/NmeaCatalog.h"

// The constant tables behind the catalog lookups; only NmeaCatalog.cpp reads them.
namespace Nmea {

struct SentenceEntry {
    const char* Name;
    bool Supported;
    const FieldSentence* Fields; // nullptr for unsupported sentences
    int FieldCount;
};

constexpr int PostOperationCount = 9;

// Entry i describes sentence index i + 1.
extern const SentenceEntry kSentenceTable[SentenceCount];
extern const char* const kPostOperations[PostOperationCount];

} // namespace Nmea
