#pragma once

#include "core/comm/ParGen.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/review/OutputArray.h"
#include "gui/nmea/MonitorChannel.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/WindowBase.h"

#include <QIcon>
#include <QList>
#include <QRect>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTextEdit;
class QTimer;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// Listens to NMEA 0183 sources as the serial channels of the converter would, every channel from
// its own source at the same time, and shows for each rule what it would receive; beside them the
// sentences no rule of a channel uses, the reader's counts and the last lines received. The rules
// come from the rules window as they stand there, saved or not, and follow its edits while both
// windows are open.
class TFNmeaMonitor : public DialogBase, public LanguageAware {
    Q_OBJECT
public:
    using SourceKind = MonitorChannel::SourceKind;
    enum RuleColumn {
        ColRule,
        ColChannel,
        ColSentence,
        ColField,
        ColIndex,
        ColBytes,
        ColHits,
        ColEmpty,
        ColLast,
        ColValue,
        ColSince
    };
    static constexpr int RuleColumns = ColSince + 1;
    // The columns of the lists of addresses, those feeding rules and those feeding none.
    enum AddressColumn { AddressChannel, AddressName, AddressCount, AddressRate };
    static constexpr int AddressColumns = AddressRate + 1;
    enum LineColumn { LineTime, LineChannel, LineText, LineReason };
    static constexpr int LineColumns = LineReason + 1;
    static constexpr int RefreshMs = 200;
    // How long a row stays highlighted after its text changed.
    static constexpr qint64 HighlightMs = 1000;
    // The channels as the rules name them, in the order shown.
    static const QStringList& channels();

    explicit TFNmeaMonitor(ProgramState& state, QWidget* parent = nullptr);
    ~TFNmeaMonitor() override;
    void Set_Lang() override;

    // The rules to check and the configuration's communication parameters (the serial settings
    // of each channel). While the window is closed, every channel starts afresh; while it is open,
    // this is an edit of the rules and the sources keep running.
    void setConfiguration(const Nmea::RuleTable& rules, const ParGenSet& parameters);
    // The rules as edited: a changed rule starts counting afresh, the others and the sources go on.
    void setRules(const Nmea::RuleTable& rules);

    void Btn_ClearClick();
    // Redraws what changed since the last redraw; the refresh timer calls it.
    void refresh();

    // Where the monitor's frame goes beside the rules window's frame on a screen's free area, and
    // where the rules window goes: under the rules or over them where the monitor fits, else the
    // rules go to the top and the monitor takes the height left, at least minHeight.
    struct Placement {
        QPoint rulesAt;
        QRect monitor;
    };
    static Placement besideRules(const QRect& area, const QRect& rules, QSize monitor, int minHeight);

    // The channel named as in channels().
    MonitorChannel* channel(const QString& name) const;
    const QList<MonitorChannel*>& channelRows() const { return m_channels; }
    // The clock of "since last", the highlight and the received times, in milliseconds.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    // How long a running source may send nothing before its status line says so.
    void setStallAfter(qint64 ms);
    // The address the UDP sources bind, every interface unless set.
    void setUdpAddress(const QString& address);

    WindowLook::TitlePanel* P_Title;
    QComboBox* CB_Channel; // "All channels", then each channel
    QPushButton* Btn_Clear;
    QLabel* L_Findings; // the findings of the channels shown, in a line
    QTableWidget* ASG_Rules;
    QLabel* L_Used;
    QTableWidget* ASG_Used;
    QLabel* L_Unused;
    QTableWidget* ASG_Unused;
    QList<QLabel*> L_Counters;      // names, in ReaderCounts order
    QList<QLabel*> L_CounterValues; // their values
    QLabel* L_Recent;
    QLineEdit* E_Filter;
    QPushButton* Btn_Pause; // checked: the last lines hold still
    QTableWidget* ASG_Lines;
    QPlainTextEdit* E_Hex; // the selected line's bytes
    QLabel* L_Output;
    QTextEdit* E_Output; // the Output array as the rules' last values fill it, coloured by rule

    // The Output array the rules' last values make, as this program assumes the converter fills it.
    const Review::OutputArray& outputArray() const { return m_output; }

protected:
    void opened() override;
    void closed() override;

private:
    // A rule's row: which channel's monitor holds it, and where.
    struct RuleRow {
        int channel = 0;
        int index = 0;
    };
    // A last line's row, kept for the hex view.
    struct ShownLine {
        QByteArray bytes;
    };

    void buildLayout();
    // Stands beside the rules window rather than over it.
    void placeBesideOwner();
    void fillRuleRows();
    void applyChannelFilter();
    bool channelShown(int channel) const;
    void refreshRules(qint64 now);
    void refreshTimes(qint64 now);
    void refreshAddresses(qint64 now);
    void refreshFindings(qint64 now);
    void refreshCounters();
    void refreshLines();
    void showHex();
    // The compiled rules of the rows against the parameters, their values placed anew.
    void compileOutputArray(const Nmea::RuleTable& rules);
    void refreshOutput();
    bool linesFollow() const;
    // Something was received or changed since the last redraw.
    bool receivedSinceShown() const;
    QString age(qint64 ms) const;
    // Why a line was not taken, in the chosen language.
    QString faultText(Nmea::LineFault fault) const;
    qint64 now() const { return m_clock(); }

    ProgramState& m_state;
    QList<MonitorChannel*> m_channels;
    QLabel* m_channelCaption = nullptr;
    QLabel* m_filterCaption = nullptr;
    std::vector<RuleRow> m_ruleRows;
    std::vector<ShownLine> m_shownLines;
    QTimer* m_refresh;
    std::function<qint64()> m_clock;
    std::vector<quint64> m_shownRevisions; // per channel, what the tables show
    bool m_linesStale = true;              // the last lines pane needs drawing
    QIcon m_findingMark;
    bool m_highlightShown = false;
    qint64 m_timesShownAt = 0;
    ParGenSet m_parameters;
    Review::OutputArray m_output;
    QByteArray m_outputShown;
    bool m_outputStale = true;
};
