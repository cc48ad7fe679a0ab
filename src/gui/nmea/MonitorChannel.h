#pragma once

#include "core/comm/SerialLine.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/BaudFinder.h"
#include "core/nmea/LogRecorder.h"
#include "core/nmea/NmeaMonitor.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTimer;
struct ProgramState;

// One serial channel of the converter in the monitor: a row of controls for the source that stands
// in for the channel's line (a log, a serial port, UDP or TCP), its status line, and the
// `Nmea::Monitor` that its bytes feed. Every channel listens on its own, so that the GPS on one line
// and the gyro on another are watched together.
class MonitorChannel : public QWidget, private Platform::NmeaSourceEvents {
    Q_OBJECT
public:
    using SourceKind = Platform::NmeaSourceSettings::Kind;
    // A source quiet for this long is said to send nothing.
    static constexpr qint64 StallMs = 5000;
    // Below this size a log is read before a progress bar would be worth showing.
    static constexpr qint64 ProgressFromBytes = 4 * 1024 * 1024;
    // The widths that line the channels' rows up under one another.
    static constexpr int NameWidth = 110;
    static constexpr int KindWidth = 120;

    MonitorChannel(ProgramState& state, const QString& channel, QWidget* parent);
    ~MonitorChannel() override;
    void Set_Lang();
    // The source kind list's width in the chosen language, for what lines up with it.
    int kindWidth() const;

    const QString& channel() const { return m_channel; }
    Nmea::Monitor& monitor() { return *m_monitor; }
    const Nmea::Monitor& monitor() const { return *m_monitor; }
    // Stops the source and starts afresh over these rules and this line's settings.
    void reset(const Nmea::RuleTable& rules, const std::optional<SerialLine>& line);
    // The rules as edited; the source keeps running.
    void setRules(const Nmea::RuleTable& rules) { m_monitor->setRules(rules); }

    void Btn_StartClick();
    void Btn_StopClick();
    void Btn_BrowseClick();
    // Records what the source receives from now on, into a file the user chooses; pressed again,
    // ends the recording.
    void Btn_RecordClick();
    // Listens at each baud rate in turn and offers the one that gives sentences.
    void Btn_FindBaudClick();
    bool isListening() const;
    void stopSource();
    // Says what the source is doing now that time has passed: quiet for how long, only bad lines.
    // True when the wrong baud rate came to be suspected, or went.
    bool updateStatus(qint64 now);
    // A serial source that has read only bad lines since it started: its finding, if so.
    std::optional<Nmea::MonitorFinding> wrongBaud(qint64 now) const;
    bool isRecording() const { return m_recorder.isRecording(); }
    void endRecording();
    // The rate the baud rate search listens at now; 0 when it is not searching.
    qint32 baudBeingTried() const;

    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void setStallAfter(qint64 ms) { m_stallAfter = ms; }
    void setUdpAddress(const QString& address) { m_udpAddress = address; }
    void refreshPorts(const QStringList& ports);
    // Where a recording goes: asks the user unless set.
    void setRecordFileChooser(std::function<QString()> chooser) { m_chooseRecordFile = std::move(chooser); }
    // How long the baud rate search listens at each rate.
    void setBaudListenMs(int ms) { m_baudListenMs = ms; }

    QLabel* L_Channel;
    QComboBox* CB_Source;
    QStackedWidget* PC_Source; // one page per SourceKind
    QLineEdit* E_LogFile;
    QPushButton* Btn_Browse;
    QComboBox* CB_Port; // the system's ports; a device path may be typed
    QComboBox* CB_Baud;
    QComboBox* CB_Parity;
    QComboBox* CB_StopBits;
    QPushButton* Btn_FindBaud;
    QSpinBox* E_UdpPort;
    QLineEdit* E_Host;
    QSpinBox* E_TcpPort;
    QPushButton* Btn_Start;
    QPushButton* Btn_Stop;
    QPushButton* Btn_Record; // checked while recording
    QLabel* L_Status;
    QLabel* L_Recording; // the file and its size while recording
    QProgressBar* PB_Replay;

private:
    // Lets the source go, ends its search for a rate and cuts the line still open.
    void dropSource();
    // The status line as a slot and what follows it, so a language change can say it again.
    struct Status {
        int slot = 0;
        QString detail{}; // a description or the system's reason
        bool error = false;
        int detailSlot = 0; // a text of ours in place of detail
        qint64 count = -1;  // for the slot's "%1"
    };
    // The labels in front of the controls, for Set_Lang.
    struct Captions {
        QLabel* serialPort;
        QLabel* baud;
        QLabel* parity;
        QLabel* stopBits;
        QLabel* udpPort;
        QLabel* host;
        QLabel* tcpPort;
    };

    void buildLayout();
    Platform::NmeaSourceSettings settings() const;
    // What the source listens to, in the chosen language.
    QString description(const Platform::NmeaSourceSettings& settings) const;
    void sourceStarted() override;
    void sourceBytes(const QByteArray& bytes) override;
    void sourceMessage(const QByteArray& bytes) override;
    void sourceFailed(const QString& reason, Platform::NmeaSourceFailure why) override;
    void sourceFinished() override;
    void sourceProgress(qint64 done, qint64 total) override;
    void onSourceKindChanged();
    void noteBytes();
    // Opens the source anew at the search's current rate, or ends the search when all were tried.
    void listenAtNextRate();
    void endBaudSearch();
    void record(const QByteArray& bytes, bool message);
    void showRecording();
    void showStatus(const Status& status);
    void updateButtons();
    qint64 now() const { return m_clock(); }

    ProgramState& m_state;
    QString m_channel;
    Captions m_captions{};
    Status m_status;
    std::unique_ptr<Nmea::Monitor> m_monitor;
    std::unique_ptr<Platform::NmeaSourceHandle> m_source;
    Platform::NmeaSourceSettings m_running; // what the running source listens to
    QString m_description;                  // of the running source
    std::function<qint64()> m_clock;
    QString m_udpAddress; // empty: every IPv4 address
    qint64 m_stallAfter = StallMs;
    qint64 m_lastBytesAt = 0; // when the running source last sent, or started
    qint64 m_startedAt = -1;  // when the running source started; -1 while none runs
    Nmea::ReaderCounts m_countsAtStart;
    bool m_wrongBaud = false; // shown in the status line
    Nmea::LogRecorder m_recorder;
    std::function<QString()> m_chooseRecordFile;
    std::unique_ptr<Nmea::BaudFinder> m_baudFinder; // while searching
    QTimer* m_baudTimer;
    int m_baudListenMs = int(Nmea::BaudFinder::ListenMs);
};
