#include "gui/nmea/TFNmeaMonitor.h"

#include "core/comm/SerialLine.h"
#include "core/language/TextSlots.h"
#include "core/review/Review.h"
#include "core/shell/ProgramState.h"
#include "gui/review/ReviewMarks.h"
#include "gui/shell/WindowLook.h"
#include "platform/nmea/NmeaSourceModule.h"
#include "report/MapColours.h"

#include <QComboBox>
#include <QDateTime>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSplitter>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

namespace Text = TextSlot::NmeaMonitor;

constexpr int ClientWidth = 1160;
constexpr int ClientHeight = 760;
// Below this the tables have no room; the window is made no smaller to stand beside the rules.
constexpr int MinimumClientHeight = 520;
const QColor ChangedColour(255, 200, 120);
const QColor BadLineColour(200, 0, 0);
const QColor ChecksumColour(190, 100, 0);
const QColor NotDecodedColour(128, 128, 128);
// Marks a line that fed nothing: noise, a broken frame or a checksum that fails.
const QString BadMark = QStringLiteral("\u2717 ");

const int kRuleColumnWidths[TFNmeaMonitor::RuleColumns] = {55, 95, 70, 250, 45, 60, 60, 55, 120, 100, 100};
const int kAddressColumnWidths[TFNmeaMonitor::AddressColumns] = {90, 62, 48, 40};
const int kLineColumnWidths[TFNmeaMonitor::LineColumns] = {108, 100, 300, 90};
const QColor InvalidValueColour(150, 150, 150);

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

// Sets a cell's text, making the cell when it is not there yet.
QTableWidgetItem* put(QTableWidget* table, int row, int col, const QString& text, bool right = false) {
    QTableWidgetItem* item = table->item(row, col);
    if (!item) {
        item = readOnlyItem();
        if (right)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, col, item);
    }
    if (item->text() != text)
        item->setText(text);
    return item;
}

// Widens a column whose title, in the chosen language, is wider than its usual width.
void fitHeaders(QTableWidget* table, const int* widths) {
    const QFontMetrics metrics(table->horizontalHeader()->font());
    for (int col = 0; col < table->columnCount(); ++col) {
        const int title = metrics.horizontalAdvance(table->horizontalHeaderItem(col)->text()) + 16;
        table->setColumnWidth(col, std::max(widths[col], title));
    }
}

void setUpTable(QTableWidget* table, int columns, const int* widths) {
    table->setColumnCount(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(22);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setStretchLastSection(true);
    for (int col = 0; col < columns; ++col) {
        table->setHorizontalHeaderItem(col, new QTableWidgetItem);
        table->setColumnWidth(col, widths[col]);
    }
}

// The bytes as two hex digits each, a space between.
QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

const QStringList& TFNmeaMonitor::channels() {
    static const QStringList names = serialChannels();
    return names;
}

TFNmeaMonitor::TFNmeaMonitor(ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight), Sizing::Resizable,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                     Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
      m_state(state), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName(QStringLiteral("FNmeaMonitor"));
    setMinimumSize(900, MinimumClientHeight);
    buildLayout();
    m_shownRevisions.assign(size_t(m_channels.size()), ~quint64(0));

    m_refresh = new QTimer(this);
    m_refresh->setInterval(RefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TFNmeaMonitor::refresh);
    connect(CB_Channel, &QComboBox::currentIndexChanged, this, &TFNmeaMonitor::applyChannelFilter);
    connect(Btn_Clear, &QPushButton::clicked, this, &TFNmeaMonitor::Btn_ClearClick);
    connect(Btn_Pause, &QPushButton::toggled, this, [this] { refresh(); });
    connect(E_Filter, &QLineEdit::textChanged, this, [this] {
        m_linesStale = true;
        refreshLines();
    });
    connect(ASG_Lines, &QTableWidget::itemSelectionChanged, this, &TFNmeaMonitor::showHex);

    Set_Lang();
    fillRuleRows();
}

TFNmeaMonitor::~TFNmeaMonitor() = default;

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

    // A row of source controls for every channel, all listening at once.
    for (const QString& name : channels()) {
        auto* row = new MonitorChannel(m_state, name, this);
        row->setClock([this] { return now(); });
        body->addWidget(row);
        m_channels << row;
    }

    // Which channels the tables show, the findings, and Clear.
    auto* viewRow = new QHBoxLayout;
    viewRow->setSpacing(6);
    body->addSpacing(4);
    body->addLayout(viewRow);
    m_channelCaption = new QLabel(this);
    m_channelCaption->setFixedWidth(MonitorChannel::NameWidth);
    viewRow->addWidget(m_channelCaption);
    CB_Channel = new QComboBox(this);
    CB_Channel->setObjectName(QStringLiteral("CB_Channel"));
    CB_Channel->addItem(QString());
    CB_Channel->addItems(channels());
    CB_Channel->setFixedWidth(MonitorChannel::KindWidth);
    viewRow->addWidget(CB_Channel);
    viewRow->addSpacing(12);
    L_Findings = new QLabel(this);
    L_Findings->setObjectName(QStringLiteral("L_Findings"));
    L_Findings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long summary is cut at the window's edge; its tooltip holds every finding.
    L_Findings->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    viewRow->addWidget(L_Findings, 1);
    Btn_Clear = WindowLook::button(this, QRect(0, 0, 80, 24));
    Btn_Clear->setObjectName(QStringLiteral("Btn_Clear"));
    Btn_Clear->setAutoDefault(false);
    Btn_Clear->setMinimumSize(80, 24);
    viewRow->addWidget(Btn_Clear);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    body->addWidget(split, 1);

    ASG_Rules = new QTableWidget(0, RuleColumns, split);
    ASG_Rules->setObjectName(QStringLiteral("ASG_Rules"));
    setUpTable(ASG_Rules, RuleColumns, kRuleColumnWidths);
    // The raw text takes what the window gives beyond the columns' widths.
    ASG_Rules->horizontalHeader()->setStretchLastSection(false);
    ASG_Rules->horizontalHeader()->setSectionResizeMode(ColLast, QHeaderView::Stretch);

    auto* lower = new QWidget(split);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);

    // The addresses feeding rules and those feeding none side by side, the counts under both.
    auto* left = new QGridLayout;
    left->setHorizontalSpacing(8);
    lowerLayout->addLayout(left, 1);
    const auto addressList = [this, lower, left](QLabel*& title, const char* name, int column) {
        title = new QLabel(lower);
        title->setFont(WindowLook::font(11, true));
        title->setFixedHeight(24);
        left->addWidget(title, 0, column);
        auto* table = new QTableWidget(0, AddressColumns, lower);
        table->setObjectName(QString::fromLatin1(name));
        setUpTable(table, AddressColumns, kAddressColumnWidths);
        left->addWidget(table, 1, column);
        return table;
    };
    ASG_Used = addressList(L_Used, "ASG_Used", 0);
    ASG_Unused = addressList(L_Unused, "ASG_Unused", 1);
    auto* counters = new QGridLayout;
    counters->setHorizontalSpacing(12);
    left->addLayout(counters, 2, 0, 1, 2);
    for (int i = 0; i < Text::Counters.count; ++i) {
        auto* name = new QLabel(lower);
        auto* value = new QLabel(QStringLiteral("0"), lower);
        value->setObjectName(QStringLiteral("L_Counter_%1").arg(i));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(50);
        counters->addWidget(name, i / 3, (i % 3) * 2);
        counters->addWidget(value, i / 3, (i % 3) * 2 + 1);
        L_Counters << name;
        L_CounterValues << value;
    }

    auto* right = new QVBoxLayout;
    lowerLayout->addLayout(right, 1);
    lowerLayout->setSpacing(10);
    // The title's row holds the filter and the Pause button.
    auto* recentTitle = new QHBoxLayout;
    right->addLayout(recentTitle);
    L_Recent = new QLabel(lower);
    L_Recent->setFont(WindowLook::font(11, true));
    L_Recent->setFixedHeight(24);
    recentTitle->addWidget(L_Recent, 1);
    m_filterCaption = new QLabel(lower);
    recentTitle->addWidget(m_filterCaption);
    E_Filter = new QLineEdit(lower);
    E_Filter->setObjectName(QStringLiteral("E_Filter"));
    E_Filter->setClearButtonEnabled(true);
    E_Filter->setFixedWidth(160);
    recentTitle->addWidget(E_Filter);
    Btn_Pause = WindowLook::button(lower, QRect(0, 0, 80, 22));
    Btn_Pause->setObjectName(QStringLiteral("Btn_Pause"));
    Btn_Pause->setAutoDefault(false);
    Btn_Pause->setCheckable(true);
    Btn_Pause->setStyleSheet(Btn_Pause->styleSheet() +
                             QStringLiteral(" QPushButton:checked { background-color: #FF8000; }"));
    Btn_Pause->setFixedSize(80, 22);
    recentTitle->addWidget(Btn_Pause);
    ASG_Lines = new QTableWidget(0, LineColumns, lower);
    ASG_Lines->setObjectName(QStringLiteral("ASG_Lines"));
    setUpTable(ASG_Lines, LineColumns, kLineColumnWidths);
    ASG_Lines->setSelectionMode(QAbstractItemView::SingleSelection);
    ASG_Lines->setFont(QFont(QStringLiteral("Monospace"), 9));
    ASG_Lines->horizontalHeader()->setFont(font());
    ASG_Lines->horizontalHeader()->setStretchLastSection(false);
    ASG_Lines->horizontalHeader()->setSectionResizeMode(LineText, QHeaderView::Stretch);
    ASG_Lines->verticalHeader()->setDefaultSectionSize(18);
    right->addWidget(ASG_Lines, 1);
    E_Hex = new QPlainTextEdit(lower);
    E_Hex->setObjectName(QStringLiteral("E_Hex"));
    E_Hex->setReadOnly(true);
    E_Hex->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    E_Hex->setFont(QFont(QStringLiteral("Monospace"), 9));
    // A sentence of the longest the standard allows fits in three rows.
    E_Hex->setFixedHeight(3 * QFontMetrics(E_Hex->font()).lineSpacing() + 12);
    right->addWidget(E_Hex);

    // The Output array as the PLC would receive it, under everything else: its title beside it and
    // three lines of 16 bytes in view, so that the tables above keep their room.
    auto* output = new QWidget(split);
    auto* outputLayout = new QHBoxLayout(output);
    outputLayout->setContentsMargins(0, 4, 0, 0);
    outputLayout->setSpacing(10);
    L_Output = new QLabel(output);
    L_Output->setObjectName(QStringLiteral("L_Output"));
    L_Output->setFont(WindowLook::font(11, true));
    L_Output->setWordWrap(true);
    L_Output->setFixedWidth(MonitorChannel::NameWidth + MonitorChannel::KindWidth + 6);
    L_Output->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    outputLayout->addWidget(L_Output);
    E_Output = new QTextEdit(output);
    E_Output->setObjectName(QStringLiteral("E_Output"));
    E_Output->setReadOnly(true);
    E_Output->setLineWrapMode(QTextEdit::NoWrap);
    E_Output->setFont(QFont(QStringLiteral("Monospace"), 9));
    E_Output->setFixedHeight(3 * QFontMetrics(E_Output->font()).lineSpacing() + 12);
    outputLayout->addWidget(E_Output, 1);
    output->setFixedHeight(E_Output->height() + 4);

    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 0);
}

void TFNmeaMonitor::Set_Lang() {
    setWindowTitle(m_state.msg(Text::Title));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::Description));
    for (MonitorChannel* row : m_channels)
        row->Set_Lang();
    if (!m_channels.isEmpty())
        CB_Channel->setFixedWidth(m_channels.first()->kindWidth());
    m_channelCaption->setText(m_state.msg(TextSlot::NmeaAccess::ChannelHeader));
    CB_Channel->setItemText(0, m_state.msg(Text::AllChannels));
    CB_Channel->setToolTip(m_state.msg(Text::ChannelFilterTip));
    Btn_Clear->setText(m_state.msg(Text::Buttons.at(2)));
    Btn_Clear->setToolTip(m_state.msg(Text::ButtonTips.at(2)));
    Btn_Pause->setText(m_state.msg(Text::PauseButton));
    Btn_Pause->setToolTip(m_state.msg(Text::PauseTip));
    m_filterCaption->setText(m_state.msg(Text::FilterLabel));
    E_Filter->setToolTip(m_state.msg(Text::FilterTip));

    const int ruleHeaders[RuleColumns] = {Text::RuleHeader,
                                          TextSlot::NmeaAccess::ChannelHeader,
                                          TextSlot::NmeaAccess::SentenceHeader,
                                          TextSlot::NmeaAccess::FieldHeader,
                                          TextSlot::NmeaAccess::IndexHeader,
                                          Text::BytesHeader,
                                          Text::HitsHeader,
                                          Text::EmptyHeader,
                                          Text::LastHeader,
                                          Text::ValueHeader,
                                          Text::SinceHeader};
    for (int col = 0; col < RuleColumns; ++col)
        ASG_Rules->horizontalHeaderItem(col)->setText(m_state.msg(ruleHeaders[col]));
    ASG_Rules->horizontalHeaderItem(ColEmpty)->setToolTip(m_state.msg(Text::EmptyTip));
    const int addressHeaders[AddressColumns] = {TextSlot::NmeaAccess::ChannelHeader,
                                                TextSlot::NmeaAccess::SentenceHeader, Text::CountHeader,
                                                Text::RateHeader};
    for (int col = 0; col < AddressColumns; ++col) {
        ASG_Used->horizontalHeaderItem(col)->setText(m_state.msg(addressHeaders[col]));
        ASG_Unused->horizontalHeaderItem(col)->setText(m_state.msg(addressHeaders[col]));
    }
    L_Used->setText(m_state.msg(Text::UsedTitle));
    const int lineHeaders[LineColumns] = {Text::TimeHeader, TextSlot::NmeaAccess::ChannelHeader,
                                          Text::LineHeader, Text::ReasonHeader};
    for (int col = 0; col < LineColumns; ++col)
        ASG_Lines->horizontalHeaderItem(col)->setText(m_state.msg(lineHeaders[col]));
    fitHeaders(ASG_Rules, kRuleColumnWidths);
    fitHeaders(ASG_Used, kAddressColumnWidths);
    fitHeaders(ASG_Unused, kAddressColumnWidths);
    fitHeaders(ASG_Lines, kLineColumnWidths);
    L_Unused->setText(m_state.msg(Text::UnusedTitle));
    for (int i = 0; i < L_Counters.size(); ++i)
        L_Counters[i]->setText(m_state.msg(Text::Counters.at(i)));
    L_Recent->setText(m_state.msg(Text::RecentTitle));
    L_Output->setText(m_state.msg(Text::OutputTitle));
    E_Output->setToolTip(m_state.msg(Text::OutputTip));
    // Texts inside the tables ("not decoded", the ages, the reasons) are drawn again.
    std::fill(m_shownRevisions.begin(), m_shownRevisions.end(), ~quint64(0));
    m_linesStale = true;
    refresh();
}

MonitorChannel* TFNmeaMonitor::channel(const QString& name) const {
    // Any spelling the rules accept: "RS485 1" is "RS485 / RS422".
    const QString wanted = Nmea::channelNamed(name);
    for (MonitorChannel* row : m_channels) {
        if (!wanted.isEmpty() && Nmea::channelNamed(row->channel()) == wanted)
            return row;
    }
    return nullptr;
}

void TFNmeaMonitor::setStallAfter(qint64 ms) {
    for (MonitorChannel* row : m_channels)
        row->setStallAfter(ms);
}

void TFNmeaMonitor::setUdpAddress(const QString& address) {
    for (MonitorChannel* row : m_channels)
        row->setUdpAddress(address);
}

void TFNmeaMonitor::setConfiguration(const Nmea::RuleTable& rules, const ParGenSet& parameters) {
    m_parameters = parameters;
    if (isVisible()) {
        setRules(rules);
        return;
    }
    for (MonitorChannel* row : m_channels)
        row->reset(rules, serialLineOf(parameters, row->channel()));
    fillRuleRows();
    compileOutputArray(rules);
}

void TFNmeaMonitor::setRules(const Nmea::RuleTable& rules) {
    for (MonitorChannel* row : m_channels)
        row->setRules(rules);
    fillRuleRows();
    compileOutputArray(rules);
}

void TFNmeaMonitor::compileOutputArray(const Nmea::RuleTable& rules) {
    const Review::Result review = Review::reviewTable(rules, m_parameters);
    m_output = Review::OutputArray(review.compiled, review.outputBytes);
    m_outputStale = true;
    refreshOutput();
}

void TFNmeaMonitor::refreshOutput() {
    for (MonitorChannel* row : m_channels)
        m_output.placeFeeds(row->monitor().rules());
    if (!m_outputStale && m_output.bytes() == m_outputShown)
        return;
    m_outputStale = false;
    m_outputShown = m_output.bytes();
    // Each rule's bytes in its data map colour; bytes two rules write in the colour of shared bytes.
    const std::vector<Review::OutputRule>& rules = m_output.rules();
    std::vector<int> order(size_t(m_outputShown.size()), -1);
    for (size_t i = 0; i < rules.size(); ++i) {
        for (int b = std::max(rules[i].firstByte, 0);
             b < rules[i].firstByte + rules[i].size && b < m_outputShown.size(); ++b)
            order[size_t(b)] = order[size_t(b)] < 0 ? int(i) : -2;
    }
    QString html = QStringLiteral("<pre style=\"margin:0\">");
    for (int at = 0; at < m_outputShown.size(); at += 16) {
        html += QStringLiteral("<span style=\"color:#808080\">%1:</span>").arg(at, 4, 16, QLatin1Char('0'));
        for (int b = at; b < std::min<int>(at + 16, int(m_outputShown.size())); ++b) {
            const QString byte = QStringLiteral("%1").arg(quint8(m_outputShown[b]), 2, 16, QLatin1Char('0'));
            const int o = order[size_t(b)];
            html += u' ';
            if (o == -1)
                html += byte;
            else
                html += QStringLiteral("<span style=\"background-color:%1\">%2</span>")
                            .arg((o == -2 ? MapColours::Shared : MapColours::ruleColour(o)).name(), byte);
        }
        html += u'\n';
    }
    html += QStringLiteral("</pre>");
    const int scrolled = E_Output->verticalScrollBar()->value();
    E_Output->setHtml(html);
    E_Output->verticalScrollBar()->setValue(scrolled);
}

void TFNmeaMonitor::opened() {
    placeBesideOwner();
    const QStringList ports = Platform::NmeaSourceModule::serialPorts();
    for (MonitorChannel* row : m_channels)
        row->refreshPorts(ports);
    m_refresh->start();
}

void TFNmeaMonitor::closed() {
    // Closing the window ends the listening; minimising it does not.
    for (MonitorChannel* row : m_channels) {
        row->stopSource();
        row->endRecording();
    }
    m_refresh->stop();
}

TFNmeaMonitor::Placement TFNmeaMonitor::besideRules(const QRect& area, const QRect& rules, QSize monitor,
                                                    int minHeight) {
    const int areaEnd = area.y() + area.height();
    const int left =
        std::clamp(rules.x(), area.x(), std::max(area.x(), area.x() + area.width() - monitor.width()));
    if (areaEnd - (rules.y() + rules.height()) >= monitor.height())
        return {rules.topLeft(), QRect(QPoint(left, rules.y() + rules.height()), monitor)};
    if (rules.y() - area.y() >= monitor.height())
        return {rules.topLeft(), QRect(QPoint(left, rules.y() - monitor.height()), monitor)};
    const int top = area.y() + rules.height();
    const int height = std::max(minHeight, std::min(monitor.height(), areaEnd - top));
    return {QPoint(rules.x(), area.y()),
            QRect(left, std::min(top, areaEnd - height), monitor.width(), height)};
}

void TFNmeaMonitor::placeBesideOwner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : nullptr;
    if (!owner || !owner->isVisible() || !screen)
        return;
    // What the frame adds to the client area.
    const QSize frameExtra = frameGeometry().size() - size();
    const Placement placed =
        besideRules(screen->availableGeometry(), owner->frameGeometry(),
                    QSize(width(), ClientHeight) + frameExtra, MinimumClientHeight + frameExtra.height());
    owner->move(placed.rulesAt);
    resize(placed.monitor.size() - frameExtra);
    move(placed.monitor.topLeft());
}

void TFNmeaMonitor::Btn_ClearClick() {
    for (MonitorChannel* row : m_channels)
        row->monitor().clear();
    m_output.clear();
    ASG_Lines->setRowCount(0);
    m_shownLines.clear();
    E_Hex->clear();
    std::fill(m_shownRevisions.begin(), m_shownRevisions.end(), ~quint64(0));
    m_linesStale = true;
    refresh();
}

bool TFNmeaMonitor::channelShown(int channel) const {
    return CB_Channel->currentIndex() <= 0 || CB_Channel->currentIndex() - 1 == channel;
}

void TFNmeaMonitor::applyChannelFilter() {
    for (int row = 0; row < int(m_ruleRows.size()); ++row)
        ASG_Rules->setRowHidden(row, !channelShown(m_ruleRows[size_t(row)].channel));
    std::fill(m_shownRevisions.begin(), m_shownRevisions.end(), ~quint64(0));
    m_linesStale = true;
    refresh();
}

void TFNmeaMonitor::fillRuleRows() {
    // Every channel's rules in the order of the rules window.
    m_ruleRows.clear();
    for (int c = 0; c < m_channels.size(); ++c) {
        const int count = int(m_channels[c]->monitor().rules().size());
        for (int i = 0; i < count; ++i)
            m_ruleRows.push_back({c, i});
    }
    const auto ruleOf = [this](const RuleRow& row) -> const Nmea::RuleFeed& {
        return m_channels[row.channel]->monitor().rules()[size_t(row.index)];
    };
    std::stable_sort(m_ruleRows.begin(), m_ruleRows.end(),
                     [&](const RuleRow& a, const RuleRow& b) { return ruleOf(a).rule < ruleOf(b).rule; });

    ASG_Rules->clearContents();
    ASG_Rules->setRowCount(int(m_ruleRows.size()));
    for (int row = 0; row < int(m_ruleRows.size()); ++row) {
        const Nmea::RuleFeed& rule = ruleOf(m_ruleRows[size_t(row)]);
        QString index;
        if (rule.index)
            index = QString::number(*rule.index);
        const QString texts[RuleColumns] = {QString::number(rule.rule),
                                            channels().value(m_ruleRows[size_t(row)].channel),
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
            const bool right =
                col == ColIndex || col == ColHits || col == ColEmpty || col == ColValue || col == ColSince;
            put(ASG_Rules, row, col, texts[col], right);
        }
    }
    applyChannelFilter();
}

bool TFNmeaMonitor::receivedSinceShown() const {
    for (int c = 0; c < m_channels.size(); ++c) {
        if (m_channels[c]->monitor().revision() != m_shownRevisions[size_t(c)])
            return true;
    }
    return false;
}

void TFNmeaMonitor::refresh() {
    const qint64 t = now();
    bool sourceFindingsMoved = false;
    for (MonitorChannel* row : m_channels)
        sourceFindingsMoved = row->updateStatus(t) || sourceFindingsMoved;
    if (sourceFindingsMoved)
        refreshFindings(t);
    if (receivedSinceShown()) {
        m_linesStale = true;
        refreshRules(t);
        refreshAddresses(t);
        refreshCounters();
        refreshTimes(t);
        refreshOutput();
        refreshFindings(t);
        for (int c = 0; c < m_channels.size(); ++c)
            m_shownRevisions[size_t(c)] = m_channels[c]->monitor().revision();
    } else if (m_highlightShown || t - m_timesShownAt >= 1000) {
        // Ages, rates and the findings that come with time (a rule gone quiet, a wrong baud rate).
        const bool everySecond = t - m_timesShownAt >= 1000;
        refreshTimes(t);
        if (everySecond) {
            refreshAddresses(t);
            refreshFindings(t);
        }
    }
    if (m_linesStale && linesFollow())
        refreshLines();
}

QString TFNmeaMonitor::faultText(Nmea::LineFault fault) const {
    switch (fault) {
    case Nmea::LineFault::None:
        return {};
    case Nmea::LineFault::Checksum:
        return m_state.msg(Text::ReasonChecksum);
    case Nmea::LineFault::Cut:
        return m_state.msg(Text::ReasonCut);
    case Nmea::LineFault::TooLong:
        return m_state.msg(Text::ReasonTooLong);
    case Nmea::LineFault::NotPrintable:
        return m_state.msg(Text::ReasonNotPrintable);
    case Nmea::LineFault::NoAddress:
        return m_state.msg(Text::ReasonNoAddress);
    }
    return {};
}

bool TFNmeaMonitor::linesFollow() const {
    // Scrolled back to read, or paused, the rows hold still.
    const QScrollBar* bar = ASG_Lines->verticalScrollBar();
    return !Btn_Pause->isChecked() && bar->value() == bar->maximum();
}

void TFNmeaMonitor::refreshRules(qint64 /*now*/) {
    const QString notDecoded = m_state.msg(Text::NotDecoded);
    for (int row = 0; row < int(m_ruleRows.size()); ++row) {
        const RuleRow& at = m_ruleRows[size_t(row)];
        const Nmea::RuleFeed& rule = m_channels[at.channel]->monitor().rules()[size_t(at.index)];
        put(ASG_Rules, row, ColHits, QString::number(rule.hits));
        put(ASG_Rules, row, ColEmpty, QString::number(rule.empty));
        QTableWidgetItem* last = ASG_Rules->item(row, ColLast);
        if (!rule.decoded && rule.hits > 0) {
            last->setText(notDecoded);
            last->setForeground(NotDecodedColour);
        } else {
            last->setText(rule.last);
            last->setForeground(QBrush());
        }
        // A text field (a hemisphere, a unit, a status) shows its text as the value.
        QString value;
        if (rule.value)
            value = Nmea::valueText(*rule.value);
        else if (!rule.numeric && rule.decoded)
            value = rule.last;
        QTableWidgetItem* shown = put(ASG_Rules, row, ColValue, value);
        // The sentence itself says the value is not valid: shown, but marked.
        shown->setForeground(rule.lastInvalid ? QBrush(InvalidValueColour) : QBrush());
        shown->setToolTip(rule.lastInvalid ? m_state.msg(Text::InvalidValueTip) : QString());
        QFont font = shown->font();
        if (font.strikeOut() != rule.lastInvalid) {
            font.setStrikeOut(rule.lastInvalid);
            shown->setFont(font);
        }
    }
}

QString TFNmeaMonitor::age(qint64 ms) const {
    ms = std::max<qint64>(ms, 0);
    // Tenths up to ten seconds, then whole seconds, minutes and hours.
    if (ms < 10000)
        return m_state.msg(Text::SecondsAgo).arg(double(ms) / 1000.0, 0, 'f', 1);
    const qint64 s = ms / 1000;
    if (s < 120)
        return m_state.msg(Text::SecondsAgo).arg(s);
    if (s < 7200)
        return m_state.msg(Text::MinutesAgo).arg(s / 60);
    return m_state.msg(Text::HoursAgo).arg(s / 3600);
}

void TFNmeaMonitor::refreshTimes(qint64 now) {
    m_timesShownAt = now;
    m_highlightShown = false;
    for (int row = 0; row < int(m_ruleRows.size()); ++row) {
        const RuleRow& at = m_ruleRows[size_t(row)];
        const Nmea::RuleFeed& rule = m_channels[at.channel]->monitor().rules()[size_t(at.index)];
        put(ASG_Rules, row, ColSince, rule.lastAt < 0 ? QString() : age(now - rule.lastAt));
        const bool changed = rule.changedAt >= 0 && now - rule.changedAt < HighlightMs;
        m_highlightShown = m_highlightShown || changed;
        const QBrush background = changed ? QBrush(ChangedColour) : QBrush();
        if (ASG_Rules->item(row, ColRule)->background() != background) {
            for (int col = 0; col < RuleColumns; ++col)
                ASG_Rules->item(row, col)->setBackground(background);
        }
    }
}

void TFNmeaMonitor::refreshAddresses(qint64 now) {
    const auto fill = [this, now](QTableWidget* table, bool used) {
        int row = 0;
        const auto add = [table, &row](const QString& channel, const QString& name, qint64 count,
                                       const QString& rate) {
            if (table->rowCount() <= row)
                table->setRowCount(row + 1);
            put(table, row, AddressChannel, channel);
            put(table, row, AddressName, name);
            put(table, row, AddressCount, QString::number(count), true);
            put(table, row, AddressRate, rate, true);
            ++row;
        };
        for (int c = 0; c < m_channels.size(); ++c) {
            if (!channelShown(c))
                continue;
            const Nmea::Monitor& monitor = m_channels[c]->monitor();
            const QMap<QString, qint64> addresses = used ? monitor.used() : monitor.unused();
            for (auto it = addresses.cbegin(); it != addresses.cend(); ++it)
                add(channels()[c], it.key(), it.value(),
                    QString::number(monitor.rate(it.key(), now), 'f', 1));
            if (!used && monitor.unusedOverflow() > 0)
                add(channels()[c], m_state.msg(Text::OtherAddresses), monitor.unusedOverflow(), QString());
        }
        table->setRowCount(row);
    };
    fill(ASG_Used, true);
    fill(ASG_Unused, false);
}

void TFNmeaMonitor::refreshFindings(qint64 now) {
    if (m_findingMark.isNull())
        m_findingMark = QIcon(ReviewMarks::picture(Review::Severity::Warning, 12));
    // Rule by rule, and the sources' own (a wrong baud rate) named by their channel.
    QMap<int, QStringList> byRule;
    QStringList all;
    for (int c = 0; c < m_channels.size(); ++c) {
        if (!channelShown(c))
            continue;
        for (const Nmea::MonitorFinding& finding :
             m_channels[c]->monitor().findings(now, m_state.Msg_Catalog)) {
            byRule[finding.rule] << finding.message;
            all << finding.message;
        }
        if (const std::optional<Nmea::MonitorFinding> wrong = m_channels[c]->wrongBaud(now))
            all << channels()[c] + QStringLiteral(": ") + wrong->message;
    }
    // A value the Output array cannot hold, for the rules of the channels shown.
    QSet<int> shownRules;
    for (const RuleRow& at : m_ruleRows) {
        if (channelShown(at.channel))
            shownRules.insert(m_channels[at.channel]->monitor().rules()[size_t(at.index)].rule);
    }
    for (const Nmea::MonitorFinding& finding : Review::overflowFindings(m_output, m_state.Msg_Catalog)) {
        if (!shownRules.contains(finding.rule))
            continue;
        byRule[finding.rule] << finding.message;
        all << finding.message;
    }
    for (int row = 0; row < int(m_ruleRows.size()); ++row) {
        const RuleRow& at = m_ruleRows[size_t(row)];
        const Nmea::RuleFeed& rule = m_channels[at.channel]->monitor().rules()[size_t(at.index)];
        const QStringList messages = byRule.value(rule.rule);
        QTableWidgetItem* number = ASG_Rules->item(row, ColRule);
        QStringList tip = messages;
        if (!rule.mnemonic.isEmpty())
            tip.prepend(rule.mnemonic);
        number->setIcon(messages.isEmpty() ? QIcon() : m_findingMark);
        number->setToolTip(tip.join(u'\n'));
        number->setData(Qt::UserRole, messages.size());
    }
    L_Findings->setText(all.isEmpty() ? m_state.msg(Text::NoFindings)
                                      : m_state.msg(Text::FindingsSummary).arg(all.size()) +
                                            all.join(QStringLiteral("; ")));
    L_Findings->setToolTip(all.join(u'\n'));
}

void TFNmeaMonitor::refreshCounters() {
    qint64 values[6] = {};
    for (int c = 0; c < m_channels.size(); ++c) {
        if (!channelShown(c))
            continue;
        const Nmea::ReaderCounts& counts = m_channels[c]->monitor().counts();
        const qint64 of[] = {counts.lines,      counts.sentences, counts.checksumErrors,
                             counts.noChecksum, counts.longLines, counts.badLines};
        for (int i = 0; i < 6; ++i)
            values[i] += of[i];
    }
    for (int i = 0; i < L_CounterValues.size(); ++i)
        L_CounterValues[i]->setText(QString::number(values[i]));
}

void TFNmeaMonitor::refreshLines() {
    m_linesStale = false;
    // The shown channels' last lines, in the order received.
    struct Line {
        int channel;
        Nmea::RecentLine line;
    };
    std::vector<Line> lines;
    for (int c = 0; c < m_channels.size(); ++c) {
        if (!channelShown(c))
            continue;
        for (const Nmea::RecentLine& line : m_channels[c]->monitor().recentLines())
            lines.push_back({c, line});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.line.at < b.line.at; });
    const QString filter = E_Filter->text().trimmed();
    std::vector<std::pair<Line, QString>> shown;
    for (Line& line : lines) {
        QString text = Nmea::displayText(line.line.text);
        if (line.line.truncated)
            text += QStringLiteral("\u2026");
        if (filter.isEmpty() || text.contains(filter, Qt::CaseInsensitive))
            shown.emplace_back(std::move(line), std::move(text));
    }
    const int history = m_channels.isEmpty() ? 0 : m_channels.first()->monitor().history();
    if (int(shown.size()) > history)
        shown.erase(shown.begin(), shown.end() - history);

    ASG_Lines->setUpdatesEnabled(false);
    ASG_Lines->setRowCount(int(shown.size()));
    m_shownLines.resize(shown.size());
    for (int row = 0; row < int(shown.size()); ++row) {
        const Line& line = shown[size_t(row)].first;
        const QString& text = shown[size_t(row)].second;
        m_shownLines[size_t(row)].bytes = line.line.text;
        const bool bad = line.line.kind != Nmea::LineKind::Sentence;
        const QString cells[LineColumns] = {
            QDateTime::fromMSecsSinceEpoch(line.line.at).toString(QStringLiteral("HH:mm:ss.zzz")),
            channels()[line.channel], bad ? BadMark + text : text, faultText(line.line.fault)};
        const QBrush colour = line.line.kind == Nmea::LineKind::Bad             ? QBrush(BadLineColour)
                              : line.line.kind == Nmea::LineKind::ChecksumError ? QBrush(ChecksumColour)
                                                                                : QBrush();
        for (int col = 0; col < LineColumns; ++col)
            put(ASG_Lines, row, col, cells[col])->setForeground(colour);
        ASG_Lines->item(row, LineText)->setData(Qt::UserRole, static_cast<int>(line.line.kind));
    }
    ASG_Lines->setUpdatesEnabled(true);
    ASG_Lines->scrollToBottom();
    showHex();
}

void TFNmeaMonitor::showHex() {
    const int row = ASG_Lines->currentRow();
    E_Hex->setPlainText(row >= 0 && row < int(m_shownLines.size()) ? hexBytes(m_shownLines[size_t(row)].bytes)
                                                                   : QString());
}
