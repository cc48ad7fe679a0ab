#include "core/review/PlcExport.h"

#include "core/nmea/RulesCheck.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcDecoder.h"
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
        parts << QStringLiteral("read as raw bytes in the order %1")
                     .arg(byteOrderText(e.size, swaps).section(QStringLiteral(": "), 1));
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

// The header with what the PLC engineer sets up from: the model, the connection, the byte orders
// and what only the converter's manual gives.
QStringList fullHeader(const MapHeader& h, const QString& typeName, const QList<MapEntry>& entries) {
    return headerLines(h, typeName) + handoffLines(entries, h);
}

QString typeName(const MapHeader& header) {
    const QString name = plcIdentifier(QStringLiteral("T_") + header.configuration);
    return name.isEmpty() ? QStringLiteral("T_NMEA_Data") : name;
}

// The members a standard compiler would move: it aligns each on its own size (REAL, DINT and
// UDINT on 4 bytes, INT and UINT on 2; bytes and byte arrays anywhere) and rounds the type's size up
// to its largest alignment. sizeNote says how the size would change, when it would.
struct NaturalLayout {
    QList<Misaligned> misaligned;
    QString sizeNote;
};

int naturalAlignment(const PlcValueType& type) {
    return type.kind == ValueKind::Characters || type.kind == ValueKind::Raw ? 1 : type.size;
}

NaturalLayout naturalLayout(const PlcLayout& packed, int outputBytes) {
    NaturalLayout natural;
    int widest = 1;
    int previousEnd = 0; // where the rule before ends: padding shrinks or grows as the rules move
    for (const PlcMember& m : packed.members) {
        const int align = naturalAlignment(m.type);
        widest = std::max(widest, align);
        // A member off its own alignment is moved by a compiler, and every member after it with
        // it; each such rule is named with the nearest aligned byte clear of the rule before.
        if (m.entry && m.first % align) {
            const int below = m.first / align * align;
            const int above = below + align;
            const int nearest = below >= previousEnd && m.first - below < above - m.first ? below : above;
            natural.misaligned << Misaligned{m.entry->rule, m.name, iecTypeName(m.type), m.first, nearest};
        }
        if (m.entry)
            previousEnd = m.first + m.size;
    }
    if (outputBytes % widest)
        natural.sizeNote =
            QStringLiteral("A standard compiler makes the type a multiple of %1 bytes, %2 in place of %3.")
                .arg(widest)
                .arg((outputBytes + widest - 1) / widest * widest)
                .arg(outputBytes);
    return natural;
}

QString misalignedLine(const Misaligned& m, const QString& reader) {
    return QStringLiteral("Rule %1 (%2, %3) at byte %4: the nearest position %5 reads is byte %6.")
        .arg(m.rule)
        .arg(m.name, m.logixType)
        .arg(m.firstByte)
        .arg(reader)
        .arg(m.nearest);
}

QString typedStructure(const PlcLayout& layout, bool strict) {
    QString text;
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

// Structured text: the typed structure where it is true, then the byte image and the function
// block that decodes it. strict puts ";" after END_STRUCT, leaves out the vendor attribute and
// writes the structure only where a standard compiler's alignment leaves every member in place.
MapExport structuredText(const PlcLayout& layout, const QList<MapEntry>& entries, const MapHeader& header,
                         bool strict, bool strictLayout) {
    const NaturalLayout natural = naturalLayout(layout, int(header.outputBytes));
    const bool typed = !strict || (natural.misaligned.isEmpty() && natural.sizeNote.isEmpty());
    if (strict && !typed && strictLayout) {
        QStringList lines{
            QStringLiteral("A standard IEC 61131-3 compiler cannot lay this structure out as the "
                           "data array: it places INT and UINT on multiples of 2, DINT, UDINT and "
                           "REAL on multiples of 4.")};
        for (const Misaligned& m : natural.misaligned)
            lines << misalignedLine(m, QStringLiteral("a standard compiler"));
        if (!natural.sizeNote.isEmpty())
            lines << natural.sizeNote;
        return {{}, lines.join(u'\n'), natural.misaligned};
    }
    const DecoderDescription decoder =
        decoderDescription(entries, memberNames(entries, header), layout.typeName, int(header.outputBytes));
    QStringList lines = fullHeader(header, layout.typeName, entries);
    if (!strict)
        lines << QStringLiteral("The structure is packed (pack_mode 1): every member starts at the byte its "
                                "comment names.");
    else if (typed)
        lines << QStringLiteral("Every member sits at its natural alignment, so a standard compiler lays the "
                                "structure out exactly as its comments name the bytes.");
    else {
        lines << QStringLiteral(
                     "No typed structure is written: a standard compiler aligns INT and UINT on 2 "
                     "bytes, DINT, UDINT and REAL on 4, and would read these members at other bytes. "
                     "Read the values through %1 below.")
                     .arg(decoder.blockName);
        for (const Misaligned& m : natural.misaligned)
            lines << misalignedLine(m, QStringLiteral("a standard compiler"));
        if (!natural.sizeNote.isEmpty())
            lines << natural.sizeNote;
    }
    lines << QStringLiteral(
                 "%1 takes the bytes as %2 (ARRAY [0..%3] OF BYTE) and gives each rule's value in "
                 "engineering units: swaps and post operation undone, REAL where scaled or floating "
                 "point, characters as STRING.")
                 .arg(decoder.blockName, decoder.imageType)
                 .arg(header.outputBytes - 1);
    QString text = QStringLiteral("(*\n");
    for (const QString& line : lines)
        text += QStringLiteral("   %1\n").arg(commentText(line));
    text += QStringLiteral("*)\n");
    if (typed)
        text += typedStructure(layout, strict) + u'\n';
    QStringList blockLines;
    for (const QString& line : headerLines(header, layout.typeName))
        blockLines << commentText(line);
    text += decoderText(decoder, blockLines);
    return {text, {}, {}};
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

QString plcOpen(const PlcLayout& layout, const QList<MapEntry>& entries, const MapHeader& header) {
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
    writeDocumentation(xml, fullHeader(header, layout.typeName, entries).join(u' '));
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

void startL5x(QXmlStreamWriter& xml, const QString& target, const QString& targetType,
              const MapHeader& header) {
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    xml.writeStartElement(QStringLiteral("RSLogix5000Content"));
    xml.writeAttribute(QStringLiteral("SchemaRevision"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("SoftwareRevision"), QStringLiteral("20.00"));
    xml.writeAttribute(QStringLiteral("TargetName"), target);
    xml.writeAttribute(QStringLiteral("TargetType"), targetType);
    if (targetType == u"Routine")
        xml.writeAttribute(QStringLiteral("TargetSubType"), QStringLiteral("ST"));
    xml.writeAttribute(QStringLiteral("ContainsContext"), QStringLiteral("true"));
    xml.writeAttribute(QStringLiteral("ExportDate"),
                       header.created.toString(QStringLiteral("ddd MMM dd HH:mm:ss yyyy")));
    xml.writeAttribute(QStringLiteral("ExportOptions"),
                       QStringLiteral("References NoRawData L5KData DecoratedData Context Dependencies "
                                      "ForceProtectedEncoding AllProjDocTrans"));
    xml.writeStartElement(QStringLiteral("Controller"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeAttribute(QStringLiteral("Name"), QStringLiteral("Tessellor"));
}

void writeDescription(QXmlStreamWriter& xml, const QString& text) {
    xml.writeStartElement(QStringLiteral("Description"));
    xml.writeCDATA(text);
    xml.writeEndElement();
}

void writeLogixMember(QXmlStreamWriter& xml, const PlcMember& m) {
    const QString type = logixType(m.type);
    xml.writeStartElement(QStringLiteral("Member"));
    xml.writeAttribute(QStringLiteral("Name"), m.name);
    xml.writeAttribute(QStringLiteral("DataType"), type);
    xml.writeAttribute(QStringLiteral("Dimension"), QString::number(logixArray(m.type) ? m.type.size : 0));
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
    writeDescription(xml, comment);
    xml.writeEndElement();
}

QString logixCopyStep(const QString& tag, int length, const QString& counts) {
    return QStringLiteral("Copy step: COP(<module>:I.Data[0], %1, %2); its length counts %3.")
        .arg(tag)
        .arg(length)
        .arg(counts);
}

// The tags and the routine of the Logix fallback, named after the type.
struct LogixNames {
    QString image, data, scratch, routine;
};
LogixNames logixNames(const QString& typeName) {
    const QString base = typeName.startsWith(QStringLiteral("T_")) ? typeName.mid(2) : typeName;
    const auto named = [&base](const QString& prefix, const QString& suffix) {
        return prefix + base.left(MaxIdentifierLength - int(prefix.size() + suffix.size())) + suffix;
    };
    return {named({}, QStringLiteral("_Image")), named({}, QStringLiteral("_Data")),
            named({}, QStringLiteral("_Bytes")), named(QStringLiteral("R_"), QStringLiteral("_Decode"))};
}

// Where the layout does not fit Logix's alignment: the bytes go into a SINT array tag as they
// arrive, and a Structured Text routine moves each rule's bytes into a member of a typed tag, in
// the order that undoes its swaps.
QString l5xFallback(const PlcLayout& layout, const QList<MapEntry>& entries, const MapHeader& header,
                    const QList<Misaligned>& misaligned) {
    const LogixNames names = logixNames(layout.typeName);
    const QString& image = names.image;
    const QString& data = names.data;
    const QString& scratch = names.scratch;
    const QString& routine = names.routine;
    QStringList description = fullHeader(header, layout.typeName, entries);
    description << QStringLiteral(
                       "Logix would read these members at other bytes, so the Output array comes into "
                       "the SINT[%1] tag %2 and the routine %3 moves each rule's bytes into %4, a tag of "
                       "this type, with its swaps undone:")
                       .arg(header.outputBytes)
                       .arg(image, routine, data);
    for (const Misaligned& m : misaligned)
        description << misalignedLine(m, QStringLiteral("Logix"));
    description << logixCopyStep(
        QStringLiteral("%1[0]").arg(image), int(header.outputBytes),
        QStringLiteral("SINT elements, the %1 bytes of the Output array").arg(header.outputBytes));

    QString text;
    QXmlStreamWriter xml(&text);
    startL5x(xml, routine, QStringLiteral("Routine"), header);
    xml.writeStartElement(QStringLiteral("DataTypes"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeStartElement(QStringLiteral("DataType"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeAttribute(QStringLiteral("Name"), layout.typeName);
    xml.writeAttribute(QStringLiteral("Family"), QStringLiteral("NoFamily"));
    xml.writeAttribute(QStringLiteral("Class"), QStringLiteral("User"));
    writeDescription(xml, description.join(u' '));
    xml.writeStartElement(QStringLiteral("Members"));
    // Logix places the members as it aligns them; the routine fills them by name.
    for (const PlcMember& m : layout.members) {
        if (!m.entry)
            continue;
        PlcMember typed = m;
        typed.type = valueType(m.entry->field, m.entry->size); // the routine undoes the swaps
        writeLogixMember(xml, typed);
    }
    xml.writeEndElement(); // Members
    xml.writeEndElement(); // DataType
    xml.writeEndElement(); // DataTypes

    xml.writeStartElement(QStringLiteral("Tags"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    const auto tag = [&xml](const QString& name, const QString& type, int dimensions, const QString& about) {
        xml.writeStartElement(QStringLiteral("Tag"));
        xml.writeAttribute(QStringLiteral("Name"), name);
        xml.writeAttribute(QStringLiteral("TagType"), QStringLiteral("Base"));
        xml.writeAttribute(QStringLiteral("DataType"), type);
        if (dimensions > 0)
            xml.writeAttribute(QStringLiteral("Dimensions"), QString::number(dimensions));
        if (type == u"SINT")
            xml.writeAttribute(QStringLiteral("Radix"), QStringLiteral("Hex"));
        xml.writeAttribute(QStringLiteral("Constant"), QStringLiteral("false"));
        xml.writeAttribute(QStringLiteral("ExternalAccess"), QStringLiteral("Read/Write"));
        writeDescription(xml, about);
        xml.writeEndElement();
    };
    tag(image, QStringLiteral("SINT"), int(header.outputBytes),
        QStringLiteral("The Output array of configuration \"%1\" as the PLC receives it")
            .arg(header.configuration));
    tag(data, layout.typeName, 0, QStringLiteral("The values of the rules, filled by %1").arg(routine));
    tag(scratch, QStringLiteral("SINT"), 4,
        QStringLiteral("One value's bytes in little-endian order, for %1").arg(routine));
    xml.writeEndElement(); // Tags

    QStringList lines{QStringLiteral("(* Fills %1 from %2; run it after the copy step. *)").arg(data, image)};
    for (const PlcMember& m : layout.members) {
        if (!m.entry)
            continue;
        const MapEntry& e = *m.entry;
        const quint8 swaps =
            (e.swapAll ? BankLayout::SwapAllBit : 0) | (e.swap16 ? BankLayout::Swap16Bit : 0);
        const PlcValueType value = valueType(e.field, e.size);
        lines << QStringLiteral("(* rule %1, byte %2, %3 *)")
                     .arg(e.rule)
                     .arg(e.firstByte)
                     .arg(byteOrderText(e.size, swaps));
        const bool text = logixArray(value);
        for (int k = 0; k < e.size; ++k) {
            const int from = e.firstByte + swappedPosition(k, e.size, swaps);
            lines
                << (text
                        ? QStringLiteral("%1.%2[%3] := %4[%5];").arg(data, m.name).arg(k).arg(image).arg(from)
                        : QStringLiteral("%1[%2] := %3[%4];").arg(scratch).arg(k).arg(image).arg(from));
        }
        if (!text)
            lines << QStringLiteral("COP(%1[0], %2.%3, 1);").arg(scratch, data, m.name);
    }
    xml.writeStartElement(QStringLiteral("Programs"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeStartElement(QStringLiteral("Program"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeAttribute(QStringLiteral("Name"), QStringLiteral("MainProgram"));
    xml.writeStartElement(QStringLiteral("Routines"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeStartElement(QStringLiteral("Routine"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Target"));
    xml.writeAttribute(QStringLiteral("Name"), routine);
    xml.writeAttribute(QStringLiteral("Type"), QStringLiteral("ST"));
    writeDescription(xml, QStringLiteral("Moves the rules' bytes from %1 into %2").arg(image, data));
    xml.writeStartElement(QStringLiteral("STContent"));
    for (int n = 0; n < lines.size(); ++n) {
        xml.writeStartElement(QStringLiteral("Line"));
        xml.writeAttribute(QStringLiteral("Number"), QString::number(n));
        xml.writeCDATA(lines[n]);
        xml.writeEndElement();
    }
    xml.writeEndElement(); // STContent
    xml.writeEndElement(); // Routine
    xml.writeEndElement(); // Routines
    xml.writeEndElement(); // Program
    xml.writeEndElement(); // Programs
    xml.writeEndElement(); // Controller
    xml.writeEndElement(); // RSLogix5000Content
    xml.writeEndDocument();
    return text + u'\n';
}

MapExport l5x(const PlcLayout& layout, const QList<MapEntry>& entries, const MapHeader& header,
              bool strictLayout) {
    const LogixLayout logix = logixLayout(layout, int(header.outputBytes));
    if (!logix.misaligned.isEmpty()) {
        if (!strictLayout)
            return {l5xFallback(layout, entries, header, logix.misaligned), {}, logix.misaligned};
        QStringList lines{
            QStringLiteral("Logix cannot read this layout: it places INT on multiples of 2, DINT "
                           "and REAL on multiples of 4 and arrays on whole 4-byte words.")};
        for (const Misaligned& m : logix.misaligned)
            lines << misalignedLine(m, QStringLiteral("Logix"));
        return {{}, lines.join(u'\n'), logix.misaligned};
    }
    QString text;
    QXmlStreamWriter xml(&text);
    startL5x(xml, layout.typeName, QStringLiteral("DataType"), header);
    xml.writeStartElement(QStringLiteral("DataTypes"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Context"));
    xml.writeStartElement(QStringLiteral("DataType"));
    xml.writeAttribute(QStringLiteral("Use"), QStringLiteral("Target"));
    xml.writeAttribute(QStringLiteral("Name"), layout.typeName);
    xml.writeAttribute(QStringLiteral("Family"), QStringLiteral("NoFamily"));
    xml.writeAttribute(QStringLiteral("Class"), QStringLiteral("User"));
    QStringList description = fullHeader(header, layout.typeName, entries);
    if (logix.size != int(header.outputBytes))
        description << QStringLiteral("Logix makes this type %1 bytes long; the connection carries %2.")
                           .arg(logix.size)
                           .arg(header.outputBytes);
    description << logixCopyStep(QStringLiteral("<tag>"), 1,
                                 QStringLiteral("whole %1 structures of %2 bytes, so 1 copies them all")
                                     .arg(layout.typeName)
                                     .arg(logix.size));
    writeDescription(xml, description.join(u' '));
    xml.writeStartElement(QStringLiteral("Members"));
    for (const PlcMember& m : logix.members)
        writeLogixMember(xml, m);
    xml.writeEndElement(); // Members
    xml.writeEndElement(); // DataType
    xml.writeEndElement(); // DataTypes
    xml.writeEndElement(); // Controller
    xml.writeEndElement(); // RSLogix5000Content
    xml.writeEndDocument();
    return {text + u'\n', {}, {}};
}

// The members of entries by first byte, padding in the gaps up to outputBytes, every one named.
QList<PlcMember> layMembers(const QList<MapEntry>& entries, int outputBytes) {
    QList<PlcMember> members;
    PlcNames names;
    int next = 0;
    const auto pad = [&](int end) {
        if (end > next)
            members << PlcMember{
                next, end - next, names.take(paddingName(next)), {ValueKind::Raw, end - next}, nullptr};
    };
    for (const MapEntry& e : entries) {
        pad(e.firstByte);
        members << PlcMember{e.firstByte, e.size, {}, e.type, &e};
        next = std::max(next, e.lastByte + 1);
    }
    pad(outputBytes);
    // Names after the padding has its own, although no mnemonic is made into a padding name.
    for (PlcMember& m : members) {
        if (!m.entry)
            continue;
        const QString base = plcIdentifier(m.entry->mnemonic);
        m.name = names.take(base.isEmpty() ? QStringLiteral("Rule_%1").arg(m.entry->rule) : base);
    }
    return members;
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

    layout.members = layMembers(entries, int(header.outputBytes));
    return layout;
}

QMap<int, QString> memberNames(const QList<MapEntry>& entries, const MapHeader& header) {
    QMap<int, QString> names;
    for (const PlcMember& m : layMembers(entries, int(header.outputBytes))) {
        if (m.entry)
            names.insert(m.entry->rule, m.name);
    }
    return names;
}

MapExport exportMap(const QList<MapEntry>& entries, const MapHeader& header, MapFormat format,
                    bool strictLayout) {
    if (format == MapFormat::Csv)
        return {mapCsv(entries, header), {}, {}};
    if (format == MapFormat::Json)
        return {mapJson(entries, header), {}, {}};
    const PlcLayout layout = plcLayout(entries, header);
    if (!layout.error.isEmpty())
        return {{}, layout.error, {}};
    switch (format) {
    case MapFormat::St:
        return structuredText(layout, entries, header, false, strictLayout);
    case MapFormat::Iec:
        return structuredText(layout, entries, header, true, strictLayout);
    case MapFormat::PlcOpen:
        return {plcOpen(layout, entries, header), {}, {}};
    case MapFormat::L5x:
        return l5x(layout, entries, header, strictLayout);
    case MapFormat::Csv:
    case MapFormat::Json:
        break;
    }
    return {};
}

std::optional<LogixHandoff> logixHandoff(const QList<MapEntry>& entries, const MapHeader& header) {
    const PlcLayout layout = plcLayout(entries, header);
    if (!layout.error.isEmpty())
        return std::nullopt;
    const LogixLayout logix = logixLayout(layout, int(header.outputBytes));
    const LogixNames names = logixNames(layout.typeName);
    return LogixHandoff{logix.misaligned.isEmpty(), layout.typeName, logix.size, names.image, names.routine};
}

QStringList handoffLines(const QList<MapEntry>& entries, const MapHeader& header) {
    QStringList lines{
        QStringLiteral("Values are placed as this program assumes the converter places them (the type of "
                       "the field, little-endian, the post operation applied, then the swaps); check against "
                       "the converter's manual."),
        QStringLiteral(
            "From the PLC's side: its input is the converter's Output array, %1 bytes; its output "
            "is the converter's Input array, %2 bytes; the connection carries both as bytes (SINT).")
            .arg(header.outputBytes)
            .arg(header.inputBytes)};
    QStringList orders;
    for (const MapEntry& e : entries) {
        const quint8 swaps =
            (e.swapAll ? BankLayout::SwapAllBit : 0) | (e.swap16 ? BankLayout::Swap16Bit : 0);
        if (swaps & ~swapsWithoutEffect(swaps, e.size)) {
            const QString order = byteOrderText(e.size, swaps);
            if (!orders.contains(order))
                orders << order;
        }
    }
    lines << (orders.isEmpty()
                  ? QStringLiteral("No rule reorders its bytes.")
                  : QStringLiteral("Byte order in the array, b0 being a number's least significant "
                                   "byte or a text's first character: %1.")
                        .arg(orders.join(QStringLiteral("; "))));
    lines << QStringLiteral("From the converter's manual, to fill in: Output array assembly instance ____, "
                            "Input array assembly instance ____, configuration assembly instance ____, "
                            "RPI ____ ms.");
    return lines;
}

} // namespace Review
