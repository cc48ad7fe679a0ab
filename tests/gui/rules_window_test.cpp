#include "RulesWindowFixture.h"
#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/shell/WindowLook.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <functional>

namespace {

using Kind = MessageBox::Kind;
using Nmea::AccessRule;

QString fieldOf(const char* sentence, int field) {
    return Nmea::fieldText(Nmea::Find_Sentence(QString::fromLatin1(sentence)), field);
}

AccessRule rule(const char* sentence, int field, const QString& position, bool enabled = true,
                const QString& index = {}) {
    AccessRule r;
    r.Enable = enabled;
    r.Serial_Channel = QStringLiteral("RS232");
    r.Sentence = QString::fromLatin1(sentence);
    r.DataField = fieldOf(sentence, field);
    r.PortOperation = QStringLiteral("None");
    r.Index = index;
    r.Position = position;
    return r;
}

class RulesWindowTest : public RulesWindowFixture {
protected:
    RulesWindowTest() : RulesWindowFixture(QStringLiteral("Conf1")) {}

    QString rulesFile() const { return m_state.File_NMEA_Access; }
    QByteArray storedBytes() const {
        QFile file(rulesFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void reopen() {
        QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
        ASSERT_FALSE(m_window->isVisible());
        open();
    }

    QString cell(int col, int row) const { return item(col, row)->text(); }
    bool ticked(int col, int row) const { return item(col, row)->checkState() == Qt::Checked; }
    bool indexEditable(int row) const { return item(Index, row)->flags() & Qt::ItemIsEditable; }

    // The row as one readable line: texts, and Y/N for the check boxes.
    QString rowLine(int row) const {
        QStringList cells;
        for (int col = Enable; col <= Mnemonic; ++col)
            cells << ((col == Enable || col == SwapAll || col == Swap16) ? (ticked(col, row) ? "Y" : "N")
                                                                         : cell(col, row));
        return cells.join('|');
    }
};

TEST_F(RulesWindowTest, FrameMatchesItsLayout) {
    open();
    EXPECT_EQ(m_window->size(), QSize(1200, 337));
    EXPECT_EQ(m_window->windowTitle(), "Definition of NMEA 0183 Sentences");
    EXPECT_EQ(m_window->P_Title->L_SW_Code->text(), "SW73052");
    EXPECT_EQ(m_window->P_Title->L_SW_Desc->text(), "Definition of NMEA 0183 Sentences");
    EXPECT_EQ(m_window->P_Title->height(), 69);
    EXPECT_EQ(m_window->P_Button->geometry(), QRect(0, 297, 1200, 40));
    EXPECT_EQ(table()->geometry(), QRect(0, 69, 1200, 228));
    EXPECT_EQ(m_window->palette().color(QPalette::Window), QColor(248, 247, 237));

    struct ButtonLook {
        QPushButton* button;
        const char* name;
        int left;
        const char* text;
        const char* hint;
    };
    const ButtonLook buttons[] = {
        {m_window->Btn_OK, "Btn_OK", 18, "OK", "Confirm and Save the current list of NMEA 0183 Sentences"},
        {m_window->Btn_Cancel, "Btn_Cancel", 134, "Cancel",
         "Exit and Discard the current list of NMEA 0183 Sentences"},
        {m_window->Btn_DelRow, "Btn_DelRow", 252, "Delete Row", "Delete the selected Row in the table"},
        {m_window->Btn_InsRow, "Btn_InsRow", 370, "Insert Row", "Insert a Row in the Table"},
        {m_window->Btn_CopyRow, "Btn_CopyRow", 488, "Copy Row", "Copy all Fields of the Selected Row"},
        {m_window->Btn_PasteRow, "Btn_PasteRow", 606, "Paste Row",
         "Paste the Copied Fields in the Selected Row"},
    };
    for (const ButtonLook& b : buttons) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(b.button->objectName(), b.name);
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 6, 110, 28));
        EXPECT_EQ(b.button->text(), b.text);
        EXPECT_EQ(b.button->toolTip(), b.hint);
    }

    // The ten rule columns, then the read-only Bytes column.
    ASSERT_EQ(table()->model()->columnCount(), 11);
    ASSERT_EQ(table()->model()->rowCount(), 100);
    EXPECT_EQ(table()->verticalHeader()->width(), 40);
    EXPECT_EQ(rowHeader(100).toString(), "100");
    struct ColumnLook {
        const char* header;
        int width;
        QColor colour;
        const char* hint;
        bool check;
    };
    const ColumnLook columns[] = {
        {"Enable", 50, {255, 216, 176}, "Enable/Disable the Row with NMEA 0183 Sentence", true},
        {"Serial Channel",
         120,
         {168, 255, 168},
         "Select the Serial to Use to Receive the NMEA 0183 Sentence",
         false},
        {"Sentence", 120, {224, 250, 254}, "Select the NMEA 0183 Sentence to Receive", false},
        {"Index", 50, {224, 250, 254}, "Insert the index of Position in Sentence", false},
        {"Data Field", 280, {224, 250, 254}, "Select the Data Field to Save", false},
        {"Post Ope", 120, {255, 255, 168}, "Select the Post Operation to Apply to the Data Field", false},
        {"Swap All",
         60,
         {255, 255, 168},
         "Enable/Disable the Possibility to Swap the Bytes of Data Field",
         true},
        {"Swap 16",
         60,
         {255, 255, 168},
         "Enable/Disable the Possibility to Swap the Word of Data Field",
         true},
        {"Position", 60, {252, 214, 244}, "Insert the Position of Array where to Save the Data Field", false},
        {"Mnemonic", 160, {255, 255, 255}, "Insert a Description of NMEA 0183 Sentence", false},
    };
    for (int col = 1; col <= 10; ++col) {
        const ColumnLook& c = columns[col - 1];
        SCOPED_TRACE(c.header);
        EXPECT_EQ(columnHeader(col).toString(), c.header);
        EXPECT_EQ(columnHeader(col, Qt::ToolTipRole).toString(), c.hint);
        EXPECT_EQ(table()->columnWidth(col - 1), c.width);
        for (int row : {1, 100}) {
            EXPECT_EQ(item(col, row)->background().color(), c.colour);
            EXPECT_TRUE(item(col, row)->toolTip().isEmpty());
            EXPECT_EQ(bool(item(col, row)->flags() & Qt::ItemIsUserCheckable), c.check);
        }
    }
    EXPECT_EQ(m_window->Hint_Sentence.size(), 10);
    EXPECT_EQ(table()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

TEST_F(RulesWindowTest, WithoutADocumentOkSavesAnEmptyList) {
    open();
    for (int row : {1, 57, 100}) {
        EXPECT_EQ(rowLine(row), "Y||||||N|N||");
        EXPECT_FALSE(indexEditable(row));
    }
    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->result(), QDialog::Accepted);
    EXPECT_EQ(storedBytes(), Nmea::accessRulesDocument(Nmea::RuleTable{}));
}

TEST_F(RulesWindowTest, PickListsOfferTheCatalogAndCannotBeTyped) {
    open();
    struct Case {
        int col;
        QStringList entries;
    };
    const Case cases[] = {
        {Channel, {"RS232", "RS485 / RS422", "RS485 2"}},
        {Sentence, Nmea::supportedNames()},
        {Field, {}}, // no sentence yet
        {PostOpe, Nmea::postOperationLabels()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.col);
        auto* combo = qobject_cast<QComboBox*>(openEditor(c.col, 3));
        ASSERT_TRUE(combo);
        EXPECT_FALSE(combo->isEditable());
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        EXPECT_EQ(entries, c.entries);
        table()->setCurrentCell(0, 0); // leaves the editor unchanged
    }
    pick(Sentence, 3, "XDR");
    auto* fields = qobject_cast<QComboBox*>(openEditor(Field, 3));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->count(), 4);
    EXPECT_EQ(fields->itemText(3), "Transducer ID [character string] (20 characters)");
}

TEST_F(RulesWindowTest, PickingProposesPositions) {
    open();
    pick(Sentence, 1, "GGA");
    EXPECT_EQ(cell(Field, 1), "UTC of position, Hours [decimal]");
    EXPECT_EQ(cell(Position, 1), "1");
    pick(Sentence, 2, "GGA");
    pick(Field, 2, fieldOf("GGA", 6));
    EXPECT_EQ(cell(Position, 2), "2");
    pick(Sentence, 3, "GGA");
    pick(Field, 3, fieldOf("GGA", 7));
    EXPECT_EQ(cell(Position, 3), "7");
    // Other cells of a row are left as they were by a sentence pick.
    EXPECT_EQ(cell(Channel, 3), "");
    EXPECT_EQ(cell(PostOpe, 3), "");
}

TEST_F(RulesWindowTest, PositionFollowsTheNearestTickedRuleAbove) {
    struct Case {
        const char* name;
        std::vector<AccessRule> above;
        const char* sentence;
        int field;
        const char* position;
    };
    const AccessRule endsAt10 = rule("GGA", 6, "6");
    const Case cases[] = {
        {"3 bytes below a rule ending at 10", {endsAt10}, "DTM", 0, "11"},
        {"20 bytes below a rule ending at 10", {endsAt10}, "XDR", 3, "10"},
        {"4 bytes after the 20-byte ID", {endsAt10, rule("XDR", 3, "10")}, "GGA", 6, "30"},
        {"1 byte after the 20-byte ID", {endsAt10, rule("XDR", 3, "10")}, "GGA", 0, "31"},
        {"unticked rule skipped", {endsAt10, rule("GGA", 6, "100", false)}, "GGA", 6, "10"},
        {"all above unticked", {rule("GGA", 6, "6", false)}, "GGA", 6, "0"},
        {"all above unticked, odd size", {rule("GGA", 6, "6", false)}, "DTM", 0, "1"},
        {"Position not a number", {rule("GGA", 6, "abc")}, "GGA", 6, "4"},
        {"row without a field skipped", {endsAt10, rule("GGA", 19, "50")}, "GGA", 6, "10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeRules(c.above);
        reopen();
        const int row = int(c.above.size()) + 1;
        pick(Sentence, row, c.sentence);
        pick(Field, row, fieldOf(c.sentence, c.field));
        EXPECT_EQ(cell(Position, row), c.position);
    }
}

TEST_F(RulesWindowTest, IndexCellIsEditableOnlyForIndexedSentences) {
    open();
    pick(Sentence, 1, "GSV");
    EXPECT_TRUE(indexEditable(1));
    type(Index, 1, "5");
    pick(Sentence, 1, "GGA");
    EXPECT_FALSE(indexEditable(1));
    EXPECT_EQ(cell(Index, 1), "5"); // read-only keeps the value, and it is saved
    pick(PostOpe, 1, "None");
    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    ASSERT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(Nmea::loadAccessRules(rulesFile()).table[0].Index, "5");

    // Loading derives it too; a double click on a read-only Index opens no editor.
    storeRules({rule("GGA", 0, "1"), rule("XDR", 0, "2", true, "3"), rule("$VTHS0", 0, "4", true, "1")});
    open();
    EXPECT_FALSE(indexEditable(1));
    EXPECT_TRUE(indexEditable(2));
    EXPECT_TRUE(indexEditable(3));
    EXPECT_EQ(openEditor(Index, 1), nullptr);
    // Typing there changes nothing: row 2's Index starts with the digit, and the row stays.
    QTest::keyClicks(table(), QStringLiteral("3x"));
    EXPECT_EQ(table()->currentRow(), 0);
    EXPECT_EQ(table()->currentColumn(), Index - 1);
    EXPECT_EQ(cell(Index, 1), "");
}

TEST_F(RulesWindowTest, DataCheckStopsAtTheFirstFailure) {
    struct Case {
        const char* name;
        AccessRule rule;
        QString error; // empty: the rules are saved
    };
    const Case cases[] = {
        {"GSV field 0, no Index", rule("GSV", 0, "1"), ""},
        {"GSV field 2, any Index", rule("GSV", 2, "1", true, "99"), ""},
        {"GSV field 5, Index 37", rule("GSV", 5, "1", true, "37"),
         "Error row 2!! Index Must be Between 1 and 36"},
        {"GSV field 1, Index 10", rule("GSV", 1, "1", true, "10"),
         "Error row 2!! Index Must be Between 1 and 9"},
        {"XDR, empty Index", rule("XDR", 0, "1"), "Error row 2!! Index Must be Between 1 and 10"},
        {"Position 1999", rule("GGA", 0, "1999"), ""},
        {"Position 2000", rule("GGA", 0, "2000"), "Error row 2!! Position Must be Between 0 and 2000"},
        {"Position negative", rule("GGA", 0, "-1"), "Error row 2!! Position Must be Between 0 and 2000"},
        {"Position not a number", rule("GGA", 0, "1a"), "Error row 2!! Position Must be Between 0 and 2000"},
        {"unticked, no Data Field",
         [] {
             AccessRule r = rule("GGA", 0, "");
             r.Enable = false;
             r.DataField.clear();
             return r;
         }(),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        storeRules({rule("GGA", 0, "1"), c.rule, rule("XDR", 0, "x")}); // row 3 fails only if reached
        const QByteArray before = storedBytes();
        open();
        item(Sentence, 3)->setText("");
        m_boxes.clear();
        QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
        if (c.error.isEmpty()) {
            EXPECT_FALSE(m_window->isVisible());
            EXPECT_EQ(Nmea::loadAccessRules(rulesFile()).table[1], c.rule);
        } else {
            ASSERT_EQ(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Error);
            EXPECT_EQ(m_boxes.lastText(), c.error);
            EXPECT_TRUE(m_window->isVisible());
            EXPECT_EQ(storedBytes(), before);
            m_window->hide();
        }
    }
}

TEST_F(RulesWindowTest, DeleteAndInsertMoveRowsWithTheirIndexEditability) {
    AccessRule swapped = rule("XDR", 1, "10", true, "4");
    swapped.SwapAll = true;
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "2"), swapped, rule("GSV", 0, "30", false)});
    open();
    const QString xdrLine = rowLine(3);
    const QString gsvLine = rowLine(4);

    clickOnRow(m_window->Btn_InsRow, 3);
    EXPECT_EQ(rowLine(3), "Y||||||N|N||");
    EXPECT_FALSE(indexEditable(3));
    EXPECT_EQ(rowLine(4), xdrLine);
    EXPECT_TRUE(indexEditable(4));
    EXPECT_EQ(rowLine(5), gsvLine);

    // No keeps the row; Yes deletes it and the rows below move up.
    // A click on the row number makes the row current.
    QHeaderView* numbers = table()->verticalHeader();
    QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {},
                      QPoint(numbers->width() / 2, numbers->sectionViewportPosition(3) + 5));
    m_boxes.setNextAnswer(MessageBox::Answer::No);
    QTest::mouseClick(m_window->Btn_DelRow, Qt::LeftButton);
    EXPECT_EQ(m_boxes.lastText(), "Are you sure to delete the Row number 4");
    EXPECT_EQ(m_boxes.shown().back().kind, Kind::Question);
    EXPECT_EQ(m_boxes.lastDefault(), MessageBox::Answer::No); // a stray Enter keeps the row
    EXPECT_EQ(rowLine(4), xdrLine);
    clickOnRow(m_window->Btn_DelRow, 4);
    EXPECT_EQ(rowLine(4), gsvLine);
    EXPECT_TRUE(indexEditable(4)); // GSV takes an Index too
    clickOnRow(m_window->Btn_DelRow, 2);
    EXPECT_EQ(rowLine(2), "Y||||||N|N||");
    EXPECT_FALSE(indexEditable(2));
    EXPECT_EQ(rowLine(3), gsvLine);
    EXPECT_TRUE(indexEditable(3));
    EXPECT_FALSE(indexEditable(4));
    EXPECT_EQ(rowLine(100), "Y||||||N|N||");
}

TEST_F(RulesWindowTest, CopiedRowPastesAfterReopening) {
    AccessRule copied = rule("XDR", 3, "12", false, "2");
    copied.Swap16 = true;
    copied.Mnemonic = QStringLiteral(" id ");
    storeRules({copied});
    open();
    // Another editor's copy does not count in this window.
    m_state.Row_Clipboard = QStringList(10, "x");
    m_state.Row_Clipboard_Checks = QList<bool>(10, false);
    clickOnRow(m_window->Btn_PasteRow, 5);
    EXPECT_EQ(m_boxes.lastText(), "Error!!! Copy a valid row before Paste it");
    EXPECT_EQ(rowLine(5), "Y||||||N|N||");

    const QString line = rowLine(1);
    clickOnRow(m_window->Btn_CopyRow, 1);
    EXPECT_TRUE(m_window->Do_Copy);
    reopen();
    m_boxes.clear();
    clickOnRow(m_window->Btn_PasteRow, 5);
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(rowLine(5), line);
    EXPECT_TRUE(indexEditable(5));

    // A row holding one blank asks first; No leaves it.
    type(Mnemonic, 6, " ");
    ASSERT_EQ(cell(Mnemonic, 6), " ");
    m_boxes.setNextAnswer(MessageBox::Answer::No);
    clickOnRow(m_window->Btn_PasteRow, 6);
    EXPECT_EQ(m_boxes.lastText(), "Row Already used. Do you want to overwrite the values?");
    EXPECT_EQ(m_boxes.lastDefault(), MessageBox::Answer::No);
    EXPECT_EQ(cell(Mnemonic, 6), " ");
    clickOnRow(m_window->Btn_PasteRow, 6);
    EXPECT_EQ(rowLine(6), line);

    // A row copied in a table of another width is refused.
    m_state.Row_Clipboard.removeLast();
    m_state.Row_Clipboard_Checks.removeLast();
    clickOnRow(m_window->Btn_PasteRow, 7);
    EXPECT_EQ(m_boxes.lastText(), "Error in the Copy values!!! Copy a valid row before Paste it");
    EXPECT_EQ(rowLine(7), "Y||||||N|N||");
}

// Ctrl+V pastes rows copied from a spreadsheet as cells, on a selected cell or in an open one.
TEST_F(RulesWindowTest, CtrlVPastesABlockAsCellsOrNothing) {
    storeRules({rule("GGA", 0, "1")});
    open();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString line1 = rowLine(1);
    clipboard->setText(QStringLiteral(" vtg \t\t%1\tx 10\nHDT\n").arg(fieldOf("VTG", 2).toLower()));
    table()->setCurrentCell(1, Sentence - 1);
    QTest::keyClick(table(), Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
    EXPECT_EQ(rowLine(1), line1);
    EXPECT_EQ(cell(Sentence, 2), "VTG");
    EXPECT_EQ(cell(Field, 2), fieldOf("VTG", 2));
    EXPECT_EQ(cell(PostOpe, 2), "x 10");
    EXPECT_EQ(cell(Sentence, 3), "HDT");
    EXPECT_EQ(cell(Field, 3), fieldOf("HDT", 0));
    EXPECT_TRUE(m_window->hasUnsavedChanges());

    // In an open text cell, a block is pasted as cells too; a value refused pastes nothing.
    const QString line4 = rowLine(4);
    clipboard->setText(QStringLiteral("GPS_COG\tbeyond the last column"));
    QWidget* editor = openEditor(Mnemonic, 4);
    ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(m_boxes.lastText(),
              "Nothing was pasted: the copied block of 1 rows and 2 columns does not fit in the "
              "table from row 4, column 10.");
    EXPECT_EQ(m_boxes.shown().back().kind, Kind::Error);
    EXPECT_EQ(rowLine(4), line4);
    clipboard->setText(QStringLiteral("Y\tRS232\tGGA\nmaybe\tRS232\tGGA"));
    table()->setCurrentCell(3, Enable - 1);
    QTest::keyClick(table(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_boxes.lastText(), "Nothing was pasted: row 5, column Enable cannot take \"maybe\".");
    EXPECT_EQ(rowLine(4), line4);

    // Text with control characters never reaches a cell, whichever way it came into the editor.
    auto* edit = qobject_cast<QLineEdit*>(openEditor(Mnemonic, 6));
    ASSERT_TRUE(edit);
    edit->setText(QStringLiteral("GPS\tCOG\r\n"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(cell(Mnemonic, 6), "GPSCOG");
}

TEST_F(RulesWindowTest, CheckBoxesToggleByClick) {
    open();
    clickCheck(Enable, 2);
    clickCheck(SwapAll, 2);
    EXPECT_EQ(rowLine(2), "N||||||Y|N||");
    clickCheck(SwapAll, 2);
    EXPECT_FALSE(ticked(SwapAll, 2));
}

TEST_F(RulesWindowTest, EnterMovesToTheNextCellOnlyWithTheOption) {
    open();
    table()->setCurrentCell(99, 9);
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_EQ(table()->currentRow(), 99); // the table's own behaviour: no move
    EXPECT_EQ(table()->currentColumn(), 9);

    m_state.Enable_Jump_Field_Tables = true;
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_EQ(table()->currentRow(), 0);
    EXPECT_EQ(table()->currentColumn(), 0);
    QTest::keyClick(table(), Qt::Key_Enter);
    EXPECT_EQ(table()->currentColumn(), 1);
    // Enter in an open editor keeps the typed text and moves on.
    type(Position, 4, "12");
    EXPECT_EQ(cell(Position, 4), "12");
    EXPECT_EQ(table()->currentRow(), 3);
    EXPECT_EQ(table()->currentColumn(), Mnemonic - 1);
}

TEST_F(RulesWindowTest, HeaderDoubleClickFitsTheColumnOnlyWithTheOption) {
    storeRules({[] {
        AccessRule r = rule("GGA", 0, "1");
        r.Mnemonic = QString(60, 'W');
        return r;
    }()});
    open();
    QHeaderView* header = table()->horizontalHeader();
    const int text = table()->fontMetrics().horizontalAdvance(QString(60, 'W'));
    // Inside the title, and on the dragging handle at its right edge.
    for (const int offset : {20, 159}) {
        SCOPED_TRACE(offset);
        const QPoint place(header->sectionViewportPosition(Mnemonic - 1) + offset, header->height() / 2);
        m_state.Enable_Double_Click_Auto_Size = false;
        table()->setColumnWidth(Mnemonic - 1, 160);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, place);
        EXPECT_EQ(table()->columnWidth(Mnemonic - 1), 160);
        m_state.Enable_Double_Click_Auto_Size = true;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, place);
        EXPECT_GE(table()->columnWidth(Mnemonic - 1), text);
        EXPECT_LT(table()->columnWidth(Mnemonic - 1), text + 12);
    }
    const QPoint dataCell = table()->visualRect(item(Position, 1)->index()).center();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, dataCell);
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, dataCell); // data rows: nothing
    EXPECT_EQ(table()->columnWidth(Position - 1), 60);
}

TEST_F(RulesWindowTest, CornerDoubleClickFitsTheRowNumberColumnOnlyWithTheOption) {
    const QString title(12, 'W');
    m_state.Msg_Catalog.setText(1014, title);
    m_window->Set_Lang();
    open();
    QHeaderView* side = table()->verticalHeader();
    auto* corner = table()->findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    const int text = corner->fontMetrics().horizontalAdvance(title);
    m_state.Enable_Double_Click_Auto_Size = false;
    QTest::mouseDClick(corner, Qt::LeftButton);
    EXPECT_EQ(side->width(), 40);
    m_state.Enable_Double_Click_Auto_Size = true;
    QTest::mouseDClick(corner, Qt::LeftButton);
    EXPECT_GE(side->width(), text);
    EXPECT_LT(side->width(), text + 12);

    // Under a short title, a flagged row's number keeps room for its mark beside it.
    m_state.Msg_Catalog.setText(1014, QStringLiteral("N"));
    m_window->Set_Lang();
    Nmea::RuleTable rows = m_window->rules();
    rows[99] = rule("GGA", 0, "1"); // below the empty row 1: flagged as not saved
    m_window->showRules(rows);
    m_window->reviewNow();
    ASSERT_FALSE(rowHeader(100, Qt::DecorationRole).value<QIcon>().isNull());
    QTest::mouseDClick(corner, Qt::LeftButton);
    const int markedNumber = side->fontMetrics().horizontalAdvance(QStringLiteral("100")) + 12;
    EXPECT_GE(side->width(), markedNumber);
    EXPECT_LT(side->width(), markedNumber + 24);
}

TEST_F(RulesWindowTest, SavedRulesReloadUnchanged) {
    AccessRule vwt = rule("VWT", 0, "4", true);
    vwt.Serial_Channel = QStringLiteral("RS485 2");
    vwt.PortOperation = QStringLiteral("x 100");
    vwt.Swap16 = true;
    vwt.Mnemonic = QStringLiteral(" wind ° ");
    ASSERT_TRUE(vwt.DataField.contains(QChar(0xB0)));
    AccessRule off = rule("GGA", 6, "", false);
    off.DataField.clear();
    storeRules({vwt, off});
    open();
    type(Mnemonic, 2, "spare");
    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    ASSERT_TRUE(m_boxes.shown().empty());
    off.Mnemonic = QStringLiteral("spare");
    open();
    const Nmea::RuleTable shown = m_window->rules();
    EXPECT_EQ(shown[0], vwt);
    EXPECT_EQ(shown[1], off);
    EXPECT_EQ(shown[2], AccessRule{});
}

TEST_F(RulesWindowTest, RulesBelowAnEmptyRowAreDroppedOnlyWhenConfirmed) {
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "2")});
    const QByteArray before = storedBytes();
    open();
    pick(Sentence, 5, "XDR");
    type(Index, 5, "1");
    pick(PostOpe, 5, "None");

    m_boxes.setNextAnswer(MessageBox::Answer::No);
    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Question);
    EXPECT_EQ(m_boxes.lastText(), "Rows below the empty row 3 are not saved. Save anyway?");
    EXPECT_EQ(m_boxes.lastDefault(), MessageBox::Answer::No);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(storedBytes(), before);

    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    EXPECT_FALSE(m_window->isVisible());
    const Nmea::RuleTable saved = Nmea::loadAccessRules(rulesFile()).table;
    EXPECT_EQ(saved[1].Sentence, "GGA");
    EXPECT_EQ(saved[2], AccessRule{});
    EXPECT_EQ(saved[4], AccessRule{});
}

TEST_F(RulesWindowTest, UnreadableDocumentOpensTheResetTableAndStaysUntouched) {
    for (const QByteArray& content :
         {QByteArray("<NMEA_0183><NMEA_Listener><row"), QByteArray("<NMEA_0183/>")}) {
        SCOPED_TRACE(content.toStdString());
        QFile file(rulesFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        m_boxes.clear();
        open();
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Error);
        EXPECT_TRUE(m_boxes.lastText().contains(rulesFile()));
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_EQ(rowLine(1), "Y||||||N|N||");
        QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
        EXPECT_EQ(storedBytes(), content);
    }
}

TEST_F(RulesWindowTest, RestoringTheMinimisedWindowKeepsTheEdits) {
    storeRules({rule("GGA", 0, "1")});
    open();
    type(Position, 1, "8");
    pick(Sentence, 2, "XDR");
    m_boxes.clear();
    m_window->showMinimized();
    QApplication::processEvents();
    m_window->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(cell(Position, 1), "8");
    EXPECT_EQ(cell(Sentence, 2), "XDR");
    EXPECT_TRUE(indexEditable(2));
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(RulesWindowTest, FailedSaveKeepsTheWindowAndTheOldFile) {
    storeRules({rule("GGA", 0, "1")});
    const QByteArray before = storedBytes();
    open();
    type(Position, 1, "8");
    QFile::setPermissions(rulesFile(), QFileDevice::ReadOwner);
    QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
    QFile::setPermissions(rulesFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Error);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(cell(Position, 1), "8");
    EXPECT_EQ(storedBytes(), before);
}

TEST_F(RulesWindowTest, StepThreeEditsRulesThatCompileIntoTheImage) {
    ASSERT_TRUE(ParGen::save(m_state.File_ParGen, ParGenSet{})); // all three ports enabled
    QTimer::singleShot(0, m_window, [this] {
        QTRY_VERIFY(m_window->isVisible());
        pick(Channel, 1, "RS232");
        pick(Sentence, 1, "GGA");
        pick(PostOpe, 1, "None");
        pick(Channel, 2, "RS485 2");
        pick(Sentence, 2, "GGA");
        pick(Field, 2, fieldOf("GGA", 6));
        pick(PostOpe, 2, "x 100");
        QTest::mouseClick(m_window->Btn_OK, Qt::LeftButton);
        if (m_window->isVisible())
            m_window->reject();
    });
    QTest::mouseClick(m_main->Btn_NMEA0183_Access, Qt::LeftButton);
    ASSERT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(m_window->result(), QDialog::Accepted);

    BankImage image;
    ASSERT_TRUE(Compile_Bank(m_state.File_ParGen, rulesFile(), image));
    EXPECT_EQ(image.u32(BankLayout::RuleCount), 2u);
    const RuleRecord first = image.record(0);
    EXPECT_EQ(first.sentence, 7);
    EXPECT_EQ(first.field, 0);
    EXPECT_EQ(first.position, 1);
    const RuleRecord second = image.record(1);
    EXPECT_EQ(second.channel, 2);
    EXPECT_EQ(second.field, 6);
    EXPECT_EQ(second.position, 2);
    EXPECT_EQ(second.postOperation, Nmea::GetIndexPostOperation("x 100"));
}

} // namespace

namespace {

enum class Leave { Escape, Cancel, CloseBox };

const char* leaveName(Leave way) {
    return way == Leave::Escape ? "Escape" : way == Leave::Cancel ? "Cancel" : "close box";
}

} // namespace

class RulesWindowLeaving : public RulesWindowTest {
protected:
    void leave(Leave way) {
        switch (way) {
        case Leave::Escape:
            QTest::keyClick(table(), Qt::Key_Escape);
            break;
        case Leave::Cancel:
            QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
            break;
        case Leave::CloseBox:
            m_window->close();
            break;
        }
        QApplication::processEvents();
    }
    static constexpr const char* kQuestion =
        "The rules have been changed and not saved. Close the window and discard the changes?";
};

TEST_F(RulesWindowLeaving, UnchangedRulesCloseAtOnceEvenAfterAnEditIsUndone) {
    storeRules({rule("GGA", 0, "1")});
    for (const Leave way : {Leave::Escape, Leave::Cancel, Leave::CloseBox}) {
        SCOPED_TRACE(leaveName(way));
        open();
        type(Mnemonic, 1, "lat");
        auto* edit = qobject_cast<QLineEdit*>(openEditor(Mnemonic, 1));
        ASSERT_TRUE(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
        clickCheck(SwapAll, 3);
        clickCheck(SwapAll, 3);
        leave(way);
        EXPECT_FALSE(m_window->isVisible());
        EXPECT_TRUE(m_boxes.shown().empty());
    }
}

TEST_F(RulesWindowLeaving, ChangedRulesAskAndNoKeepsEverything) {
    storeRules({rule("GGA", 0, "1")});
    const QByteArray before = storedBytes();
    for (const Leave way : {Leave::Escape, Leave::Cancel, Leave::CloseBox}) {
        SCOPED_TRACE(leaveName(way));
        open();
        pick(Sentence, 2, "HDT");
        type(Mnemonic, 2, "heading");
        table()->setCurrentCell(1, Position - 1);
        const QString edited = rowLine(2);

        m_boxes.clear();
        m_boxes.setNextAnswer(MessageBox::Answer::No);
        leave(way);
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Question);
        EXPECT_EQ(m_boxes.lastText(), kQuestion);
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_EQ(rowLine(2), edited);
        EXPECT_EQ(table()->currentRow(), 1);
        EXPECT_EQ(table()->currentColumn(), Position - 1);

        m_boxes.setNextAnswer(MessageBox::Answer::Yes);
        leave(way);
        EXPECT_EQ(m_boxes.shown().size(), 2u);
        EXPECT_FALSE(m_window->isVisible());
        EXPECT_EQ(storedBytes(), before);
        m_boxes.clear();
    }
}

TEST_F(RulesWindowLeaving, TypingNotYetCommittedCountsAsAChange) {
    open();
    auto* edit = qobject_cast<QLineEdit*>(openEditor(Mnemonic, 1));
    ASSERT_TRUE(edit);
    QTest::keyClicks(edit, "wind");
    m_boxes.setNextAnswer(MessageBox::Answer::No);
    m_window->close();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(cell(Mnemonic, 1), "wind");
}

TEST_F(RulesWindowLeaving, EscapeInAnOpenEditorOrListOnlyLeavesTheCell) {
    open();
    auto* edit = qobject_cast<QLineEdit*>(openEditor(Mnemonic, 1));
    ASSERT_TRUE(edit);
    QTest::keyClicks(edit, "depth");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(cell(Mnemonic, 1), "");

    auto* combo = qobject_cast<QComboBox*>(openEditor(Sentence, 1));
    ASSERT_TRUE(combo);
    QApplication::processEvents(); // the list opens with the editor
    ASSERT_TRUE(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(combo->view()->isVisible());
    EXPECT_EQ(cell(Sentence, 1), "");
    EXPECT_TRUE(m_boxes.shown().empty());
    // Nothing was changed, so the next Escape closes the window without a question.
    if (QWidget* editor = table()->indexWidget(table()->currentIndex()))
        QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(m_window->isVisible());
    leave(Leave::Escape);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_boxes.shown().empty());
}

// Pick lists that follow typing, and the keys of a closed pick list.
class RulesWindowTyping : public RulesWindowTest {
protected:
    // Each key goes where the keyboard sends it: to the open editor of the current cell if there is
    // one, else to the table.
    void typeKeys(const QString& text) {
        for (const QChar ch : text)
            QTest::keyClick(keyTarget(), ch.toLatin1());
    }
    void key(Qt::Key k) { QTest::keyClick(keyTarget(), k); }
    QWidget* keyTarget() const {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup->focusWidget() ? popup->focusWidget() : popup;
        QWidget* editor = table()->indexWidget(table()->currentIndex());
        return editor ? editor : table();
    }
    static void pause() { QTest::qWait(QApplication::keyboardInputInterval() + 150); }
    QString proposal(int row) const { return cell(Position, row); }
};

TEST_F(RulesWindowTyping, ClosedCellSelectsByEveryTypedLetterAndKeepsItsFollowUps) {
    open();
    table()->setCurrentCell(0, Sentence - 1);
    typeKeys("HDT");
    EXPECT_EQ(cell(Sentence, 1), "HDT");
    EXPECT_EQ(cell(Field, 1), fieldOf("HDT", 0));
    EXPECT_FALSE(proposal(1).isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr); // typing leaves the list closed

    // A pause starts a new search, in any case of letters.
    pause();
    typeKeys("gg");
    EXPECT_EQ(cell(Sentence, 1), "GGA");
    EXPECT_EQ(cell(Field, 1), fieldOf("GGA", 0));
    EXPECT_EQ(proposal(1), "1");
    pause();
    typeKeys("HD");
    pause();
    typeKeys("T");
    EXPECT_EQ(cell(Sentence, 1), "THS");

    // Typing that no entry starts with changes nothing.
    pause();
    typeKeys("#");
    EXPECT_EQ(cell(Sentence, 1), "THS");
}

// A click on the cell that is already current opens its editor only after the double-click
// interval; typing in that time edits that cell, never a row the first letter would find.
TEST_F(RulesWindowTyping, TypingRightAfterAClickOnTheCurrentCellEditsThatCell) {
    struct Case {
        int column;
        int row;
        const char* typed;
    };
    AccessRule cog = rule("VTG", 0, "0");
    cog.Mnemonic = QStringLiteral("VTG_COGT");
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "2"), rule("GGA", 7, "41"), cog, rule("VTG", 2, "10")});
    for (const Case& c : {Case{Mnemonic, 5, "VTG_SOG_kn"}, Case{Position, 2, "47"}}) {
        SCOPED_TRACE(c.typed);
        open();
        QStringList before;
        for (int row = 1; row <= Nmea::RuleRows; ++row)
            before << rowLine(row);
        table()->setCurrentCell(c.row - 1, c.column - 1);
        table()->scrollTo(item(c.column, c.row)->index());
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          table()->visualRect(item(c.column, c.row)->index()).center());
        typeKeys(QString::fromLatin1(c.typed));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        key(Qt::Key_Return);
        QApplication::processEvents();

        EXPECT_EQ(table()->currentRow(), c.row - 1);
        EXPECT_EQ(cell(c.column, c.row), QString::fromLatin1(c.typed));
        for (int row = 1; row <= Nmea::RuleRows; ++row) {
            if (row != c.row) {
                EXPECT_EQ(rowLine(row), before[row - 1]) << "row " << row;
            }
        }
        m_boxes.setNextAnswer(MessageBox::Answer::Yes);
        QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
    }
}

TEST_F(RulesWindowTyping, ArrowsInAClosedListStepThroughItsEntriesInTheSameCell) {
    const QStringList names = Nmea::supportedNames();
    const int gga = names.indexOf("GGA");
    ASSERT_GE(gga, 1);
    ASSERT_LT(gga + 1, names.size());
    open();
    table()->setCurrentCell(2, Sentence - 1);
    typeKeys("GGA");
    key(Qt::Key_Down);
    EXPECT_EQ(cell(Sentence, 3), names[gga + 1]);
    EXPECT_EQ(cell(Field, 3), fieldOf(names[gga + 1].toLatin1().constData(), 0));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(cell(Sentence, 3), names[gga - 1]);
    EXPECT_EQ(table()->currentRow(), 2);
    EXPECT_EQ(table()->currentColumn(), Sentence - 1);

    // At the ends of the list the arrows stay where they are.
    table()->setCurrentCell(3, Channel - 1);
    typeKeys("RS232");
    key(Qt::Key_Up);
    EXPECT_EQ(cell(Channel, 4), "RS232");
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(cell(Channel, 4), "RS485 2");
    EXPECT_EQ(table()->currentRow(), 3);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(RulesWindowTyping, OpenListHighlightsByTheWholeTypedTextAndPicksOnEnter) {
    open();
    pick(Sentence, 1, "GGA");
    auto* combo = qobject_cast<QComboBox*>(openEditor(Field, 1));
    ASSERT_TRUE(combo);
    QApplication::processEvents(); // the list opens with the editor
    ASSERT_TRUE(combo->view()->isVisible());
    typeKeys("Latitude, M");
    EXPECT_EQ(combo->view()->currentIndex().data().toString(), "Latitude, Minutes [floating point]");
    EXPECT_EQ(cell(Field, 1), fieldOf("GGA", 0)); // nothing is chosen before Enter

    // After a pause the next letter searches on its own.
    pause();
    typeKeys("L");
    pause();
    typeKeys("A");
    EXPECT_EQ(combo->view()->currentIndex().data().toString().left(8), "Altitude");
    key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(cell(Field, 1).startsWith("Altitude re: mean-sea-level (geoid), Number"));
    EXPECT_EQ(proposal(1), "0");
}

TEST_F(RulesWindowTyping, EnterThatPicksFromAListMovesOnOnlyWithTheOption) {
    open();
    pick(Sentence, 1, "GGA");
    EXPECT_EQ(table()->currentRow(), 0);
    EXPECT_EQ(table()->currentColumn(), Sentence - 1);

    m_state.Enable_Jump_Field_Tables = true;
    pick(Sentence, 2, "HDT");
    EXPECT_EQ(cell(Sentence, 2), "HDT");
    EXPECT_EQ(cell(Field, 2), fieldOf("HDT", 0));
    EXPECT_EQ(table()->currentRow(), 1);
    EXPECT_EQ(table()->currentColumn(), Index - 1);
    // The same from a closed list chosen by typing.
    table()->setCurrentCell(2, Sentence - 1);
    typeKeys("VTG");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(Sentence, 3), "VTG");
    EXPECT_EQ(table()->currentRow(), 2);
    EXPECT_EQ(table()->currentColumn(), Index - 1);
    // A pick by mouse is no Enter and stays in its cell.
    auto* combo = qobject_cast<QComboBox*>(openEditor(PostOpe, 3));
    ASSERT_TRUE(combo);
    QApplication::processEvents();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    const QRect entry = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
    QApplication::processEvents();
    EXPECT_EQ(cell(PostOpe, 3), Nmea::postOperationLabels().at(1));
    EXPECT_EQ(table()->currentColumn(), PostOpe - 1);
}

// The option as the user sets it: saved in the settings at start, or ticked in the options window.
class RulesWindowEnterOption : public RulesWindowTyping {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        // Leaves m_window unset: each case starts the program over its own settings.
    }
    void startWithSavedOption(bool jump) {
        writeFile(QStringLiteral("Tessellor.xml"),
                  QByteArray("<Conf_Settings><lastinternet><enable_internet>0</enable_internet>"
                             "<enable_update>0</enable_update><enable_jump_field_tables>") +
                      (jump ? "1" : "0") + "</enable_jump_field_tables></lastinternet></Conf_Settings>");
        startProgram();
        openConfiguration(QStringLiteral("Conf1"));
        m_window = m_main->nmeaAccessWindow();
    }
    // F2 on a Sentence cell, Down in the list that opens, Enter.
    void pickWithKeys(int row) {
        table()->setCurrentCell(row - 1, Sentence - 1);
        key(Qt::Key_F2);
        QApplication::processEvents();
        ASSERT_NE(QApplication::activePopupWidget(), nullptr);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_TRUE(Nmea::supportedNames().contains(cell(Sentence, row)));
    }
};

TEST_F(RulesWindowEnterOption, SavedOptionIsReadAtStart) {
    for (const bool jump : {false, true}) {
        SCOPED_TRACE(jump ? "on" : "off");
        startWithSavedOption(jump);
        EXPECT_EQ(m_state.Enable_Jump_Field_Tables, jump);
        open();
        pickWithKeys(1);
        EXPECT_EQ(table()->currentRow(), 0);
        EXPECT_EQ(table()->currentColumn(), jump ? Index - 1 : Sentence - 1);
        m_window->hide();
    }
}

TEST_F(RulesWindowEnterOption, OptionTickedWhileRunningAppliesAtOnce) {
    startWithSavedOption(false);
    TFSoftOptions* options = m_main->softOptionsWindow();
    QTimer::singleShot(0, options, [options] {
        QTRY_VERIFY(options->isVisible());
        options->PC_Options->setCurrentWidget(options->TS_Soft_Settings);
        QTest::mouseClick(options->CB_Soft_Set_Jump_Table, Qt::LeftButton);
        QTest::mouseClick(options->Btn_OK, Qt::LeftButton);
    });
    QTest::mouseClick(m_main->Btn_Opz, Qt::LeftButton);
    ASSERT_FALSE(options->isVisible());
    EXPECT_TRUE(readFile(QStringLiteral("Tessellor.xml"))
                    .contains("<enable_jump_field_tables>1</enable_jump_field_tables>"));
    open();
    pickWithKeys(1);
    EXPECT_EQ(table()->currentColumn(), Index - 1);
}

// Undo and redo, the editing keys, the wide pick lists and the Bytes column.
class RulesWindowEditing : public RulesWindowTyping {
protected:
    void keys(QKeyCombination combination) {
        QTest::keyClick(table(), combination.key(), combination.keyboardModifiers());
        QApplication::processEvents();
    }
    void select(int col1, int row1, int col2, int row2) {
        table()->setCurrentCell(row1 - 1, col1 - 1);
        table()->selectionModel()->select(
            QItemSelection(item(col1, row1)->index(), item(col2, row2)->index()),
            QItemSelectionModel::ClearAndSelect);
    }
};

TEST_F(RulesWindowEditing, EveryKindOfChangeIsOneStepUndoneAndRedone) {
    AccessRule swapped = rule("XDR", 1, "10", true, "4");
    swapped.SwapAll = true;
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "2"), swapped, rule("GSV", 0, "30", false)});
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"typed text", [&] { type(Mnemonic, 2, "lat"); }},
        {"check box", [&] { clickCheck(Swap16, 3); }},
        {"sentence pick with its field and position", [&] { pick(Sentence, 5, "VTG"); }},
        {"field pick", [&] { pick(Field, 2, fieldOf("GGA", 9)); }},
        {"Delete Row", [&] { clickOnRow(m_window->Btn_DelRow, 2); }},
        {"Insert Row", [&] { clickOnRow(m_window->Btn_InsRow, 1); }},
        {"Paste Row",
         [&] {
             clickOnRow(m_window->Btn_CopyRow, 3);
             clickOnRow(m_window->Btn_PasteRow, 6);
         }},
        {"pasted block",
         [&] {
             QGuiApplication::clipboard()->setText(QStringLiteral("HDT\t\t\tx 10\nVTG"));
             table()->setCurrentCell(6, Sentence - 1);
             keys(Qt::ControlModifier | Qt::Key_V);
         }},
        {"Delete on a selection",
         [&] {
             select(Channel, 1, Mnemonic, 2);
             keys(QKeyCombination(Qt::Key_Delete));
         }},
        {"fill down",
         [&] {
             select(Field, 1, Field, 2);
             keys(Qt::ControlModifier | Qt::Key_D);
         }},
        {"position proposal", [&] { m_window->Set_Position(1, "GGA", fieldOf("GGA", 6)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        const Nmea::RuleTable before = m_window->rules();
        c.change();
        QApplication::processEvents();
        const Nmea::RuleTable after = m_window->rules();
        ASSERT_NE(after, before);
        EXPECT_EQ(m_window->undoStack()->count(), 1);
        keys(Qt::ControlModifier | Qt::Key_Z);
        EXPECT_EQ(m_window->rules(), before);
        keys(Qt::ControlModifier | Qt::Key_Y);
        EXPECT_EQ(m_window->rules(), after);
        keys(Qt::ControlModifier | Qt::Key_Z);
        keys(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z);
        EXPECT_EQ(m_window->rules(), after);
        keys(Qt::ControlModifier | Qt::Key_Z);
        EXPECT_FALSE(m_window->hasUnsavedChanges());
        m_window->hide();
        m_boxes.clear();
    }
}

TEST_F(RulesWindowEditing, UndoneToTheOpeningStateClosesWithoutAQuestionAndTheHistoryEndsThere) {
    storeRules({rule("GGA", 0, "1")});
    open();
    pick(Sentence, 2, "HDT");
    type(Mnemonic, 2, "heading");
    clickCheck(Enable, 1);
    for (int i = 0; i < 3; ++i)
        keys(Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(rowLine(2), "Y||||||N|N||");
    QTest::keyClick(table(), Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_boxes.shown().empty());

    // A new opening has nothing to undo or redo.
    open();
    keys(Qt::ControlModifier | Qt::Key_Y);
    keys(Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(rowLine(2), "Y||||||N|N||");
    EXPECT_FALSE(m_window->hasUnsavedChanges());
}

TEST_F(RulesWindowEditing, DeleteAndBackspaceEmptyACellOrEverySelectedCellAsOneStep) {
    AccessRule named = rule("GGA", 6, "2");
    named.Mnemonic = QStringLiteral("lat");
    storeRules({rule("GGA", 0, "1", true, "5"), named, rule("XDR", 0, "6", true, "3")});
    open();
    const QString first = rowLine(1);
    table()->setCurrentCell(1, Mnemonic - 1);
    keys(QKeyCombination(Qt::Key_Delete));
    EXPECT_EQ(cell(Mnemonic, 2), "");
    table()->setCurrentCell(1, Position - 1);
    keys(QKeyCombination(Qt::Key_Backspace));
    EXPECT_EQ(cell(Position, 2), "");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(table()->indexWidget(table()->currentIndex()), nullptr); // no editor opened

    // A selection over every kind of cell: texts and picks emptied, ticks and a closed Index kept.
    // An Index is emptied where the row's sentence took one, as by hand.
    select(Enable, 1, Bytes, 3);
    keys(QKeyCombination(Qt::Key_Delete));
    EXPECT_EQ(rowLine(1), "Y|||5|||N|N||");
    EXPECT_EQ(rowLine(2), "Y||||||N|N||");
    EXPECT_EQ(rowLine(3), "Y||||||N|N||");
    keys(Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(rowLine(1), first);
    EXPECT_EQ(cell(Mnemonic, 2), "");
}

TEST_F(RulesWindowEditing, FillDownChecksEachCellAsTypedAndRefusesAsAWhole) {
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "2"), rule("VTG", 0, "6"), rule("GGA", 9, "10")});
    open();
    pick(PostOpe, 1, "x 10");
    select(PostOpe, 1, PostOpe, 4);
    keys(Qt::ControlModifier | Qt::Key_D);
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(cell(PostOpe, row), "x 10") << row;
    EXPECT_TRUE(m_boxes.shown().empty());

    // GGA's field is no field of VTG in row 3: said, and no row is filled.
    const QStringList before = {rowLine(2), rowLine(3), rowLine(4)};
    select(Field, 1, Field, 4);
    keys(Qt::ControlModifier | Qt::Key_D);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Error);
    EXPECT_EQ(m_boxes.lastText(),
              QStringLiteral("Nothing was filled: row 3, column Data Field cannot take \"%1\".")
                  .arg(fieldOf("GGA", 0)));
    EXPECT_EQ((QStringList{rowLine(2), rowLine(3), rowLine(4)}), before);
    EXPECT_EQ(m_window->undoStack()->count(), 2); // the pick and the first fill
}

TEST_F(RulesWindowEditing, PickListsAreAsWideAsTheirLongestEntryAndFindAWordInside) {
    open();
    pick(Sentence, 1, "VTG");
    auto* combo = qobject_cast<QComboBox*>(openEditor(Field, 1));
    ASSERT_TRUE(combo);
    QApplication::processEvents();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    int longest = 0;
    for (int i = 0; i < combo->count(); ++i)
        longest = std::max(longest, list->fontMetrics().horizontalAdvance(combo->itemText(i)));
    EXPECT_GT(longest, table()->columnWidth(Field - 1));
    EXPECT_GE(list->viewport()->width(), longest);
    // In the open list, a word inside an entry is highlighted...
    typeKeys("Magnetic");
    EXPECT_EQ(list->currentIndex().data().toString(), fieldOf("VTG", 2));
    key(Qt::Key_Escape);
    QApplication::processEvents();
    // ...and in the closed cell it is chosen, as a start would be.
    pause();
    table()->setCurrentCell(0, Field - 1);
    typeKeys("magn");
    EXPECT_EQ(cell(Field, 1), fieldOf("VTG", 2));
    EXPECT_TRUE(cell(Field, 1).startsWith("Course over ground, degrees Magnetic"));
}

TEST_F(RulesWindowEditing, BytesColumnShowsWhereTheCompilerPutsEachRuleAndItsType) {
    ASSERT_TRUE(ParGen::save(m_state.File_ParGen, ParGenSet{}));
    storeRules({rule("GGA", 0, "1"), rule("GGA", 3, "2"), rule("DTM", 0, "5"), rule("GGA", 6, "8"),
                rule("XDR", 3, "12", true, "1"), rule("GGA", 6, "40", false)});
    open();
    EXPECT_EQ(columnHeader(Bytes).toString(), "Bytes");
    const char* const shown[] = {"1 USINT",
                                 "2\u20133 UINT",
                                 "5\u20137 ARRAY [0..2] OF BYTE",
                                 "8\u201311 REAL",
                                 "12\u201331 ARRAY [0..19] OF BYTE",
                                 ""};
    for (int row = 1; row <= 6; ++row) {
        EXPECT_EQ(cell(Bytes, row), QString::fromUtf8(shown[row - 1])) << row;
        EXPECT_FALSE(item(Bytes, row)->flags() & Qt::ItemIsEditable);
    }
    // It follows an edit, and the table kept its place among the controls.
    type(Position, 4, "20");
    EXPECT_EQ(cell(Bytes, 4), QString::fromUtf8("20\u201323 REAL"));
    EXPECT_EQ(table()->geometry(), QRect(0, 69, 1200, 228));
}

TEST_F(RulesWindowEditing, ANewFieldThatMovesAPositionSaysSo) {
    storeRules({rule("GGA", 0, "1"), rule("GGA", 6, "40")});
    open();
    pick(Field, 2, fieldOf("GGA", 9));
    EXPECT_EQ(cell(Position, 2), "2");
    const QString said = "Rule 2: the new field moved its position from 40 to 2.";
    EXPECT_EQ(m_window->statusMessage(), said);
    EXPECT_TRUE(m_window->L_Review->text().endsWith(said)) << m_window->L_Review->text().toStdString();
    // Undone, the position is back and the message gone.
    keys(Qt::ControlModifier | Qt::Key_Z);
    EXPECT_EQ(cell(Position, 2), "40");
    EXPECT_EQ(m_window->statusMessage(), "");
    keys(Qt::ControlModifier | Qt::Key_Y);
    // The next change ends the message; a pick that keeps the position says nothing.
    pick(Field, 2, fieldOf("GGA", 6));
    EXPECT_EQ(m_window->statusMessage(), "");
    EXPECT_FALSE(m_window->L_Review->text().contains(said));
}

TEST_F(RulesWindowEditing, LogixAlignmentOptionAlignsTheProposal) {
    open();
    pick(Sentence, 1, "GGA");
    EXPECT_EQ(cell(Position, 1), "1");
    pick(Sentence, 2, "GGA");
    pick(Field, 2, fieldOf("GGA", 6));
    EXPECT_EQ(cell(Position, 2), "2");
    m_state.Enable_Logix_Alignment = true;
    pick(Field, 2, fieldOf("GGA", 9));
    EXPECT_EQ(cell(Position, 2), "4");
}
