#include "core/nmea/NmeaCatalog.h"

#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalogData.h"
#include "core/util/TextRules.h"

#include <QList>

namespace Nmea {

namespace {

// The tables as texts, built on first use and read-only afterwards.
struct Catalog {
    QStringList names;
    QList<QStringList> fields;         // per sentence, as stored
    QList<QStringList> matchingFields; // per sentence, upper-cased and trimmed for GetIndexDataField
    QStringList postOperations;
    QStringList supported;

    Catalog() {
        for (const SentenceEntry& entry : kSentenceTable) {
            names << QString::fromUtf8(entry.Name);
            QStringList texts;
            QStringList matching;
            for (int f = 0; f < entry.FieldCount; ++f) {
                texts << QString::fromUtf8(entry.Fields[f].Field);
                matching << trimText(upperAscii(texts.last()));
            }
            fields << texts;
            matchingFields << matching;
            if (entry.Supported)
                supported << names.last();
        }
        for (const char* label : kPostOperations)
            postOperations << QString::fromUtf8(label);
    }
};

const Catalog& catalog() {
    static const Catalog instance;
    return instance;
}

bool inTable(int index) {
    return index >= 1 && index <= SentenceCount;
}

} // namespace

QString sentenceName(int index) {
    return inTable(index) ? catalog().names[index - 1] : QString();
}

bool isSupported(int index) {
    return inTable(index) && kSentenceTable[index - 1].Supported;
}

int Find_Sentence(const QString& Sentence) {
    const int found = catalog().names.indexOf(Sentence);
    return found < 0 ? -1 : found + 1;
}

int GetIndexDataField(int Ind_Sent, const QString& DataField) {
    if (!inTable(Ind_Sent))
        return -1;
    return catalog().matchingFields[Ind_Sent - 1].indexOf(DataField);
}

int GetIndexPostOperation(const QString& PostOpe) {
    const int found = catalog().postOperations.indexOf(PostOpe);
    return found < 0 ? 0 : found;
}

QStringList supportedNames() {
    return catalog().supported;
}

QStringList fieldsOf(int index) {
    return inTable(index) ? catalog().fields[index - 1] : QStringList();
}

int fieldCount(int index) {
    return inTable(index) ? kSentenceTable[index - 1].FieldCount : 0;
}

QString fieldText(int sentence, int field) {
    if (field < 0 || field >= fieldCount(sentence))
        return QString();
    return catalog().fields[sentence - 1][field];
}

qint32 fieldSize(int sentence, int field) {
    if (field < 0 || field >= fieldCount(sentence))
        return 0;
    return kSentenceTable[sentence - 1].Fields[field].Dimension;
}

QStringList postOperationLabels() {
    return catalog().postOperations;
}

bool takesIndex(int sentence) {
    return sentence == 10 || sentence == 34 || sentence == 35 || (sentence >= 41 && sentence <= 47);
}

IndexRule indexRule(int sentence, int field) {
    // {required, min, max, message slot}
    switch (sentence) {
    case 10: // GSV: satellite data repeats per satellite, the sentence number per group
        if (field >= 3 && field <= 6)
            return {true, 1, 36, TextSlot::NmeaAccess::IndexTo36};
        if (field == 1)
            return {true, 1, 9, TextSlot::NmeaAccess::IndexTo9};
        return {};
    case 34: // XDR
        return {true, 1, 10, TextSlot::NmeaAccess::IndexTo10};
    case 35: // $PJELA
        return {true, 1, 50, TextSlot::NmeaAccess::IndexTo50};
    default:
        if (sentence >= 41 && sentence <= 47) // $VTHA0..$VTHA5, $VTHS0
            return {true, 1, 32, TextSlot::NmeaAccess::IndexTo32};
        return {};
    }
}

} // namespace Nmea
