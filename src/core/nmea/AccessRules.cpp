#include "core/nmea/AccessRules.h"

#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RuleColumns.h"
#include "core/util/SafeSave.h"
#include "core/util/TextRules.h"
#include "core/util/XmlDocument.h"

#include <QFileInfo>
#include <QXmlStreamWriter>

namespace Nmea {

namespace {

const char* const kChannels[] = {"RS232", "RS485 / RS422", "RS485 2"};

QString yesNo(bool ticked) {
    return ticked ? QStringLiteral("Y") : QStringLiteral("N");
}

bool endsTheList(const AccessRule& rule) {
    return trimText(rule.Sentence).isEmpty();
}

} // namespace

AccessRule loadedRule(const XmlRootReader& row) {
    AccessRule rule;
    // Each attribute on its own, in column order: a missing one takes its default, the others are
    // still read, and a field is read after its sentence.
    for (const RuleColumnDef& c : ruleColumns()) {
        const QLatin1StringView key(c.attribute);
        if (c.tick) {
            const QString value = row.attribute(key);
            rule.*c.tick = c.tickedUnlessN ? value != u"N" : value == u"Y";
        } else if (!row.hasAttribute(key)) {
            rule.*c.text = QString::fromLatin1(c.missing);
        } else {
            rule.*c.text = c.filter ? c.filter(rule, row.attribute(key)) : row.attribute(key);
        }
    }
    return rule;
}

RuleAttributes attributesOf(const XmlRootReader& element) {
    RuleAttributes stored;
    for (const RuleColumnDef& c : ruleColumns())
        stored.*c.stored = element.attribute(QLatin1StringView(c.attribute));
    return stored;
}

bool holdsText(const AccessRule& rule) {
    for (const RuleColumnDef& c : ruleColumns()) {
        if (c.text && !(rule.*c.text).isEmpty())
            return true;
    }
    return false;
}

RuleAttributes storedAttributes(const AccessRule& rule) {
    RuleAttributes stored;
    for (const RuleColumnDef& c : ruleColumns())
        stored.*c.stored = c.tick ? yesNo(rule.*c.tick) : xmlCharactersOnly(rule.*c.text);
    return stored;
}

QStringList serialChannelNames() {
    return SerialChannel_SL(7);
}

QStringList SerialChannel_SL(int Enable_Serial) {
    QStringList names;
    for (int bit = 0; bit < 3; ++bit) {
        if (Enable_Serial & (1 << bit))
            names << QString::fromLatin1(kChannels[bit]);
    }
    return names;
}

QString Get_Serial_Channel(const QString& text) {
    return serialChannelNames().contains(text) ? text : QString();
}

QString Get_Sentence(const QString& text) {
    return supportedNames().contains(text) ? text : QString();
}

QString Get_DataField(const QString& sentenceCell, const QString& text) {
    return fieldsOf(Find_Sentence(sentenceCell)).contains(text) ? text : QString();
}

QString Get_PostOperatin(const QString& text) {
    return postOperationLabels().contains(text) ? text : QString();
}

bool indexEditable(const QString& sentenceCell) {
    return takesIndex(Find_Sentence(sentenceCell));
}

RulesLoad loadAccessRules(const QString& path) {
    RulesLoad result;
    if (!QFileInfo::exists(path))
        return result;

    // Only elements are rules: a comment or stray text between them would otherwise become a
    // blank row that ends the list, and the next save would drop every rule below it.
    int row = 0;
    QString why;
    const RowsRead read = readRuleRows(
        path,
        [&result, &row](const XmlRootReader& element) {
            if (row < RuleRows)
                result.table[row++] = loadedRule(element);
        },
        &why);
    if (read != RowsRead::Read) {
        result = RulesLoad();
        result.error = QStringLiteral("The NMEA 0183 access rules \"%1\" cannot be read: %2")
                           .arg(path, read == RowsRead::NoListener
                                          ? QStringLiteral("the document has no NMEA_Listener element")
                                          : why);
    }
    return result;
}

RowsRead readRuleRows(const QString& path, const std::function<void(const XmlRootReader&)>& row,
                      QString* error) {
    XmlRootReader reader;
    if (!reader.open(path, error))
        return RowsRead::NotParsed;
    // Within the root, the first child named NMEA_Listener.
    enum class Listener { NotYet, Inside, Done } listener = Listener::NotYet;
    while (reader.next()) {
        if (reader.token() == XmlRootReader::Token::Text || listener == Listener::Done)
            continue;
        const bool start = reader.token() == XmlRootReader::Token::StartElement;
        if (reader.depth() == 2 && listener == Listener::NotYet && start && reader.name() == u"NMEA_Listener")
            listener = Listener::Inside;
        else if (reader.depth() == 2 && listener == Listener::Inside && !start)
            listener = Listener::Done;
        else if (reader.depth() == 3 && listener == Listener::Inside && start)
            row(reader);
    }
    if (!reader.finished(error))
        return RowsRead::NotParsed;
    return listener == Listener::NotYet ? RowsRead::NoListener : RowsRead::Read;
}

QByteArray accessRulesDocument(const RuleTable& table) {
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    // Written by hand rather than through the DOM so that the attributes keep their order.
    writer.writeStartElement(QStringLiteral("NMEA_0183"));
    writer.writeStartElement(QStringLiteral("NMEA_Listener"));
    for (const AccessRule& rule : table) {
        if (endsTheList(rule))
            break;
        writer.writeEmptyElement(QStringLiteral("row"));
        const RuleAttributes stored = storedAttributes(rule);
        for (const RuleColumnDef& c : ruleColumns())
            writer.writeAttribute(QString::fromLatin1(c.attribute), stored.*c.stored);
    }
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeComment(QStringLiteral("SW_VERSION = 1.007"));
    return bytes;
}

QString saveAccessRules(const QString& path, const RuleTable& table) {
    QString reason;
    if (saveFileAtomically(path, accessRulesDocument(table), &reason))
        return QString();
    return QStringLiteral("The NMEA 0183 access rules \"%1\" cannot be written: %2").arg(path, reason);
}

int savedRowCount(const RuleTable& table) {
    int rows = 0;
    while (rows < RuleRows && !endsTheList(table[rows]))
        ++rows;
    return rows;
}

int firstRowEndingTheList(const RuleTable& table) {
    for (int row = 1; row <= RuleRows; ++row) {
        if (!endsTheList(table[row - 1]))
            continue;
        for (int below = row + 1; below <= RuleRows; ++below) {
            if (holdsText(table[below - 1]))
                return row;
        }
        return 0;
    }
    return 0;
}

} // namespace Nmea
