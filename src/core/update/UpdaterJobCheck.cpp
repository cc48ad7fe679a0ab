#include "core/update/UpdaterJobCheck.h"

#include "core/image/BankImage.h"
#include "core/update/UpdateAddress.h"
#include "core/util/XmlDocument.h"

#include <QDomElement>
#include <QFile>
#include <QFileInfo>

namespace {

QString childText(const QDomNode& parent, const char* name) {
    return parent.firstChildElement(QLatin1String(name)).text();
}

QString hex32(quint32 value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(8, u'0');
}

// Checks one operation's file; returns the line to log and whether it holds.
bool checkOperation(const QDomNode& operation, int number, QString* line) {
    const QString fileName = childText(operation, "Ope_FileName");
    const QString bankType = childText(operation, "Ope_Bank_Type");
    const QString start = childText(operation, "Ope_Start_Address");
    const QString prefix = QStringLiteral("Operation %1 (bank type %2, start %3): %4")
                               .arg(number)
                               .arg(bankType.isEmpty() ? QStringLiteral("?") : bankType,
                                    start.isEmpty() ? QStringLiteral("?") : start, fileName);
    if (bankType != QLatin1String("1") && bankType != QLatin1String("2")) {
        *line = prefix + QStringLiteral(" - unknown bank type");
        return false;
    }
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        *line = prefix + (bankType == QLatin1String("1")
                              ? QStringLiteral(" - firmware file missing (the firmware comes from the maker)")
                              : QStringLiteral(" - file missing"));
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *line = prefix + QStringLiteral(" - cannot read: ") + file.errorString();
        return false;
    }
    const QByteArray content = file.readAll();
    if (bankType == QLatin1String("1")) {
        *line = prefix + QStringLiteral(" - firmware file present (%1 bytes)").arg(content.size());
        return true;
    }
    QString why;
    if (!checkConfigurationImage(content, &why)) {
        *line = prefix + QStringLiteral(" - invalid configuration image: ") + why;
        return false;
    }
    const BankImage image = *BankImage::fromBytes(content);
    *line = prefix + QStringLiteral(" - valid configuration image (%1 bytes, checksum %2, %3 rules)")
                         .arg(content.size())
                         .arg(hex32(image.u32(BankLayout::Checksum)))
                         .arg(image.u32(BankLayout::RuleCount));
    return true;
}

} // namespace

bool checkConfigurationImage(const QByteArray& bytes, QString* why) {
    const std::optional<BankImage> image = BankImage::fromBytes(bytes);
    if (!image) {
        *why = QStringLiteral("%1 bytes instead of %2").arg(bytes.size()).arg(BankLayout::Size);
        return false;
    }
    const quint32 stored = image->u32(BankLayout::Checksum);
    const quint32 sum = image->computeChecksum();
    if (sum != stored) {
        *why = QStringLiteral("checksum %1 stored, %2 computed").arg(hex32(stored), hex32(sum));
        return false;
    }
    const quint32 rules = image->u32(BankLayout::RuleCount);
    if (rules > quint32(BankLayout::MaxRules)) {
        *why = QStringLiteral("%1 rules, at most %2 fit").arg(rules).arg(BankLayout::MaxRules);
        return false;
    }
    return true;
}

UpdaterJobReport checkUpdaterJob(const QString& parameterFile) {
    UpdaterJobReport report;
    report.lines << QStringLiteral("Parameter file: ") + parameterFile;
    QDomDocument document;
    QString error;
    if (!parseXmlFile(parameterFile, document, &error)) {
        report.lines << QStringLiteral("Cannot read the parameter file: ") + error;
        report.lines << QStringLiteral("Result: FAILED");
        return report;
    }
    const QDomNode root = firstNodeAsRoot(document);
    bool ok = true;
    if (root.nodeName() != QLatin1String("Ethernet_Update")) {
        report.lines << QStringLiteral("Root element %1, expected Ethernet_Update").arg(root.nodeName());
        ok = false;
    }
    const QString version = childText(root, "Version");
    if (version != QLatin1String("1000")) {
        report.lines << QStringLiteral("Version \"%1\" not supported, expected 1000").arg(version);
        ok = false;
    }
    const QString address = childText(root, "IP_Address_Dev");
    if (dottedDecimalAddress(address)) {
        report.lines << QStringLiteral("Device address: %1 - valid").arg(address);
    } else {
        report.lines << QStringLiteral("Device address: \"%1\" - not a valid IPv4 address").arg(address);
        ok = false;
    }

    const QDomElement operations = root.firstChildElement(QStringLiteral("Operations"));
    int count = 0;
    for (QDomElement operation = operations.firstChildElement(QStringLiteral("Operation"));
         !operation.isNull(); operation = operation.nextSiblingElement(QStringLiteral("Operation"))) {
        QString line;
        ok = checkOperation(operation, ++count, &line) && ok;
        report.lines << line;
    }
    if (count == 0) {
        report.lines << QStringLiteral("No operation to do");
        ok = false;
    }
    report.lines << QStringLiteral("No device was contacted: this is the stand-in updater.");
    report.lines << (ok ? QStringLiteral("Result: OK") : QStringLiteral("Result: FAILED"));
    report.ok = ok;
    return report;
}
