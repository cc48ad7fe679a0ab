#include "core/nmea/NmeaCatalog.h"

#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalogData.h"
#include "core/util/TextRules.h"

#include <QList>
#include <vector>

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

namespace {

// The sentences whose rules name the repetition they read, and for which fields: the one table the
// compiler, the data check, the rules window and the monitor read.
struct IndexedFields {
    const char* sentence;
    int firstField; // -1: every field
    int lastField;
    IndexRule rule;
};
constexpr IndexedFields kIndexedFields[] = {
    // GSV: satellite data repeats per satellite, the sentence number per group.
    {"GSV", 3, 6, {true, 1, 36, TextSlot::NmeaAccess::IndexTo36}},
    {"GSV", 1, 1, {true, 1, 9, TextSlot::NmeaAccess::IndexTo9}},
    {"XDR", -1, -1, {true, 1, 10, TextSlot::NmeaAccess::IndexTo10}},
    {"$PJELA", -1, -1, {true, 1, 50, TextSlot::NmeaAccess::IndexTo50}},
    {"$VTHA0", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHA1", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHA2", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHA3", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHA4", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHA5", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
    {"$VTHS0", -1, -1, {true, 1, 32, TextSlot::NmeaAccess::IndexTo32}},
};

// The table by sentence number, looked up once: the compiler asks for every rule.
const std::vector<std::vector<const IndexedFields*>>& indexedBySentence() {
    static const std::vector<std::vector<const IndexedFields*>> bySentence = [] {
        std::vector<std::vector<const IndexedFields*>> table(catalog().names.size() + 1);
        for (const IndexedFields& entry : kIndexedFields) {
            const int sentence = Find_Sentence(QLatin1String(entry.sentence));
            Q_ASSERT(sentence > 0);
            table[size_t(sentence)].push_back(&entry);
        }
        return table;
    }();
    return bySentence;
}

} // namespace

bool takesIndex(int sentence) {
    return inTable(sentence) && !indexedBySentence()[size_t(sentence)].empty();
}

IndexRule indexRule(int sentence, int field) {
    if (!inTable(sentence))
        return {};
    for (const IndexedFields* entry : indexedBySentence()[size_t(sentence)]) {
        if (entry->firstField < 0 || (field >= entry->firstField && field <= entry->lastField))
            return entry->rule;
    }
    return {};
}

} // namespace Nmea
