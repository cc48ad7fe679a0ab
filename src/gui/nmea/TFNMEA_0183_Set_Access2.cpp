#include "gui/nmea/TFNMEA_0183_Set_Access2.h"

#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RuleColumns.h"
#include "core/nmea/RulePaste.h"
#include "core/nmea/RulePositions.h"
#include "core/nmea/RulesCheck.h"
#include "core/review/DataMap.h"
#include "core/shell/ProgramState.h"
#include "gui/nmea/RulesModel.h"
#include "gui/nmea/TFDataMap.h"
#include "gui/nmea/TFNmeaMonitor.h"
#include "gui/review/ReviewMarks.h"
#include "gui/shell/EditorSaveChecks.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"
#include "gui/table/EditingTable.h"
#include "gui/table/TableRows.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

namespace {

namespace Text = TextSlot::NmeaAccess;
namespace ReviewText = TextSlot::ReviewWindows;

namespace EditText = TextSlot::TableEditing;

using Nmea::ColField;
using Nmea::ColSentence;

constexpr int Columns = Nmea::RuleColumnCount + 1;
constexpr int Rows = Nmea::RuleRows + 1;
constexpr int ClientWidth = 1200;
constexpr int ClientHeight = 337;
constexpr int ButtonPanelHeight = 40;
constexpr int MinimumHeight = WindowLook::TitleHeight + ButtonPanelHeight + 24 + 3 * 22 + 4;
constexpr int RowNumberWidth = 40;
constexpr int BytesWidth = 150;

// The button row: OK at 18, the others 118 apart from Cancel at 134, all 110 wide.
constexpr int ButtonWidth = 110;
constexpr int buttonLeft(int place) {
    return place == 0 ? 18 : 134 + 118 * (place - 1);
}
constexpr int LayoutButtons = 6;
// Data Map, then one free place; the review's summary follows.
constexpr int SummaryPlace = LayoutButtons + 2;
constexpr int SummaryLeft = buttonLeft(SummaryPlace);

// One edit of the rows: the whole table before and after. A table is a hundred rules of shared
// texts, so a step costs little, and undoing any kind of edit is the same.
class RulesChange : public QUndoCommand {
public:
    RulesChange(TFNMEA_0183_Set_Access2& window, const Nmea::RuleTable& before, const Nmea::RuleTable& after)
        : m_window(window), m_before(before), m_after(after) {}
    void undo() override { m_window.showRules(m_before); }
    void redo() override { m_window.showRules(m_after); }

private:
    TFNMEA_0183_Set_Access2& m_window;
    Nmea::RuleTable m_before;
    Nmea::RuleTable m_after;
};

bool isUndoKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Undo);
}

bool isRedoKey(const QKeyEvent* key) {
    const QKeyCombination pressed = key->keyCombination();
    return key->matches(QKeySequence::Redo) || pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

} // namespace

TFNMEA_0183_Set_Access2::TFNMEA_0183_Set_Access2(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight), Sizing::Resizable,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint),
      m_state(state) {
    setObjectName(QStringLiteral("FNMEA_0183_Set_Access2"));
    // Narrower, the button row would cut its buttons; lower, the table would show no rows.
    setMinimumSize(SummaryLeft, MinimumHeight);
    P_Title = addTitlePanel();

    ASG = new EditingTable(this);
    ASG->setObjectName(QStringLiteral("ASG"));
    ASG->setGeometry(0, WindowLook::TitleHeight, ClientWidth,
                     ClientHeight - WindowLook::TitleHeight - ButtonPanelHeight);
    m_model = new RulesModel(ASG);
    m_model->setEditHandler([this](int col, int row, const QVariant& value, int role) {
        return editCell(col, row, value, role);
    });
    ASG->setModel(m_model);
    m_undo = new QUndoStack(this);
    // Also where the focus is outside the table; in the table its key filter takes the keys first.
    QAction* undo = m_undo->createUndoAction(this);
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = m_undo->createRedoAction(this);
    redo->setShortcuts({QKeySequence(Qt::ControlModifier | Qt::Key_Y),
                        QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z)});
    addAction(undo);
    addAction(redo);

    m_delegate = new TableCellDelegate(ASG);
    ASG->setItemDelegate(m_delegate);
    m_delegate->setPickLists([this](int col, int row) { return ASGGetEditorType(col, row); });
    m_delegate->setEnterHandler([this] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        Jump_Next_Cell(ASG, &enter, m_state, Nmea::RuleColumnCount);
    });
    m_delegate->setBlockPasteHandler([this](const QString& block) { pasteBlock(block); });
    Init_Table();

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    P_Button->setGeometry(0, ClientHeight - ButtonPanelHeight, ClientWidth, ButtonPanelHeight);
    Btn_OK = addButton("Btn_OK");
    Btn_OK->setIcon(Pictures::picture(Pictures::Kind::Ok, 16));
    Btn_Cancel = addButton("Btn_Cancel");
    Btn_Cancel->setIcon(Pictures::picture(Pictures::Kind::Cancel, 16));
    Btn_DelRow = addButton("Btn_DelRow");
    Btn_InsRow = addButton("Btn_InsRow");
    Btn_CopyRow = addButton("Btn_CopyRow");
    Btn_PasteRow = addButton("Btn_PasteRow");
    Btn_DataMap = addButton("Btn_DataMap");
    Btn_Monitor = addButton("Btn_Monitor");
    connect(Btn_OK, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Btn_DelRow, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_DelRowClick);
    connect(Btn_InsRow, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_InsRowClick);
    connect(Btn_CopyRow, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_CopyRowClick);
    connect(Btn_PasteRow, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_PasteRowClick);
    connect(Btn_DataMap, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_DataMapClick);
    connect(Btn_Monitor, &QPushButton::clicked, this, &TFNMEA_0183_Set_Access2::Btn_MonitorClick);

    L_ReviewMark = new QLabel(P_Button);
    L_ReviewMark->setObjectName(QStringLiteral("L_ReviewMark"));
    L_ReviewMark->setGeometry(SummaryLeft, 12, 16, 16);
    L_Review = new QLabel(P_Button);
    L_Review->setObjectName(QStringLiteral("L_Review"));
    // Two lines where a language's counts do not fit in one.
    L_Review->setGeometry(SummaryLeft + 22, 2, ClientWidth - SummaryLeft - 30, 36);
    L_Review->setWordWrap(true);

    // A burst of changes (a row deleted, a table loaded) is reviewed once, when its events are done.
    m_reviewTimer = new QTimer(this);
    m_reviewTimer->setSingleShot(true);
    m_reviewTimer->setInterval(0);
    connect(m_reviewTimer, &QTimer::timeout, this, &TFNMEA_0183_Set_Access2::reviewNow);
    connect(this, &TFNMEA_0183_Set_Access2::rulesChanged, m_reviewTimer, qOverload<>(&QTimer::start));

    PostOpe_SL = Nmea::postOperationLabels();
    SerialChannel_SL = Nmea::SerialChannel_SL(Enable_Serial);
    Set_Lang();
}

void TFNMEA_0183_Set_Access2::Init_Table() {
    ASG->setWordWrap(false);
    ASG->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                         QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);

    QHeaderView* top = ASG->horizontalHeader();
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setHighlightSections(false);
    top->setFixedHeight(24);
    // The header fits a column on a double click only when the program options say so.
    disconnect(top, &QHeaderView::sectionHandleDoubleClicked, ASG, nullptr);
    connect(top, &QHeaderView::sectionDoubleClicked, this,
            [this](int section) { Auto_Size_Column(ASG, 0, section + 1, m_state); });
    connect(top, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int section) { Auto_Size_Column(ASG, 0, section + 1, m_state); });

    QHeaderView* side = ASG->verticalHeader();
    side->setFixedWidth(RowNumberWidth);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setDefaultSectionSize(22);
    side->setDefaultAlignment(Qt::AlignCenter);
    side->setHighlightSections(false);

    // The corner above the row numbers is the header of column 0.
    m_corner = ASG->findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    ASG->installEventFilter(this);

    for (int col = 1; col < Columns; ++col)
        ASG->setColumnWidth(col - 1, Nmea::ruleColumn(col).width);
    ASG->setColumnWidth(RulesModel::BytesColumn, BytesWidth);
}

void TFNMEA_0183_Set_Access2::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    QPushButton* const buttons[] = {Btn_OK, Btn_Cancel, Btn_DelRow, Btn_InsRow, Btn_CopyRow, Btn_PasteRow};
    for (int i = 0; i < 6; ++i) {
        QPushButton* b = buttons[i];
        b->setText(m_state.msg(Text::Buttons.at(i)));
        b->setToolTip(m_state.msg(Text::ButtonTips.at(i)));
    }
    Btn_DataMap->setText(m_state.msg(ReviewText::DataMapButton));
    Btn_DataMap->setToolTip(m_state.msg(ReviewText::DataMapTip));
    // The review's messages are written in the language: a shown window reviews again, a hidden
    // one does when it opens.
    if (isVisible())
        reviewNow();
    Btn_Monitor->setText(m_state.msg(TextSlot::NmeaMonitor::OpenButton));
    Btn_Monitor->setToolTip(m_state.msg(TextSlot::NmeaMonitor::OpenTip));
    if (m_corner)
        m_corner->setText(m_state.msg(Text::RowNumberHeader));
    Hint_Sentence.clear();
    QStringList titles;
    for (const Nmea::RuleColumnDef& c : Nmea::ruleColumns()) {
        titles << m_state.msg(c.headerSlot);
        // Only the header cells carry hints; the data cells have none.
        Hint_Sentence << m_state.msg(c.hintSlot);
    }
    m_model->setHeaders(titles << m_state.msg(EditText::BytesHeader),
                        QStringList(Hint_Sentence) << m_state.msg(EditText::BytesHint));
}

const Nmea::RuleTable& TFNMEA_0183_Set_Access2::rules() const {
    return m_model->rules();
}

void TFNMEA_0183_Set_Access2::showRules(const Nmea::RuleTable& table) {
    if (table == m_model->rules())
        return;
    m_status.clear();
    m_model->setRules(table);
    emit rulesChanged();
}

void TFNMEA_0183_Set_Access2::changeRules(const Nmea::RuleTable& after) {
    if (after == rules())
        return;
    m_undo->push(new RulesChange(*this, rules(), after));
}

Nmea::PositionAlignment TFNMEA_0183_Set_Access2::alignment() const {
    return m_state.Enable_Logix_Alignment ? Nmea::PositionAlignment::Logix : Nmea::PositionAlignment::Words;
}

bool TFNMEA_0183_Set_Access2::editCell(int col, int row, const QVariant& value, int role) {
    if (row < 1 || row > Nmea::RuleRows || col < 1 || col > Nmea::RuleColumnCount)
        return false;
    Nmea::RuleTable after = rules();
    Nmea::AccessRule& rule = after[row - 1];
    const Nmea::RuleColumnDef& column = Nmea::ruleColumn(col);
    QString status;
    if (role == Qt::CheckStateRole) {
        Nmea::setCellTicked(rule, col, value.toInt() == Qt::Checked);
    } else if (column.kind == Nmea::CellKind::Pick && !value.toString().isEmpty()) {
        const QString before = rule.Position;
        Nmea::pickIntoCell(after, row, col, value.toString(), alignment());
        // The proposal replaces a position already there; the user hears of it.
        if (!before.isEmpty() && before != rule.Position)
            status = m_state.msg(EditText::PositionMoved).arg(row).arg(before, rule.Position);
    } else {
        Nmea::setCellText(rule, col, value.toString());
    }
    changeRules(after);
    // Said with the review this change brings; the next change, an undo included, ends it.
    m_status = status;
    return true;
}

int TFNMEA_0183_Set_Access2::currentRule() const {
    return ASG->currentRow() + 1;
}

void TFNMEA_0183_Set_Access2::opened() {
    // The window stands where it was left, in this run or, when the option keeps it, the last.
    const QRect kept = m_state.Window_Geometry.value(objectName());
    if (kept.isValid() && screen() && screen()->availableVirtualGeometry().intersects(kept))
        setGeometry(kept);
    // Every showing starts from the document on disk, with no history.
    Enable_Serial = 7;
    SerialChannel_SL = Nmea::SerialChannel_SL(Enable_Serial);
    // Taken before the read: a document written in between is then seen as changed at OK.
    m_read = DiskSnapshot::take(m_state.File_NMEA_Access);
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_state.File_NMEA_Access);
    showRules(loaded.error.isEmpty() ? loaded.table : Nmea::RuleTable{});
    m_status.clear();
    m_undo->clear();
    m_loaded = rules();
    // The parameters as the compiler reads them; a document it cannot read leaves the initial
    // values, and Update Device says what is wrong with it.
    compileParameterDocument(m_state.File_ParGen, m_parameters);
    reviewNow();
    ASG->setCurrentCell(0, 0);
    ASG->scrollToTop();
    if (!loaded.error.isEmpty())
        MessageBox::error(this, loaded.error);
}

std::optional<QStringList> TFNMEA_0183_Set_Access2::ASGGetEditorType(int ACol, int ARow) const {
    if (ACol < 1 || ACol > Nmea::RuleColumnCount || ARow < 1 || ARow > Nmea::RuleRows)
        return std::nullopt;
    return Nmea::pickEntries(rules()[ARow - 1], ACol, SerialChannel_SL);
}

void TFNMEA_0183_Set_Access2::ASGComboChange(int ACol, int ARow, const QString& text) {
    editCell(ACol, ARow, text, Qt::EditRole);
}

int TFNMEA_0183_Set_Access2::Get_Last_Position(int ARow) const {
    return Nmea::Get_Last_Position(rules(), ARow);
}

void TFNMEA_0183_Set_Access2::Set_Position(int ARow, const QString& Sentence, const QString& DataField) {
    Nmea::RuleTable after = rules();
    Nmea::Set_Position(after, ARow, Sentence, DataField, alignment());
    changeRules(after);
}

bool TFNMEA_0183_Set_Access2::Controllo_dati() {
    const std::optional<QString> failure = Nmea::Controllo_dati(rules(), m_state.Msg_Catalog);
    if (!failure)
        return true;
    MessageBox::error(this, *failure);
    return false;
}

void TFNMEA_0183_Set_Access2::Btn_OKClick() {
    if (!EditorSaveChecks::folderStillThere(this, m_state) || !Controllo_dati())
        return;
    const Nmea::RuleTable table = rules();
    // The list ends at the first row without a sentence; rules below it would vanish unasked.
    if (const int emptyRow = Nmea::firstRowEndingTheList(table)) {
        QString question = m_state.msg(Text::RowsNotSaved);
        question.replace(QStringLiteral("%1"), QString::number(emptyRow));
        if (MessageBox::question(this, question, MessageBox::Answer::No) != MessageBox::Answer::Yes)
            return;
    }
    if (!EditorSaveChecks::mayReplace(this, m_state, m_read, m_state.File_NMEA_Access, Text::ChangedOnDisk))
        return;
    const QString error = Nmea::saveAccessRules(m_state.File_NMEA_Access, table);
    if (!error.isEmpty()) {
        MessageBox::error(this, error);
        return;
    }
    accept();
}

bool TFNMEA_0183_Set_Access2::hasUnsavedChanges() const {
    return rules() != m_loaded;
}

void TFNMEA_0183_Set_Access2::commitOpenTextEditor() {
    // Pick lists have already written their choice; only a text editor still holds typing.
    if (auto* editor = qobject_cast<QLineEdit*>(ASG->indexWidget(ASG->currentIndex())))
        emit m_delegate->commitData(editor);
}

void TFNMEA_0183_Set_Access2::reject() {
    commitOpenTextEditor();
    if (hasUnsavedChanges() && MessageBox::question(this, m_state.msg(Text::DiscardChanges),
                                                    MessageBox::Answer::No) != MessageBox::Answer::Yes)
        return;
    QDialog::reject();
}

QPushButton* TFNMEA_0183_Set_Access2::addButton(const char* name) {
    QPushButton* b = WindowLook::button(P_Button, QRect(buttonLeft(m_nextButton++), 6, ButtonWidth, 28));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void TFNMEA_0183_Set_Access2::reviewNow() {
    m_reviewTimer->stop();
    m_review = Review::reviewTable(rules(), m_parameters, m_state.Msg_Catalog);
    showReview();
    // The monitor beside this window follows every edit.
    if (m_monitor && m_monitor->isVisible())
        m_monitor->setRules(rules());
}

void TFNMEA_0183_Set_Access2::showReview() {
    // The marks are drawn at the first review, not at start-up.
    if (m_noFindingsMark.isNull()) {
        for (Review::Severity severity :
             {Review::Severity::Error, Review::Severity::Warning, Review::Severity::Note}) {
            m_rowMarks[int(severity)] = QIcon(ReviewMarks::picture(severity, 12));
            m_summaryMarks[int(severity)] = ReviewMarks::picture(severity, 16);
        }
        m_noFindingsMark = Pictures::picture(Pictures::Kind::Ok, 16);
    }
    const QMap<int, Review::RuleFlag> flags = Review::flagsByRule(m_review.findings);
    for (int row = 1; row <= Nmea::RuleRows; ++row) {
        const auto flag = flags.constFind(row);
        // Only rows whose flag changed are reported: a header change repaints the whole header.
        if (flag == flags.cend()) {
            m_model->setRowFlag(row, QIcon(), QBrush(), QString());
            continue;
        }
        m_model->setRowFlag(
            row, m_rowMarks[int(flag->severity)], ReviewMarks::colour(flag->severity),
            Review::limitedHint(flag->messages, flag->messages.size(), m_state.msg(Text::HintMore)));
    }
    QStringList bytes(Nmea::RuleRows);
    for (const Review::CompiledRule& c : m_review.compiled) {
        if (c.rule < 1 || c.rule > Nmea::RuleRows)
            continue;
        Review::CompiledRule& made = m_bytesMadeFrom[c.rule - 1];
        if (m_bytes[c.rule - 1].isEmpty() || made.record != c.record || made.size != c.size) {
            made = c;
            m_bytes[c.rule - 1] = Review::bytesText(c);
        }
        bytes[c.rule - 1] = m_bytes[c.rule - 1];
    }
    m_model->setBytes(bytes);

    // The summary counts every finding, and its hint lists them all: those of the communication
    // parameters belong to no row.
    const int errors = m_review.count(Review::Severity::Error);
    const int warnings = m_review.count(Review::Severity::Warning);
    const int notes = m_review.count(Review::Severity::Note);
    QString summary;
    if (m_review.findings.isEmpty()) {
        L_ReviewMark->setPixmap(m_noFindingsMark);
        summary = m_state.msg(ReviewText::NoFindings);
    } else {
        const Review::Severity worst = m_review.findings.first().severity;
        L_ReviewMark->setPixmap(m_summaryMarks[int(worst)]);
        summary = m_state.msg(ReviewText::FindingCounts).arg(errors).arg(warnings).arg(notes);
    }
    // The last change's message, if it has one, is the status line under the summary.
    L_Review->setText(m_status.isEmpty() ? summary : summary + u'\n' + m_status);
    QStringList hint;
    for (const Review::Finding& f : m_review.findings) {
        if (hint.size() == Review::HintLines)
            break; // as many as the hint shows
        hint << QStringLiteral("%1: %2").arg(m_state.msg(ReviewMarks::nameSlot(f.severity)), f.message);
    }
    L_Review->setToolTip(m_state.msg(ReviewText::FindingsTip) + u'\n' +
                         Review::limitedHint(hint, m_review.findings.size(), m_state.msg(Text::HintMore)));
    L_ReviewMark->setToolTip(L_Review->toolTip());

    if (m_dataMap && m_dataMap->isVisible())
        m_dataMap->showReview(m_review);
}

void TFNMEA_0183_Set_Access2::pasteBlock(const QString& block) {
    const int row = ASG->currentRow() + 1;
    const int col = ASG->currentColumn() + 1;
    if (row < 1 || col < 1 || block.isEmpty())
        return;
    QStringList names{QString()};
    for (int c = 1; c < Columns; ++c)
        names << m_model->headerData(c - 1, Qt::Horizontal, Qt::DisplayRole).toString();
    const Nmea::BlockPaste pasted =
        Nmea::pasteBlock(rules(), row, col, block, SerialChannel_SL, names, m_state.Msg_Catalog, alignment());
    if (!pasted.refusal.isEmpty()) {
        MessageBox::error(this, pasted.refusal);
        return;
    }
    changeRules(pasted.table);
    // The pasted cells stay selected, as a spreadsheet leaves them.
    const QModelIndex first = m_model->index(row - 1, col - 1);
    const QModelIndex last =
        m_model->index(row + pasted.rows - 2, std::min(col + pasted.columns - 1, Columns - 1) - 1);
    ASG->selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
}

void TFNMEA_0183_Set_Access2::clearSelectedCells() {
    QModelIndexList cells = ASG->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && ASG->currentIndex().isValid())
        cells << ASG->currentIndex();
    // Right to left in each row: an Index is emptied while its row still has the sentence that
    // opens it, as by hand.
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() > b.column();
    });
    Nmea::RuleTable after = rules();
    for (const QModelIndex& cell : cells) {
        const int col = cell.column() + 1;
        // A check box has no text to empty, and the Bytes column is the compiler's.
        if (col > Nmea::RuleColumnCount || Nmea::ruleColumn(col).kind == Nmea::CellKind::Tick)
            continue;
        Nmea::typeIntoCell(after, cell.row() + 1, col, QString(), SerialChannel_SL, alignment());
    }
    changeRules(after);
}

void TFNMEA_0183_Set_Access2::fillDown() {
    QModelIndexList cells = ASG->selectionModel()->selectedIndexes();
    if (cells.size() < 2)
        return;
    const int col = cells.first().column() + 1;
    if (col > Nmea::RuleColumnCount || std::any_of(cells.cbegin(), cells.cend(), [&](const QModelIndex& c) {
            return c.column() + 1 != col;
        }))
        return;
    std::sort(cells.begin(), cells.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const Nmea::AccessRule& top = rules()[cells.first().row()];
    const QString value = Nmea::ruleColumn(col).kind == Nmea::CellKind::Tick
                              ? QString::fromLatin1(Nmea::cellTicked(top, col) ? "Y" : "N")
                              : Nmea::cellText(top, col);
    Nmea::RuleTable after = rules();
    for (qsizetype i = 1; i < cells.size(); ++i) {
        const int row = cells[i].row() + 1;
        if (!Nmea::typeIntoCell(after, row, col, value, SerialChannel_SL, alignment())) {
            MessageBox::error(
                this,
                m_state.msg(EditText::FillRefused)
                    .arg(row)
                    .arg(m_model->headerData(col - 1, Qt::Horizontal, Qt::DisplayRole).toString().trimmed(),
                         value));
            return;
        }
    }
    changeRules(after);
}

TFDataMap* TFNMEA_0183_Set_Access2::makeDataMapWindow() {
    if (!m_dataMap)
        m_dataMap = new TFDataMap(m_state, this);
    return m_dataMap;
}

void TFNMEA_0183_Set_Access2::Btn_DataMapClick() {
    makeDataMapWindow();
    // A cell being typed into counts as it stands.
    commitOpenTextEditor();
    reviewNow();
    m_dataMap->showReview(m_review);
    m_dataMap->show();
    m_dataMap->raise();
    m_dataMap->activateWindow();
}

void TFNMEA_0183_Set_Access2::resizeEvent(QResizeEvent* event) {
    DialogBase::resizeEvent(event);
    // The table takes the space between the title and the button row; the buttons keep their places.
    const int w = width();
    const int h = height();
    P_Title->setGeometry(0, 0, w, WindowLook::TitleHeight);
    ASG->setGeometry(0, WindowLook::TitleHeight, w, h - WindowLook::TitleHeight - ButtonPanelHeight);
    P_Button->setGeometry(0, h - ButtonPanelHeight, w, ButtonPanelHeight);
    L_Review->resize(std::max(0, w - SummaryLeft - 30), L_Review->height());
}

void TFNMEA_0183_Set_Access2::closed() {
    // The map shows this window's rows; it has nothing to show once the window is closed.
    if (m_dataMap)
        m_dataMap->hide();
    if (m_monitor)
        m_monitor->hide();
    m_undo->clear();
    // The next opening stands where this one was left.
    m_state.Window_Geometry.insert(objectName(), normalGeometry());
}

void TFNMEA_0183_Set_Access2::Btn_DelRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    if (MessageBox::question(this, m_state.msg(Text::DeleteRow) + QString::number(row),
                             MessageBox::Answer::No) != MessageBox::Answer::Yes)
        return;
    Nmea::RuleTable after = rules();
    Nmea::RuleTableRows rows(after);
    Table::Delete_Row(rows, row, true);
    changeRules(after);
}

void TFNMEA_0183_Set_Access2::Btn_InsRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Nmea::RuleTable after = rules();
    Nmea::RuleTableRows rows(after);
    Table::Insert_Row(rows, row, true);
    changeRules(after);
}

void TFNMEA_0183_Set_Access2::Btn_CopyRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Nmea::RuleTable table = rules();
    const Nmea::RuleTableRows rows(table);
    Table::Copy_Row(rows, row, m_state.Row_Clipboard, m_state.Row_Clipboard_Checks);
    Do_Copy = true;
}

void TFNMEA_0183_Set_Access2::Btn_PasteRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Nmea::RuleTable after = rules();
    Nmea::RuleTableRows rows(after);
    MessageBoxPrompts prompts(m_state, this);
    if (Table::Paste_Row(rows, row, Do_Copy, m_state.Row_Clipboard, m_state.Row_Clipboard_Checks, prompts))
        changeRules(after);
}

void TFNMEA_0183_Set_Access2::Btn_MonitorClick() {
    commitOpenTextEditor();
    // The monitor opens whatever the parameters document holds: a missing or broken one gives the
    // default line settings, which the user can change there.
    ParGenSet parameters;
    ParGen::load(m_state.File_ParGen, parameters);
    makeMonitorWindow()->setConfiguration(rules(), parameters);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

TFNmeaMonitor* TFNMEA_0183_Set_Access2::makeMonitorWindow() {
    // Made at its first opening, so that the program's start and a language change pay nothing
    // for a window that may never be used.
    if (!m_monitor)
        m_monitor = new TFNmeaMonitor(m_state, this);
    return m_monitor;
}

bool TFNMEA_0183_Set_Access2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ASG && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            pasteBlock(QGuiApplication::clipboard()->text());
            return true;
        }
        if (isUndoKey(key) || isRedoKey(key)) {
            isUndoKey(key) ? m_undo->undo() : m_undo->redo();
            return true;
        }
        const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
        if (plain && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) && !ASG->isEditing()) {
            clearSelectedCells();
            return true;
        }
        if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_D)) {
            fillDown();
            return true;
        }
        return Jump_Next_Cell(ASG, key, m_state, Nmea::RuleColumnCount);
    }
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QStylePainter painter(m_corner);
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.rect = m_corner->rect();
        option.text = m_corner->text();
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    if (watched == m_corner && event->type() == QEvent::MouseButtonDblClick)
        Auto_Size_Column(ASG, 0, 0, m_state);
    return QDialog::eventFilter(watched, event);
}
