#include "gui/nmea/TFNMEA_0183_Set_Access2.h"

#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulePaste.h"
#include "core/nmea/RulePositions.h"
#include "core/nmea/RulesCheck.h"
#include "core/shell/ProgramState.h"
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
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

namespace {

namespace Text = TextSlot::NmeaAccess;
namespace ReviewText = TextSlot::ReviewWindows;

using Nmea::ColChannel;
using Nmea::ColEnable;
using Nmea::ColField;
using Nmea::ColIndex;
using Nmea::ColMnemonic;
using Nmea::ColPosition;
using Nmea::ColPostOpe;
using Nmea::ColSentence;
using Nmea::ColSwap16;
using Nmea::ColSwapAll;

constexpr int Columns = Nmea::RuleColumnCount + 1;
constexpr int Rows = Nmea::RuleRows + 1;
constexpr int ClientWidth = 1200;
constexpr int ClientHeight = 337;
constexpr int ButtonPanelHeight = 40;
constexpr int MinimumHeight = WindowLook::TitleHeight + ButtonPanelHeight + 24 + 3 * 22 + 4;

// The button row: OK at 18, the others 118 apart from Cancel at 134, all 110 wide.
constexpr int ButtonWidth = 110;
constexpr int buttonLeft(int place) {
    return place == 0 ? 18 : 134 + 118 * (place - 1);
}
constexpr int LayoutButtons = 6;
// Data Map, then one free place; the review's summary follows.
constexpr int SummaryPlace = LayoutButtons + 2;
constexpr int SummaryLeft = buttonLeft(SummaryPlace);

struct ColumnLook {
    int width;
    QColor colour;
    int headerSlot;
    int hintSlot;
    bool check;
};

// Columns 0 to 10: the row number, then the rule's cells.
const ColumnLook kColumns[Columns] = {
    {40, {}, Text::RowNumberHeader, 0, false},
    {50, {255, 216, 176}, Text::EnableHeader, Text::EnableHint, true},
    {120, {168, 255, 168}, Text::ChannelHeader, Text::ChannelHint, false},
    {120, {224, 250, 254}, Text::SentenceHeader, Text::SentenceHint, false},
    {50, {224, 250, 254}, Text::IndexHeader, Text::IndexHint, false},
    {280, {224, 250, 254}, Text::FieldHeader, Text::FieldHint, false},
    {120, {255, 255, 168}, Text::PostOpeHeader, Text::PostOpeHint, false},
    {60, {255, 255, 168}, Text::SwapAllHeader, Text::SwapAllHint, true},
    {60, {255, 255, 168}, Text::Swap16Header, Text::Swap16Hint, true},
    {60, {252, 214, 244}, Text::PositionHeader, Text::PositionHint, false},
    {160, {255, 255, 255}, Text::MnemonicHeader, Text::MnemonicHint, false},
};

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
    m_delegate = new TableCellDelegate(ASG);
    ASG->setItemDelegate(m_delegate);
    m_delegate->setPickLists([this](int col, int row) { return ASGGetEditorType(col, row); });
    m_delegate->setEnterHandler([this] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        Jump_Next_Cell(ASG, &enter, m_state);
    });
    connect(m_delegate, &TableCellDelegate::picked, this, &TFNMEA_0183_Set_Access2::ASGComboChange);
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

    // Every change of a cell, a tick or a row reaches the model; a burst of them (a row deleted,
    // a table loaded) is reviewed once, when its events are done.
    m_reviewTimer = new QTimer(this);
    m_reviewTimer->setSingleShot(true);
    m_reviewTimer->setInterval(0);
    connect(m_reviewTimer, &QTimer::timeout, this, &TFNMEA_0183_Set_Access2::reviewNow);
    connect(ASG->model(), &QAbstractItemModel::dataChanged, m_reviewTimer, qOverload<>(&QTimer::start));

    PostOpe_SL = Nmea::postOperationLabels();
    SerialChannel_SL = Nmea::SerialChannel_SL(Enable_Serial);
    Set_Lang();
}

void TFNMEA_0183_Set_Access2::Init_Table() {
    ASG->setColumnCount(Columns - 1);
    ASG->setRowCount(Rows - 1);
    // Every change of a cell, a tick or an item passes through the model.
    QAbstractItemModel* model = ASG->model();
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                for (int row = std::max(topLeft.row(), 0); row <= bottomRight.row() && row < Nmea::RuleRows;
                     ++row)
                    m_rowsChanged.set(row);
            });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                        &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, signal, this, [this] { m_rowsChanged.set(); });
    for (auto signal : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
        connect(model, signal, this, [this] { m_rowsChanged.set(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_rowsChanged.set(); });
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { m_rowsChanged.set(); });
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
    side->setFixedWidth(kColumns[0].width);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setDefaultSectionSize(22);
    side->setDefaultAlignment(Qt::AlignCenter);
    side->setHighlightSections(false);

    // The corner above the row numbers is the header of column 0.
    m_corner = ASG->findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    ASG->installEventFilter(this);

    QStringList numbers;
    for (int row = 1; row < Rows; ++row)
        numbers << QString::number(row);
    ASG->setVerticalHeaderLabels(numbers);

    for (int col = 1; col < Columns; ++col) {
        const ColumnLook& look = kColumns[col];
        ASG->setHorizontalHeaderItem(col - 1, new QTableWidgetItem);
        ASG->setColumnWidth(col - 1, look.width);
        for (int row = 1; row < Rows; ++row) {
            auto* item = new QTableWidgetItem;
            item->setBackground(look.colour);
            if (look.check) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            } else if (col == ColIndex) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            }
            ASG->setItem(row - 1, col - 1, item);
        }
    }
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
        m_corner->setText(m_state.msg(kColumns[0].headerSlot));
    Hint_Sentence.clear();
    for (int col = 1; col < Columns; ++col) {
        Hint_Sentence << m_state.msg(kColumns[col].hintSlot);
        QTableWidgetItem* header = ASG->horizontalHeaderItem(col - 1);
        header->setText(m_state.msg(kColumns[col].headerSlot));
        // Only the header cells carry hints; the data cells have none.
        header->setToolTip(Hint_Sentence.last());
    }
}

QString TFNMEA_0183_Set_Access2::cell(int col, int row) const {
    const QTableWidgetItem* item = ASG->item(row - 1, col - 1);
    return item ? item->text() : QString();
}

void TFNMEA_0183_Set_Access2::setCell(int col, int row, const QString& text) {
    if (QTableWidgetItem* item = ASG->item(row - 1, col - 1))
        item->setText(text);
}

Nmea::AccessRule TFNMEA_0183_Set_Access2::readRow(int row) const {
    const auto ticked = [this, row](int col) {
        return ASG->item(row - 1, col - 1)->checkState() == Qt::Checked;
    };
    Nmea::AccessRule rule;
    rule.Enable = ticked(ColEnable);
    rule.Serial_Channel = cell(ColChannel, row);
    rule.Sentence = cell(ColSentence, row);
    rule.Index = cell(ColIndex, row);
    rule.DataField = cell(ColField, row);
    rule.PortOperation = cell(ColPostOpe, row);
    rule.SwapAll = ticked(ColSwapAll);
    rule.Swap16 = ticked(ColSwap16);
    rule.Position = cell(ColPosition, row);
    rule.Mnemonic = cell(ColMnemonic, row);
    return rule;
}

Nmea::RuleTable TFNMEA_0183_Set_Access2::rules() const {
    for (int row = 1; row < Rows; ++row) {
        if (m_rowsChanged.test(row - 1))
            m_rowsRead[row - 1] = readRow(row);
    }
    m_rowsChanged.reset();
#ifndef NDEBUG
    // The tests run this check on every read: the rows kept never drift from the table.
    for (int row = 1; row < Rows; ++row)
        Q_ASSERT(m_rowsRead[row - 1] == readRow(row));
#endif
    return m_rowsRead;
}

void TFNMEA_0183_Set_Access2::showRules(const Nmea::RuleTable& table) {
    const auto tick = [this](int col, int row, bool on) {
        ASG->item(row - 1, col - 1)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    for (int row = 1; row < Rows; ++row) {
        const Nmea::AccessRule& rule = table[row - 1];
        tick(ColEnable, row, rule.Enable);
        setCell(ColChannel, row, rule.Serial_Channel);
        setCell(ColSentence, row, rule.Sentence);
        setCell(ColIndex, row, rule.Index);
        setCell(ColField, row, rule.DataField);
        setCell(ColPostOpe, row, rule.PortOperation);
        tick(ColSwapAll, row, rule.SwapAll);
        tick(ColSwap16, row, rule.Swap16);
        setCell(ColPosition, row, rule.Position);
        setCell(ColMnemonic, row, rule.Mnemonic);
    }
    deriveIndexEditableAll();
}

void TFNMEA_0183_Set_Access2::deriveIndexEditable(int row) {
    QTableWidgetItem* item = ASG->item(row - 1, ColIndex - 1);
    if (!item)
        return;
    const bool editable = Nmea::indexEditable(cell(ColSentence, row));
    item->setFlags(editable ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
}

void TFNMEA_0183_Set_Access2::deriveIndexEditableAll() {
    for (int row = 1; row < Rows; ++row)
        deriveIndexEditable(row);
}

int TFNMEA_0183_Set_Access2::currentRule() const {
    return ASG->currentRow() + 1;
}

void TFNMEA_0183_Set_Access2::opened() {
    // Every showing starts from the reset table and the document on disk. A loaded table already
    // holds reset rows below its rules, so the table is filled once.
    Enable_Serial = 7;
    SerialChannel_SL = Nmea::SerialChannel_SL(Enable_Serial);
    // Taken before the read: a document written in between is then seen as changed at OK.
    m_read = DiskSnapshot::take(m_state.File_NMEA_Access);
    const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_state.File_NMEA_Access);
    showRules(loaded.error.isEmpty() ? loaded.table : Nmea::RuleTable{});
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
    switch (ACol) {
    case ColChannel:
        return SerialChannel_SL;
    case ColSentence:
        return Nmea::supportedNames();
    case ColField:
        return Nmea::fieldsOf(Nmea::Find_Sentence(cell(ColSentence, ARow)));
    case ColPostOpe:
        return PostOpe_SL;
    default:
        return std::nullopt;
    }
}

void TFNMEA_0183_Set_Access2::ASGComboChange(int ACol, int ARow, const QString& text) {
    if (ACol == ColSentence) {
        const QString field = Nmea::fieldText(Nmea::Find_Sentence(text), 0);
        setCell(ColField, ARow, field);
        deriveIndexEditable(ARow);
        Set_Position(ARow, text, field);
    } else if (ACol == ColField) {
        Set_Position(ARow, cell(ColSentence, ARow), text);
    }
}

int TFNMEA_0183_Set_Access2::Get_Last_Position(int ARow) const {
    return Nmea::Get_Last_Position(rules(), ARow);
}

void TFNMEA_0183_Set_Access2::Set_Position(int ARow, const QString& Sentence, const QString& DataField) {
    setCell(ColPosition, ARow, QString::number(Nmea::proposedPosition(rules(), ARow, Sentence, DataField)));
    ASG->viewport()->update();
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
        const int shown = flag == flags.cend() ? 0 : 1 + int(flag->severity);
        QTableWidgetItem* number = ASG->verticalHeaderItem(row - 1);
        const QString hint =
            shown ? Review::limitedHint(flag->messages, flag->messages.size(), m_state.msg(Text::HintMore))
                  : QString();
        // Only rows whose flag changed are touched: a header change repaints the whole header.
        if (shown == m_rowFlags[row - 1] && number->toolTip() == hint)
            continue;
        m_rowFlags[row - 1] = shown;
        if (shown) {
            number->setIcon(m_rowMarks[int(flag->severity)]);
            number->setBackground(ReviewMarks::colour(flag->severity));
        } else {
            number->setIcon(QIcon());
            number->setBackground(QBrush());
        }
        number->setToolTip(hint);
    }

    // The summary counts every finding, and its hint lists them all: those of the communication
    // parameters belong to no row.
    const int errors = m_review.count(Review::Severity::Error);
    const int warnings = m_review.count(Review::Severity::Warning);
    const int notes = m_review.count(Review::Severity::Note);
    if (m_review.findings.isEmpty()) {
        L_ReviewMark->setPixmap(m_noFindingsMark);
        L_Review->setText(m_state.msg(ReviewText::NoFindings));
    } else {
        const Review::Severity worst = m_review.findings.first().severity;
        L_ReviewMark->setPixmap(m_summaryMarks[int(worst)]);
        L_Review->setText(m_state.msg(ReviewText::FindingCounts).arg(errors).arg(warnings).arg(notes));
    }
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
        names << ASG->horizontalHeaderItem(c - 1)->text();
    const Nmea::BlockPaste pasted =
        Nmea::pasteBlock(rules(), row, col, block, SerialChannel_SL, names, m_state.Msg_Catalog);
    if (!pasted.refusal.isEmpty()) {
        MessageBox::error(this, pasted.refusal);
        return;
    }
    showRules(pasted.table);
    // The pasted cells stay selected, as a spreadsheet leaves them.
    ASG->clearSelection();
    ASG->setRangeSelected(QTableWidgetSelectionRange(row - 1, col - 1, row + pasted.rows - 2,
                                                     std::min(col + pasted.columns - 1, Columns - 1) - 1),
                          true);
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
    // Every opening starts at the opening size, as the window always did.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    resize(ClientWidth, ClientHeight);
}

void TFNMEA_0183_Set_Access2::Btn_DelRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    if (MessageBox::question(this, m_state.msg(Text::DeleteRow) + QString::number(row),
                             MessageBox::Answer::No) != MessageBox::Answer::Yes)
        return;
    Delete_Row(ASG, row, true);
    deriveIndexEditableAll();
}

void TFNMEA_0183_Set_Access2::Btn_InsRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Insert_Row(ASG, row, true);
    deriveIndexEditableAll();
}

void TFNMEA_0183_Set_Access2::Btn_CopyRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Copy_Row(ASG, row, m_state);
    Do_Copy = true;
}

void TFNMEA_0183_Set_Access2::Btn_PasteRowClick() {
    const int row = currentRule();
    if (row < 1)
        return;
    Paste_Row(ASG, row, Do_Copy, m_state, this);
    deriveIndexEditable(row);
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
        return Jump_Next_Cell(ASG, key, m_state);
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
