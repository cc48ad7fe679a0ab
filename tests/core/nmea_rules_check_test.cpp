#include "core/language/MessageCatalog.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulesCheck.h"

#include <gtest/gtest.h>

namespace {

using Nmea::AccessRule;
using Nmea::RuleTable;

QString field(int sentence, int index) {
    return Nmea::fieldText(sentence, index);
}

AccessRule rule(const char* sentence, const char* index, const QString& dataField,
                const char* postOpe = "None", const char* position = "0", bool enable = true) {
    AccessRule r;
    r.Enable = enable;
    r.Serial_Channel = QStringLiteral("RS232");
    r.Sentence = QString::fromUtf8(sentence);
    r.Index = QString::fromUtf8(index);
    r.DataField = dataField;
    r.PortOperation = QString::fromUtf8(postOpe);
    r.Position = QString::fromUtf8(position);
    return r;
}

QString check(const RuleTable& table) {
    const MessageCatalog catalog;
    return Nmea::Controllo_dati(table, catalog).value_or(QStringLiteral("passes"));
}

TEST(RulesCheck, EachRuleIsCheckedInOrderUpToItsFirstFailure) {
    const QString index36 = "!! Index Must be Between 1 and 36";
    const QString position = "!! Position Must be Between 0 and 2000";
    const struct {
        AccessRule rule;
        QString expected; // the text after "Error row 3", or "passes"
    } cases[] = {
        {rule("GGA", "", field(7, 0)), "passes"},
        {rule(" GGA ", "", field(7, 0)), "passes"},
        // GSV: only the satellite fields and the sentence number need an Index.
        {rule("GSV", "", field(10, 0)), "passes"},
        {rule("GSV", "abc", field(10, 2)), "passes"},
        {rule("GSV", "99", field(10, 7)), "passes"},
        {rule("GSV", "37", field(10, 5)), index36},
        {rule("GSV", "0", field(10, 3)), index36},
        {rule("GSV", "36", field(10, 6)), "passes"},
        {rule("GSV", "37", " " + field(10, 4).toLower() + " "), index36}, // matched upper-cased and trimmed
        {rule("GSV", "10", field(10, 1)), "!! Index Must be Between 1 and 9"},
        {rule("GSV", "", field(10, 1)), "!! Index Must be Between 1 and 9"},
        {rule("GSV", "9", field(10, 1)), "passes"},
        {rule("XDR", "", field(34, 0)), "!! Index Must be Between 1 and 10"},
        {rule("XDR", "11", field(34, 3)), "!! Index Must be Between 1 and 10"},
        {rule("XDR", "5 ", field(34, 3)), "!! Index Must be Between 1 and 10"}, // read untrimmed
        {rule("XDR", " 10", field(34, 3)), "passes"},
        {rule("XDR", "$A", field(34, 3)), "passes"},
        {rule("$PJELA", "51", field(35, 0)), "!! Index Must be Between 1 and 50"},
        {rule("$PJELA", "50", field(35, 0)), "passes"},
        {rule("$VTHA3", "33", field(44, 0)), "!! Index Must be Between 1 and 32"},
        {rule("$VTHS0", "0", field(47, 0)), "!! Index Must be Between 1 and 32"},
        {rule("$VTHS0", "1", field(47, 0)), "passes"},
        {rule("$VTHC0", "x", field(48, 0)), "passes"},
        {rule("GGA", "", ""), "!! Data Field Must be Selected"},
        {rule("GGA", "", "   "), "!! Data Field Must be Selected"},
        {rule("GGA", "", field(7, 0), " "), "!! Post Operation Must be Selected"},
        {rule("GGA", "", field(7, 0), "None", "2000"), position},
        {rule("GGA", "", field(7, 0), "None", "1999"), "passes"},
        {rule("GGA", "", field(7, 0), "None", " 12"), "passes"},
        {rule("GGA", "", field(7, 0), "None", "$7CF"), "passes"},
        {rule("GGA", "", field(7, 0), "None", "-1"), position},
        {rule("GGA", "", field(7, 0), "None", "abc"), position},
        {rule("GGA", "", field(7, 0), "None", ""), position},
        {rule("GGA", "", field(7, 0), "None", "12 "), position},
        {rule("GGA", "", field(7, 0), "None", "99999999999"), position},
        // The first failing step wins.
        {rule("XDR", "", "", ""), "!! Index Must be Between 1 and 10"},
        {rule("GGA", "", field(7, 0), "", "abc"), "!! Post Operation Must be Selected"},
        // Disabled rules and rows without a sentence are not checked; unknown sentences pass.
        {rule("GGA", "", "", "", "abc", false), "passes"},
        {rule("XDR", "", field(34, 0), "None", "0", false), "passes"},
        {rule("  ", "", "", "", "abc"), "passes"},
        {rule("FOO", "", "x", "None", "0"), "passes"},
        {rule("FOO", "", "", "None", "0"), "!! Data Field Must be Selected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.rule.Sentence.toStdString() << " / " << c.rule.Index.toStdString() << " / "
                     << c.rule.DataField.toStdString() << " / " << c.rule.Position.toStdString());
        RuleTable table{};
        table[0] = rule("GGA", "", field(7, 0));
        table[2] = c.rule;
        const QString expected = c.expected == "passes" ? c.expected : "Error row 3" + c.expected;
        EXPECT_EQ(check(table).toStdString(), expected.toStdString());
    }
}

TEST(RulesCheck, RowsAreCheckedInOrderPastAnEmptySentence) {
    RuleTable table{};
    table[0] = rule("GGA", "", field(7, 0));
    table[3].Mnemonic = QStringLiteral("no sentence");
    table[5] = rule("GGA", "", field(7, 0), "None", "2000");
    table[7] = rule("XDR", "", field(34, 0));
    EXPECT_EQ(check(table).toStdString(), "Error row 6!! Position Must be Between 0 and 2000");
    table[99] = rule("GGA", "", "");
    table[5].Position = QStringLiteral("1999");
    table[7].Index = QStringLiteral("1");
    EXPECT_EQ(check(table).toStdString(), "Error row 100!! Data Field Must be Selected");
    EXPECT_EQ(check(RuleTable{}).toStdString(), "passes");
}

TEST(RulesCheck, MessagesComeFromTheCatalog) {
    MessageCatalog catalog;
    catalog.setText(1033, QStringLiteral("Fehler Zeile "));
    catalog.setText(1038, QStringLiteral(": Position 0 bis "));
    RuleTable table{};
    table[1] = rule("GGA", "", field(7, 0), "None", "-5");
    EXPECT_EQ(Nmea::Controllo_dati(table, catalog).value_or("passes").toStdString(),
              "Fehler Zeile 2: Position 0 bis 2000");
}

} // namespace
