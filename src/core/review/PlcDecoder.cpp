#include "core/review/PlcDecoder.h"

#include "core/image/BankImage.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcNames.h"

#include <cmath>

namespace Review {

namespace {

// The printable ASCII characters 32..126 as a structured text literal: the character of code c
// is MID(kPrintable, 1, c - 31). $ and ' are written $$ and $'.
const char kPrintable[] =
    " !\"#$$%&$'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

quint8 swapsOf(const MapEntry& e) {
    return (e.swapAll ? BankLayout::SwapAllBit : 0) | (e.swap16 ? BankLayout::Swap16Bit : 0);
}

// A name of at most MaxIdentifierLength characters: prefix, base, suffix.
QString blockName(const QString& prefix, const QString& base, const QString& suffix) {
    return prefix + base.left(MaxIdentifierLength - int(prefix.size() + suffix.size())) + suffix;
}

QString realLiteral(int factor) {
    return QString::number(factor) + QStringLiteral(".0");
}

// BYTE_TO_UDINT(Image[12]) + BYTE_TO_UDINT(Image[13]) * 256 + ...
QString bitsExpression(const DecoderDescription& d, const DecodeStep& s) {
    QStringList terms;
    quint64 weight = 1;
    for (int k = 0; k < s.size; ++k, weight *= 256) {
        QString term = QStringLiteral("BYTE_TO_UDINT(%1[%2])").arg(d.input).arg(s.byteAt[k]);
        if (weight > 1)
            term += QStringLiteral(" * %1").arg(weight);
        terms << term;
    }
    return terms.join(QStringLiteral(" + "));
}

QString scaled(const QString& expression, const PostScaling& scaling) {
    if (scaling.factor == 1)
        return expression;
    return QStringLiteral("%1 %2 %3")
        .arg(expression, scaling.multiplied ? QStringLiteral("/") : QStringLiteral("*"),
             realLiteral(scaling.factor));
}

QString stepText(const DecoderDescription& d, const DecodeStep& s) {
    QString text = QStringLiteral("(* %1 *)\n").arg(s.comment);
    if (s.kind == DecodedKind::Text) {
        text += QStringLiteral("%1 := '';\n").arg(s.output);
        for (int k = 0; k < s.size; ++k)
            text += QStringLiteral("%1 := CONCAT(%1, %2(%3[%4]));\n")
                        .arg(s.output, d.charFunction, d.input)
                        .arg(s.byteAt[k]);
        return text;
    }
    text += QStringLiteral("%1 := %2;\n").arg(d.bits, bitsExpression(d, s));
    if (s.value.kind == ValueKind::Real)
        return text +
               QStringLiteral("%1 := %2;\n")
                   .arg(s.output, scaled(QStringLiteral("%1(%2)").arg(d.realFunction, d.bits), s.scaling));
    if (s.value.kind == ValueKind::Unsigned) {
        if (s.kind == DecodedKind::Real)
            return text +
                   QStringLiteral("%1 := %2;\n")
                       .arg(s.output, scaled(QStringLiteral("UDINT_TO_REAL(%1)").arg(d.bits), s.scaling));
        return text + (s.size == 4
                           ? QStringLiteral("%1 := %2;\n").arg(s.output, d.bits)
                           : QStringLiteral("%1 := UDINT_TO_%2(%3);\n").arg(s.output, s.outputType, d.bits));
    }
    // Signed: the upper half of the unsigned range is negative; no step leaves the DINT range.
    const quint64 largest = (quint64(1) << (8 * s.size)) - 1;
    text += QStringLiteral("IF %1 >= %2 THEN\n    %3 := -UDINT_TO_DINT(%4 - %1) - 1;\nELSE\n    %3 := "
                           "UDINT_TO_DINT(%1);\nEND_IF;\n")
                .arg(d.bits, QString::number(largest / 2 + 1), d.whole, QString::number(largest));
    if (s.kind == DecodedKind::Real)
        return text + QStringLiteral("%1 := %2;\n")
                          .arg(s.output, scaled(QStringLiteral("DINT_TO_REAL(%1)").arg(d.whole), s.scaling));
    return text + (s.size == 4
                       ? QStringLiteral("%1 := %2;\n").arg(s.output, d.whole)
                       : QStringLiteral("%1 := DINT_TO_%2(%3);\n").arg(s.output, s.outputType, d.whole));
}

// What the generated REAL function computes, in the PLC's single precision.
float realOfBits(quint32 bits) {
    const quint32 exponent = (bits / 8388608u) % 256u;
    const float mantissa = float(bits % 8388608u);
    float magnitude = 0.0f;
    if (exponent == 0)
        magnitude = mantissa / 8388608.0f * std::ldexp(1.0f, -126);
    else if (exponent != 255)
        magnitude = (1.0f + mantissa / 8388608.0f) * std::ldexp(1.0f, int(exponent) - 127);
    return bits >= 2147483648u ? -magnitude : magnitude;
}

float scaledTwin(float value, const PostScaling& scaling) {
    if (scaling.factor == 1)
        return value;
    return scaling.multiplied ? value / float(scaling.factor) : value * float(scaling.factor);
}

} // namespace

DecoderDescription decoderDescription(const QList<MapEntry>& entries, const QMap<int, QString>& names,
                                      const QString& typeName, int outputBytes) {
    DecoderDescription d;
    const QString base = typeName.startsWith(QStringLiteral("T_")) ? typeName.mid(2) : typeName;
    d.imageType = blockName(QStringLiteral("T_"), base, QStringLiteral("_Image"));
    d.blockName = blockName(QStringLiteral("FB_"), base, QStringLiteral("_Decode"));
    d.realFunction = blockName(QStringLiteral("F_"), base, QStringLiteral("_Real"));
    d.charFunction = blockName(QStringLiteral("F_"), base, QStringLiteral("_Char"));
    d.imageBytes = outputBytes;
    // The function block's own names step aside for the outputs.
    PlcNames taken;
    for (const QString& name : names)
        taken.take(name);
    d.input = taken.take(QStringLiteral("Image"));
    d.bits = taken.take(QStringLiteral("Bits"));
    d.whole = taken.take(QStringLiteral("Whole"));
    const QStringList labels = Nmea::postOperationLabels();
    for (const MapEntry& e : entries) {
        if (e.firstByte < 0 || e.lastByte >= outputBytes)
            continue; // never received
        DecodeStep s;
        s.rule = e.rule;
        s.output = names.value(e.rule, QStringLiteral("Rule_%1").arg(e.rule));
        s.firstByte = e.firstByte;
        s.size = e.size;
        s.value = valueType(e.field, e.size);
        s.swaps = swapsOf(e);
        s.scaling = postScaling(int(labels.indexOf(e.postOperation)));
        for (int k = 0; k < e.size; ++k)
            s.byteAt << e.firstByte + swappedPosition(k, e.size, s.swaps);
        switch (s.value.kind) {
        case ValueKind::Real:
            s.kind = DecodedKind::Real;
            s.outputType = QStringLiteral("REAL");
            break;
        case ValueKind::Unsigned:
        case ValueKind::Signed:
            s.kind = s.scaling.factor == 1 ? DecodedKind::Integer : DecodedKind::Real;
            s.outputType = s.kind == DecodedKind::Real ? QStringLiteral("REAL") : iecTypeName(s.value);
            break;
        case ValueKind::Characters:
        case ValueKind::Raw:
            s.kind = DecodedKind::Text;
            s.outputType = QStringLiteral("STRING[%1]").arg(e.size);
            break;
        }
        const QString range = e.size == 1 ? QStringLiteral("byte %1").arg(e.firstByte)
                                          : QStringLiteral("bytes %1 to %2").arg(e.firstByte).arg(e.lastByte);
        s.comment = QStringLiteral("rule %1, %2, %3, %4")
                        .arg(QString::number(e.rule), range, byteOrderText(e.size, s.swaps), e.meaning);
        d.steps << s;
    }
    return d;
}

QString decoderText(const DecoderDescription& d, const QStringList& commentLines) {
    QString text = QStringLiteral("TYPE %1 : ARRAY [0..%2] OF BYTE;\nEND_TYPE\n\n")
                       .arg(d.imageType)
                       .arg(d.imageBytes - 1);
    // No standard function reinterprets bits as REAL: sign, exponent and mantissa rebuild it.
    text += QStringLiteral(
                "FUNCTION %1 : REAL\n"
                "(* The IEEE 754 single-precision value of Bits; 0.0 for infinity and not-a-number. *)\n"
                "VAR_INPUT\n    Bits : UDINT;\nEND_VAR\n"
                "VAR\n    Exponent : UDINT;\n    Mantissa : REAL;\n    Magnitude : REAL;\nEND_VAR\n"
                "Exponent := (Bits / 8388608) MOD 256;\n"
                "Mantissa := UDINT_TO_REAL(Bits MOD 8388608);\n"
                "IF Exponent = 0 THEN\n"
                "    Magnitude := Mantissa / 8388608.0 * EXPT(2.0, -126);\n"
                "ELSIF Exponent = 255 THEN\n"
                "    Magnitude := 0.0;\n"
                "ELSE\n"
                "    Magnitude := (1.0 + Mantissa / 8388608.0) * EXPT(2.0, UDINT_TO_INT(Exponent) - 127);\n"
                "END_IF;\n"
                "IF Bits >= 2147483648 THEN\n    %1 := -Magnitude;\nELSE\n    %1 := Magnitude;\nEND_IF;\n"
                "END_FUNCTION\n\n")
                .arg(d.realFunction);
    text += QStringLiteral("FUNCTION %1 : STRING[1]\n"
                           "(* The character of a printable ASCII code, else nothing. *)\n"
                           "VAR_INPUT\n    Code : BYTE;\nEND_VAR\n"
                           "VAR\n    Number : INT;\nEND_VAR\n"
                           "Number := BYTE_TO_INT(Code);\n"
                           "IF Number >= 32 AND Number <= 126 THEN\n"
                           "    %1 := MID('%2', 1, Number - 31);\n"
                           "ELSE\n    %1 := '';\nEND_IF;\n"
                           "END_FUNCTION\n\n")
                .arg(d.charFunction, QLatin1String(kPrintable));
    text += QStringLiteral("FUNCTION_BLOCK %1\n(*\n").arg(d.blockName);
    for (const QString& line : commentLines)
        text += QStringLiteral("   %1\n").arg(line);
    text += QStringLiteral(
                "*)\nVAR_INPUT\n    %1 : %2; (* the Output array as received *)\nEND_VAR\nVAR_OUTPUT\n")
                .arg(d.input, d.imageType);
    for (const DecodeStep& s : d.steps)
        text += QStringLiteral("    %1 : %2; (* rule %3 *)\n").arg(s.output, s.outputType).arg(s.rule);
    text += QStringLiteral("END_VAR\nVAR\n    %1 : UDINT;\n    %2 : DINT;\nEND_VAR\n").arg(d.bits, d.whole);
    for (const DecodeStep& s : d.steps)
        text += stepText(d, s);
    text += QStringLiteral("END_FUNCTION_BLOCK\n");
    return text;
}

QList<DecodedValue> decodeTwin(const DecoderDescription& d, const QByteArray& image) {
    QList<DecodedValue> values;
    const auto byte = [&image](int at) { return at < image.size() ? quint8(image[at]) : quint8(0); };
    for (const DecodeStep& s : d.steps) {
        DecodedValue v;
        if (s.kind == DecodedKind::Text) {
            for (int k = 0; k < s.size; ++k) {
                const quint8 code = byte(s.byteAt[k]);
                if (code >= 32 && code <= 126)
                    v.text += QLatin1Char(char(code));
            }
            values << v;
            continue;
        }
        quint32 bits = 0;
        for (int k = 0; k < s.size; ++k)
            bits += quint32(byte(s.byteAt[k])) << (8 * k);
        if (s.value.kind == ValueKind::Real) {
            v.number = scaledTwin(realOfBits(bits), s.scaling);
        } else if (s.value.kind == ValueKind::Unsigned) {
            v.number = s.kind == DecodedKind::Real ? scaledTwin(float(bits), s.scaling) : double(bits);
        } else {
            const quint64 largest = (quint64(1) << (8 * s.size)) - 1;
            const qint32 whole =
                bits >= largest / 2 + 1 ? -qint32(quint32(largest - bits)) - 1 : qint32(bits);
            v.number = s.kind == DecodedKind::Real ? scaledTwin(float(whole), s.scaling) : double(whole);
        }
        values << v;
    }
    return values;
}

} // namespace Review
