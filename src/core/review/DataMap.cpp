#include "core/review/DataMap.h"

#include "core/comm/SerialLine.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcExport.h"
#include "core/shell/ProductIdentity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace Review {

namespace {

QString csvField(const QString& text) {
    static const QString special = QStringLiteral(",\"\r\n");
    const bool quote = std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }) ||
                       text.startsWith(u' ') || text.endsWith(u' ');
    if (!quote)
        return text;
    return QLatin1Char('"') + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

QString byteOrder(const MapEntry& entry) {
    return byteOrderText(entry.size, (entry.swapAll ? BankLayout::SwapAllBit : 0) |
                                         (entry.swap16 ? BankLayout::Swap16Bit : 0));
}

QList<MapEntry> dataMap(const Result& review) {
    QList<MapEntry> entries;
    entries.reserve(review.compiled.size());
    const QStringList labels = Nmea::postOperationLabels();
    for (const CompiledRule& c : review.compiled) {
        const RuleRecord& r = c.record;
        entries << MapEntry{c.rule,
                            c.mnemonic,
                            serialChannelName(r.channel),
                            Nmea::sentenceName(r.sentence),
                            Nmea::fieldText(r.sentence, r.field),
                            r.index,
                            labels.value(r.postOperation),
                            bool(r.swaps & BankLayout::SwapAllBit),
                            bool(r.swaps & BankLayout::Swap16Bit),
                            c.firstByte(),
                            c.size,
                            c.lastByte(),
                            memberType(valueType(Nmea::fieldText(r.sentence, r.field), c.size), r.swaps),
                            postOperationMeaning(r.postOperation)};
    }
    std::stable_sort(entries.begin(), entries.end(), [](const MapEntry& a, const MapEntry& b) {
        return a.firstByte != b.firstByte ? a.firstByte < b.firstByte : a.rule < b.rule;
    });
    return entries;
}

QString bytesText(int firstByte, int lastByte, const PlcValueType& type) {
    const QString name = iecTypeName(type);
    if (lastByte <= firstByte)
        return QStringLiteral("%1 %2").arg(firstByte).arg(name);
    return QStringLiteral("%1–%2 %3").arg(firstByte).arg(lastByte).arg(name);
}

QString bytesText(const CompiledRule& compiled) {
    const RuleRecord& r = compiled.record;
    const PlcValueType type =
        memberType(valueType(Nmea::fieldText(r.sentence, r.field), compiled.size), r.swaps);
    return bytesText(compiled.firstByte(), compiled.lastByte(), type);
}

QStringList bytesByRule(const Result& review, int rules) {
    QStringList texts(rules);
    for (const CompiledRule& c : review.compiled) {
        if (c.rule >= 1 && c.rule <= rules)
            texts[c.rule - 1] = bytesText(c);
    }
    return texts;
}

MapHeader mapHeader(const Result& review, const QString& configuration) {
    return {configuration,
            review.outputBytes,
            review.inputBytes,
            review.imageChecksum,
            QStringLiteral("Tessellor %1 %2").arg(Product::SW_Code, Product::SW_Version),
            QDateTime::currentDateTimeUtc()};
}

QString swapsText(const MapEntry& entry) {
    if (entry.swapAll && entry.swap16)
        return QStringLiteral("all+16");
    if (entry.swapAll)
        return QStringLiteral("all");
    return entry.swap16 ? QStringLiteral("16") : QStringLiteral("none");
}

QString mapCsv(const QList<MapEntry>& entries, const MapHeader& header) {
    QString text =
        QStringLiteral("rule,mnemonic,channel,sentence,field,index,post_operation,swaps,first_byte,"
                       "size,last_byte,type,meaning,output_bytes,input_bytes,member,byte_order\n");
    const QMap<int, QString> members = memberNames(entries, header);
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
                                 QString::number(e.lastByte),
                                 csvField(iecTypeName(e.type)),
                                 csvField(e.meaning),
                                 QString::number(header.outputBytes),
                                 QString::number(header.inputBytes),
                                 csvField(members.value(e.rule)),
                                 csvField(byteOrder(e))};
        text += fields.join(u',') + u'\n';
    }
    return text;
}

QString mapJson(const QList<MapEntry>& entries, const MapHeader& header) {
    QJsonArray rules;
    const QMap<int, QString> members = memberNames(entries, header);
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
                                 {"lastByte", e.lastByte},
                                 {"type", iecTypeName(e.type)},
                                 {"meaning", e.meaning},
                                 {"member", members.value(e.rule)},
                                 {"byteOrder", byteOrder(e)}});
    const QJsonObject document{
        {"configuration", header.configuration},
        {"program", header.program},
        {"imageChecksum", header.imageChecksum ? QJsonValue(qint64(*header.imageChecksum)) : QJsonValue()},
        {"byteOrder", "little-endian"},
        {"outputBytes", qint64(header.outputBytes)},
        {"inputBytes", qint64(header.inputBytes)},
        {"notes", QJsonArray::fromStringList(handoffLines(entries, header))},
        {"rules", rules}};
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

} // namespace Review
