#pragma once

#include "ProgramFixture.h"
#include "core/nmea/AccessRules.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <algorithm>
#include <utility>
#include <vector>

// The rules table's columns, numbered as the window numbers them (0 is the row number).
enum RulesColumn {
    Enable = 1,
    Channel,
    Sentence,
    Index,
    Field,
    PostOpe,
    SwapAll,
    Swap16,
    Position,
    Mnemonic,
    Bytes // where the compiler puts the rule; read-only
};

// A cell of the rules table read as the user sees it: item(col, row)->text(), ->checkState(), ...
// Writing it is an edit in the view, which the window takes as typed or ticked.
class RulesCell {
public:
    explicit RulesCell(const QModelIndex& index) : m_index(index) {}
    const RulesCell* operator->() const { return this; }
    QModelIndex index() const { return m_index; }
    QString text() const { return m_index.data(Qt::DisplayRole).toString(); }
    Qt::CheckState checkState() const { return Qt::CheckState(m_index.data(Qt::CheckStateRole).toInt()); }
    Qt::ItemFlags flags() const { return m_index.flags(); }
    QBrush background() const { return m_index.data(Qt::BackgroundRole).value<QBrush>(); }
    QString toolTip() const { return m_index.data(Qt::ToolTipRole).toString(); }
    void setText(const QString& text) const {
        const_cast<QAbstractItemModel*>(m_index.model())->setData(m_index, text, Qt::EditRole);
    }
    void setCheckState(Qt::CheckState state) const {
        const_cast<QAbstractItemModel*>(m_index.model())->setData(m_index, state, Qt::CheckStateRole);
    }

private:
    QModelIndex m_index;
};

// The rules window over a configuration opened in a started program.
class RulesWindowFixture : public ProgramFixture {
protected:
    explicit RulesWindowFixture(QString configuration) : m_configuration(std::move(configuration)) {}

    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(m_configuration);
        m_window = m_main->nmeaAccessWindow();
    }
    void TearDown() override {
        m_window->hide();
        ProgramFixture::TearDown();
    }

    // Saves the rows as the configuration's rules document.
    void storeRules(const std::vector<Nmea::AccessRule>& rows) {
        Nmea::RuleTable table{};
        std::copy(rows.begin(), rows.end(), table.begin());
        ASSERT_TRUE(Nmea::saveAccessRules(m_state.File_NMEA_Access, table).isEmpty());
    }
    void open() {
        m_window->show();
        QApplication::processEvents();
    }

    EditingTable* table() const { return m_window->ASG; }
    RulesCell item(int col, int row) const { return RulesCell(table()->model()->index(row - 1, col - 1)); }
    // A row number's header, as the review flags it.
    QVariant rowHeader(int row, int role = Qt::DisplayRole) const {
        return table()->model()->headerData(row - 1, Qt::Vertical, role);
    }
    QVariant columnHeader(int col, int role = Qt::DisplayRole) const {
        return table()->model()->headerData(col - 1, Qt::Horizontal, role);
    }

    // The edits a user makes in the table, each followed by the events it starts (the review runs
    // on a zero-time timer).
    // Opens a cell's editor with F2 and returns it.
    QWidget* openEditor(int col, int row) {
        // A drop-down left open by the last pick list would take the clicks.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        table()->setCurrentCell(row - 1, col - 1);
        table()->scrollTo(item(col, row)->index());
        QTest::keyClick(table(), Qt::Key_F2);
        return table()->indexWidget(table()->model()->index(row - 1, col - 1));
    }
    // Chooses an entry of a pick list with the arrows and Enter of its drop-down.
    void pick(int col, int row, const QString& text) {
        auto* combo = qobject_cast<QComboBox*>(openEditor(col, row));
        ASSERT_TRUE(combo) << "no pick list in column " << col;
        const int entry = combo->findText(text, Qt::MatchExactly);
        ASSERT_GE(entry, 0) << text.toStdString();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        list->setCurrentIndex(list->model()->index(entry, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QApplication::processEvents();
    }
    void type(int col, int row, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(openEditor(col, row));
        ASSERT_TRUE(edit) << "no text editor in column " << col;
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }
    void clickCheck(int col, int row) {
        table()->scrollTo(item(col, row)->index());
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          table()->visualRect(item(col, row)->index()).center());
        QApplication::processEvents();
    }
    // Presses a row button with the cursor on the row.
    void clickOnRow(QPushButton* button, int row) {
        table()->setCurrentCell(row - 1, Mnemonic - 1);
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }

    TFNMEA_0183_Set_Access2* m_window = nullptr;

private:
    QString m_configuration;
};
