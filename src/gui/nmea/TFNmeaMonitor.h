#pragma once

#include "core/comm/ParGen.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaMonitor.h"
#include "gui/shell/LanguageAware.h"
#include "gui/shell/WindowBase.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QList>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QTimer;
struct ProgramState;
namespace WindowLook {
class TitlePanel;
}

// Listens to an NMEA 0183 source as one serial channel of the converter would and shows, for each
// rule of that channel, what it would receive; beside them the sentences no rule uses, the
// reader's counts and the last lines received. The rules come from the rules window as they stand
// there, saved or not.
class TFNmeaMonitor : public DialogBase, public LanguageAware, private Platform::NmeaSourceEvents {
    Q_OBJECT
public:
    // The order of the source list.
    using SourceKind = Platform::NmeaSourceSettings::Kind;
    enum RuleColumn {
        ColRule,
        ColSentence,
        ColField,
        ColIndex,
        ColBytes,
        ColHits,
        ColLast,
        ColValue,
        ColSince,
        ColEmpty
    };
    static constexpr int RuleColumns = ColEmpty + 1;
    // Below this size a log is read before a progress bar would be worth showing.
    static constexpr qint64 ProgressFromBytes = 4 * 1024 * 1024;
    static constexpr int RefreshMs = 200;
    // How long a row stays highlighted after its text changed.
    static constexpr qint64 HighlightMs = 1000;
    // A source quiet for this long is said to send nothing.
    static constexpr qint64 StallMs = 5000;
    // The channels as the rules name them, in the order offered.
    static const QStringList& channels();

    explicit TFNmeaMonitor(ProgramState& state, QWidget* parent = nullptr);
    ~TFNmeaMonitor() override;
    void Set_Lang() override;

    // The rules to check and the configuration's communication parameters (the serial settings
    // of each channel). Stops a source still running and forgets what was received.
    void setConfiguration(const Nmea::RuleTable& rules, const ParGenSet& parameters);

    void Btn_StartClick();
    void Btn_StopClick();
    void Btn_ClearClick();
    void Btn_BrowseClick();
    // Redraws what changed since the last redraw; the refresh timer calls it.
    void refresh();

    const Nmea::Monitor& monitor() const { return *m_monitor; }
    bool isListening() const;
    // The clock of "since last" and the highlight, in milliseconds.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    // How long a running source may send nothing before the status line says so.
    void setStallAfter(qint64 ms) { m_stallAfter = ms; }
    // The address the UDP source binds, every interface unless set.
    void setUdpAddress(const QString& address) { m_udpAddress = address; }

    WindowLook::TitlePanel* P_Title;
    QComboBox* CB_Channel;
    QComboBox* CB_Source;
    QStackedWidget* PC_Source; // one page per SourceKind
    QLineEdit* E_LogFile;
    QPushButton* Btn_Browse;
    QComboBox* CB_Port; // the system's ports; a device path may be typed
    QComboBox* CB_Baud;
    QComboBox* CB_Parity;
    QComboBox* CB_StopBits;
    QSpinBox* E_UdpPort;
    QLineEdit* E_Host;
    QSpinBox* E_TcpPort;
    QPushButton* Btn_Start;
    QPushButton* Btn_Stop;
    QPushButton* Btn_Clear;
    QLabel* L_Status;
    QProgressBar* PB_Replay;
    QTableWidget* ASG_Rules;
    QLabel* L_Unused;
    QTableWidget* ASG_Unused;
    QList<QLabel*> L_Counters;      // names, in ReaderCounts order
    QList<QLabel*> L_CounterValues; // their values
    QLabel* L_Recent;
    QPushButton* Btn_Pause; // checked: the last lines hold still
    QListWidget* LB_Lines;

protected:
    void opened() override;
    void closed() override;

private:
    void buildLayout();
    void onChannelChanged();
    void presetSerialLine();
    void refreshPorts();
    struct Status;
    std::unique_ptr<Platform::NmeaSourceHandle> createSource(Status& problem);
    void sourceStarted() override;
    void sourceBytes(const QByteArray& bytes) override;
    void sourceMessage(const QByteArray& bytes) override;
    void sourceFailed(const QString& reason, Platform::NmeaSourceFailure why) override;
    void sourceFinished() override;
    void sourceProgress(qint64 done, qint64 total) override;
    void stopSource();
    void showStatus(const Status& status);
    void onSourceKindChanged();
    // Bytes came: the source is not quiet.
    void noteBytes();
    // Says so when the running source has sent nothing for the stall interval.
    void checkStall(qint64 now);
    void fillRuleRows();
    void refreshRules(qint64 now);
    void refreshTimes(qint64 now);
    void refreshUnused();
    void refreshCounters();
    void refreshLines();
    bool linesFollow() const;
    qint64 now() const { return m_clock(); }
    void updateButtons();

    // The labels in front of the controls, for Set_Lang.
    struct Captions {
        QLabel* channel;
        QLabel* source;
        QLabel* serialPort;
        QLabel* baud;
        QLabel* parity;
        QLabel* stopBits;
        QLabel* udpPort;
        QLabel* host;
        QLabel* tcpPort;
    };
    // The status line as a slot and what follows it, so a language change can say it again.
    struct Status {
        int slot = 0;
        QString detail{}; // a description or the system's reason
        bool error = false;
        int detailSlot = 0; // a text of ours in place of detail
        qint64 count = -1;  // for the slot's "%1"
    };

    ProgramState& m_state;
    Captions m_captions{};
    Status m_status;
    Nmea::RuleTable m_rules{};
    ParGenSet m_parameters;
    std::unique_ptr<Nmea::Monitor> m_monitor;
    std::unique_ptr<Platform::NmeaSourceHandle> m_source;
    QTimer* m_refresh;
    std::function<qint64()> m_clock;
    QString m_udpAddress; // empty: every IPv4 address
    qint64 m_stallAfter = StallMs;
    qint64 m_lastBytesAt = 0; // when the running source last sent, or started
    quint64 m_shownRevision = ~quint64(0);
    quint64 m_linesRevision = ~quint64(0); // what the last lines show
    bool m_highlightShown = false;
    qint64 m_timesShownAt = 0;
};
