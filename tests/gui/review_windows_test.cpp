// The commissioning review in the rules window: row flags that follow every change, the window
// that grows, and the data map of the rows as they stand.
#include "RulesWindowFixture.h"
#include "core/comm/ParGen.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "gui/nmea/TFDataMap.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/review/ReviewMarks.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace {

using Nmea::AccessRule;
using Review::Severity;

AccessRule rule(const char* sentence, int field, const char* position, const char* mnemonic = "",
                const char* channel = "RS232") {
    AccessRule r;
    r.Enable = true;
    r.Serial_Channel = QLatin1String(channel);
    r.Sentence = QLatin1String(sentence);
    r.DataField = Nmea::fieldText(Nmea::Find_Sentence(r.Sentence), field);
    r.PortOperation = QStringLiteral("None");
    r.Position = QLatin1String(position);
    r.Mnemonic = QString::fromUtf8(mnemonic);
    return r;
}

class ReviewWindowsTest : public RulesWindowFixture {
protected:
    ReviewWindowsTest() : RulesWindowFixture(QStringLiteral("Ship")) {}

    void storeParameters(const ParGenSet& set) { ASSERT_TRUE(ParGen::save(m_state.File_ParGen, set)); }
    void close() {
        QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
        ASSERT_FALSE(m_window->isVisible());
    }

    // A row number as drawn: its mark, background and hint.
    struct RowNumber {
        QString text() const { return header(Qt::DisplayRole).toString(); }
        QIcon icon() const { return header(Qt::DecorationRole).value<QIcon>(); }
        QBrush background() const { return header(Qt::BackgroundRole).value<QBrush>(); }
        QString toolTip() const { return header(Qt::ToolTipRole).toString(); }
        const RowNumber* operator->() const { return this; }
        QVariant header(int role) const { return table->model()->headerData(row - 1, Qt::Vertical, role); }
        const QTableView* table;
        int row;
    };
    RowNumber number(int row) const { return {table(), row}; }

    // The flagged rows as "row severity" pairs, read from the row-number column as drawn:
    // "1E 2E 4N" (E error, W warning, N note).
    QString flags() const {
        QStringList flagged;
        for (int row = 1; row <= Nmea::RuleRows; ++row) {
            const RowNumber n = number(row);
            if (n->icon().isNull()) {
                EXPECT_TRUE(n->toolTip().isEmpty()) << "row " << row;
                continue;
            }
            const QColor colour = n->background().color();
            const char* letter = colour == ReviewMarks::colour(Severity::Error)     ? "E"
                                 : colour == ReviewMarks::colour(Severity::Warning) ? "W"
                                 : colour == ReviewMarks::colour(Severity::Note)    ? "N"
                                                                                    : "?";
            EXPECT_FALSE(n->toolTip().isEmpty()) << "row " << row;
            flagged << QString::number(row) + QLatin1String(letter);
        }
        return flagged.join(u' ');
    }
};

TEST_F(ReviewWindowsTest, RowFlagsFollowEveryKindOfChange) {
    ParGenSet parameters;
    parameters.RS485_2.Enable = false;
    storeParameters(parameters);
    AccessRule swapOnOneByte = rule("GGA", 0, "30");
    swapOnOneByte.SwapAll = true;
    AccessRule indexNotANumber = rule("XDR", 0, "40");
    indexNotANumber.Index = QStringLiteral("two");
    // Rules 1 and 2 share bytes 2 and 3; rule 4's swap does nothing; rule 5's Index is refused at OK.
    storeRules(
        {rule("GGA", 6, "0"), rule("GGA", 6, "2"), rule("GGA", 7, "20"), swapOnOneByte, indexNotANumber});
    open();
    EXPECT_EQ(flags(), "1E 2E 4N 5E");
    EXPECT_TRUE(number(1)->toolTip().contains("Rules 1 and 2 both write bytes 2 to 3"))
        << number(1)->toolTip().toStdString();
    EXPECT_TRUE(number(4)->toolTip().contains("Swap All changes nothing"))
        << number(4)->toolTip().toStdString();
    EXPECT_EQ(number(1)->text(), "1"); // the row number stays

    // A typed Position parts the overlap; the two rules still read the same field (a note).
    type(Position, 2, "4");
    EXPECT_EQ(flags(), "1N 2N 4N 5E");
    // A check box: rule 2 no longer compiled.
    clickCheck(Enable, 2);
    EXPECT_EQ(flags(), "4N 5E");
    // A pick: rule 3 moves to the port that is off in the saved parameters.
    pick(Channel, 3, "RS485 2");
    EXPECT_EQ(flags(), "3E 4N 5E");
    EXPECT_TRUE(number(3)->toolTip().contains("switched off")) << number(3)->toolTip().toStdString();

    // Delete and insert move the flags with their rows; rows below an empty row are not saved.
    clickOnRow(m_window->Btn_DelRow, 1);
    EXPECT_EQ(flags(), "2E 3N 4E");
    clickOnRow(m_window->Btn_InsRow, 1);
    EXPECT_EQ(flags(), "2W 3W 4W 5E");
    EXPECT_TRUE(number(3)->toolTip().contains("below the empty row 1")) << number(3)->toolTip().toStdString();
    clickOnRow(m_window->Btn_DelRow, 1);
    EXPECT_EQ(flags(), "2E 3N 4E");
    // Paste: a copy of rule 3 over rule 4 writes the same bytes.
    clickOnRow(m_window->Btn_CopyRow, 3);
    clickOnRow(m_window->Btn_PasteRow, 4);
    EXPECT_EQ(flags(), "2E 3E 4E");
    EXPECT_EQ(m_window->review().count(Severity::Error), 2);

    // Cancel drops the edits: the next opening flags the document as saved.
    m_boxes.setNextAnswer(MessageBox::Answer::Yes);
    close();
    open();
    EXPECT_EQ(flags(), "1E 2E 4N 5E");
}

// 100 equal rules: each row overlaps and shares its field with 99 others; its hint stays readable.
TEST_F(ReviewWindowsTest, ARowHintListsAtMostFifteenLines) {
    storeParameters(ParGenSet{});
    storeRules(std::vector<AccessRule>(100, rule("GGA", 0, "0")));
    open();
    m_window->reviewNow();
    const QStringList lines = number(50)->toolTip().split(u'\n');
    ASSERT_EQ(lines.size(), 15) << lines.join(u"\n").toStdString();
    EXPECT_TRUE(lines[0].contains("both write")) << lines[0].toStdString();
    EXPECT_EQ(lines.last(), "and 184 more"); // 99 overlaps and 99 rules reading the same field
    EXPECT_LE(m_window->L_Review->toolTip().count(u'\n'), 16);
}

TEST_F(ReviewWindowsTest, FlagsUseTheParametersSavedBeforeTheWindowOpened) {
    storeParameters(ParGenSet{});
    storeRules({rule("GGA", 6, "0", "", "RS485 2"), rule("GGA", 0, "4")});
    open();
    EXPECT_EQ(flags(), "");
    EXPECT_EQ(m_window->L_Review->text(), "Review: no findings");
    close();

    ParGenSet parameters;
    parameters.RS485_2.Enable = false;
    // The broadcast address of its subnet: a finding of no row, shown in the summary.
    parameters.EtherNetIP_IP = {"192", "168", "0", "255"};
    storeParameters(parameters);
    open();
    EXPECT_EQ(flags(), "1E");
    EXPECT_TRUE(number(1)->toolTip().contains("RS485 2 is switched off in the communication parameters"))
        << number(1)->toolTip().toStdString();
    EXPECT_EQ(m_window->L_Review->text(), "Review: errors 2, warnings 0, notes 0");
    const QString summary = m_window->L_Review->toolTip();
    EXPECT_TRUE(summary.contains("Error: The IP address 192.168.0.255 is the broadcast address"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Error: Rule 1 is shown enabled but left out")) << summary.toStdString();
    close();

    parameters.RS485_2.Enable = true;
    parameters.EtherNetIP_IP = {"192", "168", "0", "5"};
    storeParameters(parameters);
    open();
    EXPECT_EQ(flags(), "");
}

TEST_F(ReviewWindowsTest, TheWindowGrowsWithTheTableAndKeepsItsButtonsAtTheBottom) {
    open();
    EXPECT_TRUE(m_window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_window->size(), QSize(1200, 337));
    EXPECT_EQ(table()->geometry(), QRect(0, 69, 1200, 228));
    EXPECT_EQ(m_window->P_Button->geometry(), QRect(0, 297, 1200, 40));
    QList<QRect> buttons;
    for (QPushButton* b : {m_window->Btn_OK, m_window->Btn_Cancel, m_window->Btn_DelRow, m_window->Btn_InsRow,
                           m_window->Btn_CopyRow, m_window->Btn_PasteRow})
        buttons << b->geometry();
    EXPECT_EQ(buttons.last(), QRect(606, 6, 110, 28));
    // The new button follows the six, and one place stays free before the summary.
    EXPECT_EQ(m_window->Btn_DataMap->geometry(), QRect(724, 6, 110, 28));
    EXPECT_GE(m_window->L_ReviewMark->x(), 842 + 110);

    m_window->resize(1500, 700);
    QApplication::processEvents();
    EXPECT_EQ(table()->geometry(), QRect(0, 69, 1500, 591));
    EXPECT_EQ(m_window->P_Title->width(), 1500);
    EXPECT_EQ(m_window->P_Button->geometry(), QRect(0, 660, 1500, 40));
    EXPECT_EQ(m_window->Btn_PasteRow->geometry(), buttons.last());
    EXPECT_EQ(m_window->Btn_OK->geometry(), buttons.first());
    EXPECT_GT(table()->rowAt(table()->viewport()->height() - 1), 9); // more rows than 9 in sight

    // The next opening keeps the size the user gave it.
    close();
    open();
    EXPECT_EQ(m_window->size(), QSize(1500, 700));
    EXPECT_EQ(table()->geometry(), QRect(0, 69, 1500, 591));
}

TEST_F(ReviewWindowsTest, DataMapDrawsTheRowsAsTheyStandAndNamesTheRuleOfEachByte) {
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Input = QStringLiteral("40");
    parameters.EtherNetIP_NB_Output = QStringLiteral("8");
    storeParameters(parameters);
    // Rule 1 fills 0..3, rule 2 fills 2..5 (shared 2..3), rule 3 the single byte 33.
    storeRules(
        {rule("GGA", 6, "0", "Satellites"), rule("GGA", 6, "2", "Copy"), rule("GGA", 0, "33", "Hours")});
    open();
    EXPECT_EQ(m_window->dataMapWindow(), nullptr); // made when first asked for
    QTest::mouseClick(m_window->Btn_DataMap, Qt::LeftButton);
    TFDataMap* map = m_window->dataMapWindow();
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(map->windowTitle(), "Data Map");
    EXPECT_EQ(map->L_Summary->text(), "3 rules compiled, 7 bytes in use");
    EXPECT_EQ(map->L_Input->text(), "Input array (from the PLC, no part in the rules): 40 bytes");
    EXPECT_TRUE(map->L_Output->text().contains("Output array, what the PLC receives: 8 bytes"));

    DataMapView* view = map->Map;
    const auto drawn = [view](int byte) {
        const QImage image = view->grab().toImage();
        return image.pixelColor(view->byteRect(byte).topLeft() + QPoint(3, 3));
    };
    EXPECT_EQ(drawn(0), DataMapView::ruleColour(0));
    EXPECT_EQ(drawn(2), DataMapView::Shared);
    EXPECT_EQ(drawn(3), DataMapView::Shared);
    EXPECT_EQ(drawn(5), DataMapView::ruleColour(1));
    EXPECT_EQ(drawn(6), QColor(Qt::white));
    EXPECT_NE(DataMapView::ruleColour(0), DataMapView::ruleColour(1));
    // The end of the output array, which the PLC receives, is marked at the left of its first byte
    // past the end; the larger input array is no reach of the rules.
    const auto marker = [&](int bytes) {
        const QImage image = view->grab().toImage();
        return image.pixelColor(view->arrayEndMarker(bytes).center());
    };
    EXPECT_EQ(marker(8), DataMapView::OutputMarker);
    EXPECT_NE(marker(40), DataMapView::OutputMarker);
    // Hatched where the PLC never receives it: the hatch colour crosses the cell beyond the end only.
    const auto hatched = [view](int byte) {
        const QImage image = view->grab().toImage();
        const QRect cell = view->byteRect(byte).adjusted(1, 1, -1, -1);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) == DataMapView::Beyond)
                    return true;
        return false;
    };
    EXPECT_TRUE(hatched(33));
    EXPECT_TRUE(hatched(8));
    EXPECT_FALSE(hatched(7));
    EXPECT_FALSE(hatched(0));

    // Hovering names the rule, or both rules of a shared byte.
    const auto hover = [view](int byte) {
        const QPoint at = view->byteRect(byte).center();
        QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &help);
        return QToolTip::text();
    };
    EXPECT_EQ(hover(0), "Byte 0\nRule 1 \"Satellites\": bytes 0 to 3");
    EXPECT_EQ(hover(3), "Byte 3\nRule 1 \"Satellites\": bytes 0 to 3\nRule 2 \"Copy\": bytes 2 to 5\n"
                        "The rules overwrite each other here");
    EXPECT_EQ(hover(9), "Byte 9\nNot used by any rule\nBeyond the output array: the PLC never receives it");
    QToolTip::hideText();

    // The map follows the table, saved or not: rule 2 moved clear of rule 1, rule 3 unticked.
    type(Position, 2, "4");
    clickCheck(Enable, 3);
    EXPECT_EQ(drawn(2), DataMapView::ruleColour(0));
    EXPECT_EQ(drawn(4), DataMapView::ruleColour(1));
    EXPECT_TRUE(view->rulesAt(33).isEmpty());
    EXPECT_EQ(view->rulesAt(3), QList<int>{1});

    // Closing the rules window takes the map with it.
    m_boxes.setNextAnswer(MessageBox::Answer::Yes);
    close();
    EXPECT_FALSE(map->isVisible());
}

TEST_F(ReviewWindowsTest, DataMapExportsTheRowsAsTheyStandForThePlc) {
    ParGenSet parameters;
    parameters.EtherNetIP_NB_Output = QStringLiteral("16");
    storeParameters(parameters);
    storeRules({rule("GGA", 6, "0", "Minutes"), rule("GGA", 11, "5", "Satellites")});
    open();
    QTest::mouseClick(m_window->Btn_DataMap, Qt::LeftButton);
    TFDataMap* map = m_window->dataMapWindow();
    ASSERT_NE(map, nullptr);
    // The new button sits beside Close, which keeps its place.
    EXPECT_EQ(map->Btn_Close->geometry(), QRect(18, 6, 110, 28));
    EXPECT_EQ(map->Btn_Export->geometry(), QRect(138, 6, 110, 28));
    EXPECT_EQ(map->Btn_Export->text(), "Export");

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QStringList offered;
    QString suggested;
    int choice = int(Review::MapFormat::St);
    QString answer = folder.filePath("ship.st");
    map->setSaveQuestion(
        [&](QWidget*, const QString&, const QString& path, const QStringList& filters, QString* chosen) {
            offered = filters;
            suggested = path;
            *chosen = filters.value(choice);
            return answer;
        });
    QTest::mouseClick(map->Btn_Export, Qt::LeftButton);
    EXPECT_EQ(offered.size(), 6);
    EXPECT_EQ(offered.value(int(Review::MapFormat::L5x)), "Logix data type (*.L5X)");
    EXPECT_TRUE(suggested.endsWith("/Ship.st")) << suggested.toStdString();
    QFile written(answer);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains("TYPE T_Ship :")) << text.toStdString();
    EXPECT_TRUE(text.contains("    Minutes : REAL; (* rule 1, RS232, GGA"));
    EXPECT_TRUE(
        text.contains("    Gap_6 : ARRAY [0..9] OF BYTE; (* no rule, bytes 6 to 15 *)\nEND_STRUCT\n"));

    // Rows as they stand, saved or not; a layout Logix cannot take as a type gets the byte image
    // and the routine that moves the values, the members Logix would move named in its header.
    type(Position, 2, "12");
    choice = int(Review::MapFormat::L5x);
    answer = folder.filePath("ship.L5X");
    type(Position, 1, "1");
    QTest::mouseClick(map->Btn_Export, Qt::LeftButton);
    QFile routine(answer);
    ASSERT_TRUE(routine.open(QIODevice::ReadOnly));
    const QString l5x = QString::fromUtf8(routine.readAll());
    routine.close();
    EXPECT_TRUE(l5x.contains("TargetType=\"Routine\""));
    EXPECT_TRUE(
        l5x.contains("Rule 1 (Minutes, REAL) at byte 1: the nearest position Logix reads is byte 0."));
    type(Position, 1, "8");
    QTest::mouseClick(map->Btn_Export, Qt::LeftButton);
    ASSERT_TRUE(routine.open(QIODevice::ReadOnly));
    EXPECT_TRUE(routine.readAll().contains("TargetType=\"DataType\""));

    m_boxes.setNextAnswer(MessageBox::Answer::Yes);
    close();
}

} // namespace
