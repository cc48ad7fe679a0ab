#include "gui/nmea/MonitorChannel.h"

#include "core/comm/SerialIndex.h"
#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

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

    // What the source is doing, or why it stopped, under the source's settings.
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(NameWidth + 6, 0, 0, 0);
    outer->addLayout(statusRow);
    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(L_Status, 1);
    PB_Replay = new QProgressBar(this);
    PB_Replay->setObjectName(QStringLiteral("PB_Replay"));
    PB_Replay->setRange(0, 1000);
    PB_Replay->setFixedSize(240, 14);
    PB_Replay->setTextVisible(false);
    PB_Replay->hide();
    statusRow->addWidget(PB_Replay);
}

void MonitorChannel::Set_Lang() {
    for (int i = 0; i < Text::SourceKinds.count; ++i)
        CB_Source->setItemText(i, m_state.msg(Text::SourceKinds.at(i)));
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
    if (m_source)
        m_description = description(settings());
    showStatus(m_status);
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
    case SourceKind::SerialPort: {
        const char parity = settings.line.parity == SerialLine::Parity::Odd    ? 'O'
                            : settings.line.parity == SerialLine::Parity::Even ? 'E'
                                                                               : 'N';
        return QStringLiteral("%1, %2 %3%4%5")
            .arg(settings.serialPort)
            .arg(settings.line.baudRate)
            .arg(settings.line.dataBits)
            .arg(QLatin1Char(parity))
            .arg(settings.line.stopBits);
    }
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

void MonitorChannel::stopSource() {
    // The next bytes, from whatever source, never complete a line begun here.
    const bool running = m_source != nullptr;
    m_source.reset();
    m_monitor->cutOpenLine(now());
    updateButtons();
    if (running && (m_status.slot == Text::Connecting || m_status.slot == Text::Listening ||
                    m_status.slot == Text::Stalled))
        showStatus({Text::Stopped});
}

void MonitorChannel::sourceStarted() {
    if (!m_source)
        return;
    m_lastBytesAt = now();
    showStatus({Text::Listening, m_description});
}

void MonitorChannel::sourceBytes(const QByteArray& bytes) {
    noteBytes();
    m_monitor->feed(bytes, now());
}

void MonitorChannel::sourceMessage(const QByteArray& bytes) {
    noteBytes();
    m_monitor->feedMessage(bytes, now());
}

void MonitorChannel::noteBytes() {
    m_lastBytesAt = now();
    if (m_status.slot == Text::Stalled && m_source)
        showStatus({Text::Listening, m_description});
}

void MonitorChannel::updateStatus(qint64 now) {
    if (!m_source || (m_status.slot != Text::Listening && m_status.slot != Text::Stalled))
        return;
    const qint64 quiet = now - m_lastBytesAt;
    if (quiet < m_stallAfter)
        return;
    const qint64 seconds = quiet / 1000;
    if (m_status.slot != Text::Stalled || m_status.count != seconds)
        showStatus({Text::Stalled, m_description, false, 0, seconds});
}

void MonitorChannel::onSourceKindChanged() {
    PC_Source->setCurrentIndex(CB_Source->currentIndex());
    // The failure was another kind's: it would be read as this one's.
    if (!m_source && m_status.error)
        showStatus({Text::Stopped});
}

void MonitorChannel::sourceFailed(const QString& reason, Platform::NmeaSourceFailure why) {
    // The source has stopped itself; the handle may go from inside its own event.
    m_source.reset();
    m_monitor->cutOpenLine(now());
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
    L_Status->setText(text + (status.detailSlot ? m_state.msg(status.detailSlot) : status.detail));
    QPalette palette = L_Status->palette();
    palette.setColor(QPalette::WindowText, status.error ? ErrorColour : palette.color(QPalette::Text));
    L_Status->setPalette(palette);
    L_Status->setProperty("error", status.error);
}
