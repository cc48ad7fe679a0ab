#include "gui/nmea/MonitorChannel.h"

#include "core/comm/SerialIndex.h"
#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/WindowLook.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

namespace Text = TextSlot::NmeaMonitor;

const QColor ErrorColour(200, 0, 0);

// Our word for a failure where the system's text would mislead; 0 where the system's text says it.
int failureText(Platform::NmeaSourceFailure why) {
    using Failure = Platform::NmeaSourceFailure;
    switch (why) {
    case Failure::System:
        return 0;
    case Failure::LogShrank:
        return Text::LogShrank;
    case Failure::NotRegularFile:
        return Text::NotRegularFile;
    case Failure::PortInUse:
        return Text::PortInUse;
    case Failure::PortClosed:
        return Text::PortClosed;
    }
    return 0;
}

} // namespace

MonitorChannel::MonitorChannel(ProgramState& state, const QString& channel, QWidget* parent)
    : QWidget(parent), m_state(state), m_channel(channel),
      m_monitor(std::make_unique<Nmea::Monitor>(Nmea::RuleTable{}, channel)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName(QStringLiteral("Channel_") + QString(channel).remove(QLatin1Char(' ')));
    buildLayout();
    connect(CB_Source, &QComboBox::currentIndexChanged, this, &MonitorChannel::onSourceKindChanged);
    connect(Btn_Start, &QPushButton::clicked, this, &MonitorChannel::Btn_StartClick);
    connect(Btn_Stop, &QPushButton::clicked, this, &MonitorChannel::Btn_StopClick);
    connect(Btn_Browse, &QPushButton::clicked, this, &MonitorChannel::Btn_BrowseClick);
    connect(Btn_Record, &QPushButton::clicked, this, &MonitorChannel::Btn_RecordClick);
    connect(Btn_FindBaud, &QPushButton::clicked, this, &MonitorChannel::Btn_FindBaudClick);
    m_baudTimer = new QTimer(this);
    m_baudTimer->setSingleShot(true);
    connect(m_baudTimer, &QTimer::timeout, this, [this] {
        m_baudFinder->next();
        listenAtNextRate();
    });
    m_status = {Text::Stopped};
    updateButtons();
}

MonitorChannel::~MonitorChannel() {
    if (m_source)
        m_source->stop();
}

void MonitorChannel::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    outer->addLayout(row);

    L_Channel = new QLabel(m_channel, this);
    L_Channel->setFont(WindowLook::font(11, true));
    L_Channel->setFixedWidth(NameWidth);
    row->addWidget(L_Channel);
    CB_Source = new QComboBox(this);
    CB_Source->setObjectName(QStringLiteral("CB_Source"));
    for (int i = 0; i < Text::SourceKinds.count; ++i)
        CB_Source->addItem(QString());
    CB_Source->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CB_Source->setFixedWidth(KindWidth);
    row->addWidget(CB_Source);

    PC_Source = new QStackedWidget(this);
    PC_Source->setObjectName(QStringLiteral("PC_Source"));
    row->addWidget(PC_Source, 1);
    const auto page = [this] {
        auto* widget = new QWidget(PC_Source);
        auto* layout = new QHBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        PC_Source->addWidget(widget);
        return layout;
    };
    const auto caption = [this](QHBoxLayout* layout) {
        auto* label = new QLabel(this);
        layout->addWidget(label);
        return label;
    };

    QHBoxLayout* logPage = page();
    E_LogFile = new QLineEdit(this);
    E_LogFile->setObjectName(QStringLiteral("E_LogFile"));
    logPage->addWidget(E_LogFile, 1);
    Btn_Browse = WindowLook::button(this, QRect(0, 0, 90, 24));
    Btn_Browse->setObjectName(QStringLiteral("Btn_Browse"));
    Btn_Browse->setAutoDefault(false);
    Btn_Browse->setMinimumSize(90, 24);
    logPage->addWidget(Btn_Browse);

    QHBoxLayout* serialPage = page();
    m_captions.serialPort = caption(serialPage);
    CB_Port = new QComboBox(this);
    CB_Port->setObjectName(QStringLiteral("CB_Port"));
    CB_Port->setEditable(true);
    CB_Port->setMinimumWidth(130);
    serialPage->addWidget(CB_Port, 1);
    const auto choices = [this, serialPage](QLabel*& label, const char* name, auto& texts) {
        label = new QLabel(this);
        serialPage->addWidget(label);
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        for (const char* text : texts)
            box->addItem(QString::fromLatin1(text));
        serialPage->addWidget(box);
        return box;
    };
    CB_Baud = choices(m_captions.baud, "CB_Baud", kBaudRates);
    CB_Parity = choices(m_captions.parity, "CB_Parity", kParities);
    CB_StopBits = choices(m_captions.stopBits, "CB_StopBits", kStopBits);
    Btn_FindBaud = WindowLook::button(this, QRect(0, 0, 110, 24));
    Btn_FindBaud->setObjectName(QStringLiteral("Btn_FindBaud"));
    Btn_FindBaud->setAutoDefault(false);
    Btn_FindBaud->setMinimumSize(110, 24);
    serialPage->addWidget(Btn_FindBaud);

    const auto portBox = [this](const char* name) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(1, 65535);
        box->setValue(Platform::NmeaSourceSettings::DefaultUdpPort);
        return box;
    };
    QHBoxLayout* udpPage = page();
    m_captions.udpPort = caption(udpPage);
    E_UdpPort = portBox("E_UdpPort");
    udpPage->addWidget(E_UdpPort);
    udpPage->addStretch();

    QHBoxLayout* tcpPage = page();
    m_captions.host = caption(tcpPage);
    E_Host = new QLineEdit(QStringLiteral("localhost"), this);
    E_Host->setObjectName(QStringLiteral("E_Host"));
    E_Host->setMinimumWidth(160);
    tcpPage->addWidget(E_Host, 1);
    m_captions.tcpPort = caption(tcpPage);
    E_TcpPort = portBox("E_TcpPort");
    tcpPage->addWidget(E_TcpPort);

    const auto button = [this, row](const char* name) {
        QPushButton* b = WindowLook::button(this, QRect(0, 0, 80, 24));
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setMinimumSize(80, 24);
        row->addWidget(b);
        return b;
    };
    Btn_Start = button("Btn_Start");
    Btn_Stop = button("Btn_Stop");
    Btn_Record = button("Btn_Record");
    Btn_Record->setCheckable(true);
    Btn_Record->setStyleSheet(Btn_Record->styleSheet() +
                              QStringLiteral(" QPushButton:checked { background-color: #FF8000; }"));

    // What the source is doing, or why it stopped, under the source's settings.
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(NameWidth + 6, 0, 0, 0);
    outer->addLayout(statusRow);
    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(L_Status, 1);
    L_Recording = new QLabel(this);
    L_Recording->setObjectName(QStringLiteral("L_Recording"));
    L_Recording->hide();
    statusRow->addWidget(L_Recording);
    PB_Replay = new QProgressBar(this);
    PB_Replay->setObjectName(QStringLiteral("PB_Replay"));
    PB_Replay->setRange(0, 1000);
    PB_Replay->setFixedSize(240, 14);
    PB_Replay->setTextVisible(false);
    PB_Replay->hide();
    statusRow->addWidget(PB_Replay);
}

int MonitorChannel::kindWidth() const {
    return CB_Source->width();
}

void MonitorChannel::Set_Lang() {
    for (int i = 0; i < Text::SourceKinds.count; ++i)
        CB_Source->setItemText(i, m_state.msg(Text::SourceKinds.at(i)));
    // Every kind's name whole in the chosen language; the rows stay lined up, as each takes the
    // same names.
    CB_Source->setFixedWidth(std::max(int(KindWidth), CB_Source->sizeHint().width()));
    Btn_Browse->setText(m_state.msg(Text::BrowseButton));
    m_captions.serialPort->setText(m_state.msg(Text::PortLabel));
    // The serial settings are named as in the communication parameters.
    m_captions.baud->setText(m_state.msg(TextSlot::ParGen::RS232.at(TextSlot::PortBaud)));
    m_captions.parity->setText(m_state.msg(TextSlot::ParGen::RS232.at(TextSlot::PortParity)));
    m_captions.stopBits->setText(m_state.msg(TextSlot::ParGen::RS232.at(TextSlot::PortStopBits)));
    m_captions.udpPort->setText(m_state.msg(Text::PortLabel));
    m_captions.host->setText(m_state.msg(Text::HostLabel));
    m_captions.tcpPort->setText(m_state.msg(Text::PortLabel));
    QPushButton* const buttons[] = {Btn_Start, Btn_Stop};
    for (int i = 0; i < 2; ++i) {
        buttons[i]->setText(m_state.msg(Text::Buttons.at(i)));
        buttons[i]->setToolTip(m_state.msg(Text::ButtonTips.at(i)));
    }
    Btn_Record->setText(m_state.msg(Text::RecordButton));
    Btn_Record->setToolTip(m_state.msg(Text::RecordTip));
    Btn_FindBaud->setText(m_state.msg(Text::FindBaudButton));
    Btn_FindBaud->setToolTip(m_state.msg(Text::FindBaudTip));
    if (m_source)
        m_description = description(m_running);
    showStatus(m_status);
    showRecording();
}

void MonitorChannel::reset(const Nmea::RuleTable& rules, const std::optional<SerialLine>& line) {
    stopSource();
    const int history = m_monitor->history();
    m_monitor = std::make_unique<Nmea::Monitor>(rules, m_channel);
    m_monitor->setHistory(history);
    if (line) {
        CB_Baud->setCurrentIndex(Baud_to_Index(QString::number(line->baudRate)));
        CB_Parity->setCurrentIndex(static_cast<int>(line->parity));
        CB_StopBits->setCurrentIndex(line->stopBits - 1);
    }
    PB_Replay->hide();
    showStatus({Text::Stopped});
}

void MonitorChannel::refreshPorts(const QStringList& ports) {
    const QString typed = CB_Port->currentText();
    CB_Port->clear();
    CB_Port->addItems(ports);
    if (!typed.isEmpty())
        CB_Port->setCurrentText(typed);
}

Platform::NmeaSourceSettings MonitorChannel::settings() const {
    Platform::NmeaSourceSettings settings;
    settings.kind = static_cast<SourceKind>(CB_Source->currentIndex());
    settings.logFile = E_LogFile->text().trimmed();
    settings.serialPort = CB_Port->currentText().trimmed();
    settings.line.baudRate = QString::fromLatin1(kBaudRates[std::max(CB_Baud->currentIndex(), 0)]).toInt();
    settings.line.parity = static_cast<SerialLine::Parity>(std::max(CB_Parity->currentIndex(), 0));
    settings.line.stopBits = std::max(CB_StopBits->currentIndex(), 0) + 1;
    settings.udpPort = quint16(E_UdpPort->value());
    settings.udpAddress = m_udpAddress;
    settings.tcpHost = E_Host->text().trimmed();
    settings.tcpPort = quint16(E_TcpPort->value());
    return settings;
}

QString MonitorChannel::description(const Platform::NmeaSourceSettings& settings) const {
    switch (settings.kind) {
    case SourceKind::LogFile:
        return QDir::toNativeSeparators(settings.logFile);
    case SourceKind::SerialPort:
        return QStringLiteral("%1, %2").arg(settings.serialPort, frameText(settings.line));
    case SourceKind::Udp:
        return m_state.msg(Text::UdpDescription).arg(settings.udpPort);
    case SourceKind::TcpClient:
        return m_state.msg(Text::TcpDescription).arg(settings.tcpHost).arg(settings.tcpPort);
    }
    return {};
}

void MonitorChannel::Btn_StartClick() {
    stopSource();
    const Platform::NmeaSourceSettings chosen = settings();
    if (chosen.kind == SourceKind::LogFile && chosen.logFile.isEmpty()) {
        showStatus({Text::SourceFailed, {}, true, Text::NoLogFile});
        return;
    }
    QString reason;
    m_source = Platform::NmeaSourceModule::create(chosen, *this, reason);
    if (!m_source) {
        showStatus({Text::ModuleFailed, reason, true});
        return;
    }
    m_running = chosen;
    m_description = description(chosen);
    PB_Replay->hide();
    PB_Replay->setValue(0);
    // Until the source says it has started: a TCP connection may take a while.
    showStatus({Text::Connecting, m_description});
    m_source->start();
    updateButtons();
}

void MonitorChannel::Btn_StopClick() {
    stopSource();
    showStatus({Text::Stopped});
}

void MonitorChannel::Btn_BrowseClick() {
    const QString path = QFileDialog::getOpenFileName(this, m_state.msg(Text::NoLogFile), E_LogFile->text());
    if (!path.isEmpty())
        E_LogFile->setText(QDir::toNativeSeparators(path));
}

bool MonitorChannel::isListening() const {
    return m_source && m_source->isRunning();
}

void MonitorChannel::dropSource() {
    // The next bytes, from whatever source, never complete a line begun here.
    m_source.reset();
    m_startedAt = -1;
    m_wrongBaud = false;
    m_baudFinder.reset();
    m_baudTimer->stop();
    m_monitor->cutOpenLine(now());
}

void MonitorChannel::stopSource() {
    const bool running = m_source != nullptr;
    dropSource();
    updateButtons();
    if (running && (m_status.slot == Text::Connecting || m_status.slot == Text::Listening ||
                    m_status.slot == Text::Stalled || m_status.slot == Text::TryingBaud))
        showStatus({Text::Stopped});
}

void MonitorChannel::sourceStarted() {
    if (!m_source || m_baudFinder)
        return;
    m_lastBytesAt = now();
    m_startedAt = m_lastBytesAt;
    m_countsAtStart = m_monitor->counts();
    showStatus({Text::Listening, m_description});
}

void MonitorChannel::sourceBytes(const QByteArray& bytes) {
    if (m_baudFinder) {
        m_baudFinder->feed(bytes);
        return;
    }
    noteBytes();
    record(bytes, false);
    m_monitor->feed(bytes, now());
}

void MonitorChannel::sourceMessage(const QByteArray& bytes) {
    noteBytes();
    record(bytes, true);
    m_monitor->feedMessage(bytes, now());
}

void MonitorChannel::Btn_RecordClick() {
    if (m_recorder.isRecording()) {
        endRecording();
        return;
    }
    QString path = m_chooseRecordFile
                       ? m_chooseRecordFile()
                       : QFileDialog::getSaveFileName(this, m_state.msg(Text::RecordTip), E_LogFile->text());
    if (!path.isEmpty() && !m_recorder.open(path))
        MessageBox::error(this, m_state.msg(Text::RecordFailed).arg(m_recorder.error()));
    showRecording();
}

void MonitorChannel::endRecording() {
    m_recorder.close();
    showRecording();
}

void MonitorChannel::record(const QByteArray& bytes, bool message) {
    if (!m_recorder.isRecording())
        return;
    if (message ? m_recorder.writeMessage(bytes) : m_recorder.write(bytes))
        return;
    // The disk is full or gone: what was written stays, and the user is told at once.
    showRecording();
    MessageBox::error(this, m_state.msg(TextSlot::MonitorFindings::RecordingStopped)
                                .arg(m_recorder.size())
                                .arg(QDir::toNativeSeparators(m_recorder.path()), m_recorder.error()));
}

void MonitorChannel::showRecording() {
    const bool recording = m_recorder.isRecording();
    Btn_Record->setChecked(recording);
    L_Recording->setVisible(recording);
    if (recording)
        L_Recording->setText(
            m_state.msg(Text::Recording)
                .arg(QDir::toNativeSeparators(m_recorder.path()),
                     QLocale().formattedDataSize(m_recorder.size(), 1, QLocale::DataSizeTraditionalFormat)));
}

qint32 MonitorChannel::baudBeingTried() const {
    return m_baudFinder ? m_baudFinder->currentRate() : 0;
}

void MonitorChannel::Btn_FindBaudClick() {
    const bool searching = m_baudFinder != nullptr;
    stopSource();
    if (searching) {
        showStatus({Text::Stopped});
        return;
    }
    m_baudFinder = std::make_unique<Nmea::BaudFinder>();
    listenAtNextRate();
}

void MonitorChannel::listenAtNextRate() {
    m_source.reset();
    if (m_baudFinder->finished()) {
        endBaudSearch();
        return;
    }
    Platform::NmeaSourceSettings chosen = settings();
    chosen.kind = SourceKind::SerialPort;
    chosen.line.baudRate = m_baudFinder->currentRate();
    QString reason;
    m_source = Platform::NmeaSourceModule::create(chosen, *this, reason);
    if (!m_source) {
        m_baudFinder.reset();
        showStatus({Text::ModuleFailed, reason, true});
        updateButtons();
        return;
    }
    m_running = chosen;
    m_description = description(chosen);
    showStatus({Text::TryingBaud, m_description, false, 0, chosen.line.baudRate});
    m_source->start();
    updateButtons();
    m_baudTimer->start(m_baudListenMs);
}

void MonitorChannel::endBaudSearch() {
    const qint32 found = m_baudFinder->found();
    stopSource();
    showStatus({Text::Stopped});
    if (!found) {
        MessageBox::warning(this, m_state.msg(Text::BaudNotFound));
        return;
    }
    if (MessageBox::question(this, m_state.msg(Text::BaudFound).arg(found)) != MessageBox::Answer::Yes)
        return;
    CB_Baud->setCurrentText(QString::number(found));
    Btn_StartClick();
}

void MonitorChannel::noteBytes() {
    m_lastBytesAt = now();
    if (m_status.slot == Text::Stalled && m_source)
        showStatus({Text::Listening, m_description});
}

std::optional<Nmea::MonitorFinding> MonitorChannel::wrongBaud(qint64 now) const {
    if (!m_source || m_baudFinder || m_startedAt < 0 ||
        CB_Source->currentIndex() != int(SourceKind::SerialPort))
        return std::nullopt;
    // Only what came since this source started counts: earlier lines may be another rate's.
    const Nmea::ReaderCounts& counts = m_monitor->counts();
    Nmea::ReaderCounts since;
    since.sentences = counts.sentences - m_countsAtStart.sentences;
    since.checksumErrors = counts.checksumErrors - m_countsAtStart.checksumErrors;
    since.badLines = counts.badLines - m_countsAtStart.badLines;
    if (!Nmea::looksLikeWrongBaud(since, now - m_startedAt))
        return std::nullopt;
    return Nmea::wrongBaudFinding(now - m_startedAt, m_state.Msg_Catalog);
}

bool MonitorChannel::updateStatus(qint64 now) {
    if (m_recorder.isRecording())
        showRecording();
    const bool wrong = wrongBaud(now).has_value();
    const bool flipped = wrong != m_wrongBaud;
    if (flipped) {
        m_wrongBaud = wrong;
        showStatus(m_status);
    }
    if (!m_source || (m_status.slot != Text::Listening && m_status.slot != Text::Stalled))
        return flipped;
    const qint64 quiet = now - m_lastBytesAt;
    if (quiet < m_stallAfter)
        return flipped;
    const qint64 seconds = quiet / 1000;
    if (m_status.slot != Text::Stalled || m_status.count != seconds)
        showStatus({Text::Stalled, m_description, false, 0, seconds});
    return flipped;
}

void MonitorChannel::onSourceKindChanged() {
    PC_Source->setCurrentIndex(CB_Source->currentIndex());
    // The failure was another kind's: it would be read as this one's.
    if (!m_source && m_status.error)
        showStatus({Text::Stopped});
}

void MonitorChannel::sourceFailed(const QString& reason, Platform::NmeaSourceFailure why) {
    // The source has stopped itself; the handle may go from inside its own event.
    dropSource();
    showStatus({Text::SourceFailed, reason, true, failureText(why)});
    updateButtons();
}

void MonitorChannel::sourceFinished() {
    // The source has stopped itself; the handle may go from inside its own event.
    m_source.reset();
    m_monitor->finish(now());
    if (PB_Replay->isVisible())
        PB_Replay->setValue(PB_Replay->maximum());
    showStatus({Text::LogEnded});
    updateButtons();
}

void MonitorChannel::sourceProgress(qint64 done, qint64 total) {
    if (total < ProgressFromBytes)
        return;
    PB_Replay->show();
    PB_Replay->setValue(int(done * PB_Replay->maximum() / std::max<qint64>(total, 1)));
}

void MonitorChannel::updateButtons() {
    Btn_Stop->setEnabled(m_source != nullptr);
}

void MonitorChannel::showStatus(const Status& status) {
    m_status = status;
    QString text = m_state.msg(status.slot);
    if (status.count >= 0)
        text = text.arg(status.count);
    text += status.detailSlot ? m_state.msg(status.detailSlot) : status.detail;
    // The line reads, but nothing in it is a sentence.
    if (m_wrongBaud) {
        if (const std::optional<Nmea::MonitorFinding> finding = wrongBaud(now()))
            text += QStringLiteral(" \u2014 ") + finding->message;
    }
    L_Status->setText(text);
    QPalette palette = L_Status->palette();
    palette.setColor(QPalette::WindowText, status.error ? ErrorColour : palette.color(QPalette::Text));
    L_Status->setPalette(palette);
    L_Status->setProperty("error", status.error);
}
