#include "core/language/MessageCatalog.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulePaste.h"
#include "core/table/CellBlock.h"
#include "core/util/TextRules.h"

#include <gtest/gtest.h>

namespace {

using namespace Nmea;

const QStringList kNames{"N",        "Enable",   "Channel", "Sentence", "Index",   "Data Field",
                         "Post Ope", "Swap All", "Swap 16", "Position", "Mnemonic"};

BlockPaste paste(const RuleTable& table, int row, int column, const QString& block) {
    static const MessageCatalog english;
    return pasteBlock(table, row, column, block, SerialChannel_SL(7), kNames, english);
}

QString field(const char* sentence, int index) {
    return fieldText(Find_Sentence(QString::fromLatin1(sentence)), index);
}

TEST(RulePaste, SplitsASpreadsheetBlockIntoRowsAndCells) {
    EXPECT_EQ(Table::splitBlock("a\tb\r\nc\td\r\n"), (QList<QStringList>{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(Table::splitBlock("one"), (QList<QStringList>{{"one"}}));
    EXPECT_EQ(Table::splitBlock("a\n\nb"), (QList<QStringList>{{"a"}, {""}, {"b"}}));
    EXPECT_TRUE(Table::isBlock("a\tb"));
    EXPECT_TRUE(Table::isBlock("a\n"));
    EXPECT_FALSE(Table::isBlock("VTG_SOG_kn"));
}

TEST(RulePaste, ABlockFillsRowByRowAsIfEachValueWereTypedOrPicked) {
    RuleTable table{};
    // Rows copied from a spreadsheet: the case and blanks of pick-list texts differ, ticks in words.
    const QString block = QStringLiteral("y\t rs232 \tgga\t\t%1\tnone\t0\tFALSE\t4\tGGA_Sats\n"
                                         "N\tRS232\tVTG\n")
                              .arg(field("GGA", 6).toUpper());
    const BlockPaste result = paste(table, 2, ColEnable, block);
    ASSERT_TRUE(result.refusal.isEmpty()) << result.refusal.toStdString();
    EXPECT_EQ(result.rows, 2);
    EXPECT_EQ(result.columns, 10);
    const AccessRule& gga = result.table[1];
    EXPECT_TRUE(gga.Enable);
    EXPECT_EQ(gga.Serial_Channel, "RS232"); // the entry's own text
    EXPECT_EQ(gga.Sentence, "GGA");
    EXPECT_EQ(gga.DataField, field("GGA", 6));
    EXPECT_EQ(gga.PortOperation, "None");
    EXPECT_FALSE(gga.SwapAll);
    EXPECT_EQ(gga.Position, "4");
    EXPECT_EQ(gga.Mnemonic, "GGA_Sats");
    // A sentence taken without a field of its own takes its first field and a proposed position,
    // as a pick does.
    const AccessRule& vtg = result.table[2];
    EXPECT_FALSE(vtg.Enable);
    EXPECT_EQ(vtg.DataField, field("VTG", 0));
    EXPECT_EQ(vtg.Position, "8");
    EXPECT_FALSE(vtg.SwapAll);
    EXPECT_EQ(result.table[0], AccessRule{});
    EXPECT_EQ(result.table[3], AccessRule{});

    // From a middle column on, only the block's cells change.
    const BlockPaste names = paste(result.table, 2, ColMnemonic, "first\nsecond\n");
    ASSERT_TRUE(names.refusal.isEmpty());
    EXPECT_EQ(names.table[1].Mnemonic, "first");
    EXPECT_EQ(names.table[2].Mnemonic, "second");
    EXPECT_EQ(names.table[1].Sentence, "GGA");
    // An empty cell of the block empties its cell.
    EXPECT_EQ(paste(names.table, 3, ColSentence, "\t\t\t").table[2].DataField, "");
}

TEST(RulePaste, AnyValueACellCannotTakeRefusesTheWholeBlock) {
    RuleTable table{};
    table[0].Sentence = QStringLiteral("GGA");
    table[0].Mnemonic = QStringLiteral("kept");
    table[1].Sentence = QStringLiteral("XDR");
    struct Case {
        int row;
        int column;
        const char* block;
        const char* refusal;
    };
    const Case cases[] = {
        {1, ColMnemonic, "changed\nnext\tbeyond",
         "Nothing was pasted: the copied block of 2 rows and 2 columns "
         "does not fit in the table from row 1, column 10."},
        {100, ColEnable, "Y\nY",
         "Nothing was pasted: the copied block of 2 rows and 1 columns does not fit in "
         "the table from row 100, column 1."},
        {1, ColSentence, "GGA\nGG", "Nothing was pasted: row 2, column Sentence cannot take \"GG\"."},
        {1, ColEnable, "yes", "Nothing was pasted: row 1, column Enable cannot take \"yes\"."},
        {1, ColSwap16, "", "Nothing was pasted: row 1, column Swap 16 cannot take \"\"."},
        {1, ColPostOpe, "x100", "Nothing was pasted: row 1, column Post Ope cannot take \"x100\"."},
        {1, ColField, "Not a field",
         "Nothing was pasted: row 1, column Data Field cannot take \"Not a field\"."},
        // GGA takes no Index; XDR below does.
        {1, ColIndex, "2\n3", "Nothing was pasted: row 1, column Index cannot take \"2\"."},
        {1, ColChannel, "RS485 9", "Nothing was pasted: row 1, column Channel cannot take \"RS485 9\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        const BlockPaste result = paste(table, c.row, c.column, QString::fromLatin1(c.block));
        EXPECT_EQ(result.refusal, QString::fromLatin1(c.refusal));
        EXPECT_EQ(result.table, table);
    }
    // The Index a sentence takes is pasted.
    EXPECT_EQ(paste(table, 2, ColIndex, "3").table[1].Index, "3");
}

TEST(RulePaste, TextCellsNeverKeepControlCharacters) {
    const BlockPaste result = paste(RuleTable{}, 1, ColMnemonic,
                                    QStringLiteral("a\x01"
                                                   "b\x1b[0m\u2028"));
    ASSERT_TRUE(result.refusal.isEmpty());
    EXPECT_EQ(result.table[0].Mnemonic, "ab[0m");
    EXPECT_EQ(withoutControlCharacters(QStringLiteral("x\ty\r\nz\x7f")), "xyz");
}

} // namespace
