#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Nmea::AccessRule;
using Nmea::RuleTable;

std::string describe(const AccessRule& r) {
    return QStringLiteral("[%1|%2|%3|%4|%5|%6|%7|%8|%9|%10]")
        .arg(r.Enable ? "Y" : "N", r.Serial_Channel, r.Sentence, r.Index, r.DataField, r.PortOperation,
             r.SwapAll ? "Y" : "N", r.Swap16 ? "Y" : "N", r.Position)
        .arg(r.Mnemonic)
        .toStdString();
}

AccessRule rule(bool enable, const QString& channel, const QString& sentence, const QString& index,
                const QString& field, const QString& postOpe, bool swapAll, bool swap16,
                const QString& position, const QString& mnemonic) {
    return AccessRule{enable, channel, sentence, index, field, postOpe, swapAll, swap16, position, mnemonic};
}

class RulesDocument : public ::testing::Test {
protected:
    QString write(const QByteArray& content) {
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return m_path;
    }
    QByteArray read() const {
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("NMEA_0183_Set_Access.xml"));
};

TEST_F(RulesDocument, LoadKeepsOnlyAllowedValuesAndDefaultsMissingAttributes) {
    const QString ggaField0 = Nmea::fieldText(7, 0);
    const QString zdaField0 = Nmea::fieldText(1, 0); // not a GGA field
    write(QStringLiteral(
              "<NMEA_0183><NMEA_Listener>"
              "<row/>"
              "<row Enable=\"N\" Serial_Channel=\"RS485 1\" Sentence=\"gga\" Index=\" 7 \" DataField=\"%1\" "
              "PortOperation=\"X 10\" SwapAll=\"y\" Swap16=\"Y\" Position=\" 5\" Mnemonic=\" m \"/>"
              "<!-- a comment is not a rule -->"
              "<row Enable=\"\" Serial_Channel=\"RS485 / RS422\" Sentence=\" GGA\" PortOperation=\"x 10\"/>"
              "<row Enable=\"n\" Serial_Channel=\"RS485 2\" Sentence=\"GGA\" DataField=\"%1\" "
              "Position=\"abc\"/>"
              "<row Sentence=\"GGA\" DataField=\"%2\" PortOperation=\"\"/>"
              "<row Sentence=\"GGA\" DataField=\"%3\" Serial_Channel=\"\"/>"
              "<row Sentence=\"BWC\" SwapAll=\"Y\" Swap16=\"N\"/>"
              "</NMEA_Listener></NMEA_0183>")
              .arg(ggaField0, zdaField0, ggaField0.toUpper())
              .toUtf8());
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_path);
    EXPECT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();

    const AccessRule expected[] = {
        rule(true, "RS232", "", "", "", "None", false, false, "", ""),
        rule(false, "", "", " 7 ", "", "", false, true, " 5", " m "),
        rule(true, "RS485 / RS422", "", "", "", "x 10", false, false, "", ""),
        rule(true, "RS485 2", "GGA", "", ggaField0, "None", false, false, "abc", ""),
        rule(true, "RS232", "GGA", "", "", "", false, false, "", ""),
        rule(true, "", "GGA", "", "", "None", false, false, "", ""),
        rule(true, "RS232", "", "", "", "None", true, false, "", ""),
    };
    for (int i = 0; i < Nmea::RuleRows; ++i) {
        const AccessRule want = i < int(std::size(expected)) ? expected[i] : AccessRule{};
        EXPECT_EQ(describe(loaded.table[i]), describe(want)) << "row " << i + 1;
    }
}

TEST_F(RulesDocument, UnreadableDocumentsLoadNoRuleAndNameTheFile) {
    const struct {
        const char* name;
        const char* content;
        const char* mentions;
    } cases[] = {
        {"unclosed", "<NMEA_0183><NMEA_Listener><row Sentence=\"GGA\"/>", "line 1"},
        {"not xml", "Sentence=GGA\n\nrow\n", "line"},
        {"no listener", "<NMEA_0183><Listener><row Sentence=\"GGA\"/></Listener></NMEA_0183>",
         "NMEA_Listener"},
        {"listener below a leading comment",
         "<!--x--><NMEA_0183><NMEA_Listener><row Sentence=\"GGA\"/>"
         "</NMEA_Listener></NMEA_0183>",
         "NMEA_Listener"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.content);
        const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_path);
        EXPECT_TRUE(loaded.error.contains(m_path)) << loaded.error.toStdString();
        EXPECT_TRUE(loaded.error.contains(QString::fromLatin1(c.mentions))) << loaded.error.toStdString();
        EXPECT_EQ(loaded.table, RuleTable{});
        EXPECT_EQ(read(), QByteArray(c.content)); // the file is left as it was
    }
}

TEST_F(RulesDocument, MissingFileIsAnEmptyListAndRowsPastTheHundredthAreIgnored) {
    const Nmea::RulesLoad missing = Nmea::loadAccessRules(m_path);
    EXPECT_TRUE(missing.error.isEmpty());
    EXPECT_EQ(missing.table, RuleTable{});

    QByteArray many = "<NMEA_0183><NMEA_Listener>";
    for (int i = 1; i <= 105; ++i)
        many += QByteArray("<row Sentence=\"GGA\" Position=\"") + QByteArray::number(i) + "\"/>";
    write(many + "</NMEA_Listener></NMEA_0183>");
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_path);
    EXPECT_TRUE(loaded.error.isEmpty());
    EXPECT_EQ(loaded.table[0].Position, "1");
    EXPECT_EQ(loaded.table[99].Position, "100");
}

TEST_F(RulesDocument, SavedDocumentHasTheExactLayout) {
    RuleTable table{};
    table[0] = rule(true, "RS232", "GGA", "", Nmea::fieldText(7, 0), "None", false, true, "1", "");
    table[1] = rule(false, " RS232", "XDR", "3", "", ": 10", true, false, " 8 ", "a<b & \"c\"");
    EXPECT_EQ(
        QString::fromUtf8(Nmea::accessRulesDocument(table)).toStdString(),
        "<NMEA_0183><NMEA_Listener>"
        "<row Enable=\"Y\" Serial_Channel=\"RS232\" Sentence=\"GGA\" Index=\"\" "
        "DataField=\"UTC of position, Hours [decimal]\" PortOperation=\"None\" SwapAll=\"N\" Swap16=\"Y\" "
        "Position=\"1\" Mnemonic=\"\"/>"
        "<row Enable=\"N\" Serial_Channel=\" RS232\" Sentence=\"XDR\" Index=\"3\" DataField=\"\" "
        "PortOperation=\": 10\" SwapAll=\"Y\" Swap16=\"N\" Position=\" 8 \" "
        "Mnemonic=\"a&lt;b &amp; &quot;c&quot;\"/>"
        "</NMEA_Listener></NMEA_0183><!--SW_VERSION = 1.007-->");
    EXPECT_EQ(Nmea::accessRulesDocument(RuleTable{}),
              QByteArray("<NMEA_0183><NMEA_Listener/></NMEA_0183><!--SW_VERSION = 1.007-->"));
}

TEST_F(RulesDocument, SaveStopsAtTheFirstRowWithoutSentence) {
    for (const char* gap : {"", "   ", "\t"}) {
        SCOPED_TRACE(testing::Message() << "gap '" << gap << "'");
        RuleTable table{};
        for (int i : {0, 1, 2, 4, 5})
            table[i].Sentence = QStringLiteral("GGA");
        table[3].Sentence = QString::fromLatin1(gap);
        table[3].Mnemonic = QStringLiteral("kept in the window only");
        EXPECT_EQ(Nmea::firstRowEndingTheList(table), 4);
        EXPECT_TRUE(Nmea::saveAccessRules(m_path, table).isEmpty());
        const RuleTable loaded = Nmea::loadAccessRules(m_path).table;
        EXPECT_EQ(loaded[2].Sentence, "GGA");
        EXPECT_EQ(loaded[3], AccessRule{});
        EXPECT_EQ(loaded[4], AccessRule{});
        EXPECT_EQ(read().count("<row "), 3);
    }
}

TEST(RulesList, FirstRowEndingTheListOnlyWhenRulesFollowIt) {
    const struct {
        std::vector<int> filledRows;
        int expected;
    } cases[] = {
        {{}, 0}, {{1, 2, 3}, 0}, {{1, 2, 3, 5}, 4}, {{2}, 1}, {{100}, 1}, {{1, 99}, 2},
    };
    for (const auto& c : cases) {
        RuleTable table{};
        for (int row : c.filledRows)
            table[row - 1].Sentence = QStringLiteral("DBT");
        EXPECT_EQ(Nmea::firstRowEndingTheList(table), c.expected) << testing::PrintToString(c.filledRows);
    }
}

TEST_F(RulesDocument, SavedRulesLoadUnchanged) {
    RuleTable table{};
    table[0] =
        rule(true, "RS485 2", "VWT", "", Nmea::fieldText(39, 0), "x 100", true, true, "0", "Wind \u00B0 ok");
    table[1] = rule(false, "RS485 / RS422", "GSV", " 37", Nmea::fieldText(10, 5), ": 10000", false, true,
                    "-3", "  tab\there, line\nbreak  ");
    table[2] =
        rule(true, "RS232", "$PJELA", "x1F", Nmea::fieldText(35, 0), "None", false, false, "1999", "<&>");
    table[3] = rule(true, "RS232", "GGA", "", Nmea::fieldText(7, 1), "None", false, false, "", "");
    ASSERT_TRUE(Nmea::saveAccessRules(m_path, table).isEmpty());
    ASSERT_TRUE(read().contains("0 to 180\xC2\xB0, Number")); // UTF-8 on disk
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_path);
    EXPECT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    for (int i = 0; i < Nmea::RuleRows; ++i)
        EXPECT_EQ(describe(loaded.table[i]), describe(table[i])) << "row " << i + 1;
}

TEST_F(RulesDocument, CharactersXmlCannotCarryAreDroppedSoTheDocumentStaysReadable) {
    RuleTable table{};
    table[0] = rule(true, "RS232", "GGA", QString(QChar(0x1)), "", "None", false, false, "1",
                    "a\x02"
                    "b");
    table[0].Mnemonic += QChar(0xD800); // a lone surrogate
    table[1] = rule(true, "RS232", "GGA", "", "", "None", false, false, "2", "\U0001F6A2 ship");
    ASSERT_TRUE(Nmea::saveAccessRules(m_path, table).isEmpty());
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_path);
    ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.table[0].Index, "");
    EXPECT_EQ(loaded.table[0].Mnemonic, "ab");
    EXPECT_EQ(loaded.table[1].Mnemonic, QString::fromUtf8("\U0001F6A2 ship"));
}

TEST_F(RulesDocument, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    RuleTable table{};
    table[0].Sentence = QStringLiteral("GGA");
    const QString inMissingFolder = m_dir.filePath(QStringLiteral("gone/NMEA_0183_Set_Access.xml"));
    EXPECT_TRUE(Nmea::saveAccessRules(inMissingFolder, table).contains(inMissingFolder));

    write("<old/>");
    QFile::setPermissions(m_path, QFileDevice::ReadOwner);
    const QString error = Nmea::saveAccessRules(m_path, table);
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(error.contains(m_path)) << error.toStdString();
    EXPECT_EQ(read(), QByteArray("<old/>"));
}

TEST(RulesCells, IndexIsEditableForIndexedSentencesOnly) {
    const struct {
        const char* cell;
        bool editable;
    } cases[] = {{"GSV", true},     {"XDR", true},  {"$PJELA", true}, {"$VTHA0", true}, {"$VTHS0", true},
                 {"$VTHC0", false}, {"GGA", false}, {"", false},      {" GSV", false},  {"gsv", false}};
    for (const auto& c : cases)
        EXPECT_EQ(Nmea::indexEditable(QString::fromUtf8(c.cell)), c.editable) << c.cell;
}

TEST(RulesCells, SerialChannelListFollowsTheMask) {
    EXPECT_EQ(Nmea::SerialChannel_SL(7), QStringList({"RS232", "RS485 / RS422", "RS485 2"}));
    EXPECT_EQ(Nmea::SerialChannel_SL(5), QStringList({"RS232", "RS485 2"}));
    EXPECT_TRUE(Nmea::SerialChannel_SL(0).isEmpty());
}

} // namespace
