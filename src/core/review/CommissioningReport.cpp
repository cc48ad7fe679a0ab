#include "core/review/CommissioningReport.h"

#include "core/comm/SerialIndex.h"
#include "core/comm/SerialLine.h"
#include "core/image/BankCompiler.h"
#include "core/language/MessageCatalog.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulesCheck.h"
#include "core/review/OutputArray.h"
#include "core/review/PlcExport.h"
#include "core/review/PlcTypes.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/shell/ProductIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace Review {

namespace {

namespace Text = TextSlot::Report;
namespace ReviewText = TextSlot::ReviewWindows;
using namespace BankLayout;

QString checksumText(quint32 checksum) {
    return QStringLiteral("%1 (0x%2)")
        .arg(checksum)
        .arg(QString::number(checksum, 16).toUpper().rightJustified(8, u'0'));
}

// "2026-12-11 09:30 UTC+01:00": the offset says where the date was taken.
QString dateText(const QDateTime& created) {
    const int offset = created.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QStringLiteral("%1 UTC%2%3:%4")
        .arg(created.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
             offset < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

struct StoredImageCheck {
    StoredImage state = StoredImage::Same;
    QString value; // what the sheet says of it
};

StoredImageCheck checkStoredImage(const QString& path, const std::optional<BankImage>& expected,
                                  const MessageCatalog& texts) {
    if (!expected)
        return {StoredImage::TooMany, texts.text(Text::ChecksumNone).arg(MaxRules)};
    const QFileInfo info(path);
    if (!info.exists())
        return {StoredImage::Missing, texts.text(Text::ImageMissing)};
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return {StoredImage::Unreadable,
                texts.text(Text::ImageUnreadable)
                    .arg(info.isDir() ? QStringLiteral("it is a folder") : file.errorString())};
    const std::optional<BankImage> stored = BankImage::fromBytes(file.read(Size + 1));
    if (!stored)
        return {StoredImage::Unreadable,
                texts.text(Text::ImageUnreadable).arg(QStringLiteral("it is not %1 bytes long").arg(Size))};
    if (stored->bytes() != expected->bytes())
        return {StoredImage::Differs,
                texts.text(Text::ImageDiffers).arg(checksumText(stored->u32(Checksum)))};
    return {StoredImage::Same, texts.text(Text::ImageSame)};
}

struct PortPlaces {
    const char* name;
    quint8 enableBit;
    int baud;
    int parity;
    int stopBits;
    bool compact; // parity and stop bits one byte each
};

constexpr PortPlaces kPorts[] = {
    {"RS232", EnableRS232, RS232_Baud, RS232_Parity, RS232_StopBits, false},
    {"RS485 1", EnableRS485_1, RS485_1_Baud, RS485_1_Parity, RS485_1_StopBits, false},
    {"RS485 2", EnableRS485_2, RS485_2_Baud, RS485_2_Parity, RS485_2_StopBits, true},
};

ReportTable portsTable(const BankImage& parameters, const MessageCatalog& texts) {
    ReportTable table;
    for (int k = 0; k < Text::PortHeadings.count; ++k)
        table.headings << texts.text(Text::PortHeadings.at(k));
    const quint8 enabled = parameters.u8(SerialEnable);
    for (const PortPlaces& port : kPorts) {
        if (!(enabled & port.enableBit)) {
            table.rows << QStringList{QLatin1String(port.name), texts.text(Text::PortOff), {}, {}, {}, {}};
            continue;
        }
        const quint32 parity = port.compact ? parameters.u8(port.parity) : parameters.u16(port.parity);
        // The image keeps the stop bits' list position plus one.
        const quint32 stops = port.compact ? parameters.u8(port.stopBits) : parameters.u32(port.stopBits);
        table.rows << QStringList{
            QLatin1String(port.name),
            texts.text(Text::PortOn),
            QString::number(parameters.u32(port.baud)),
            parity < std::size(kParities) ? QLatin1String(kParities[parity]) : QString::number(parity),
            stops >= 1 && stops <= std::size(kStopBits) ? QLatin1String(kStopBits[stops - 1])
                                                        : QString::number(stops),
            QString::number(SerialLine{}.dataBits)};
    }
    return table;
}

QList<ReportFact> networkFacts(const BankImage& parameters, const MessageCatalog& texts) {
    const quint32 gateway = parameters.addressAt(Gateway);
    // The compiler writes 255.255.255.255 for a gateway that is switched off.
    const QStringList values{
        dottedAddress(parameters.addressAt(IpAddress)),
        dottedAddress(parameters.addressAt(SubnetMask)),
        gateway == 0xFFFFFFFF ? texts.text(Text::GatewayOff) : dottedAddress(gateway),
        QString::number(parameters.u16(EtherNetIP_Port)),
        texts.text(Text::ByteCount).arg(parameters.u32(NbOutput)),
        texts.text(Text::ByteCount).arg(parameters.u32(NbInput)),
        texts.text(Text::ByteOrder),
    };
    QList<ReportFact> facts;
    for (int k = 0; k < Text::NetworkFacts.count; ++k)
        facts << ReportFact{texts.text(Text::NetworkFacts.at(k)), values.value(k)};
    return facts;
}

QString scalingText(const MapEntry& e, const MessageCatalog& texts) {
    const PostScaling scaling = postScaling(Nmea::GetIndexPostOperation(e.postOperation));
    if (scaling.factor == 1)
        return texts.text(Text::ScalingNone);
    return texts.text(scaling.multiplied ? Text::ScalingMultiplied : Text::ScalingDivided)
        .arg(scaling.factor);
}

QString swapText(const MapEntry& e) {
    QStringList swaps;
    if (e.swapAll)
        swaps << QStringLiteral("All");
    if (e.swap16)
        swaps << QStringLiteral("16");
    return swaps.isEmpty() ? QStringLiteral("-") : swaps.join(QStringLiteral(" + "));
}

ReportTable rulesTable(const Result& review, const MapHeader& header, const MessageCatalog& texts) {
    ReportTable table;
    for (int k = 0; k < Text::RuleHeadings.count; ++k)
        table.headings << texts.text(Text::RuleHeadings.at(k));
    table.headings << texts.text(Text::MemberHeading);
    const QList<MapEntry> entries = dataMap(review);
    const QMap<int, QString> members = memberNames(entries, header);
    for (const MapEntry& e : entries) {
        QString sentence = e.sentence;
        if (e.index > 0)
            sentence += QStringLiteral(", Index %1").arg(e.index);
        table.rows << QStringList{QString::number(e.rule),
                                  e.channel,
                                  sentence,
                                  e.field,
                                  iecTypeName(e.type),
                                  scalingText(e, texts),
                                  swapText(e),
                                  e.size == 1 ? QString::number(e.firstByte)
                                              : texts.text(Text::ByteRange).arg(e.firstByte).arg(e.lastByte),
                                  e.mnemonic.simplified(),
                                  members.value(e.rule)};
    }
    return table;
}

QList<ReportFact> connectionFacts(const Result& review, const MapHeader& header,
                                  const MessageCatalog& texts) {
    QList<ReportFact> facts{
        {texts.text(Text::PlcInput), texts.text(Text::ConnectionBytes).arg(review.outputBytes)},
        {texts.text(Text::PlcOutput), texts.text(Text::ConnectionBytes).arg(review.inputBytes)},
        {texts.text(Text::ValuesLabel), texts.text(Text::ValuesModel)}};
    const QList<MapEntry> entries = dataMap(review);
    // The order each swap setting in use gives, the swap columns named as the rules window names them.
    QStringList orders;
    for (const MapEntry& e : entries) {
        const quint8 swaps = (e.swapAll ? SwapAllBit : 0) | (e.swap16 ? Swap16Bit : 0);
        if (!(swaps & ~swapsWithoutEffect(swaps, e.size)))
            continue;
        QStringList names;
        if (e.swapAll)
            names << texts.text(TextSlot::NmeaAccess::SwapAllHeader);
        if (e.swap16)
            names << texts.text(TextSlot::NmeaAccess::Swap16Header);
        const QString order = texts.text(Text::SwapOrder)
                                  .arg(names.join(QStringLiteral(" + ")), QString::number(e.size),
                                       byteOrderText(e.size, swaps).section(QStringLiteral(": "), 1));
        if (!orders.contains(order))
            orders << order;
    }
    facts << ReportFact{texts.text(Text::ByteOrderLabel),
                        orders.isEmpty() ? texts.text(Text::NoReorder) : orders.join(u'\n')};
    const std::optional<LogixHandoff> logix = logixHandoff(entries, header);
    facts << ReportFact{texts.text(Text::CopyStepLabel),
                        !logix ? texts.text(Text::CopyStepNone)
                        : logix->typed
                            ? texts.text(Text::CopyStepTyped).arg(logix->typeName).arg(logix->typeBytes)
                            : texts.text(Text::CopyStepImage)
                                  .arg(logix->imageTag, QString::number(review.outputBytes), logix->routine)};
    // Only the converter's manual knows these: lines to fill in, never a guess.
    for (int k = 0; k < Text::FillIns.count; ++k)
        facts << ReportFact{texts.text(Text::FillIns.at(k)), QStringLiteral("____________________")};
    return facts;
}

// The errors, said before anything else: the rules they concern, the page filled in by the layout.
QString errorBanner(const Result& review, const MessageCatalog& texts) {
    const int errors = review.count(Severity::Error);
    if (errors == 0)
        return {};
    QList<int> rules;
    for (const Finding& f : review.findings) {
        if (f.severity != Severity::Error)
            continue;
        for (int rule : f.rules) {
            if (!rules.contains(rule))
                rules << rule;
        }
    }
    std::sort(rules.begin(), rules.end());
    if (rules.isEmpty())
        return texts.text(Text::BannerNetwork).arg(errors);
    QStringList numbers;
    for (int rule : rules)
        numbers << QString::number(rule);
    return texts.text(Text::BannerRules).arg(QString::number(errors), numbers.join(QStringLiteral(", ")));
}

ReportTable findingsTable(const Result& review, const MessageCatalog& texts) {
    ReportTable table;
    for (int k = 0; k < ReviewText::FindingsHeaders.count; ++k)
        table.headings << texts.text(ReviewText::FindingsHeaders.at(k));
    for (const Finding& f : review.findings) {
        QStringList rules;
        for (int rule : f.rules)
            rules << QString::number(rule);
        table.rows << QStringList{texts.text(ReviewText::Severities.at(int(f.severity))),
                                  rules.join(QStringLiteral(", ")), f.message};
    }
    return table;
}

} // namespace

std::optional<BankImage> compiledImage(const Result& review, const BankImage& parameters) {
    if (review.compiled.size() > MaxRules)
        return std::nullopt;
    BankImage image = parameters;
    for (qsizetype k = 0; k < review.compiled.size(); ++k)
        image.setRecord(int(k), review.compiled[k].record);
    image.setU32(RuleCount, quint32(review.compiled.size()));
    image.setU32(Checksum, image.computeChecksum());
    return image;
}

CommissioningReport commissioningReport(const Result& review, const BankImage& parameters,
                                        const QString& configuration, const QString& storedImage,
                                        ReportSource source, const QDateTime& created,
                                        const MessageCatalog& texts) {
    CommissioningReport report;
    report.title = texts.text(Text::Title);
    report.product = Product::SW_Desc;

    const MapHeader header = mapHeader(review, configuration);
    const StoredImageCheck image = checkStoredImage(storedImage, compiledImage(review, parameters), texts);
    report.image = image.state;
    report.errorBanner = errorBanner(review, texts);
    const QStringList facts{
        configuration,
        dateText(created),
        header.program,
        review.imageChecksum ? checksumText(*review.imageChecksum)
                             : texts.text(Text::ChecksumNone).arg(MaxRules),
        image.value,
        texts.text(source == ReportSource::SavedDocuments ? Text::SourceSaved : Text::SourceRows),
    };
    for (int k = 0; k < Text::Facts.count; ++k)
        report.facts << ReportFact{texts.text(Text::Facts.at(k)), facts.value(k)};

    report.portsHeading = texts.text(Text::PortsHeading);
    report.ports = portsTable(parameters, texts);
    report.networkHeading = texts.text(Text::NetworkHeading);
    report.network = networkFacts(parameters, texts);
    report.connectionHeading = texts.text(Text::ConnectionHeading);
    report.connection = connectionFacts(review, header, texts);

    report.rulesHeading = texts.text(Text::RulesHeading);
    report.rules = rulesTable(review, header, texts);
    report.noRules = texts.text(Text::NoRules);

    report.mapHeading = texts.text(Text::MapHeading);
    report.mapRules = review.compiled;
    report.outputBytes = review.outputBytes;
    int end = int(std::min<quint32>(review.outputBytes, Nmea::DataArraySize));
    for (const CompiledRule& c : review.compiled)
        end = std::max(end, std::min(c.endByte(), Nmea::DataArraySize));
    report.mapBytes = end;
    report.mapLegend << texts.text(ReviewText::MapOutputSize).arg(review.outputBytes)
                     << texts.text(ReviewText::MapShared) << texts.text(ReviewText::MapBeyondOutput);

    report.findingsHeading = texts.text(Text::FindingsHeading);
    report.findingsSummary = review.findings.isEmpty() ? texts.text(ReviewText::NoFindings)
                                                       : texts.text(ReviewText::FindingCounts)
                                                             .arg(review.count(Severity::Error))
                                                             .arg(review.count(Severity::Warning))
                                                             .arg(review.count(Severity::Note));
    report.findings = findingsTable(review, texts);
    for (const Finding& f : review.findings)
        report.findingSeverities << f.severity;

    report.signatureIntro = texts.text(Text::SignatureIntro);
    for (int k = 0; k < Text::SignatureLines.count; ++k)
        report.signature << texts.text(Text::SignatureLines.at(k));
    report.pageNumber = texts.text(Text::PageNumber);
    return report;
}

CommissioningReport folderReport(const QString& folder, const QDateTime& created, const MessageCatalog& texts,
                                 QString* error) {
    const ConfigurationFiles files(folder);
    const Result review = reviewDocuments(files.parGen(), files.nmeaAccess(), texts);
    BankImage parameters;
    CompileError compileError;
    // The parameters are read again for the ports and the network: the review keeps only what it
    // judged. A document changed in between fails here as it would have failed there.
    if (review.error.isEmpty() && !compileParameterDocument(files.parGen(), parameters, &compileError)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(compileError.file),
                                                  compileError.message);
        return {};
    }
    if (!review.error.isEmpty()) {
        if (error)
            *error = review.error;
        return {};
    }
    const QString configuration = QDir(QFileInfo(folder).absoluteFilePath()).dirName();
    return commissioningReport(review, parameters, configuration, files.bank(), ReportSource::SavedDocuments,
                               created, texts);
}

} // namespace Review
