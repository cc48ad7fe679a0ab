// The compiler's streaming reading against a reference built on the document model, which keeps the
// whole document: the same documents must give the same parameter block, the same candidate rules
// in the same order, and the same refusals. The input is laid out as for the image_compiler harness.

#include "FuzzTargets.h"

#include "core/util/XmlDocument.h"

#include <QDomDocument>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>

namespace {

using FuzzTargets::require;

enum class Outcome { Read, Missing, NotParsed, NoListener };

// The parameter block as the reference reads it: the first child element of the root of each name.
Outcome referenceParameters(const QString& path, BankImage& image) {
    compileParameterDocument(FuzzTargets::scratchFolder() + QStringLiteral("/none"), image);
    if (!QFileInfo::exists(path))
        return Outcome::Missing;
    QDomDocument document;
    if (!parseXmlFile(path, document, nullptr))
        return Outcome::NotParsed;
    const QDomNode root = firstNodeAsRoot(document);
    compileParameters(
        [&root](const char* key) {
            const QDomElement element = root.firstChildElement(QLatin1String(key));
            return element.isNull() ? QString() : element.text();
        },
        image);
    return Outcome::Read;
}

// The candidate rules as the reference reads them: the element children of the first
// NMEA_Listener of the root.
Outcome referenceRules(const QString& path, QList<Nmea::RuleAttributes>& rules) {
    if (!QFileInfo::exists(path))
        return Outcome::Missing;
    QDomDocument document;
    if (!parseXmlFile(path, document, nullptr))
        return Outcome::NotParsed;
    const QDomElement listener = firstNodeAsRoot(document).firstChildElement(QStringLiteral("NMEA_Listener"));
    if (listener.isNull())
        return Outcome::NoListener;
    for (QDomElement row = listener.firstChildElement(); !row.isNull(); row = row.nextSiblingElement()) {
        const auto text = [&row](const char* name) { return row.attribute(QLatin1String(name)); };
        rules << Nmea::RuleAttributes{text("Enable"),  text("Serial_Channel"), text("Sentence"),
                                      text("Index"),   text("DataField"),      text("PortOperation"),
                                      text("SwapAll"), text("Swap16"),         text("Position"),
                                      text("Mnemonic")};
    }
    return Outcome::Read;
}

// A row of the rules window as the reference reads it: each attribute on its own, a missing one
// taking its default.
Nmea::AccessRule referenceRow(const QDomElement& row) {
    const auto attribute = [&row](const char* name, const QString& missing, auto filter) {
        const QString key = QString::fromLatin1(name);
        return row.hasAttribute(key) ? filter(row.attribute(key)) : missing;
    };
    const auto asIs = [](const QString& value) { return value; };
    Nmea::AccessRule rule;
    rule.Enable = !row.hasAttribute("Enable") || row.attribute("Enable") != "N";
    rule.Serial_Channel = attribute("Serial_Channel", QStringLiteral("RS232"), Nmea::Get_Serial_Channel);
    rule.Sentence = attribute("Sentence", QString(), Nmea::Get_Sentence);
    rule.Index = attribute("Index", QString(), asIs);
    rule.DataField = attribute("DataField", QString(), [&rule](const QString& value) {
        return Nmea::Get_DataField(rule.Sentence, value);
    });
    rule.PortOperation = attribute("PortOperation", QStringLiteral("None"), Nmea::Get_PostOperatin);
    rule.SwapAll = row.attribute("SwapAll") == "Y";
    rule.Swap16 = row.attribute("Swap16") == "Y";
    rule.Position = attribute("Position", QString(), asIs);
    rule.Mnemonic = attribute("Mnemonic", QString(), asIs);
    return rule;
}

// The rules window's table as the reference reads it.
Nmea::RuleTable referenceTable(const QString& path) {
    Nmea::RuleTable table{};
    QDomDocument document;
    if (!parseXmlFile(path, document, nullptr))
        return table;
    const QDomElement listener = firstNodeAsRoot(document).firstChildElement(QStringLiteral("NMEA_Listener"));
    int row = 0;
    for (QDomElement element = listener.firstChildElement(); !element.isNull() && row < Nmea::RuleRows;
         element = element.nextSiblingElement())
        table[row++] = referenceRow(element);
    return table;
}

bool sameRule(const Nmea::RuleAttributes& a, const Nmea::RuleAttributes& b) {
    return a.Enable == b.Enable && a.Serial_Channel == b.Serial_Channel && a.Sentence == b.Sentence &&
           a.Index == b.Index && a.DataField == b.DataField && a.PortOperation == b.PortOperation &&
           a.SwapAll == b.SwapAll && a.Swap16 == b.Swap16 && a.Position == b.Position &&
           a.Mnemonic == b.Mnemonic;
}

void compareReadings(const QByteArray& bytes) {
    const qsizetype at = bytes.indexOf(FuzzTargets::kDocumentSeparator);
    const QByteArray parGen = at < 0 ? QByteArray() : bytes.left(at);
    const QByteArray rules = at < 0 ? bytes : bytes.mid(at + FuzzTargets::kDocumentSeparator.size());
    const auto place = [](const QString& name, const QByteArray& content) {
        if (content.isEmpty()) {
            FuzzTargets::removeScratch(name);
            return FuzzTargets::scratchFolder() + u'/' + name;
        }
        return FuzzTargets::writeScratch(name, content);
    };
    const QString parGenPath = place(QStringLiteral("ParGen.xml"), parGen);
    const QString rulesPath = place(QStringLiteral("NMEA_0183_Set_Access.xml"), rules);

    BankImage expected;
    const Outcome expectedParameters = referenceParameters(parGenPath, expected);
    BankImage image;
    CompileError error;
    const bool parametersRead = compileParameterDocument(parGenPath, image, &error);
    require(parametersRead == (expectedParameters != Outcome::NotParsed),
            "the parameter documents refused agree");
    if (parametersRead)
        require(image.bytes() == expected.bytes(), "the parameter blocks agree");

    QList<Nmea::RuleAttributes> expectedRules;
    const Outcome expectedRead = referenceRules(rulesPath, expectedRules);
    if (!rules.isEmpty()) {
        const Nmea::RulesLoad loaded = Nmea::loadAccessRules(rulesPath);
        require(loaded.error.isEmpty() == (expectedRead == Outcome::Read), "the rules window refuses alike");
        require(loaded.table == referenceTable(rulesPath), "the rules window reads the same rows");
    }

    QList<Nmea::RuleAttributes> read;
    error = CompileError();
    const bool rulesRead = readRuleDocument(
        rulesPath, [&read](const Nmea::RuleAttributes& rule) { read << rule; }, &error);
    require(rulesRead == (expectedRead == Outcome::Read || expectedRead == Outcome::Missing),
            "the rule documents refused agree");
    if (!rulesRead) {
        require(error.message.contains(QLatin1String("NMEA_Listener is missing")) ==
                    (expectedRead == Outcome::NoListener),
                "a missing NMEA_Listener is told apart from a document that is not well-formed");
        return;
    }
    require(read.size() == expectedRules.size(), "the same number of candidate rules");
    for (qsizetype k = 0; k < read.size(); ++k)
        require(sameRule(read[k], expectedRules[k]), "the same candidate rules in the same order");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    compareReadings(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
