#include "core/review/DataMap.h"

#include "core/nmea/NmeaCatalog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>

namespace Review {

namespace {

QString channelName(quint8 code) {
    static const char* const kNames[] = {"RS232", "RS485 1", "RS485 2"};
    return code < std::size(kNames) ? QLatin1String(kNames[code]) : QString::number(code);
}

QString csvField(const QString& text) {
    static const QString special = QStringLiteral(",\"\r\n");
    const bool quote = std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }) ||
                       text.startsWith(u' ') || text.endsWith(u' ');
    if (!quote)
        return text;
    return QLatin1Char('"') + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// Words that structured text reserves, elementary type names among them; compared in upper case.
const QSet<QString>& keywords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* word : {"ABSTRACT",
                                 "ACTION",
                                 "AND",
                                 "ANY",
                                 "ARRAY",
                                 "AT",
                                 "BOOL",
                                 "BY",
                                 "BYTE",
                                 "CASE",
                                 "CHAR",
                                 "CLASS",
                                 "CONFIGURATION",
                                 "CONSTANT",
                                 "CONTINUE",
                                 "DATE",
                                 "DATE_AND_TIME",
                                 "DINT",
                                 "DO",
                                 "DT",
                                 "DWORD",
                                 "ELSE",
                                 "ELSIF",
                                 "EN",
                                 "END_ACTION",
                                 "END_CASE",
                                 "END_CLASS",
                                 "END_CONFIGURATION",
                                 "END_FOR",
                                 "END_FUNCTION",
                                 "END_FUNCTION_BLOCK",
                                 "END_IF",
                                 "END_INTERFACE",
                                 "END_METHOD",
                                 "END_PROGRAM",
                                 "END_PROPERTY",
                                 "END_REPEAT",
                                 "END_RESOURCE",
                                 "END_STEP",
                                 "END_STRUCT",
                                 "END_TRANSITION",
                                 "END_TYPE",
                                 "END_VAR",
                                 "END_WHILE",
                                 "ENO",
                                 "EXIT",
                                 "EXTENDS",
                                 "FALSE",
                                 "FINAL",
                                 "FOR",
                                 "FROM",
                                 "FUNCTION",
                                 "FUNCTION_BLOCK",
                                 "F_EDGE",
                                 "IF",
                                 "IMPLEMENTS",
                                 "INT",
                                 "INTERFACE",
                                 "INTERNAL",
                                 "JMP",
                                 "LDATE",
                                 "LDT",
                                 "LINT",
                                 "LREAL",
                                 "LTIME",
                                 "LWORD",
                                 "METHOD",
                                 "MOD",
                                 "NOT",
                                 "NULL",
                                 "OF",
                                 "ON",
                                 "OR",
                                 "OVERRIDE",
                                 "POINTER",
                                 "PRIVATE",
                                 "PROGRAM",
                                 "PROPERTY",
                                 "PROTECTED",
                                 "PUBLIC",
                                 "READ_ONLY",
                                 "READ_WRITE",
                                 "REAL",
                                 "REF",
                                 "REFERENCE",
                                 "REF_TO",
                                 "REPEAT",
                                 "RESOURCE",
                                 "RETAIN",
                                 "RETURN",
                                 "R_EDGE",
                                 "SINT",
                                 "STEP",
                                 "STRING",
                                 "STRUCT",
                                 "SUPER",
                                 "TASK",
                                 "THEN",
                                 "THIS",
                                 "TIME",
                                 "TIME_OF_DAY",
                                 "TO",
                                 "TOD",
                                 "TRANSITION",
                                 "TRUE",
                                 "TYPE",
                                 "UDINT",
                                 "UINT",
                                 "ULINT",
                                 "UNION",
                                 "UNTIL",
                                 "USINT",
                                 "VAR",
                                 "VAR_ACCESS",
                                 "VAR_CONFIG",
                                 "VAR_EXTERNAL",
                                 "VAR_GLOBAL",
                                 "VAR_INPUT",
                                 "VAR_IN_OUT",
                                 "VAR_OUTPUT",
                                 "VAR_TEMP",
                                 "WCHAR",
                                 "WHILE",
                                 "WITH",
                                 "WORD",
                                 "WSTRING",
                                 "XOR"})
            set.insert(QLatin1String(word));
        return set;
    }();
    return words;
}

// Text inside (* ... *) that cannot end the comment early or break the line.
QString commentText(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    text.replace(QStringLiteral("*)"), QStringLiteral("* )"))
        .replace(QStringLiteral("(*"), QStringLiteral("( *"));
    return text;
}

QString bytesType(int size) {
    return size == 1 ? QStringLiteral("BYTE") : QStringLiteral("ARRAY [0..%1] OF BYTE").arg(size - 1);
}

// Raw types by size only: how the device encodes a value is not known here.
QString memberType(int size) {
    switch (size) {
    case 1:
        return QStringLiteral("USINT");
    case 2:
        return QStringLiteral("UINT");
    case 4:
        return QStringLiteral("UDINT");
    default:
        return QStringLiteral("ARRAY [0..%1] OF BYTE").arg(size - 1);
    }
}

QString byteRange(int first, int last) {
    return first == last ? QStringLiteral("byte %1").arg(first)
                         : QStringLiteral("bytes %1 to %2").arg(first).arg(last);
}

} // namespace

QList<MapEntry> dataMap(const Result& review) {
    QList<MapEntry> entries;
    entries.reserve(review.compiled.size());
    const QStringList labels = Nmea::postOperationLabels();
    for (const CompiledRule& c : review.compiled) {
        const RuleRecord& r = c.record;
        entries << MapEntry{c.rule,
                            c.mnemonic,
                            channelName(r.channel),
                            Nmea::sentenceName(r.sentence),
                            Nmea::fieldText(r.sentence, r.field),
                            r.index,
                            labels.value(r.postOperation),
                            bool(r.swaps & BankLayout::SwapAllBit),
                            bool(r.swaps & BankLayout::Swap16Bit),
                            c.firstByte(),
                            c.size,
                            c.lastByte()};
    }
    std::stable_sort(entries.begin(), entries.end(), [](const MapEntry& a, const MapEntry& b) {
        return a.firstByte != b.firstByte ? a.firstByte < b.firstByte : a.rule < b.rule;
    });
    return entries;
}

QString swapsText(const MapEntry& entry) {
    if (entry.swapAll && entry.swap16)
        return QStringLiteral("all+16");
    if (entry.swapAll)
        return QStringLiteral("all");
    return entry.swap16 ? QStringLiteral("16") : QStringLiteral("none");
}

QString mapCsv(const QList<MapEntry>& entries) {
    QString text = QStringLiteral(
        "rule,mnemonic,channel,sentence,field,index,post_operation,swaps,first_byte,size,last_byte\n");
    for (const MapEntry& e : entries) {
        const QStringList fields{QString::number(e.rule),
                                 csvField(e.mnemonic),
                                 csvField(e.channel),
                                 csvField(e.sentence),
                                 csvField(e.field),
                                 QString::number(e.index),
                                 csvField(e.postOperation),
                                 swapsText(e),
                                 QString::number(e.firstByte),
                                 QString::number(e.size),
                                 QString::number(e.lastByte)};
        text += fields.join(u',') + u'\n';
    }
    return text;
}

QString mapJson(const QList<MapEntry>& entries) {
    QJsonArray rules;
    for (const MapEntry& e : entries)
        rules.append(QJsonObject{{"rule", e.rule},
                                 {"mnemonic", e.mnemonic},
                                 {"channel", e.channel},
                                 {"sentence", e.sentence},
                                 {"field", e.field},
                                 {"index", e.index},
                                 {"postOperation", e.postOperation},
                                 {"swapAll", e.swapAll},
                                 {"swap16", e.swap16},
                                 {"firstByte", e.firstByte},
                                 {"size", e.size},
                                 {"lastByte", e.lastByte}});
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"rules", rules}}).toJson(QJsonDocument::Indented));
}

QString plcIdentifier(const QString& text) {
    // Accented letters keep their base letter; every other character outside A-Z, 0-9 parts words.
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString id;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const char16_t u = c.unicode();
        const bool word = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
        if (word)
            id += c;
        else if (!id.isEmpty() && !id.endsWith(u'_'))
            id += u'_';
    }
    while (id.endsWith(u'_'))
        id.chop(1);
    if (id.isEmpty())
        return id;
    if (id[0].isDigit() || keywords().contains(id.toUpper()))
        id.prepend(QStringLiteral("R_"));
    return id;
}

StructuredText mapStructuredText(const QList<MapEntry>& entries, const QString& typeName) {
    if (entries.isEmpty())
        return {{}, QStringLiteral("No rule is compiled, so the data array has no layout to write.")};
    // A structure gives each byte to one member: overlapping rules have no true layout.
    const MapEntry* reaching = nullptr; // the entry that ends furthest so far
    for (const MapEntry& e : entries) {
        if (reaching && e.firstByte <= reaching->lastByte)
            return {
                {},
                QStringLiteral("Rules %1 and %2 share %3 of the data array, so no structure can hold both. "
                               "Move one of them; the review lists every overlap.")
                    .arg(std::min(reaching->rule, e.rule))
                    .arg(std::max(reaching->rule, e.rule))
                    .arg(byteRange(e.firstByte, std::min(reaching->lastByte, e.lastByte)))};
        if (!reaching || e.lastByte > reaching->lastByte)
            reaching = &e;
    }

    struct Member {
        int first;
        int size;
        QString name;
        QString type;
        QString comment;
        const MapEntry* entry;
    };
    QList<Member> members;
    QSet<QString> taken; // upper case: identifiers ignore letter case
    int next = 0;
    for (const MapEntry& e : entries) {
        if (e.firstByte > next) {
            const QString name = QStringLiteral("Gap_%1").arg(next);
            taken.insert(name.toUpper());
            members << Member{next,
                              e.firstByte - next,
                              name,
                              bytesType(e.firstByte - next),
                              QStringLiteral("%1, no rule").arg(byteRange(next, e.firstByte - 1)),
                              nullptr};
        }
        members << Member{e.firstByte,
                          e.size,
                          {},
                          memberType(e.size),
                          QStringLiteral("%1, rule %2: %3 \"%4\"")
                              .arg(byteRange(e.firstByte, e.lastByte))
                              .arg(e.rule)
                              .arg(e.sentence, commentText(e.field)),
                          &e};
        next = e.lastByte + 1;
    }
    // Names after the gaps have theirs, so that no mnemonic takes a gap's name.
    for (Member& m : members) {
        if (!m.entry)
            continue;
        QString base = plcIdentifier(m.entry->mnemonic);
        if (base.isEmpty())
            base = QStringLiteral("Rule_%1").arg(m.entry->rule);
        QString name = base;
        for (int k = 2; taken.contains(name.toUpper()); ++k)
            name = QStringLiteral("%1_%2").arg(base).arg(k);
        taken.insert(name.toUpper());
        m.name = name;
    }

    QString type = plcIdentifier(typeName);
    if (type.isEmpty())
        type = QStringLiteral("T_NMEA_Data");
    QString text = QStringLiteral("(* The converter's data array, bytes 0 to %1: %2 %3. *)\n")
                       .arg(next - 1)
                       .arg(entries.size())
                       .arg(entries.size() == 1 ? QStringLiteral("rule") : QStringLiteral("rules"));
    // Without packing, 2- and 4-byte members would be aligned and leave their byte offsets.
    text += QStringLiteral("{attribute 'pack_mode' := '1'}\nTYPE %1 :\nSTRUCT\n").arg(type);
    for (const Member& m : members)
        text += QStringLiteral("    %1 : %2; (* %3 *)\n").arg(m.name, m.type, m.comment);
    text += QStringLiteral("END_STRUCT\nEND_TYPE\n");
    return {text, {}};
}

} // namespace Review
