#include "gui/nmea/TFDataMap.h"

#include "core/image/BankCompiler.h"
#include "core/language/TextSlots.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulesCheck.h"
#include "core/review/CommissioningReport.h"
#include "core/shell/ConfigurationFiles.h"
#include "core/shell/ProgramState.h"
#include "core/util/SafeSave.h"
#include "gui/shell/MessageBox.h"
#include "gui/shell/Pictures.h"
#include "gui/shell/WindowLook.h"
#include "report/ReportPdf.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QToolTip>
#include <algorithm>

namespace {

namespace Text = TextSlot::ReviewWindows;
namespace ReportText = TextSlot::Report;

constexpr int Rows = (Nmea::DataArraySize + DataMapView::BytesPerRow - 1) / DataMapView::BytesPerRow;
constexpr int ClientWidth = 1040;
constexpr int ClientHeight = 620;
constexpr int LegendMargin = 16;
constexpr int LegendGap = 8;   // above the first line of the legend
constexpr int LegendLine = 22; // a line of the legend with the gap below it
constexpr int ButtonPanelHeight = 40;

// Qt compares two empty lists by a memcmp of null pointers; the sizes settle that case.
bool sameRules(const QList<int>& a, const QList<int>& b) {
    return a.size() == b.size() && (a.isEmpty() || a == b);
}

// A swatch of colour before a legend text.
QString swatch(const QColor& colour, const QString& text) {
    return QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
        .arg(colour.name(), text.toHtmlEscaped());
}

} // namespace

DataMapView::DataMapView(const ProgramState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_owners(Nmea::DataArraySize) {
    setMouseTracking(true);
    setFixedSize(sizeHint());
}

QSize DataMapView::sizeHint() const {
    return {OffsetWidth + BytesPerRow * CellWidth + 1, HeaderHeight + Rows * CellHeight + 1};
}

QColor DataMapView::ruleColour(int order) {
    return MapColours::ruleColour(order);
}

void DataMapView::setReview(const Review::Result& review) {
    m_rules = review.compiled;
    m_output = review.outputBytes;
    for (QList<int>& owners : m_owners)
        owners.clear();
    for (int i = 0; i < m_rules.size(); ++i) {
        const Review::CompiledRule& rule = m_rules[i];
        const int end = std::min(rule.endByte(), Nmea::DataArraySize);
        for (int byte = std::max(rule.firstByte(), 0); byte < end; ++byte)
            m_owners[byte] << i;
    }
    update();
}

QRect DataMapView::byteRect(int byte) const {
    return {OffsetWidth + (byte % BytesPerRow) * CellWidth, HeaderHeight + (byte / BytesPerRow) * CellHeight,
            CellWidth, CellHeight};
}

int DataMapView::byteAt(const QPoint& point) const {
    const int x = point.x() - OffsetWidth;
    const int y = point.y() - HeaderHeight;
    if (x < 0 || y < 0 || x >= BytesPerRow * CellWidth)
        return -1;
    const int byte = (y / CellHeight) * BytesPerRow + x / CellWidth;
    return byte < Nmea::DataArraySize ? byte : -1;
}

QList<int> DataMapView::rulesAt(int byte) const {
    QList<int> numbers;
    if (byte >= 0 && byte < Nmea::DataArraySize) {
        for (int i : m_owners[byte])
            numbers << m_rules[i].rule;
    }
    return numbers;
}

int DataMapView::bytesInUse() const {
    return int(
        std::count_if(m_owners.begin(), m_owners.end(), [](const QList<int>& o) { return !o.isEmpty(); }));
}

QColor DataMapView::byteColour(int byte) const {
    const QList<int>& owners = m_owners[byte];
    if (owners.isEmpty())
        return MapColours::Free;
    return owners.size() > 1 ? Shared : ruleColour(owners.first());
}

QString DataMapView::byteToolTip(int byte) const {
    if (byte < 0 || byte >= Nmea::DataArraySize)
        return {};
    QStringList lines{m_state.msg(Text::MapByte).arg(byte)};
    const QList<int>& owners = m_owners[byte];
    if (owners.isEmpty())
        lines << m_state.msg(Text::MapByteFree);
    for (int i : owners) {
        const Review::CompiledRule& rule = m_rules[i];
        // A rule without a mnemonic is named by its sentence.
        const QString mnemonic = rule.mnemonic.simplified();
        const QString name = mnemonic.isEmpty() ? Nmea::sentenceName(rule.record.sentence)
                                                : QStringLiteral("\"%1\"").arg(mnemonic);
        lines << m_state.msg(Text::MapByteOfRule)
                     .arg(rule.rule)
                     .arg(name)
                     .arg(rule.firstByte())
                     .arg(rule.lastByte());
    }
    if (owners.size() > 1)
        lines << m_state.msg(Text::MapByteShared);
    if (quint32(byte) >= m_output)
        lines << m_state.msg(Text::MapBeyondOutput);
    return lines.join(u'\n');
}

QRect DataMapView::arrayEndMarker(int arrayBytes) const {
    if (arrayBytes < 0 || arrayBytes >= Nmea::DataArraySize)
        return {};
    const QRect cell = byteRect(arrayBytes);
    return {cell.left() - 1, cell.top(), 3, cell.height()};
}

void DataMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    QFont small = WindowLook::font(9);
    painter.setFont(small);
    const QFontMetrics metrics(small);

    // Offsets within a row above, the first byte of each row at the left.
    painter.setPen(WindowLook::TitleGrey);
    for (int col = 0; col < BytesPerRow; ++col)
        painter.drawText(QRect(OffsetWidth + col * CellWidth, 0, CellWidth, HeaderHeight), Qt::AlignCenter,
                         QStringLiteral("+%1").arg(col));
    const int firstRow = std::max(0, (event->rect().top() - HeaderHeight) / CellHeight);
    const int lastRow = std::min(Rows - 1, (event->rect().bottom() - HeaderHeight) / CellHeight);
    for (int row = firstRow; row <= lastRow; ++row)
        painter.drawText(QRect(0, HeaderHeight + row * CellHeight, OffsetWidth - 6, CellHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(row * BytesPerRow));

    // The output array is what the PLC receives; the input array carries the PLC's data the other
    // way and has no part in the rules.
    const quint32 reach = m_output;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int first = row * BytesPerRow;
        const int end = std::min(first + BytesPerRow, Nmea::DataArraySize);
        for (int byte = first; byte < end; ++byte) {
            const QRect cell = byteRect(byte);
            painter.fillRect(cell, byteColour(byte));
            if (quint32(byte) >= reach)
                painter.fillRect(cell, QBrush(Beyond, Qt::BDiagPattern));
            painter.setPen(MapColours::Grid);
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
        }
        // Each run of one rule's bytes in this row carries its number and mnemonic.
        painter.setPen(Qt::black);
        for (int byte = first; byte < end;) {
            const QList<int>& owners = m_owners[byte];
            int runEnd = byte + 1;
            while (runEnd < end && sameRules(m_owners[runEnd], owners))
                ++runEnd;
            if (owners.size() == 1) {
                const Review::CompiledRule& rule = m_rules[owners.first()];
                const QRect run = byteRect(byte).united(byteRect(runEnd - 1)).adjusted(2, 0, -2, 0);
                const QString label =
                    QStringLiteral("%1 %2").arg(rule.rule).arg(rule.mnemonic.simplified()).trimmed();
                painter.drawText(run, Qt::AlignCenter,
                                 metrics.elidedText(label, Qt::ElideRight, run.width()));
            }
            byte = runEnd;
        }
    }

    // The end of the output array.
    const QRect line = arrayEndMarker(int(std::min<quint32>(m_output, Nmea::DataArraySize)));
    if (!line.isNull())
        painter.fillRect(line.adjusted(0, -2, 0, 2), OutputMarker);
}

bool DataMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int byte = byteAt(help->pos());
        if (byte < 0)
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), byteToolTip(byte), this, byteRect(byte));
        return true;
    }
    return QWidget::event(event);
}

TFDataMap::TFDataMap(const ProgramState& state, QWidget* parent)
    : DialogBase(parent, QSize(ClientWidth, ClientHeight), Sizing::Resizable,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint),
      m_state(state) {
    setObjectName(QStringLiteral("FDataMap"));
    setMinimumSize(520, 300);
    P_Title = addTitlePanel();

    // Placed by layOut once their texts are known.
    const auto legend = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setTextFormat(Qt::RichText);
        return label;
    };
    L_Summary = legend("L_Summary");
    L_Input = legend("L_Input");
    L_Output = legend("L_Output");
    L_Shared = legend("L_Shared");
    L_Beyond = legend("L_Beyond");
    L_Summary->setTextFormat(Qt::PlainText);

    SB_Map = new QScrollArea(this);
    SB_Map->setObjectName(QStringLiteral("SB_Map"));
    SB_Map->setFrameShape(QFrame::NoFrame);
    Map = new DataMapView(m_state, SB_Map);
    Map->setObjectName(QStringLiteral("Map"));
    SB_Map->setWidget(Map);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    Btn_Close = WindowLook::button(P_Button, QRect(18, 6, 110, 28));
    Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
    Btn_Close->setIcon(Pictures::picture(Pictures::Kind::Close, 16));
    Btn_Close->setAutoDefault(false);
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::close);
    Btn_Export = WindowLook::button(P_Button, QRect(138, 6, 110, 28));
    Btn_Export->setObjectName(QStringLiteral("Btn_Export"));
    Btn_Export->setAutoDefault(false);
    connect(Btn_Export, &QPushButton::clicked, this, &TFDataMap::exportClicked);
    Btn_Report = WindowLook::button(P_Button, QRect(258, 6, 110, 28));
    Btn_Report->setObjectName(QStringLiteral("Btn_Report"));
    Btn_Report->setAutoDefault(false);
    connect(Btn_Report, &QPushButton::clicked, this, &TFDataMap::reportClicked);
    m_saveQuestion = [](QWidget* parent, const QString& title, const QString& suggested,
                        const QStringList& filters, QString* chosenFilter) {
        return QFileDialog::getSaveFileName(parent, title, suggested, filters.join(QStringLiteral(";;")),
                                            chosenFilter);
    };

    Set_Lang();
}

void TFDataMap::Set_Lang() {
    setWindowTitle(m_state.msg(Text::MapTitle));
    WindowLook::setLabelText(P_Title->L_SW_Desc, m_state.msg(Text::MapDescription));
    Btn_Close->setText(m_state.msg(Text::MapCloseButton));
    Btn_Close->setToolTip(m_state.msg(Text::MapCloseTip));
    Btn_Export->setText(m_state.msg(Text::MapExportButton));
    Btn_Export->setToolTip(m_state.msg(Text::MapExportTip));
    Btn_Report->setText(m_state.msg(ReportText::Button));
    Btn_Report->setToolTip(m_state.msg(ReportText::ButtonTip));
    WindowLook::setLabelText(L_Shared, swatch(DataMapView::Shared, m_state.msg(Text::MapShared)));
    showCounts();
}

void TFDataMap::showCounts() {
    WindowLook::setLabelText(
        L_Summary, m_state.msg(Text::MapRuleCount).arg(m_review.compiled.size()).arg(Map->bytesInUse()));
    WindowLook::setLabelText(L_Output, swatch(DataMapView::OutputMarker,
                                              m_state.msg(Text::MapOutputSize).arg(m_review.outputBytes)));
    // A note only: the input array plays no part in the rules.
    WindowLook::setLabelText(L_Input,
                             m_state.msg(Text::MapInputSize).arg(m_review.inputBytes).toHtmlEscaped());
    WindowLook::setLabelText(L_Beyond, swatch(DataMapView::Beyond, m_state.msg(Text::MapBeyondOutput)));
    layOut();
}

void TFDataMap::showReview(const Review::Result& review) {
    m_review = review;
    Map->setReview(review);
    showCounts();
}

void TFDataMap::resizeEvent(QResizeEvent* event) {
    DialogBase::resizeEvent(event);
    layOut();
}

void TFDataMap::layOut() {
    const int w = width();
    const int h = height();
    P_Title->setGeometry(0, 0, w, WindowLook::TitleHeight);
    // The legend runs left to right as wide as its texts are in the language shown, on a second
    // line where the window is too narrow for them.
    int left = LegendMargin;
    int top = WindowLook::TitleHeight + LegendGap;
    for (QLabel* label : {L_Summary, L_Output, L_Shared, L_Beyond, L_Input}) {
        label->adjustSize();
        if (left > LegendMargin && left + label->width() > w - LegendMargin) {
            left = LegendMargin;
            top += LegendLine;
        }
        label->move(left, top);
        left += label->width() + 24;
    }
    const int mapTop = top + LegendLine;
    SB_Map->setGeometry(0, mapTop, w, h - mapTop - ButtonPanelHeight);
    P_Button->setGeometry(0, h - ButtonPanelHeight, w, ButtonPanelHeight);
}

QStringList TFDataMap::exportFilters() const {
    QStringList filters;
    for (int k = 0; k < Text::MapExportFormats.count; ++k)
        filters << QStringLiteral("%1 (*.%2)")
                       .arg(m_state.msg(Text::MapExportFormats.first + k),
                            Review::formatSuffix(Review::MapFormat(k)));
    return filters;
}

void TFDataMap::exportClicked() {
    const QStringList filters = exportFilters();
    // The vendor structured text first: what most PLC engineers import.
    QString chosen = filters.value(int(Review::MapFormat::St));
    const QString suggested = QDir(m_state.Active_Conf_Dir)
                                  .filePath(QStringLiteral("%1.%2").arg(
                                      m_state.Active_Conf_Name, Review::formatSuffix(Review::MapFormat::St)));
    const QString path = m_saveQuestion(this, m_state.msg(Text::MapExportTitle), suggested, filters, &chosen);
    if (path.isEmpty())
        return;
    const qsizetype format = filters.indexOf(chosen);
    exportTo(path, format < 0 ? Review::MapFormat::St : Review::MapFormat(format));
}

bool TFDataMap::exportTo(const QString& path, Review::MapFormat format) {
    const QList<Review::MapEntry> entries = Review::dataMap(m_review);
    const Review::MapExport exported =
        Review::exportMap(entries, Review::mapHeader(m_review, m_state.Active_Conf_Name), format);
    if (!exported.error.isEmpty()) {
        MessageBox::error(this, m_state.msg(Text::MapExportRefused).arg(exported.error));
        return false;
    }
    QString error;
    if (!saveFileAtomically(path, exported.text.toUtf8(), &error)) {
        MessageBox::error(this, m_state.msg(Text::MapExportFailed).arg(error));
        return false;
    }
    return true;
}

void TFDataMap::reportClicked() {
    const QStringList filters{QStringLiteral("%1 (*.pdf)").arg(m_state.msg(ReportText::Filter))};
    QString chosen = filters.first();
    const QString suggested =
        QDir(m_state.Active_Conf_Dir).filePath(QStringLiteral("%1.pdf").arg(m_state.Active_Conf_Name));
    const QString path =
        m_saveQuestion(this, m_state.msg(ReportText::SaveTitle), suggested, filters, &chosen);
    if (!path.isEmpty())
        reportTo(path);
}

bool TFDataMap::reportTo(const QString& path) {
    // The ports and the network as saved: the rules window edits neither.
    BankImage parameters;
    CompileError error;
    if (!compileParameterDocument(m_state.File_ParGen, parameters, &error)) {
        MessageBox::error(this, m_state.msg(ReportText::Failed)
                                    .arg(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(error.file),
                                                                      error.message)));
        return false;
    }
    const Review::CommissioningReport report = Review::commissioningReport(
        m_review, parameters, m_state.Active_Conf_Name, ConfigurationFiles(m_state.Active_Conf_Dir).bank(),
        Review::ReportSource::RowsAsTheyStand, QDateTime::currentDateTime(), m_state.Msg_Catalog);
    QString saveError;
    if (!ReportPdf::save(path, report, &saveError)) {
        MessageBox::error(this, m_state.msg(ReportText::Failed).arg(saveError));
        return false;
    }
    return true;
}
