#pragma once

#include "core/image/BankImage.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/RulePositions.h"
#include "core/review/Review.h"
#include "core/util/DiskSnapshot.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/WindowBase.h"

#include <QIcon>
#include <QPixmap>
#include <QStringList>
#include <array>
#include <optional>

class QAbstractButton;
class QLabel;
class QPushButton;
class QTimer;
class TFDataMap;
class EditingTable;
class QUndoStack;
class RulesModel;
class TableCellDelegate;
class TFNmeaMonitor;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// The NMEA 0183 access rules of the open configuration: 100 rule rows, loaded each time the window
// opens and saved on OK once every enabled rule is complete. While the user edits, the commissioning
// review of the rows as they stand flags the rows it has findings for in the row-number column.
// The rows live once, in the table's model; every change goes through the undo history, which ends
// when the window closes.
class TFNMEA_0183_Set_Access2 : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    explicit TFNMEA_0183_Set_Access2(ProgramState& state, QWidget* parent = nullptr);
    void Set_Lang() override;

    void Init_Table();
    // The pick list of a cell, or nothing for the ordinary editor.
    std::optional<QStringList> ASGGetEditorType(int ACol, int ARow) const;
    // An entry picked in a cell: a sentence takes its first field, and either proposes the position.
    void ASGComboChange(int ACol, int ARow, const QString& text);
    int Get_Last_Position(int ARow) const;
    void Set_Position(int ARow, const QString& Sentence, const QString& DataField);
    bool Controllo_dati();

    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    // Ctrl+V: text copied from a spreadsheet goes in from the current cell, row by row and column
    // by column, each value checked as if typed; one value refused refuses the whole block.
    void pasteBlock(const QString& block);
    // Opens the monitor beside this window over the rows as they stand, saved or not.
    void Btn_MonitorClick();
    // Null until the Monitor button is first pressed.
    TFNmeaMonitor* monitorWindow() const { return m_monitor; }
    // The monitor, made now if not yet, but not opened.
    TFNmeaMonitor* makeMonitorWindow();

    // The table as rules, and back. showRules shows rows as they are, outside the undo history.
    const Nmea::RuleTable& rules() const;
    void showRules(const Nmea::RuleTable& table);
    // The table differs from the rules it showed when the window opened.
    bool hasUnsavedChanges() const;
    // Every edit of the rows as one step of the undo history: the table becomes after.
    void changeRules(const Nmea::RuleTable& after);
    QUndoStack* undoStack() const { return m_undo; }
    // Delete and Backspace: every selected cell emptied as if by hand, one step.
    void clearSelectedCells();
    // Ctrl+D: the top cell of a selection in one column copied into the rest, each checked as if
    // typed; a value a cell refuses is said and nothing is filled.
    void fillDown();
    // The status line's message about the last change, empty when it has none.
    QString statusMessage() const { return m_status; }

    // Cancel, Escape and the close box: asks before throwing away unsaved rules.
    void reject() override;

    // A button in the next free place of the button row, right of those already there. The six
    // buttons of the layout and Data Map come first; the place after Data Map is free for the
    // next one (the monitor's), and the review's summary stands right of that place.
    QPushButton* addButton(const char* name);
    // Opens the data map of the rows as they stand, or brings it forward.
    void Btn_DataMapClick();
    // The review of the rows as they stand, against the communication parameters saved when the
    // window opened; brought up to date after every change, once the change's events are done.
    const Review::Result& review() const { return m_review; }
    void reviewNow();
    TFDataMap* dataMapWindow() const { return m_dataMap; }
    // The data map, made now if not yet, but not opened.
    TFDataMap* makeDataMapWindow();

    WindowLook::TitlePanel* P_Title;
    EditingTable* ASG;
    QWidget* P_Button;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;
    QPushButton* Btn_DelRow;
    QPushButton* Btn_InsRow;
    QPushButton* Btn_CopyRow;
    QPushButton* Btn_PasteRow;
    QPushButton* Btn_DataMap;
    QLabel* L_ReviewMark;
    QLabel* L_Review;
    QPushButton* Btn_Monitor;

    int Enable_Serial = 7;
    QStringList SerialChannel_SL;
    QStringList PostOpe_SL;
    QStringList Hint_Sentence;
    bool Do_Copy = false; // kept for the whole run: a row copied once can be pasted in any later showing

signals:
    // The rows changed, by an edit, an undo or a load: the one place that knows.
    void rulesChanged();

protected:
    void opened() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closed() override;

private:
    int currentRule() const;
    // An edit asked by the table's view; true when taken.
    bool editCell(int col, int row, const QVariant& value, int role);
    Nmea::PositionAlignment alignment() const;
    // A cell being typed into counts as changed before it is left.
    void commitOpenTextEditor();
    void showReview();

    ProgramState& m_state;
    RulesModel* m_model;
    TableCellDelegate* m_delegate;
    QUndoStack* m_undo;
    QString m_status; // said under the review's summary until the next change
    // Header cell of column 0; carries its title as the button's text.
    QAbstractButton* m_corner = nullptr;
    Nmea::RuleTable m_loaded{};
    DiskSnapshot m_read; // the document as it was read when the window opened

    int m_nextButton = 0;   // the next free place of the button row
    BankImage m_parameters; // as saved when the window opened
    Review::Result m_review;
    QTimer* m_reviewTimer;
    // The Bytes column's texts and the compiled rules they were made from: the review runs after
    // every edit, and only a rule compiled otherwise is typed again.
    QStringList m_bytes = QStringList(Nmea::RuleRows);
    std::array<Review::CompiledRule, Nmea::RuleRows> m_bytesMadeFrom{};
    TFDataMap* m_dataMap = nullptr; // made when first opened
    // The marks by severity, drawn once: the row numbers' and the summary's.
    std::array<QIcon, 3> m_rowMarks;
    std::array<QPixmap, 3> m_summaryMarks;
    QPixmap m_noFindingsMark;
    TFNmeaMonitor* m_monitor = nullptr;
};
