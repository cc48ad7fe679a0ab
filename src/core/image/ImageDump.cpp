#include "core/image/ImageDump.h"

#include "core/comm/SerialIndex.h"
#include "core/comm/SerialLine.h"
#include "core/image/BankImage.h"
#include "core/nmea/NmeaCatalog.h"

namespace {

using namespace BankLayout;

QString hex3(int offset) {
    return QStringLiteral("0x") + QString::number(offset, 16).toUpper().rightJustified(3, QLatin1Char('0'));
}

QString line(int offset, const QString& name, const QString& value) {
    return QStringLiteral("%1 %2: %3").arg(hex3(offset), name, value);
}

QString parityName(quint32 code) {
    return code < std::size(kParities) ? QLatin1String(kParities[code]) : QStringLiteral("unknown");
}

QString named(const QString& name, quint32 code) {
    return QStringLiteral("%1 (%2)").arg(name.isEmpty() ? QStringLiteral("unknown") : name).arg(code);
}

void describePort(const BankImage& image, QStringList& lines, const QString& port, int baud, int parity,
                  int stopBits, bool compact) {
    const quint32 parityCode = compact ? image.u8(parity) : image.u16(parity);
    const quint32 stops = compact ? image.u8(stopBits) : image.u32(stopBits);
    lines << line(baud, port + QStringLiteral(" baud rate"), QString::number(image.u32(baud)))
          << line(parity, port + QStringLiteral(" parity"), named(parityName(parityCode), parityCode))
          << line(stopBits, port + QStringLiteral(" stop bits"), QString::number(stops));
}

QString enableBits(quint8 bits) {
    QStringList ports;
    if (bits & EnableRS232)
        ports << QStringLiteral("RS232");
    if (bits & EnableRS485_1)
        ports << QStringLiteral("RS485 1");
    if (bits & EnableRS485_2)
        ports << QStringLiteral("RS485 2");
    return QStringLiteral("0x%1 (%2)")
        .arg(bits, 2, 16, QLatin1Char('0'))
        .arg(ports.isEmpty() ? QStringLiteral("none") : ports.join(QStringLiteral(", ")));
}

QString yesNo(bool on) {
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

QString ruleLine(int k, const RuleRecord& r) {
    const bool knownSentence = r.sentence >= 1 && r.sentence <= Nmea::SentenceCount;
    const QString sentence = knownSentence ? Nmea::sentenceName(r.sentence) : QString();
    const QString field = knownSentence ? Nmea::fieldText(r.sentence, r.field) : QString();
    const QStringList labels = Nmea::postOperationLabels();
    const QString postOperation = r.postOperation < labels.size() ? labels[r.postOperation] : QString();
    // The bytes the value fills in the data array, for laying out the PLC's view of it.
    const qint32 size = knownSentence ? Nmea::fieldSize(r.sentence, r.field) : 0;
    const QString extent =
        size > 0 ? QStringLiteral(", size %1, last byte %2").arg(size).arg(r.position + size - 1)
                 : QStringLiteral(", size unknown");
    return QStringLiteral("%1 rule %2: sentence %3, field %4, channel %5, post-operation %6, "
                          "swap all %7, swap 16 %8, Index %9, Position %10")
               .arg(hex3(RuleTable + RecordSize * k))
               .arg(k + 1)
               .arg(named(sentence, r.sentence))
               .arg(named(field.isEmpty() ? QString() : QLatin1Char('"') + field + QLatin1Char('"'), r.field))
               .arg(named(serialChannelName(r.channel), r.channel))
               .arg(named(postOperation, r.postOperation))
               .arg(yesNo(r.swaps & SwapAllBit))
               .arg(yesNo(r.swaps & Swap16Bit))
               .arg(r.index)
               .arg(r.position) +
           extent;
}

bool fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool describeImage(const QByteArray& bytes, QStringList& lines, QString* error) {
    lines.clear();
    const auto image = BankImage::fromBytes(bytes);
    if (!image)
        return fail(error,
                    QStringLiteral("The file has %1 bytes; an image has %2").arg(bytes.size()).arg(Size));
    const quint32 stored = image->u32(Checksum);
    const quint32 computed = image->computeChecksum();
    if (stored != computed)
        return fail(error, QStringLiteral("The checksum %1 does not match the content, which sums to %2")
                               .arg(stored)
                               .arg(computed));
    const quint32 count = image->u32(RuleCount);
    if (count > MaxRules)
        return fail(error, QStringLiteral("The rule count %1 is more than the %2 records of the table")
                               .arg(count)
                               .arg(MaxRules));

    describePort(*image, lines, QStringLiteral("RS485 1"), RS485_1_Baud, RS485_1_Parity, RS485_1_StopBits,
                 false);
    lines << line(IpAddress, QStringLiteral("IP address"), dottedAddress(image->addressAt(IpAddress)))
          << line(SubnetMask, QStringLiteral("subnet mask"), dottedAddress(image->addressAt(SubnetMask)))
          << line(Gateway, QStringLiteral("gateway"), dottedAddress(image->addressAt(Gateway)))
          << line(ApplicationPort, QStringLiteral("application port"),
                  QString::number(image->u16(ApplicationPort)))
          << line(EtherNetIP_Port, QStringLiteral("EtherNet/IP port"),
                  QString::number(image->u16(EtherNetIP_Port)))
          << line(EtherNetIP_Port2, QStringLiteral("EtherNet/IP port, second copy"),
                  QString::number(image->u16(EtherNetIP_Port2)));
    describePort(*image, lines, QStringLiteral("RS232"), RS232_Baud, RS232_Parity, RS232_StopBits, false);
    lines << line(NbInput, QStringLiteral("input array size"), QString::number(image->u32(NbInput)))
          << line(NbOutput, QStringLiteral("output array size"), QString::number(image->u32(NbOutput)))
          << line(RuleTableAddress, QStringLiteral("rule table address"),
                  QStringLiteral("0x%1").arg(image->u32(RuleTableAddress), 8, 16, QLatin1Char('0')))
          << line(RuleCount, QStringLiteral("rule count"), QString::number(count));
    describePort(*image, lines, QStringLiteral("RS485 2"), RS485_2_Baud, RS485_2_Parity, RS485_2_StopBits,
                 true);
    lines << line(SerialEnable, QStringLiteral("serial port enable bits"),
                  enableBits(image->u8(SerialEnable)))
          << line(Checksum, QStringLiteral("checksum"),
                  QStringLiteral("%1 (0x%2)")
                      .arg(stored)
                      .arg(QString::number(stored, 16).toUpper().rightJustified(8, QLatin1Char('0'))));
    for (int k = 0; k < static_cast<int>(count); ++k)
        lines << ruleLine(k, image->record(k));
    return true;
}
