#include "gui/nmea/TFNmeaMonitor.h"

#include "core/comm/SerialIndex.h"
#include "core/comm/SerialLine.h"
#include "core/language/TextSlots.h"
#include "core/shell/ProgramState.h"
#include "gui/shell/WindowLook.h"
#include "platform/nmea/NmeaSourceModule.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

namespace Text = TextSlot::NmeaMonitor;

constexpr int ClientWidth = 1160;
constexpr int ClientHeight = 760;
const QColor ChangedColour(255, 200, 120);
const QColor BadLineColour(200, 0, 0);
const QColor ChecksumColour(190, 100, 0);
const QColor NotDecodedColour(128, 128, 128);
// Marks a line that fed nothing: noise, a broken frame or a checksum that fails.
const QString BadMark = QStringLiteral("\u2717 ");

const int kRuleColumnWidths[TFNmeaMonitor::RuleColumns] = {50, 80, 280, 50, 80, 70, 150, 110, 90, 70};

// "3.4 s" up to ten seconds, then whole seconds, minutes and hours.
QString age(qint64 ms) {
    ms = std::max<qint64>(ms, 0);
    if (ms < 10000)
        return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    const qint64 s = ms / 1000;
    if (s < 120)
        return QStringLiteral("%1 s").arg(s);
    if (s < 7200)
        return QStringLiteral("%1 min").arg(s / 60);
    return QStringLiteral("%1 h").arg(s / 3600);
}

// The bytes a rule's value takes in the data array, as "12-15".
QString byteRange(const Nmea::RuleFeed& rule) {
    if (rule.size <= 1)
        return QString::number(rule.position);
    return QStringLiteral("%1-%2").arg(rule.position).arg(rule.position + rule.size - 1);
}

QTableWidgetItem* readOnlyItem(const QString& text = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

void setUpTable(QTableWidget* table) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(22);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setStretchLastSection(true);
}

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

const QStringList& TFNmeaMonitor::channels() {
    static const QStringList names = serialChannels();
    return names;
}

TFNmeaMonitor::TFNmeaMonitor(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight), Sizing::Resizable,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                     Qt::WindowMaximizeButtonHint),
      m_state(state), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName(QStringLiteral("FNmeaMonitor"));
    m_monitor = std::make_unique<Nmea::Monitor>(m_rules, channels().first());
    buildLayout();

    m_refresh = new QTimer(this);
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TFNmeaMonitor::refresh);

    connect(CB_Channel, &QComboBox::currentIndexChanged, this, &TFNmeaMonitor::onChannelChanged);
    connect(CB_Source, &QComboBox::currentIndexChanged, this, &TFNmeaMonitor::onSourceKindChanged);
    connect(Btn_Start, &QPushButton::clicked, this, &TFNmeaMonitor::Btn_StartClick);
    connect(Btn_Stop, &QPushButton::clicked, this, &TFNmeaMonitor::Btn_StopClick);
    connect(Btn_Clear, &QPushButton::clicked, this, &TFNmeaMonitor::Btn_ClearClick);
    connect(Btn_Browse, &QPushButton::clicked, this, &TFNmeaMonitor::Btn_BrowseClick);
    connect(Btn_Pause, &QPushButton::toggled, this, [this] { refresh(); });

    m_status = {Text::Stopped};
    Set_Lang();
    onChannelChanged();
}

TFNmeaMonitor::~TFNmeaMonitor() {
    if (m_source)
        m_source->stop();
}

void TFNmeaMonitor::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    P_Title = addTitlePanel();
    outer->addWidget(P_Title);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 8, 10, 10);
    body->setSpacing(6);
    outer->addLayout(body, 1);

    const auto caption = [this](QLayout* layout) {
        auto* l = new QLabel(this);
        layout->addWidget(l);
        return l;
    };

    // The source: channel, kind, the kind's settings, and the buttons.
    auto* sourceRow = new QHBoxLayout;
    body->addLayout(sourceRow);
    m_captions.channel = caption(sourceRow);
    CB_Channel = new QComboBox(this);
    CB_Channel->setObjectName(QStringLiteral("CB_Channel"));
    CB_Channel->addItems(channels());
    sourceRow->addWidget(CB_Channel);
    sourceRow->addSpacing(12);
    m_captions.source = caption(sourceRow);
    CB_Source = new QComboBox(this);
    CB_Source->setObjectName(QStringLiteral("CB_Source"));
    // Wide enough for the kinds' names in every language, also after a switch.
    CB_Source->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < Text::SourceKinds.count; ++i)
        CB_Source->addItem(QString());
    sourceRow->addWidget(CB_Source);

    PC_Source = new QStackedWidget(this);
    PC_Source->setObjectName(QStringLiteral("PC_Source"));
    sourceRow->addWidget(PC_Source, 1);
    const auto page = [this] {
        auto* widget = new QWidget(PC_Source);
        auto* layout = new QHBoxLayout(widget);
        layout->setContentsMargins(6, 0, 0, 0);
        PC_Source->addWidget(widget);
        return layout;
    };

    QHBoxLayout* logPage = page();
    E_LogFile = new QLineEdit(this);
    E_LogFile->setObjectName(QStringLiteral("E_LogFile"));
    E_LogFile->setMinimumWidth(260);
    logPage->addWidget(E_LogFile, 1);
    Btn_Browse = WindowLook::button(this, QRect(0, 0, 90, 26));
    Btn_Browse->setObjectName(QStringLiteral("Btn_Browse"));
    Btn_Browse->setAutoDefault(false);
    logPage->addWidget(Btn_Browse);

    QHBoxLayout* serialPage = page();
    m_captions.serialPort = caption(serialPage);
    CB_Port = new QComboBox(this);
    CB_Port->setObjectName(QStringLiteral("CB_Port"));
    CB_Port->setEditable(true);
    CB_Port->setMinimumWidth(130);
    serialPage->addWidget(CB_Port);
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
    serialPage->addStretch();

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
    E_Host->setMinimumWidth(180);
    tcpPage->addWidget(E_Host);
    m_captions.tcpPort = caption(tcpPage);
    E_TcpPort = portBox("E_TcpPort");
    tcpPage->addWidget(E_TcpPort);
    tcpPage->addStretch();

    const auto button = [this, sourceRow](const char* name) {
        QPushButton* b = WindowLook::button(this, QRect(0, 0, 90, 28));
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setMinimumSize(90, 28);
        sourceRow->addWidget(b);
        return b;
    };
    Btn_Start = button("Btn_Start");
    Btn_Stop = button("Btn_Stop");
    Btn_Clear = button("Btn_Clear");

    // What the source is doing, or why it stopped.
    auto* statusRow = new QHBoxLayout;
    body->addLayout(statusRow);
    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusRow->addWidget(L_Status, 1);
    PB_Replay = new QProgressBar(this);
    PB_Replay->setObjectName(QStringLiteral("PB_Replay"));
    PB_Replay->setRange(0, 1000);
    PB_Replay->setFixedWidth(300);
    PB_Replay->hide();
    statusRow->addWidget(PB_Replay);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    body->addWidget(split, 1);

    ASG_Rules = new QTableWidget(0, RuleColumns, split);
    ASG_Rules->setObjectName(QStringLiteral("ASG_Rules"));
    setUpTable(ASG_Rules);
    for (int col = 0; col < RuleColumns; ++col) {
        ASG_Rules->setHorizontalHeaderItem(col, new QTableWidgetItem);
        ASG_Rules->setColumnWidth(col, kRuleColumnWidths[col]);
    }
    // The raw text takes what the window gives beyond the columns' widths.
    ASG_Rules->horizontalHeader()->setStretchLastSection(false);
    ASG_Rules->horizontalHeader()->setSectionResizeMode(ColLast, QHeaderView::Stretch);

    auto* lower = new QWidget(split);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);

    auto* left = new QVBoxLayout;
    lowerLayout->addLayout(left, 2);
    L_Unused = new QLabel(lower);
    L_Unused->setFont(WindowLook::font(11, true));
    left->addWidget(L_Unused);
    ASG_Unused = new QTableWidget(0, 2, lower);
    ASG_Unused->setObjectName(QStringLiteral("ASG_Unused"));
    setUpTable(ASG_Unused);
    ASG_Unused->setHorizontalHeaderItem(0, new QTableWidgetItem);
    ASG_Unused->setHorizontalHeaderItem(1, new QTableWidgetItem);
    ASG_Unused->setColumnWidth(0, 140);
    left->addWidget(ASG_Unused, 1);
    auto* counters = new QGridLayout;
    left->addLayout(counters);
    for (int i = 0; i < Text::Counters.count; ++i) {
        auto* name = new QLabel(lower);
        auto* value = new QLabel(QStringLiteral("0"), lower);
        value->setObjectName(QStringLiteral("L_Counter_%1").arg(i));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(70);
        counters->addWidget(name, i / 2, (i % 2) * 2);
        counters->addWidget(value, i / 2, (i % 2) * 2 + 1);
        L_Counters << name;
        L_CounterValues << value;
    }

    auto* right = new QVBoxLayout;
    lowerLayout->addLayout(right, 3);
    // The title's row holds the Pause button at its right end, no higher than the title, so the
    // list stays where it was.
    auto* recentTitle = new QHBoxLayout;
    right->addLayout(recentTitle);
    L_Recent = new QLabel(lower);
    L_Recent->setFont(WindowLook::font(11, true));
    recentTitle->addWidget(L_Recent, 1);
    Btn_Pause = WindowLook::button(lower, QRect(0, 0, 90, 20));
    Btn_Pause->setObjectName(QStringLiteral("Btn_Pause"));
    Btn_Pause->setAutoDefault(false);
    Btn_Pause->setCheckable(true);
    Btn_Pause->setStyleSheet(Btn_Pause->styleSheet() +
                             QStringLiteral(" QPushButton:checked { background-color: #FF8000; }"));
    Btn_Pause->setFixedSize(90, L_Recent->sizeHint().height());
    recentTitle->addWidget(Btn_Pause);
    LB_Lines = new QListWidget(lower);
    LB_Lines->setObjectName(QStringLiteral("LB_Lines"));
    LB_Lines->setFont(QFont(QStringLiteral("Monospace"), 9));
    LB_Lines->setUniformItemSizes(true);
    right->addWidget(LB_Lines, 1);

    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
}

void TFNmeaMonitor::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    m_captions.channel->setText(m_state.msg(TextSlot::NmeaAccess::ChannelHeader));
    m_captions.source->setText(m_state.msg(Text::SourceLabel));
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
    QPushButton* const buttons[] = {Btn_Start, Btn_Stop, Btn_Clear};
    for (int i = 0; i < Text::Buttons.count; ++i) {
        buttons[i]->setText(m_state.msg(Text::Buttons.at(i)));
        buttons[i]->setToolTip(m_state.msg(Text::ButtonTips.at(i)));
    }
    Btn_Pause->setText(m_state.msg(Text::PauseButton));
    Btn_Pause->setToolTip(m_state.msg(Text::PauseTip));

    const int headers[RuleColumns] = {Text::RuleHeader,
                                      TextSlot::NmeaAccess::SentenceHeader,
                                      TextSlot::NmeaAccess::FieldHeader,
                                      TextSlot::NmeaAccess::IndexHeader,
                                      Text::BytesHeader,
                                      Text::HitsHeader,
                                      Text::LastHeader,
                                      Text::ValueHeader,
                                      Text::SinceHeader,
                                      Text::EmptyHeader};
    for (int col = 0; col < RuleColumns; ++col)
        ASG_Rules->horizontalHeaderItem(col)->setText(m_state.msg(headers[col]));
    ASG_Rules->horizontalHeaderItem(ColEmpty)->setToolTip(m_state.msg(Text::EmptyTip));
    ASG_Unused->horizontalHeaderItem(0)->setText(m_state.msg(TextSlot::NmeaAccess::SentenceHeader));
    ASG_Unused->horizontalHeaderItem(1)->setText(m_state.msg(Text::CountHeader));
    L_Unused->setText(m_state.msg(Text::UnusedTitle));
    for (int i = 0; i < L_Counters.size(); ++i)
        L_Counters[i]->setText(m_state.msg(Text::Counters.at(i)));
    L_Recent->setText(m_state.msg(Text::RecentTitle));
    showStatus(m_status);
    // Texts inside the tables ("not decoded", "Other addresses") are drawn again.
    m_shownRevision = ~quint64(0);
    refresh();
}

void TFNmeaMonitor::setConfiguration(const Nmea::RuleTable& rules, const ParGenSet& parameters) {
    stopSource();
    m_rules = rules;
    m_parameters = parameters;
    // Start on a channel that has rules when the one chosen has none.
    if (Nmea::rulesToFeed(m_rules, CB_Channel->currentText()).empty()) {
        for (int i = 0; i < channels().size(); ++i) {
            if (!Nmea::rulesToFeed(m_rules, channels()[i]).empty()) {
                const QSignalBlocker quiet(CB_Channel);
                CB_Channel->setCurrentIndex(i);
                break;
            }
        }
    }
    showStatus({Text::Stopped});
    onChannelChanged();
}

void TFNmeaMonitor::onChannelChanged() {
    const int history = m_monitor->history();
    m_monitor = std::make_unique<Nmea::Monitor>(m_rules, CB_Channel->currentText());
    m_monitor->setHistory(history);
    presetSerialLine();
    fillRuleRows();
    LB_Lines->clear(); // the lines of another channel's monitor
    m_shownRevision = ~quint64(0);
    m_linesRevision = ~quint64(0);
    refresh();
}

void TFNmeaMonitor::presetSerialLine() {
    const std::optional<SerialLine> line = serialLineOf(m_parameters, CB_Channel->currentText());
    if (!line)
        return;
    CB_Baud->setCurrentIndex(Baud_to_Index(QString::number(line->baudRate)));
    CB_Parity->setCurrentIndex(static_cast<int>(line->parity));
    CB_StopBits->setCurrentIndex(line->stopBits - 1);
}

void TFNmeaMonitor::refreshPorts() {
    const QString typed = CB_Port->currentText();
    CB_Port->clear();
    CB_Port->addItems(Platform::NmeaSourceModule::serialPorts());
    if (!typed.isEmpty())
        CB_Port->setCurrentText(typed);
}

void TFNmeaMonitor::opened() {
    refreshPorts();
    updateButtons();
    m_refresh->start();
}

void TFNmeaMonitor::closed() {
    // Closing the window ends the listening; minimising it does not.
    stopSource();
    m_refresh->stop();
    if (m_status.slot == Text::Connecting || m_status.slot == Text::Listening ||
        m_status.slot == Text::Stalled)
        showStatus({Text::Stopped});
}

std::unique_ptr<Platform::NmeaSourceHandle> TFNmeaMonitor::createSource(Status& problem) {
    Platform::NmeaSourceSettings settings;
    settings.kind = static_cast<SourceKind>(CB_Source->currentIndex());
    switch (settings.kind) {
    case SourceKind::LogFile:
        settings.logFile = E_LogFile->text().trimmed();
        if (settings.logFile.isEmpty()) {
            problem = {Text::SourceFailed, m_state.msg(Text::NoLogFile), true};
            return nullptr;
        }
        break;
    case SourceKind::SerialPort:
        settings.serialPort = CB_Port->currentText().trimmed();
        settings.line.baudRate =
            QString::fromLatin1(kBaudRates[std::max(CB_Baud->currentIndex(), 0)]).toInt();
        settings.line.parity = static_cast<SerialLine::Parity>(std::max(CB_Parity->currentIndex(), 0));
        settings.line.stopBits = std::max(CB_StopBits->currentIndex(), 0) + 1;
        break;
    case SourceKind::Udp:
        settings.udpPort = quint16(E_UdpPort->value());
        settings.udpAddress = m_udpAddress;
        break;
    case SourceKind::TcpClient:
        settings.tcpHost = E_Host->text().trimmed();
        settings.tcpPort = quint16(E_TcpPort->value());
        break;
    }
    QString reason;
    std::unique_ptr<Platform::NmeaSourceHandle> source =
        Platform::NmeaSourceModule::create(settings, *this, reason);
    if (!source)
        problem = {Text::ModuleFailed, reason, true};
    return source;
}

void TFNmeaMonitor::Btn_StartClick() {
    stopSource();
    Status problem;
    m_source = createSource(problem);
    if (!m_source) {
        showStatus(problem);
        return;
    }
    PB_Replay->hide();
    PB_Replay->setValue(0);
    // Until the source says it has started: a TCP connection may take a while.
    showStatus({Text::Connecting, m_source->description()});
    m_source->start();
    updateButtons();
}

void TFNmeaMonitor::sourceStarted() {
    if (!m_source)
        return;
    m_lastBytesAt = now();
    showStatus({Text::Listening, m_source->description()});
}

void TFNmeaMonitor::Btn_StopClick() {
    stopSource();
    showStatus({Text::Stopped});
    refresh();
}

void TFNmeaMonitor::Btn_ClearClick() {
    m_monitor->clear();
    LB_Lines->clear();
    m_linesRevision = ~quint64(0);
    m_shownRevision = ~quint64(0);
    refresh();
}

void TFNmeaMonitor::Btn_BrowseClick() {
    const QString path = QFileDialog::getOpenFileName(this, m_state.msg(Text::NoLogFile), E_LogFile->text());
    if (!path.isEmpty())
        E_LogFile->setText(QDir::toNativeSeparators(path));
}

bool TFNmeaMonitor::isListening() const {
    return m_source && m_source->isRunning();
}

void TFNmeaMonitor::sourceBytes(const QByteArray& bytes) {
    noteBytes();
    m_monitor->feed(bytes, now());
}

void TFNmeaMonitor::sourceMessage(const QByteArray& bytes) {
    noteBytes();
    m_monitor->feedMessage(bytes, now());
}

void TFNmeaMonitor::noteBytes() {
    m_lastBytesAt = now();
    if (m_status.slot == Text::Stalled && m_source)
        showStatus({Text::Listening, m_source->description()});
}

void TFNmeaMonitor::checkStall(qint64 now) {
    if (!m_source || (m_status.slot != Text::Listening && m_status.slot != Text::Stalled))
        return;
    const qint64 quiet = now - m_lastBytesAt;
    if (quiet < m_stallAfter)
        return;
    const qint64 seconds = quiet / 1000;
    if (m_status.slot != Text::Stalled || m_status.count != seconds)
        showStatus({Text::Stalled, m_source->description(), false, 0, seconds});
}

void TFNmeaMonitor::onSourceKindChanged() {
    PC_Source->setCurrentIndex(CB_Source->currentIndex());
    // The failure was another kind's: it would be read as this one's.
    if (!m_source && m_status.error)
        showStatus({Text::Stopped});
}

void TFNmeaMonitor::sourceFailed(const QString& reason, Platform::NmeaSourceFailure why) {
    // The source has stopped itself; the handle may go from inside its own event.
    m_source.reset();
    m_monitor->cutOpenLine(now());
    showStatus({Text::SourceFailed, reason, true, failureText(why)});
    updateButtons();
    refresh();
}

void TFNmeaMonitor::sourceFinished() {
    // The source has stopped itself; the handle may go from inside its own event.
    m_source.reset();
    m_monitor->finish(now());
    if (PB_Replay->isVisible())
        PB_Replay->setValue(PB_Replay->maximum());
    showStatus({Text::LogEnded});
    updateButtons();
    refresh();
}

void TFNmeaMonitor::sourceProgress(qint64 done, qint64 total) {
    if (total < ProgressFromBytes)
        return;
    PB_Replay->show();
    PB_Replay->setValue(int(done * PB_Replay->maximum() / std::max<qint64>(total, 1)));
}

void TFNmeaMonitor::stopSource() {
    // The next bytes, from whatever source, never complete a line begun here.
    m_source.reset();
    m_monitor->cutOpenLine(now());
    updateButtons();
}

void TFNmeaMonitor::updateButtons() {
    Btn_Stop->setEnabled(m_source != nullptr);
}

void TFNmeaMonitor::showStatus(const Status& status) {
    m_status = status;
    QString text = m_state.msg(status.slot);
    if (status.count >= 0)
        text = text.arg(status.count);
    L_Status->setText(text + (status.detailSlot ? m_state.msg(status.detailSlot) : status.detail));
    QPalette palette = L_Status->palette();
    palette.setColor(QPalette::WindowText, status.error ? BadLineColour : palette.color(QPalette::Text));
    L_Status->setPalette(palette);
    L_Status->setProperty("error", status.error);
}

void TFNmeaMonitor::fillRuleRows() {
    const std::vector<Nmea::RuleFeed>& rules = m_monitor->rules();
    ASG_Rules->setRowCount(int(rules.size()));
    for (int row = 0; row < int(rules.size()); ++row) {
        const Nmea::RuleFeed& rule = rules[row];
        QString index;
        if (rule.index)
            index = QString::number(*rule.index);
        else if (rule.indexMissing)
            index = m_rules[rule.rule - 1].Index; // as typed: the converter cannot use it
        const QString texts[RuleColumns] = {QString::number(rule.rule),
                                            rule.sentence,
                                            rule.field,
                                            index,
                                            byteRange(rule),
                                            {},
                                            {},
                                            {},
                                            {},
                                            {}};
        for (int col = 0; col < RuleColumns; ++col) {
            QTableWidgetItem* item = readOnlyItem(texts[col]);
            if (col == ColRule || col == ColIndex || col == ColHits || col == ColValue || col == ColSince ||
                col == ColEmpty)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ASG_Rules->setItem(row, col, item);
        }
        if (!rule.mnemonic.isEmpty())
            ASG_Rules->item(row, ColRule)->setToolTip(rule.mnemonic);
    }
}

void TFNmeaMonitor::refresh() {
    const qint64 t = now();
    checkStall(t);
    if (m_monitor->revision() != m_shownRevision) {
        m_shownRevision = m_monitor->revision();
        refreshRules(t);
        refreshUnused();
        refreshCounters();
        refreshTimes(t);
    } else if (m_highlightShown || t - m_timesShownAt >= 1000) {
        refreshTimes(t);
    }
    if (m_linesRevision != m_monitor->revision() && linesFollow())
        refreshLines();
}

bool TFNmeaMonitor::linesFollow() const {
    // Scrolled back to read, or paused, the rows hold still.
    const QScrollBar* bar = LB_Lines->verticalScrollBar();
    return !Btn_Pause->isChecked() && bar->value() == bar->maximum();
}

void TFNmeaMonitor::refreshRules(qint64 /*now*/) {
    const std::vector<Nmea::RuleFeed>& rules = m_monitor->rules();
    const QString notDecoded = m_state.msg(Text::NotDecoded);
    for (int row = 0; row < int(rules.size()) && row < ASG_Rules->rowCount(); ++row) {
        const Nmea::RuleFeed& rule = rules[row];
        ASG_Rules->item(row, ColHits)->setText(QString::number(rule.hits));
        ASG_Rules->item(row, ColEmpty)->setText(QString::number(rule.empty));
        QTableWidgetItem* last = ASG_Rules->item(row, ColLast);
        if (!rule.decoded && rule.hits > 0) {
            last->setText(notDecoded);
            last->setForeground(NotDecodedColour);
        } else {
            last->setText(rule.last);
        }
        ASG_Rules->item(row, ColValue)->setText(rule.value ? Nmea::valueText(*rule.value) : QString());
    }
}

void TFNmeaMonitor::refreshTimes(qint64 now) {
    m_timesShownAt = now;
    m_highlightShown = false;
    const std::vector<Nmea::RuleFeed>& rules = m_monitor->rules();
    for (int row = 0; row < int(rules.size()) && row < ASG_Rules->rowCount(); ++row) {
        const Nmea::RuleFeed& rule = rules[row];
        ASG_Rules->item(row, ColSince)->setText(rule.lastAt < 0 ? QString() : age(now - rule.lastAt));
        const bool changed = rule.changedAt >= 0 && now - rule.changedAt < HighlightMs;
        m_highlightShown = m_highlightShown || changed;
        for (int col = 0; col < RuleColumns; ++col)
            ASG_Rules->item(row, col)->setBackground(changed ? QBrush(ChangedColour) : QBrush());
    }
}

void TFNmeaMonitor::refreshUnused() {
    const QMap<QString, qint64> unused = m_monitor->unused();
    const qint64 overflow = m_monitor->unusedOverflow();
    ASG_Unused->setRowCount(int(unused.size()) + (overflow > 0 ? 1 : 0));
    int row = 0;
    const auto put = [this, &row](const QString& name, qint64 count) {
        ASG_Unused->setItem(row, 0, readOnlyItem(name));
        QTableWidgetItem* number = readOnlyItem(QString::number(count));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ASG_Unused->setItem(row, 1, number);
        ++row;
    };
    for (auto it = unused.cbegin(); it != unused.cend(); ++it)
        put(it.key(), it.value());
    if (overflow > 0)
        put(m_state.msg(Text::OtherAddresses), overflow);
}

void TFNmeaMonitor::refreshCounters() {
    const Nmea::ReaderCounts& counts = m_monitor->counts();
    const qint64 values[] = {counts.lines,      counts.sentences, counts.checksumErrors,
                             counts.noChecksum, counts.longLines, counts.badLines};
    for (int i = 0; i < L_CounterValues.size(); ++i)
        L_CounterValues[i]->setText(QString::number(values[i]));
}

void TFNmeaMonitor::refreshLines() {
    m_linesRevision = m_monitor->revision();
    const QList<Nmea::RecentLine> lines = m_monitor->recentLines();
    LB_Lines->setUpdatesEnabled(false);
    while (LB_Lines->count() > lines.size())
        delete LB_Lines->takeItem(LB_Lines->count() - 1);
    while (LB_Lines->count() < lines.size())
        LB_Lines->addItem(new QListWidgetItem);
    for (int i = 0; i < lines.size(); ++i) {
        const Nmea::RecentLine& line = lines[i];
        QListWidgetItem* item = LB_Lines->item(i);
        QString text = Nmea::displayText(line.text);
        if (line.truncated)
            text += QStringLiteral("\u2026");
        const bool bad = line.kind != Nmea::LineKind::Sentence;
        item->setText(bad ? BadMark + text : text);
        item->setData(Qt::UserRole, static_cast<int>(line.kind));
        if (line.kind == Nmea::LineKind::Bad)
            item->setForeground(BadLineColour);
        else if (line.kind == Nmea::LineKind::ChecksumError)
            item->setForeground(ChecksumColour);
        else
            item->setForeground(QBrush());
    }
    LB_Lines->setUpdatesEnabled(true);
    LB_Lines->scrollToBottom();
}
