#include "core/review/PlcExport.h"

#include "core/nmea/RulesCheck.h"
#include "core/review/PlcNames.h"

#include <QXmlStreamWriter>
#include <algorithm>

namespace Review {

namespace {

const char* const kFormatNames[] = {"csv", "json", "st", "iec", "plcopen", "l5x"};

QString byteRange(int first, int last) {
    return first == last ? QStringLiteral("byte %1").arg(first)
                         : QStringLiteral("bytes %1 to %2").arg(first).arg(last);
}

// Text inside (* ... *) that cannot end the comment early or break the line.
QString commentText(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    text.replace(QStringLiteral("*)"), QStringLiteral("* )"))
        .replace(QStringLiteral("(*"), QStringLiteral("( *"));
    return text;
}

QString swapComment(const MapEntry& e) {
    const quint8 swaps = (e.swapAll ? BankLayout::SwapAllBit : 0) | (e.swap16 ? BankLayout::Swap16Bit : 0);
    if (!swaps)
        return QStringLiteral("no swap");
    const quint8 idle = swapsWithoutEffect(swaps, e.size);
    QStringList parts;
    if (e.swapAll)
        parts << (idle & BankLayout::SwapAllBit ? QStringLiteral("Swap All changes nothing on 1 byte")
                                                : QStringLiteral("Swap All: its bytes are swapped"));
    if (e.swap16)
        parts << (idle & BankLayout::Swap16Bit
                      ? QStringLiteral("Swap 16 changes nothing on %1 bytes").arg(e.size)
                      : QStringLiteral("Swap 16: its 16-bit words are swapped"));
    if (swaps & ~idle)
        parts << QStringLiteral("read as raw bytes");
    return parts.join(QStringLiteral(", "));
}

QString memberComment(const PlcMember& m) {
    const QString range = byteRange(m.first, m.first + m.size - 1);
    if (!m.entry)
        return QStringLiteral("no rule, %1").arg(range);
    const MapEntry& e = *m.entry;
    QString sentence = e.sentence;
    if (e.index > 0)
        sentence += QStringLiteral(" Index %1").arg(e.index);
    return QStringLiteral("rule %1, %2, %3 \"%4\", %5, %6, %7")
        .arg(QString::number(e.rule), e.channel, sentence, e.field, e.meaning, swapComment(e), range);
}

QStringList headerLines(const MapHeader& h, const QString& typeName) {
    const QString checksum =
        h.imageChecksum ? QStringLiteral("%1 (0x%2)")
                              .arg(*h.imageChecksum)
                              .arg(QString::number(*h.imageChecksum, 16).toUpper().rightJustified(8, u'0'))
                        : QStringLiteral("none (more rules than the image holds)");
    return {
        QStringLiteral("%1 of configuration \"%2\": the data array as the PLC receives it, written by %3.")
            .arg(typeName, h.configuration, h.program),
        QStringLiteral("Connection sizes: output %1 bytes (converter to PLC, the size of this type), "
                       "input %2 bytes (PLC to converter).")
            .arg(h.outputBytes)
            .arg(h.inputBytes),
        QStringLiteral("Image checksum %1. Values are little-endian, the byte order of EtherNet/IP.")
            .arg(checksum)};
}

QString typeName(const MapHeader& header) {
    const QString name = plcIdentifier(QStringLiteral("T_") + header.configuration);
    return name.isEmpty() ? QStringLiteral("T_NMEA_Data") : name;
}

// Structured text; strict puts ";" after END_STRUCT and leaves out the vendor attribute.
QString structuredText(const PlcLayout& layout, const MapHeader& header, bool strict) {
    QString text = QStringLiteral("(*\n");
    for (const QString& line : headerLines(header, layout.typeName))
        text += QStringLiteral("   %1\n").arg(commentText(line));
    if (strict)
        text += QStringLiteral("   The layout is packed: every member starts at the byte its comment names, "
                               "with no alignment gaps.\n");
    text += QStringLiteral("*)\n");
    // Without packing, 2- and 4-byte members would be aligned and leave their byte offsets.
    if (!strict)
        text += QStringLiteral("{attribute 'pack_mode' := '1'}\n");
    text += QStringLiteral("TYPE %1 :\nSTRUCT\n").arg(layout.typeName);
    for (const PlcMember& m : layout.members)
        text += QStringLiteral("    %1 : %2; (* %3 *)\n")
                    .arg(m.name, iecTypeName(m.type), commentText(memberComment(m)));
    text += strict ? QStringLiteral("END_STRUCT;\nEND_TYPE\n") : QStringLiteral("END_STRUCT\nEND_TYPE\n");
    return text;
}

void writePlcOpenType(QXmlStreamWriter& xml, const PlcValueType& type) {
    const QString name = iecTypeName(type);
    if (!name.startsWith(QStringLiteral("ARRAY"))) {
        xml.writeEmptyElement(name);
        return;
    }
    xml.writeStartElement(QStringLiteral("array"));
    xml.writeEmptyElement(QStringLiteral("dimension"));
    xml.writeAttribute(QStringLiteral("lower"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("upper"), QString::number(type.size - 1));
    xml.writeStartElement(QStringLiteral("baseType"));
    xml.writeEmptyElement(QStringLiteral("BYTE"));
    xml.writeEndElement();
    xml.writeEndElement();
}

void writeDocumentation(QXmlStreamWriter& xml, const QString& text) {
    xml.writeStartElement(QStringLiteral("documentation"));
    xml.writeTextElement(QStringLiteral("http://www.w3.org/1999/xhtml"), QStringLiteral("p"), text);
    xml.writeEndElement();
}

QString plcOpen(const PlcLayout& layout, const MapHeader& header) {
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.plcopen.org/xml/tc6_0201"));
    xml.writeNamespace(QStringLiteral("http://www.w3.org/1999/xhtml"), QStringLiteral("xhtml"));
    xml.writeStartElement(QStringLiteral("project"));
    const QString created = header.created.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
    xml.writeEmptyElement(QStringLiteral("fileHeader"));
    xml.writeAttribute(QStringLiteral("companyName"), QStringLiteral("Norvane"));
    xml.writeAttribute(QStringLiteral("productName"), QStringLiteral("Tessellor"));
    xml.writeAttribute(QStringLiteral("productVersion"), header.program);
    xml.writeAttribute(QStringLiteral("creationDateTime"), created);
    xml.writeStartElement(QStringLiteral("contentHeader"));
    xml.writeAttribute(QStringLiteral("name"), header.configuration);
    xml.writeAttribute(QStringLiteral("modificationDateTime"), created);
    xml.writeStartElement(QStringLiteral("coordinateInfo"));
    for (const char* language : {"fbd", "ld", "sfc"}) {
        xml.writeStartElement(QLatin1String(language));
        xml.writeEmptyElement(QStringLiteral("scaling"));
        xml.writeAttribute(QStringLiteral("x"), QStringLiteral("1"));
        xml.writeAttribute(QStringLiteral("y"), QStringLiteral("1"));
        xml.writeEndElement();
    }
    xml.writeEndElement(); // coordinateInfo
    xml.writeEndElement(); // contentHeader
    xml.writeStartElement(QStringLiteral("types"));
    xml.writeStartElement(QStringLiteral("dataTypes"));
    xml.writeStartElement(QStringLiteral("dataType"));
    xml.writeAttribute(QStringLiteral("name"), layout.typeName);
    xml.writeStartElement(QStringLiteral("baseType"));
    xml.writeStartElement(QStringLiteral("struct"));
    for (const PlcMember& m : layout.members) {
        xml.writeStartElement(QStringLiteral("variable"));
        xml.writeAttribute(QStringLiteral("name"), m.name);
        xml.writeStartElement(QStringLiteral("type"));
        writePlcOpenType(xml, m.type);
        xml.writeEndElement();
        writeDocumentation(xml, memberComment(m));
        xml.writeEndElement();
    }
    xml.writeEndElement(); // struct
    xml.writeEndElement(); // baseType
    // The packing as CODESYS reads it from its own exports; other tools ignore unknown data.
    xml.writeStartElement(QStringLiteral("addData"));
    xml.writeStartElement(QStringLiteral("data"));
    xml.writeAttribute(QStringLiteral("name"),
                       QStringLiteral("http://www.3s-software.com/plcopenxml/attributes"));
    xml.writeAttribute(QStringLiteral("handleUnknown"), QStringLiteral("implementation"));
    xml.writeStartElement(QStringLiteral("Attributes"));
    xml.writeEmptyElement(QStringLiteral("Attribute"));
    xml.writeAttribute(QStringLiteral("Name"), QStringLiteral("pack_mode"));
    xml.writeAttribute(QStringLiteral("Value"), QStringLiteral("1"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement(); // addData
    writeDocumentation(xml, headerLines(header, layout.typeName).join(u' '));
    xml.writeEndElement(); // dataType
    xml.writeEndElement(); // dataTypes
    xml.writeEmptyElement(QStringLiteral("pous"));
    xml.writeEndElement(); // types
    xml.writeStartElement(QStringLiteral("instances"));
    xml.writeEmptyElement(QStringLiteral("configurations"));
    xml.writeEndElement();
    xml.writeEndElement(); // project
    xml.writeEndDocument();
    return text + u'\n';
}

// Logix has no unsigned types on every controller: unsigned values take the signed type of their
// size, and the comment says so.
QString logixType(const PlcValueType& type) {
    switch (type.kind) {
    case ValueKind::Real:
    case ValueKind::Signed:
        return iecTypeName(type);
    case ValueKind::Unsigned: // Logix reads an unsigned value as the signed type of its size
        return iecTypeName({ValueKind::Signed, type.size});
    case ValueKind::Characters:
    case ValueKind::Raw:
        break;
    }
    return QStringLiteral("SINT");
}

struct LogixLayout {
    QList<PlcMember> members;
    QList<Misaligned> misaligned;
    int size = 0; // as Logix allocates it: whole 4-byte words
};

// Padding for bytes first..end-1: single SINTs up to a multiple of 4, a SINT array of whole words,
// single SINTs after it, so that no padding member is ever moved by Logix.
void logixPadding(int first, int end, QList<PlcMember>& members) {
    const auto single = [&members](int byte) {
        members << PlcMember{byte, 1, paddingName(byte), {ValueKind::Raw, 1}, nullptr};
    };
    int byte = first;
    while (byte < end && byte % 4)
        single(byte++);
    const int words = (end - byte) / 4;
    if (words > 0) {
        members << PlcMember{byte, words * 4, paddingName(byte), {ValueKind::Raw, words * 4}, nullptr};
        byte += words * 4;
    }
    while (byte < end)
        single(byte++);
}

LogixLayout logixLayout(const PlcLayout& packed, int outputBytes) {
    LogixLayout logix;
    int cursor = 0; // where Logix puts the next member
    for (const PlcMember& m : packed.members) {
        if (!m.entry)
            continue; // padding is laid out anew around Logix's sizes
        if (m.first > cursor)
            logixPadding(cursor, m.first, logix.members);
        const int align = logixAlignment(m.type);
        const int placed = (std::max(cursor, m.first) + align - 1) / align * align;
        if (placed != m.first) {
            const int below = m.first / align * align;
            const int nearest = below >= cursor && m.first - below < placed - m.first ? below : placed;
            const QString type =
                logixArray(m.type) ? QStringLiteral("SINT[%1]").arg(m.type.size) : logixType(m.type);
            logix.misaligned << Misaligned{m.entry->rule, m.name, type, m.first, nearest};
        }
        logix.members << m;
        cursor = std::max(cursor, m.first + logixSize(m.type));
    }
    if (cursor < outputBytes)
        logixPadding(cursor, outputBytes, logix.members);
    logix.size = (std::max(cursor, outputBytes) + 3) / 4 * 4;
    return logix;
}

MapExport l5x(const PlcLayout& layout, const MapHeader& header) {
    const LogixLayout logix = logixLayout(layout, int(header.outputBytes));
    if (!logix.misaligned.isEmpty()) {
        QStringList lines{
            QStringLiteral("Logix cannot read this layout: it places INT on multiples of 2, DINT "
                           "and REAL on multiples of 4 and arrays on whole 4-byte words.")};
        for (const Misaligned& m : logix.misaligned)
            lines << QStringLiteral(
                         "Rule %1 (%2, %3) at byte %4: the nearest position Logix reads is byte %5.")
                         .arg(m.rule)
                         .arg(m.name, m.logixType)
                         .arg(m.firstByte)
                         .arg(m.nearest);
        return {{}, lines.join(u'\n'), logix.misaligned};
    }
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("RSLogix5000Content"));
    xml.writeAttribute(QStringLiteral("SchemaRevision"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("SoftwareRevision"), QStringLiteral("20.00"));
    xml.writeAttribute(QStringLiteral("TargetName"), layout.typeName);
    xml.writeAttribute(QStringLiteral("TargetType"), QStringLiteral("DataType"));
    xml.writeAttribute(QStringLiteral("ContainsContext"), QStringLiteral("true"));
    xml.writeAttribute(QStringLiteral("ExportDate"),
                       header.created.toString(QStringLiteral("ddd MMM dd HH:mm:ss yyyy")));
    xml.writeAttribute(QStringLiteral("ExportOptions"),
                       QStringLiteral("References NoRawData L5KData DecoratedData Context Dependencies "
                                      "ForceProtectedEncoding AllProjDocTrans"));
    xml.writeStartElement(QStringLiteral("Controller"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeAttribute(QStringLiteral("Name"), QStringLiteral("Tessellor"));
    xml.writeStartElement(QStringLiteral("DataTypes"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeStartElement(QStringLiteral("DataType"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Target"));
    xml.writeAttribute(QStringLiteral("Name"), layout.typeName);
    xml.writeAttribute(QStringLiteral("Family"), QStringLiteral("NoFamily"));
    xml.writeAttribute(QStringLiteral("Class"), QStringLiteral("User"));
    QStringList description = headerLines(header, layout.typeName);
    if (logix.size != int(header.outputBytes))
        description << QStringLiteral("Logix makes this type %1 bytes long; the connection carries %2.")
                           .arg(logix.size)
                           .arg(header.outputBytes);
    xml.writeStartElement(QStringLiteral("Description"));
    xml.writeCDATA(description.join(u' '));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Members"));
    for (const PlcMember& m : logix.members) {
        const QString type = logixType(m.type);
        xml.writeStartElement(QStringLiteral("Member"));
        xml.writeAttribute(QStringLiteral("Name"), m.name);
        xml.writeAttribute(QStringLiteral("DataType"), type);
        xml.writeAttribute(QStringLiteral("Dimension"),
                           QString::number(logixArray(m.type) ? m.type.size : 0));
        xml.writeAttribute(QStringLiteral("Radix"),
                           type == u"REAL"                            ? QStringLiteral("Float")
                           : m.type.kind == ValueKind::Characters     ? QStringLiteral("ASCII")
                           : m.entry && m.type.kind != ValueKind::Raw ? QStringLiteral("Decimal")
                                                                      : QStringLiteral("Hex"));
        xml.writeAttribute(QStringLiteral("Hidden"), QStringLiteral("false"));
        xml.writeAttribute(QStringLiteral("ExternalAccess"), QStringLiteral("Read/Write"));
        QString comment = memberComment(m);
        if (m.type.kind == ValueKind::Unsigned && m.type.size < 4)
            comment += QStringLiteral(", unsigned in the device: values past the signed range read negative");
        else if (m.type.kind == ValueKind::Unsigned)
            comment += QStringLiteral(", unsigned in the device");
        xml.writeStartElement(QStringLiteral("Description"));
        xml.writeCDATA(comment);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement(); // Members
    xml.writeEndElement(); // DataType
    xml.writeEndElement(); // DataTypes
    xml.writeEndElement(); // Controller
    xml.writeEndElement(); // RSLogix5000Content
    xml.writeEndDocument();
    return {text + u'\n', {}, {}};
}

} // namespace

QString formatName(MapFormat format) {
    return QLatin1String(kFormatNames[int(format)]);
}

std::optional<MapFormat> mapFormat(const QString& name) {
    for (int k = 0; k < int(std::size(kFormatNames)); ++k) {
        if (name == QLatin1String(kFormatNames[k]))
            return MapFormat(k);
    }
    return std::nullopt;
}

QString formatSuffix(MapFormat format) {
    static const char* const kSuffixes[] = {"csv", "json", "st", "st", "xml", "L5X"};
    return QLatin1String(kSuffixes[int(format)]);
}

PlcLayout plcLayout(const QList<MapEntry>& entries, const MapHeader& header) {
    PlcLayout layout;
    layout.typeName = typeName(header);
    if (entries.isEmpty()) {
        layout.error = QStringLiteral("No rule is compiled, so the data array has no layout to write.");
        return layout;
    }
    // The communication window keeps it to 496; a hand-edited document may hold anything.
    if (header.outputBytes > quint32(Nmea::DataArraySize)) {
        layout.error =
            QStringLiteral("The output array of %1 bytes is longer than the data array of %2 bytes. "
                           "Correct its size in the communication parameters.")
                .arg(header.outputBytes)
                .arg(Nmea::DataArraySize);
        return layout;
    }
    // A structure gives each byte to one member: overlapping rules have no true layout.
    const MapEntry* reaching = nullptr; // the entry that ends furthest so far
    for (const MapEntry& e : entries) {
        if (reaching && e.firstByte <= reaching->lastByte) {
            layout.error =
                QStringLiteral("Rules %1 and %2 share %3 of the data array, so no structure can hold both. "
                               "Move one of them; the review lists every overlap.")
                    .arg(std::min(reaching->rule, e.rule))
                    .arg(std::max(reaching->rule, e.rule))
                    .arg(byteRange(e.firstByte, std::min(reaching->lastByte, e.lastByte)));
            return layout;
        }
        if (!reaching || e.lastByte > reaching->lastByte)
            reaching = &e;
    }
    // The type is the output array: a rule past it is never received.
    QStringList beyond;
    for (const MapEntry& e : entries) {
        if (e.lastByte >= qint64(header.outputBytes))
            beyond << QString::number(e.rule);
    }
    if (!beyond.isEmpty()) {
        const bool one = beyond.size() == 1;
        layout.error =
            QStringLiteral("%1 %2 %3 past the output array of %4 bytes, which is all the PLC receives. "
                           "Move %5, or enlarge the output array in the communication parameters.")
                .arg(one ? QStringLiteral("Rule") : QStringLiteral("Rules"),
                     beyond.join(QStringLiteral(", ")), one ? QStringLiteral("ends") : QStringLiteral("end"),
                     QString::number(header.outputBytes),
                     one ? QStringLiteral("it") : QStringLiteral("them"));
        return layout;
    }

    PlcNames names;
    int next = 0;
    const auto pad = [&](int end) {
        if (end > next)
            layout.members << PlcMember{
                next, end - next, names.take(paddingName(next)), {ValueKind::Raw, end - next}, nullptr};
    };
    for (const MapEntry& e : entries) {
        pad(e.firstByte);
        layout.members << PlcMember{e.firstByte, e.size, {}, e.type, &e};
        next = e.lastByte + 1;
    }
    pad(int(header.outputBytes));
    // Names after the padding has its own, although no mnemonic is made into a padding name.
    for (PlcMember& m : layout.members) {
        if (!m.entry)
            continue;
        const QString base = plcIdentifier(m.entry->mnemonic);
        m.name = names.take(base.isEmpty() ? QStringLiteral("Rule_%1").arg(m.entry->rule) : base);
    }
    return layout;
}

MapExport exportMap(const QList<MapEntry>& entries, const MapHeader& header, MapFormat format) {
    if (format == MapFormat::Csv)
        return {mapCsv(entries, header), {}, {}};
    if (format == MapFormat::Json)
        return {mapJson(entries, header), {}, {}};
    const PlcLayout layout = plcLayout(entries, header);
    if (!layout.error.isEmpty())
        return {{}, layout.error, {}};
    switch (format) {
    case MapFormat::St:
        return {structuredText(layout, header, false), {}, {}};
    case MapFormat::Iec:
        return {structuredText(layout, header, true), {}, {}};
    case MapFormat::PlcOpen:
        return {plcOpen(layout, header), {}, {}};
    case MapFormat::L5x:
        return l5x(layout, header);
    case MapFormat::Csv:
    case MapFormat::Json:
        break;
    }
    return {};
}

} // namespace Review
