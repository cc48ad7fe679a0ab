#pragma once

// The entry functions of the fuzz harnesses, one per reader of outside input. Each feeds one input
// through the reader as the program does, then checks what must hold for any input: a broken
// property calls FuzzTargets::broken, which aborts under the fuzzer and throws in the regression
// test. Header-only, so the regression test compiles the very same code without a target of its own.

#include "core/comm/ParGen.h"
#include "core/enip/Adapter.h"
#include "core/enip/Encapsulation.h"
#include "core/enip/OutputArraySource.h"
#include "core/image/BankCompiler.h"
#include "core/image/BankImage.h"
#include "core/image/ImageDump.h"
#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/nmea/RulePositions.h"
#include "core/nmea/RulesCheck.h"
#include "core/options/VersionCheck.h"
#include "core/review/PlcExport.h"
#include "core/review/Review.h"
#include "core/shell/ProductIdentity.h"
#include "core/shell/ProgramState.h"
#include "core/shell/SettingsFile.h"
#include "core/util/TextRules.h"
#include "core/util/XmlDocument.h"

#include <QByteArray>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

namespace FuzzTargets {

// What to do when a property breaks: the fuzzer needs a crash to keep the input.
inline std::function<void(const std::string&)> broken = [](const std::string& what) {
    std::fprintf(stderr, "broken property: %s\n", what.c_str());
    std::abort();
};

inline void require(bool holds, const char* what) {
    if (!holds)
        broken(what);
}

// One temporary folder per process, reused by every run: readers that take a path read the input
// from a file of a fixed name in it.
inline QString scratchFolder() {
    static const QTemporaryDir folder;
    return folder.path();
}

inline QString writeScratch(const QString& name, const QByteArray& bytes) {
    const QString path = scratchFolder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline void removeScratch(const QString& name) {
    QFile::remove(scratchFolder() + u'/' + name);
}

inline const MessageCatalog& defaultCatalog() {
    static const MessageCatalog catalog;
    return catalog;
}

// A language file over the built-in texts.
inline void languageFile(const QByteArray& bytes) {
    MessageCatalog catalog = defaultCatalog();
    require(catalog.Load_Lng_File(writeScratch(QStringLiteral("Fuzz.lng"), bytes)), "a written file loads");
    // The texts must stay readable at every slot and one past either end.
    for (int slot = -1; slot <= MessageCatalog::SlotCount; ++slot)
        (void)catalog.text(slot).size();
}

inline bool sameSettings(const ProgramState& a, const ProgramState& b) {
    return a.Active_Conf_Name == b.Active_Conf_Name && a.Last_IP_Address == b.Last_IP_Address &&
           a.Language_Name == b.Language_Name && a.Enable_Internet == b.Enable_Internet &&
           a.Enable_Update == b.Enable_Update && a.Enable_Jump_Field_Tables == b.Enable_Jump_Field_Tables &&
           a.Enable_Double_Click_Auto_Size == b.Enable_Double_Click_Auto_Size;
}

// Tessellor.xml; what was read must survive the next save and load unchanged.
inline void settingsFile(const QByteArray& bytes) {
    ProgramState state;
    state.Dir_Program = scratchFolder();
    writeScratch(QStringLiteral("Tessellor.xml"), bytes);
    SettingsFile::load(state);

    ProgramState again;
    again.Dir_Program = scratchFolder();
    writeScratch(QStringLiteral("Tessellor.xml"), SettingsFile::serialize(state));
    SettingsFile::load(again);
    require(sameSettings(state, again), "the settings read are written and read back unchanged");
}

// ParGen.xml, then the data check; what was read must survive the next save and load unchanged.
inline void parGen(const QByteArray& bytes) {
    ParGenSet set;
    const QString path = writeScratch(QStringLiteral("ParGen.xml"), bytes);
    QString error;
    const ParGen::LoadResult result = ParGen::load(path, set, &error);
    require(result != ParGen::LoadResult::Missing, "a written document is not missing");
    if (result == ParGen::LoadResult::Failed) {
        require(set == ParGenSet(), "a failed load leaves the set as it was");
        require(error.startsWith(path), "a failed load names the file");
        return;
    }
    (void)Controllo_Dati(set, defaultCatalog());

    ParGenSet again;
    writeScratch(QStringLiteral("ParGen.xml"), ParGen::serialize(set));
    require(ParGen::load(path, again) == ParGen::LoadResult::Loaded, "a written document loads");
    require(again == set, "the parameters read are written and read back unchanged");
}

// NMEA_0183_Set_Access.xml, the data check and the position proposals; the rules read must survive
// the next save and load unchanged, up to the first row that ends the list.
inline void accessRules(const QByteArray& bytes) {
    const QString path = writeScratch(QStringLiteral("NMEA_0183_Set_Access.xml"), bytes);
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(path);
    if (!loaded.error.isEmpty()) {
        require(loaded.table == Nmea::RuleTable{}, "a refused document gives the reset table");
        return;
    }
    (void)Nmea::Controllo_dati(loaded.table, defaultCatalog());
    (void)Nmea::firstRowEndingTheList(loaded.table);
    for (int row = 1; row <= Nmea::RuleRows; ++row) {
        const Nmea::AccessRule& rule = loaded.table[row - 1];
        (void)Nmea::proposedPosition(loaded.table, row, rule.Sentence, rule.DataField);
    }

    Nmea::RuleTable saved{};
    for (int row = 0; row < Nmea::RuleRows && !trimText(loaded.table[row].Sentence).isEmpty(); ++row)
        saved[row] = loaded.table[row];
    writeScratch(QStringLiteral("NMEA_0183_Set_Access.xml"), Nmea::accessRulesDocument(loaded.table));
    const Nmea::RulesLoad again = Nmea::loadAccessRules(path);
    require(again.error.isEmpty(), "a written document loads");
    require(again.table == saved, "the rules read are written and read back unchanged");
}

// The compiler over both documents. The input holds ParGen.xml, the separator line, then
// NMEA_0183_Set_Access.xml; an input without the separator is the rules alone. An empty part
// stands for a missing document.
inline const QByteArray kDocumentSeparator = QByteArrayLiteral("\n#####\n");

// Writes the two documents of an input into the scratch folder, or removes one whose part is
// empty; returns the paths of ParGen.xml and NMEA_0183_Set_Access.xml.
inline std::pair<QString, QString> placeDocuments(const QByteArray& bytes) {
    const qsizetype at = bytes.indexOf(kDocumentSeparator);
    const QByteArray parGen = at < 0 ? QByteArray() : bytes.left(at);
    const QByteArray rules = at < 0 ? bytes : bytes.mid(at + kDocumentSeparator.size());
    const auto place = [](const QString& name, const QByteArray& content) {
        if (content.isEmpty()) {
            removeScratch(name);
            return scratchFolder() + u'/' + name;
        }
        return writeScratch(name, content);
    };
    return {place(QStringLiteral("ParGen.xml"), parGen),
            place(QStringLiteral("NMEA_0183_Set_Access.xml"), rules)};
}

inline void imageCompiler(const QByteArray& bytes) {
    const std::pair<QString, QString> documents = placeDocuments(bytes);
    const QString& parGenPath = documents.first;
    const QString& rulesPath = documents.second;

    BankImage image;
    CompileError error;
    const Review::Result review = Review::reviewDocuments(parGenPath, rulesPath);
    if (!Compile_Bank(parGenPath, rulesPath, image, &error)) {
        require(error.file == parGenPath || error.file == rulesPath, "a refusal names one of the documents");
        require(error.kind != CompileError::Kind::TooManyRules || error.activeRules > BankLayout::MaxRules,
                "too many rules means more than the table holds");
        require((error.kind == CompileError::Kind::Document) == !review.error.isEmpty(),
                "the review refuses exactly the documents the compiler cannot read");
        return;
    }
    // The review decides on each rule as the compiler does: the same records in the same order.
    require(review.error.isEmpty(), "the review reads what the compiler reads");
    require(review.compiled.size() == qsizetype(image.u32(BankLayout::RuleCount)),
            "the review compiles as many rules as the image holds");
    for (qsizetype k = 0; k < review.compiled.size(); ++k)
        require(review.compiled[k].record == image.record(int(k)), "the review compiles the image's records");
    const QList<Review::MapEntry> map = Review::dataMap(review);
    require(review.imageChecksum == image.u32(BankLayout::Checksum), "the review knows the image's checksum");
    const Review::MapHeader header = Review::mapHeader(review, QStringLiteral("T"));
    for (const Review::MapFormat format :
         {Review::MapFormat::Csv, Review::MapFormat::St, Review::MapFormat::L5x}) {
        const Review::MapExport exported = Review::exportMap(map, header, format);
        require(exported.text.isEmpty() != exported.error.isEmpty(), "an export is written or refused");
    }
    const quint32 count = image.u32(BankLayout::RuleCount);
    require(count <= BankLayout::MaxRules, "the rule count fits the table");
    for (int k = 0; k < static_cast<int>(count); ++k) {
        const RuleRecord record = image.record(k);
        require(Nmea::isSupported(record.sentence), "a record names a supported sentence");
        require(record.field < Nmea::fieldCount(record.sentence), "a record names a field of its sentence");
        require(record.channel <= 2, "a record names one of the three ports");
    }
    QStringList lines;
    require(describeImage(image.bytes(), lines), "a compiled image reads back");
}

enum class ReferenceOutcome { Read, Missing, NotParsed, NoListener };

// The parameter block as the reference reads it: the first child element of the root of each name.
inline ReferenceOutcome referenceParameters(const QString& path, BankImage& image) {
    compileParameterDocument(scratchFolder() + QStringLiteral("/none"), image); // the initial block
    if (!QFileInfo::exists(path))
        return ReferenceOutcome::Missing;
    QDomDocument document;
    if (!parseXmlFile(path, document, nullptr))
        return ReferenceOutcome::NotParsed;
    const QDomNode root = firstNodeAsRoot(document);
    compileParameters(
        [&root](const char* key) {
            const QDomElement element = root.firstChildElement(QLatin1String(key));
            return element.isNull() ? QString() : element.text();
        },
        image);
    return ReferenceOutcome::Read;
}

// The candidate rules as the reference reads them: the element children of the first
// NMEA_Listener of the root.
inline ReferenceOutcome referenceRules(const QString& path, QList<Nmea::RuleAttributes>& rules) {
    if (!QFileInfo::exists(path))
        return ReferenceOutcome::Missing;
    QDomDocument document;
    if (!parseXmlFile(path, document, nullptr))
        return ReferenceOutcome::NotParsed;
    const QDomElement listener = firstNodeAsRoot(document).firstChildElement(QStringLiteral("NMEA_Listener"));
    if (listener.isNull())
        return ReferenceOutcome::NoListener;
    for (QDomElement row = listener.firstChildElement(); !row.isNull(); row = row.nextSiblingElement()) {
        const auto text = [&row](const char* name) { return row.attribute(QLatin1String(name)); };
        rules << Nmea::RuleAttributes{text("Enable"),  text("Serial_Channel"), text("Sentence"),
                                      text("Index"),   text("DataField"),      text("PortOperation"),
                                      text("SwapAll"), text("Swap16"),         text("Position"),
                                      text("Mnemonic")};
    }
    return ReferenceOutcome::Read;
}

// A row of the rules window as the reference reads it: each attribute on its own, a missing one
// taking its default.
inline Nmea::AccessRule referenceRow(const QDomElement& row) {
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
inline Nmea::RuleTable referenceTable(const QString& path) {
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

// The compiler's and the rules window's streaming reading against a reference built on the
// document model, which keeps the whole document: the same documents must give the same parameter
// block, the same candidate rules in the same order, the same rows in the rules window and the
// same refusals. The input is laid out as for imageCompiler.
inline void compilerReading(const QByteArray& bytes) {
    const std::pair<QString, QString> documents = placeDocuments(bytes);
    const QString& parGenPath = documents.first;
    const QString& rulesPath = documents.second;

    BankImage expected;
    const ReferenceOutcome expectedParameters = referenceParameters(parGenPath, expected);
    BankImage image;
    CompileError error;
    const bool parametersRead = compileParameterDocument(parGenPath, image, &error);
    require(parametersRead == (expectedParameters != ReferenceOutcome::NotParsed),
            "the parameter documents refused agree");
    if (parametersRead)
        require(image.bytes() == expected.bytes(), "the parameter blocks agree");

    QList<Nmea::RuleAttributes> expectedRules;
    const ReferenceOutcome expectedRead = referenceRules(rulesPath, expectedRules);
    if (QFileInfo::exists(rulesPath)) { // an empty part stands for a missing document
        const Nmea::RulesLoad loaded = Nmea::loadAccessRules(rulesPath);
        require(loaded.error.isEmpty() == (expectedRead == ReferenceOutcome::Read),
                "the rules window refuses alike");
        require(loaded.table == referenceTable(rulesPath), "the rules window reads the same rows");
    }

    QList<Nmea::RuleAttributes> read;
    error = CompileError();
    const bool rulesRead = readRuleDocument(
        rulesPath, [&read](const Nmea::RuleAttributes& rule) { read << rule; }, &error);
    require(rulesRead ==
                (expectedRead == ReferenceOutcome::Read || expectedRead == ReferenceOutcome::Missing),
            "the rule documents refused agree");
    if (!rulesRead) {
        require(error.message.contains(QLatin1String("NMEA_Listener is missing")) ==
                    (expectedRead == ReferenceOutcome::NoListener),
                "a missing NMEA_Listener is told apart from a document that is not well-formed");
        return;
    }
    require(read.size() == expectedRules.size(), "the same number of candidate rules");
    for (qsizetype k = 0; k < read.size(); ++k)
        require(read[k] == expectedRules[k], "the same candidate rules in the same order");
}

// The decoder behind the dump command. Inputs of any other size are refused before anything is
// read, so every input also goes through as an image: cut or padded to size, checksum made right.
inline void imageDump(const QByteArray& bytes) {
    QStringList lines;
    QString error;
    const bool described = describeImage(bytes, lines, &error);
    require(described || (!error.isEmpty() && lines.isEmpty()), "a refusal says why and describes nothing");

    QByteArray sized = bytes.left(BankLayout::Size);
    sized.append(BankLayout::Size - sized.size(), '\0');
    BankImage image = *BankImage::fromBytes(sized);
    image.setU32(BankLayout::Checksum, image.computeChecksum());
    const bool fits = image.u32(BankLayout::RuleCount) <= BankLayout::MaxRules;
    require(describeImage(image.bytes(), lines, &error) == fits,
            "an image with a matching checksum is refused only for its rule count");
}

// The version check's answer, as the server's body.
inline void versionCheck(const QByteArray& bytes) {
    const bool newer = Check_Version([&bytes](const QString&, const QList<QPair<QByteArray, QByteArray>>&,
                                              int, int) { return std::optional<QByteArray>(bytes); });
    require(newer == VersionCheck::isNewer(QString::fromUtf8(bytes), Product::SW_Version),
            "the check judges the body it was given");
    (void)Conv_Version(QString::fromUtf8(bytes));
    (void)Conv_Version(QString::fromLatin1(bytes));
}

// Rules over decoded, indexed and undecoded sentences, for the monitor harness.
inline const Nmea::RuleTable& monitorRules() {
    static const Nmea::RuleTable table = [] {
        Nmea::RuleTable t{};
        const struct {
            const char* sentence;
            const char* field;
            const char* index;
            const char* postOperation;
        } rules[] = {
            {"GGA", "UTC of position, decimal-fraction of seconds [decimal]", "", ": 100"},
            {"GGA", "Latitude, Degrees [decimal]", "", "None"},
            {"RMC", "Date, Year [decimal]", "", "x 10"},
            {"GSV", "Satellite ID number [decimal]", "7", "None"},
            {"GSV", "Sentence number [decimal]", "2", "None"},
            {"GSV", "Signal ID [decimal]", "", "None"},
            {"XDR", "Measurement data [floating point]", "3", "x 10000"},
            {"HDT", "Heading, degrees True, Number [floating point]", "", ": 10"},
            {"$PJELA", "Alarm [character]", "4", "None"},
        };
        int row = 0;
        for (const auto& r : rules) {
            Nmea::AccessRule& rule = t[row++];
            rule.Serial_Channel = QStringLiteral("RS232");
            rule.Sentence = QString::fromLatin1(r.sentence);
            rule.DataField = QString::fromLatin1(r.field);
            rule.Index = QString::fromLatin1(r.index);
            rule.PortOperation = QString::fromLatin1(r.postOperation);
        }
        return t;
    }();
    return table;
}

// Bytes from the wire through the monitor. The first two bytes choose how the rest is cut into
// chunks; whatever the cut, the counts must equal those of one whole feed, add up, and stay within
// the monitor's bounds.
inline void nmeaReader(const QByteArray& bytes) {
    const quint32 seed = bytes.size() >= 2 ? quint8(bytes[0]) | quint32(quint8(bytes[1])) << 8 : 1;
    const QByteArrayView wire = QByteArrayView(bytes).sliced(std::min<qsizetype>(2, bytes.size()));

    Nmea::Monitor chunked(monitorRules(), QStringLiteral("RS232"));
    chunked.setHistory(8);
    quint32 state = seed | 1;
    for (qsizetype at = 0; at < wire.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(wire.size() - at, 1 + (state >> 16) % 97);
        chunked.feed(wire.sliced(at, length), at);
        at += length;
    }
    chunked.finish();

    Nmea::Monitor whole(monitorRules(), QStringLiteral("RS232"));
    whole.setHistory(8);
    whole.feed(wire);
    whole.finish();

    const Nmea::ReaderCounts& c = chunked.counts();
    require(c == whole.counts(), "the counts do not depend on how the bytes are cut");
    require(c.lines == c.sentences + c.checksumErrors + c.badLines, "every line is counted once");
    require(c.noChecksum <= c.sentences && c.longLines <= c.sentences, "sub-counts lie within the sentences");
    require(chunked.unused() == whole.unused(), "the unused addresses do not depend on the cut");
    require(chunked.unused().size() <= Nmea::Monitor::MaxAddresses, "the address table stays bounded");
    qint64 unused = chunked.unusedOverflow();
    for (const qint64 n : chunked.unused())
        unused += n;
    require(unused <= c.sentences, "only sentences are unused");

    const QList<Nmea::RecentLine> lines = chunked.recentLines();
    require(lines.size() <= chunked.history() && lines.size() == std::min<qint64>(c.lines, 8),
            "the last lines are kept, no more");
    const QList<Nmea::RecentLine> wholeLines = whole.recentLines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The times differ: the chunked feed gives each chunk its offset as its time.
        Nmea::RecentLine line = lines[i];
        line.at = wholeLines.value(i).at;
        require(line == wholeLines.value(i), "the last lines do not depend on the cut");
        require(line.text.size() <= Nmea::SentenceReader::MaxLine, "a kept line is bounded");
        require((line.fault == Nmea::LineFault::None) == (line.kind == Nmea::LineKind::Sentence) &&
                    (line.kind != Nmea::LineKind::ChecksumError || line.fault == Nmea::LineFault::Checksum),
                "a line has a fault exactly when it was not taken");
    }

    for (size_t r = 0; r < chunked.rules().size(); ++r) {
        const Nmea::RuleFeed& rule = chunked.rules()[r];
        const Nmea::RuleFeed& again = whole.rules()[r];
        require(rule.hits == again.hits && rule.empty == again.empty && rule.last == again.last &&
                    rule.value == again.value,
                "what a rule receives does not depend on the cut");
        require(rule.hits + rule.empty <= c.sentences, "a rule is fed by sentences only");
        require(!rule.value || (rule.numeric && !rule.last.isEmpty()), "a value comes from a number");
        require(rule.last.size() <= Nmea::SentenceReader::MaxLine, "a value is bounded");
        require(rule.invalid <= rule.hits + rule.empty,
                "invalid sentences are among those that reached the rule");
        require(rule.talkers.size() <= Nmea::RuleFeed::MaxKept &&
                    rule.references.size() <= Nmea::RuleFeed::MaxKept,
                "the traps' lists stay short");
    }
    const MessageCatalog texts;
    for (const Nmea::MonitorFinding& finding : chunked.findings(wire.size() + 10000, texts))
        require(finding.rule > 0 && !finding.message.isEmpty(), "a finding names its rule and says why");
}

// What an XmlRootReader reports for bytes, one line per token, then how the reading ended. Every
// attribute that appears is looked up: the reader lists none, so each name-like word of the bytes
// is asked for on every start element.
inline QStringList xmlReading(const QByteArray& bytes, XmlRootReader::Reading wanted,
                              XmlRootReader::Reading* taken = nullptr) {
    QList<QByteArray> words;
    const auto isWordByte = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-' || c == '.' || c == ':';
    };
    // Bounded, so that a long input costs no more than a few lookups per element.
    constexpr qsizetype maxWords = 48;
    for (qsizetype i = 0; i < bytes.size() && words.size() < maxWords;) {
        qsizetype end = i;
        while (end < bytes.size() && isWordByte(bytes[end]))
            ++end;
        if (end > i && !words.contains(bytes.sliced(i, end - i)))
            words << bytes.sliced(i, end - i);
        i = std::max(end, i + 1);
    }

    XmlRootReader reader;
    reader.openBytes(bytes, wanted);
    if (taken)
        *taken = reader.reading();
    QStringList lines;
    while (reader.next()) {
        QString line;
        switch (reader.token()) {
        case XmlRootReader::Token::StartElement:
            line = QStringLiteral("start %1 %2").arg(reader.depth()).arg(reader.name());
            for (const QByteArray& word : words) {
                const QLatin1StringView name(word);
                if (reader.hasAttribute(name))
                    line += QStringLiteral(" %1=[%2]").arg(name, reader.attribute(name));
                else if (!reader.attribute(name).isEmpty())
                    line += QStringLiteral(" %1 missing but not empty").arg(name);
            }
            break;
        case XmlRootReader::Token::EndElement:
            line = QStringLiteral("end %1 %2").arg(reader.depth()).arg(reader.name());
            break;
        case XmlRootReader::Token::Text:
            line = QStringLiteral("text %1 [%2]").arg(reader.depth()).arg(reader.text());
            break;
        }
        lines << line;
    }
    QString error;
    lines << (reader.finished(&error) ? QStringLiteral("finished") : QStringLiteral("error: ") + error);
    return lines;
}

// The reader's scan of a document in memory against the parser streaming the same bytes: the same
// tokens, names, attributes and texts, and the same end.
inline void xmlRootReader(const QByteArray& bytes) {
    const QStringList scanned = xmlReading(bytes, XmlRootReader::Reading::Scanned);
    const QStringList streamed = xmlReading(bytes, XmlRootReader::Reading::Streamed);
    if (scanned == streamed)
        return;
    qsizetype k = 0;
    while (k < scanned.size() && k < streamed.size() && scanned[k] == streamed[k])
        ++k;
    broken(QStringLiteral("the scan and the parser differ at token %1: scanned \"%2\", streamed \"%3\"")
               .arg(k)
               .arg(scanned.value(k), streamed.value(k))
               .toStdString());
}

// The virtual converter's adapter over what clients send it. The input is a run of records: an
// operation byte, a 16-bit little-endian length, then that many bytes. Operations: 0 and 1 bytes on
// the TCP client 1 or 2, 2 an I/O datagram, 3 an encapsulation datagram, 4 the clock moved on by
// the length in milliseconds, 5 client 2 closing and coming back. Sessions and connection ids
// start at 1, so a recorded exchange replays. Whatever comes, every reply is one whole message,
// what is kept stays bounded, and the counts add up.
class FuzzTransport final : public Enip::AdapterTransport {
public:
    void sendStream(int, const QByteArray& bytes) override {
        const std::optional<Enip::Header> header = Enip::readHeader(bytes);
        require(header && bytes.size() == Enip::Header::Size + header->length,
                "a reply is one whole message");
        ++replies;
    }
    void closeStream(int) override { ++closed; }
    void sendDatagram(Enip::Channel, const QByteArray& bytes, quint32, quint16) override {
        require(!bytes.isEmpty() && bytes.size() < 4096, "a datagram is bounded");
        ++datagrams;
    }
    int replies = 0;
    int closed = 0;
    int datagrams = 0;
};

class FuzzOutput final : public Enip::OutputArraySource {
public:
    QByteArray outputArray() const override {
        return QByteArrayLiteral("0123456789");
    } // longer than the array
};

inline void enipAdapter(const QByteArray& bytes) {
    Enip::AdapterSettings settings;
    settings.outputSize = 8;
    settings.inputSize = 4;
    settings.maxStreams = 2;
    settings.streamIdleUs = 5'000'000;
    settings.idSeed = 1;
    const FuzzOutput output;
    FuzzTransport transport;
    Enip::Adapter adapter(settings, output, transport);
    qint64 now = 1'000'000;
    adapter.streamOpened(1, 0x7F000001, 50001, now);
    adapter.streamOpened(2, 0x7F000001, 50002, now);
    quint64 ioDatagrams = 0;
    for (qsizetype at = 0; at + 3 <= bytes.size();) {
        const quint8 op = quint8(bytes[at]);
        const qsizetype length = quint8(bytes[at + 1]) | qsizetype(quint8(bytes[at + 2])) << 8;
        const QByteArrayView data =
            QByteArrayView(bytes).sliced(at + 3, std::min(length, bytes.size() - at - 3));
        at += 3 + data.size();
        switch (op % 6) {
        case 0:
        case 1:
            adapter.streamBytes(1 + op % 6, data, now);
            break;
        case 2:
            adapter.datagram(Enip::Channel::Io, data, 0x7F000001, 2222, now);
            ++ioDatagrams;
            break;
        case 3:
            adapter.datagram(Enip::Channel::Encapsulation, data, 0x7F000001, 2222, now);
            break;
        case 4:
            now += length * 1000;
            break;
        case 5:
            adapter.streamClosed(2);
            adapter.streamOpened(2, 0x7F000001, 50002, now);
            break;
        }
        adapter.poll(now);
        const Enip::AdapterStatus& status = adapter.status();
        require(adapter.streamCount() <= settings.maxStreams, "the clients stay within their number");
        require(status.lastInput.size() <= settings.inputSize, "the Input array kept is the array's size");
        require(status.received + status.dropped <= ioDatagrams,
                "every I/O datagram is taken or dropped once");
        require(status.state != Enip::ConnectionState::Connected || status.rpiUs >= Enip::Adapter::MinRpiUs,
                "a connection runs at an interval it accepted");
        if (const std::optional<qint64> due = adapter.nextDueUs())
            require(*due > now, "what was due has been done");
    }
}

struct Target {
    const char* name;
    void (*run)(const QByteArray&);
};

// The harness names: fuzz/NAME_fuzzer.cpp, fuzz/corpus/NAME, tests/data/fuzz-regressions/NAME.
inline constexpr Target kTargets[] = {
    {"language", languageFile},
    {"settings", settingsFile},
    {"pargen", parGen},
    {"access_rules", accessRules},
    {"image_compiler", imageCompiler},
    {"image_dump", imageDump},
    {"version", versionCheck},
    {"compiler_reading", compilerReading},
    {"nmea_reader", nmeaReader},
    {"xml_root_reader", xmlRootReader},
    {"enip_adapter", enipAdapter},
};

} // namespace FuzzTargets
