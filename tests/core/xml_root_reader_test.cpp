// The reader scans the plain documents our programs write in memory and leaves every other one to
// the XML parser: both readings of the same bytes must report the same tokens and end alike, and
// the documents we write must be scanned.

#include "../../fuzz/FuzzTargets.h"

#include "core/nmea/AccessRules.h"
#include "core/util/XmlDocument.h"

#include <gtest/gtest.h>

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

namespace {

using Reading = XmlRootReader::Reading;

struct Case {
    const char* name;
    QByteArray bytes;
    Reading expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

QByteArray nested(int depth) {
    return QByteArray("<a>").repeated(depth) + "x" + QByteArray("</a>").repeated(depth);
}

// The rules document as the rules window writes it, with texts that need escaping.
QByteArray writtenRules() {
    Nmea::RuleTable table{};
    table[0] = {true,   "RS232", "GGA", "",  "UTC of position, Hours [decimal]",
                "None", false,   false, "1", "UTC"};
    table[1] = {false,
                "RS485 / RS422",
                "RMC",
                " 7\t",
                "Speed <knots> & \"more\"",
                "x 10",
                true,
                true,
                "2 'b'\r\n3",
                QString::fromUtf8("Geschwindigkeit \xc3\xbc\xe2\x82\xac")};
    return Nmea::accessRulesDocument(table);
}

// A parameter document as the document model writes it: blanks in CDATA, a carriage return as a
// reference.
QByteArray writtenParameters() {
    QDomDocument document;
    QDomNode root = document.appendChild(document.createElement(QStringLiteral("Par_Gen")));
    appendTextElement(document, root, QStringLiteral("Eth_Conn_Device_Name"), QStringLiteral("gate < & >"));
    appendTextElement(document, root, QStringLiteral("RS232_PARITY"), QStringLiteral("  "));
    appendTextElement(document, root, QStringLiteral("RS232_STOP_BITS"), QStringLiteral(" \r\n "));
    appendTextElement(document, root, QStringLiteral("Empty"), QString());
    return documentBytes(document);
}

const Case kCases[] = {
    // Scanned.
    {"written_rules", writtenRules(), Reading::Scanned},
    {"written_parameters", writtenParameters(), Reading::Scanned},
    {"blanks_and_comments_around_root", "\r\n <a>x</a> <!-- end -->\n\t", Reading::Scanned},
    {"empty_root", "<a/>", Reading::Scanned},
    {"references_in_text", "<a>x&amp;y&lt;&gt;&quot;&apos;&#65;&#x41;&#x1F600;&#0000009;z</a>",
     Reading::Scanned},
    {"line_ends_in_text", "<a>1\r\n2\r3\n&#13;4\r&#10;5&#13;\n6\r<!---->\n7\r</a>", Reading::Scanned},
    {"attributes",
     "<a  b = \"1\t2\n3\r\n4\r5\r&#10;6&#13;\n7\r\" c='&#9;&#10;&#13;&amp;\"&#xFDD0;' d=\"'>\" e=\"\"  ></a>",
     Reading::Scanned},
    {"blank_texts", "<a> <b> \t</b>\n<c/>\r\n</a>", Reading::Scanned},
    {"comments_split_text", "<a>x<!-- c - d -->y<!---->z</a>", Reading::Scanned},
    {"cdata_sections", "<a>x<![CDATA[]]>y<![CDATA[<&amp;]]]]>z<![CDATA[\r\n\r]]></a>", Reading::Scanned},
    {"non_ascii", "<a b=\"\xc3\xa9\xf0\x9f\x9a\xa2\">\xe2\x82\xac\xef\xb7\x90\xef\xbf\xbd</a>",
     Reading::Scanned},
    {"names", "<_a.b-c1><B9/></_a.b-c1\n>", Reading::Scanned},
    {"text_ending_in_brackets", "<a>]] ]>]]</a>", Reading::Scanned},
    {"deepest_nesting", nested(256), Reading::Scanned},

    // Streamed, by the parser's rules.
    {"declaration", "<?xml version=\"1.0\"?><a>x</a>", Reading::Streamed},
    {"document_type_first", "<!DOCTYPE a [<!ENTITY e \"1\">]><a>&e;</a>", Reading::Streamed},
    {"comment_first", "<!--c--><a>x</a>", Reading::Streamed},
    {"instruction_first", "<?pi x?><a>x</a>", Reading::Streamed},
    {"instruction_inside", "<a>x<?pi y?>z</a>", Reading::Streamed},
    {"byte_order_mark", "\xef\xbb\xbf<a>x</a>", Reading::Streamed},
    {"utf16", QByteArray("<\0a\0/\0>\0", 8), Reading::Streamed},
    {"latin1", "<a>\xe9</a>", Reading::Streamed},
    {"overlong", "<a>\xc0\xbc</a>", Reading::Streamed},
    {"surrogate", "<a>\xed\xa0\x80</a>", Reading::Streamed},
    {"past_unicode", "<a>\xf4\x90\x80\x80</a>", Reading::Streamed},
    {"non_character", "<a>\xef\xbf\xbe</a>", Reading::Streamed},
    {"control_character", "<a>\x01</a>", Reading::Streamed},
    {"prefixed_names", "<a:b c:d=\"1\"/>", Reading::Streamed},
    {"namespace_declaration", "<a xmlns=\"u\"/>", Reading::Streamed},
    {"non_ascii_name", "<\xc3\xa9/>", Reading::Streamed},
    {"undeclared_entity", "<a>&e;</a>", Reading::Streamed},
    {"reference_to_nothing", "<a>&#0;</a>", Reading::Streamed},
    {"reference_to_non_character", "<a b=\"&#xFFFE;\"/>", Reading::Streamed},
    {"reference_upper_x", "<a>&#X41;</a>", Reading::Streamed},
    {"reference_unterminated", "<a>&amp</a>", Reading::Streamed},
    {"reference_long", "<a>&#x000000041;</a>", Reading::Streamed},
    {"nested_too_deep", nested(257), Reading::Streamed},
    {"duplicate_attribute", "<a b=\"1\" b=\"2\"/>", Reading::Streamed},
    {"attributes_not_apart", "<a b=\"1\"c=\"2\"/>", Reading::Streamed},
    {"angle_in_attribute", "<a b=\"<\"/>", Reading::Streamed},
    {"attribute_without_value", "<a b/>", Reading::Streamed},
    {"end_of_section_in_text", "<a>]]></a>", Reading::Streamed},
    {"hyphens_in_comment", "<a><!-- a -- b --></a>", Reading::Streamed},
    {"comment_ending_in_hyphen", "<a><!-- a ---></a>", Reading::Streamed},
    {"mismatched_end", "<a><b>x</a></b>", Reading::Streamed},
    {"unclosed_root", "<a><b/>x", Reading::Streamed},
    {"unclosed_section", "<a><![CDATA[x</a>", Reading::Streamed},
    {"text_after_root", "<a/>x", Reading::Streamed},
    {"second_root", "<a/><b/>", Reading::Streamed},
    {"document_type_after_root", "<a/><!DOCTYPE a>", Reading::Streamed},
    {"empty", "", Reading::Streamed},
    {"blanks_only", " \n", Reading::Streamed},
    {"slash_apart", "<a/ >", Reading::Streamed},
};

class BothReadings : public ::testing::TestWithParam<Case> {};

TEST_P(BothReadings, ReportTheSameTokensAndEnd) {
    const Case& c = GetParam();
    Reading taken = Reading::Streamed;
    const QStringList scanned = FuzzTargets::xmlReading(c.bytes, Reading::Scanned, &taken);
    const QStringList streamed = FuzzTargets::xmlReading(c.bytes, Reading::Streamed);
    EXPECT_EQ(taken, c.expected);
    EXPECT_EQ(scanned.join(u'\n').toStdString(), streamed.join(u'\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Documents, BothReadings, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

// Through open(), as the compiler and the rules window read: the written document is scanned, and
// what the reader reports is the document's content.
TEST(XmlRootReader, ScansAWrittenFileAndReportsItsRows) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("rules.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(writtenRules());
    file.close();

    XmlRootReader reader;
    ASSERT_TRUE(reader.open(path, nullptr));
    EXPECT_EQ(reader.reading(), Reading::Scanned);
    QStringList seen;
    while (reader.next()) {
        if (reader.token() == XmlRootReader::Token::StartElement && reader.depth() == 3)
            seen << reader.attribute(QLatin1StringView("Index")) + u'|' +
                        reader.attribute(QLatin1StringView("DataField")) + u'|' +
                        reader.attribute(QLatin1StringView("Position")) + u'|' +
                        reader.attribute(QLatin1StringView("Mnemonic"));
    }
    EXPECT_TRUE(reader.finished(nullptr));
    // The writer keeps tabs and line ends in attributes as references, so they read back as written.
    EXPECT_EQ(seen, QStringList({QStringLiteral("|UTC of position, Hours [decimal]|1|UTC"),
                                 QStringLiteral(" 7\t|Speed <knots> & \"more\"|2 'b'\r\n3|") +
                                     QString::fromUtf8("Geschwindigkeit \xc3\xbc\xe2\x82\xac")}));
}

TEST(XmlRootReader, StreamsADocumentOverTheSizeLimit) {
    QByteArray bytes = "<a>" + QByteArray(XmlRootReader::kScannedSizeLimit, 'x') + "</a>";
    XmlRootReader reader;
    reader.openBytes(bytes);
    EXPECT_EQ(reader.reading(), Reading::Streamed);
}

} // namespace
