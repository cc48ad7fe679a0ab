#include "report/ReportPdf.h"

#include "core/nmea/RulesCheck.h"
#include "core/util/SafeSave.h"
#include "report/MapColours.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace ReportPdf {

namespace {

using Review::CommissioningReport;
using Review::ReportFact;
using Review::ReportTable;

constexpr int Resolution = 300;   // dots an inch
constexpr double PageWidth = 210; // mm, A4
constexpr double PageHeight = 297;
constexpr double Margin = 15;
constexpr double FooterHeight = 8;
constexpr double CellPadding = 1;
constexpr int MapColumns = 32;

const QColor kText(0, 0, 0);
const QColor kMuted(90, 90, 90);
const QColor kLine(170, 170, 170);
const QColor kBand(228, 228, 228);
const QColor kAlert(190, 0, 0);

// Qt compares two empty lists by a memcmp of null pointers; the sizes settle that case.
bool sameRules(const QList<int>& a, const QList<int>& b) {
    return a.size() == b.size() && (a.isEmpty() || a == b);
}

double mm(double length) {
    return length * Resolution / 25.4;
}

QColor severityColour(Review::Severity severity) {
    switch (severity) {
    case Review::Severity::Error:
        return kAlert;
    case Review::Severity::Warning:
        return {190, 100, 0};
    case Review::Severity::Note:
        break;
    }
    return {40, 90, 160};
}

// Lays the report out from top to bottom, starting a page where the next piece does not fit.
// Run once to count the pages, then again to write them with "page x of y".
class PageWriter {
public:
    PageWriter(QPdfWriter& device, const CommissioningReport& report, int pageCount, int findingsPage)
        : m_device(device), m_report(report), m_pageCount(pageCount), m_findingsPage(findingsPage) {
        m_painter.begin(&m_device);
        startPage();
    }

    int finish() {
        footer();
        m_painter.end();
        return m_page;
    }

    void title() {
        const QFont big = font(18, true);
        place(big, m_report.title, kText, mm(0.5));
        place(font(10), m_report.product, kMuted, mm(3));
        rule();
        m_y += mm(2);
        facts(m_report.facts,
              m_report.image == Review::StoredImage::Same ? -1 : CommissioningReport::CompiledImage);
        if (!m_report.errorBanner.isEmpty()) {
            // Before the tables, so that nobody signs a sheet whose findings are pages away.
            m_y += mm(2);
            const QString text = m_report.errorBanner.arg(std::max(m_findingsPage, 1));
            const QFont f = font(10, true);
            const double height = textHeight(f, contentWidth() - mm(4), text) + mm(3);
            QPen pen(kAlert);
            pen.setWidthF(mm(0.4));
            m_painter.setPen(pen);
            m_painter.drawRect(QRectF(left(), m_y, contentWidth(), height));
            draw(f, QRectF(left() + mm(2), m_y + mm(1.5), contentWidth() - mm(4), height), text, kAlert);
            m_y += height + mm(1);
        }
    }

    int page() const { return m_page; }

    void heading(const QString& text, double keepWith) {
        const QFont f = font(12, true);
        const double height = textHeight(f, contentWidth(), text) + mm(2);
        if (!fits(height + keepWith))
            newPage();
        m_y += mm(4);
        place(f, text, kText, mm(1));
        rule();
        m_y += mm(1.5);
    }

    void paragraph(const QString& text, const QColor& colour = kText) {
        const QFont f = font(9);
        const double height = textHeight(f, contentWidth(), text);
        if (!fits(height))
            newPage();
        place(f, text, colour, mm(2));
    }

    // Label and value pairs; the value of row alert in red.
    void facts(const QList<ReportFact>& facts, int alert = -1) {
        const QFont label = font(9, true);
        const QFont value = font(9);
        // The labels' column as wide as the widest label, up to half the page.
        double labelWidth = mm(40);
        m_painter.setFont(label);
        for (const ReportFact& fact : facts)
            labelWidth =
                std::max(labelWidth, m_painter.boundingRect(QRectF(), 0, fact.label).width() + mm(4));
        labelWidth = std::min(labelWidth, contentWidth() / 2);
        const double valueWidth = contentWidth() - labelWidth;
        for (int k = 0; k < facts.size(); ++k) {
            const ReportFact& fact = facts[k];
            const double height = std::max(textHeight(label, labelWidth, fact.label),
                                           textHeight(value, valueWidth, fact.value)) +
                                  mm(1.2);
            if (!fits(height))
                newPage();
            draw(label, QRectF(left(), m_y, labelWidth, height), fact.label, kText);
            draw(value, QRectF(left() + labelWidth, m_y, valueWidth, height), fact.value,
                 k == alert ? kAlert : kText);
            m_y += height;
        }
    }

    // A table with its headings repeated on every page it runs onto; widths in mm. The first cell
    // of a row takes the row's colour when one is given.
    void table(const ReportTable& table, const QList<double>& widths,
               const QList<QColor>& firstCellColours = {}) {
        const QFont head = font(7.5, true);
        const QFont body = font(7.5);
        const double headHeight = rowHeight(head, widths, table.headings);
        bool headed = false;
        for (qsizetype r = 0; r < table.rows.size(); ++r) {
            const double height = rowHeight(body, widths, table.rows[r]);
            if (!fits(height + (headed ? 0 : headHeight))) {
                newPage();
                headed = false;
            }
            if (!headed) {
                m_painter.fillRect(QRectF(left(), m_y, contentWidth(), headHeight), kBand);
                drawRow(head, widths, table.headings, headHeight, {});
                headed = true;
            }
            drawRow(body, widths, table.rows[r], height, firstCellColours.value(r, kText));
        }
    }

    // The data array drawn as in the data map window: a row of 32 bytes a line, each rule's bytes in
    // its colour with its number and mnemonic, shared bytes red, bytes past the output array shaded
    // and its end marked.
    void map() {
        const int bytes =
            std::min((m_report.mapBytes + MapColumns - 1) / MapColumns * MapColumns, Nmea::DataArraySize);
        const int rows = (bytes + MapColumns - 1) / MapColumns;
        const QFont legendFont = font(8);
        const double legendHeight = 3 * (textHeight(legendFont, contentWidth(), QStringLiteral("X")) + mm(1));
        const double headerHeight = mm(4);
        const double minimumCell = mm(3.5);
        if (!fits(headerHeight + rows * minimumCell + legendHeight))
            newPage();
        const double offsetWidth = mm(10);
        const double cellWidth = (contentWidth() - offsetWidth) / MapColumns;
        const double cellHeight =
            rows == 0 ? 0
                      : std::clamp((bottom() - m_y - headerHeight - legendHeight - mm(2)) / rows, minimumCell,
                                   mm(7));
        if (rows == 0) {
            legend();
            return;
        }
        const double x0 = left() + offsetWidth;
        const double y0 = m_y + headerHeight;
        const auto cell = [&](int byte) {
            return QRectF(x0 + (byte % MapColumns) * cellWidth, y0 + (byte / MapColumns) * cellHeight,
                          cellWidth, cellHeight);
        };

        QVector<QList<int>> owners(bytes);
        for (qsizetype i = 0; i < m_report.mapRules.size(); ++i) {
            const Review::CompiledRule& rule = m_report.mapRules[i];
            for (int byte = std::max(rule.firstByte(), 0); byte < std::min(rule.endByte(), bytes); ++byte)
                owners[byte] << int(i);
        }

        const QFont offsets = font(5.5);
        m_painter.setFont(offsets);
        m_painter.setPen(kMuted);
        for (int col = 0; col < MapColumns; ++col)
            m_painter.drawText(QRectF(x0 + col * cellWidth, m_y, cellWidth, headerHeight), Qt::AlignCenter,
                               QStringLiteral("+%1").arg(col));
        for (int row = 0; row < rows; ++row)
            m_painter.drawText(QRectF(left(), y0 + row * cellHeight, offsetWidth - mm(1), cellHeight),
                               Qt::AlignRight | Qt::AlignVCenter, QString::number(row * MapColumns));

        QPen grid(MapColours::Grid);
        grid.setWidthF(mm(0.1));
        for (int byte = 0; byte < bytes; ++byte) {
            const QList<int>& o = owners[byte];
            const QColor colour = o.isEmpty()    ? MapColours::Free
                                  : o.size() > 1 ? MapColours::Shared
                                                 : MapColours::ruleColour(o.first());
            m_painter.fillRect(cell(byte), colour);
            if (quint32(byte) >= m_report.outputBytes)
                m_painter.fillRect(cell(byte), QBrush(MapColours::Beyond, Qt::BDiagPattern));
            m_painter.setPen(grid);
            m_painter.drawRect(cell(byte));
        }

        // Each run of one rule's bytes in a row carries its number and mnemonic.
        QFont label = font(std::min(6.0, cellHeight / mm(1) * 1.6));
        m_painter.setFont(label);
        m_painter.setPen(kText);
        const QFontMetricsF metrics(label, &m_device);
        for (int row = 0; row < rows; ++row) {
            const int first = row * MapColumns;
            const int end = std::min(first + MapColumns, bytes);
            for (int byte = first; byte < end;) {
                int runEnd = byte + 1;
                while (runEnd < end && sameRules(owners[runEnd], owners[byte]))
                    ++runEnd;
                if (owners[byte].size() == 1) {
                    const Review::CompiledRule& rule = m_report.mapRules[owners[byte].first()];
                    const QRectF run = cell(byte).united(cell(runEnd - 1)).adjusted(mm(0.4), 0, -mm(0.4), 0);
                    const QString text =
                        QStringLiteral("%1 %2").arg(rule.rule).arg(rule.mnemonic.simplified()).trimmed();
                    // The number alone where the mnemonic does not fit beside it.
                    const QString number = QString::number(rule.rule);
                    const QString shown = metrics.horizontalAdvance(text) <= run.width() ? text
                                          : metrics.horizontalAdvance(number) <= run.width()
                                              ? number
                                              : metrics.elidedText(text, Qt::ElideRight, run.width());
                    m_painter.drawText(run, Qt::AlignCenter, shown);
                }
                byte = runEnd;
            }
        }

        // The end of the output array.
        if (m_report.outputBytes < quint32(bytes)) {
            const QRectF end = cell(int(m_report.outputBytes));
            m_painter.fillRect(
                QRectF(end.left() - mm(0.35), end.top() - mm(0.5), mm(0.7), end.height() + mm(1)),
                MapColours::OutputMarker);
        }
        m_y = y0 + rows * cellHeight + mm(2);

        legend();
    }

    // Lines to fill in by hand, each with its label below it.
    void signature() {
        const double height = mm(34);
        if (!fits(height))
            newPage();
        m_y += mm(6);
        place(font(10, true), m_report.signatureIntro, kText, mm(12));
        const QFont label = font(8);
        const int count = int(m_report.signature.size());
        const double gap = mm(6);
        const double width = count ? (contentWidth() - gap * (count - 1)) / count : 0;
        QPen pen(kText);
        pen.setWidthF(mm(0.25));
        for (int k = 0; k < count; ++k) {
            const double x = left() + k * (width + gap);
            m_painter.setPen(pen);
            m_painter.drawLine(QPointF(x, m_y), QPointF(x + width, m_y));
            draw(label, QRectF(x, m_y + mm(1), width, mm(5)), m_report.signature[k], kMuted);
        }
        m_y += mm(8);
    }

private:
    // The map's legend, one swatch a line.
    void legend() {
        const QFont legendFont = font(8);
        const QColor swatches[] = {MapColours::OutputMarker, MapColours::Shared, MapColours::Beyond};
        for (int k = 0; k < m_report.mapLegend.size() && k < 3; ++k) {
            const double height =
                textHeight(legendFont, contentWidth() - mm(7), m_report.mapLegend[k]) + mm(1);
            const QRectF swatch(left(), m_y + mm(0.5), mm(5), height - mm(1.5));
            m_painter.fillRect(swatch, k == 2 ? MapColours::Free : swatches[k]);
            if (k == 2)
                m_painter.fillRect(swatch, QBrush(MapColours::Beyond, Qt::BDiagPattern));
            draw(legendFont, QRectF(left() + mm(7), m_y, contentWidth() - mm(7), height),
                 m_report.mapLegend[k], kText);
            m_y += height;
        }
    }

    double left() const { return mm(Margin); }
    double contentWidth() const { return mm(PageWidth - 2 * Margin); }
    double bottom() const { return mm(PageHeight - Margin - FooterHeight); }
    bool fits(double height) const { return m_y + height <= bottom() || m_y <= m_top + 1; }

    QFont font(double points, bool bold = false) const {
        // A sans-serif face every system has; the style hint alone does not choose one on each.
        QFont f;
        f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(points);
        f.setBold(bold);
        // Without ligatures, so that text copied from the PDF ("Configuration", "floating point")
        // is the text written.
        f.setStyleStrategy(QFont::PreferNoShaping);
        return f;
    }

    double textHeight(const QFont& f, double width, const QString& text) {
        m_painter.setFont(f);
        return m_painter
            .boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap,
                          text.isEmpty() ? QStringLiteral(" ") : text)
            .height();
    }

    void draw(const QFont& f, const QRectF& rect, const QString& text, const QColor& colour) {
        m_painter.setFont(f);
        m_painter.setPen(colour);
        m_painter.drawText(rect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    }

    // Text across the page at the current line, which then moves below it and the gap.
    void place(const QFont& f, const QString& text, const QColor& colour, double gap) {
        const double height = textHeight(f, contentWidth(), text);
        draw(f, QRectF(left(), m_y, contentWidth(), height), text, colour);
        m_y += height + gap;
    }

    void rule() {
        QPen pen(kLine);
        pen.setWidthF(mm(0.2));
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(left(), m_y), QPointF(left() + contentWidth(), m_y));
    }

    double rowHeight(const QFont& f, const QList<double>& widths, const QStringList& cells) {
        double height = 0;
        for (qsizetype k = 0; k < cells.size() && k < widths.size(); ++k)
            height = std::max(height, textHeight(f, mm(widths[k] - 2 * CellPadding), cells[k]));
        return height + mm(2 * CellPadding);
    }

    void drawRow(const QFont& f, const QList<double>& widths, const QStringList& cells, double height,
                 const QColor& firstColour) {
        double x = left();
        for (qsizetype k = 0; k < cells.size() && k < widths.size(); ++k) {
            const QRectF rect(x + mm(CellPadding), m_y + mm(CellPadding), mm(widths[k] - 2 * CellPadding),
                              height - mm(2 * CellPadding));
            draw(f, rect, cells[k], k == 0 && firstColour.isValid() ? firstColour : kText);
            x += mm(widths[k]);
        }
        m_y += height;
        QPen pen(kLine);
        pen.setWidthF(mm(0.1));
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(left(), m_y), QPointF(left() + contentWidth(), m_y));
    }

    void startPage() {
        ++m_page;
        m_y = mm(Margin);
        if (m_page > 1) {
            // A running head, so that a loose page still says what it belongs to.
            const QString head = QStringLiteral("%1 - %2").arg(
                m_report.title, m_report.facts.value(CommissioningReport::Configuration).value);
            place(font(8), head, kMuted, mm(1));
            rule();
            m_y += mm(3);
        }
        m_top = m_y;
    }

    void footer() {
        const QFont f = font(8);
        const QRectF line(left(), mm(PageHeight - Margin - FooterHeight / 2), contentWidth(),
                          mm(FooterHeight / 2));
        draw(f, line, m_report.product, kMuted);
        m_painter.setFont(f);
        m_painter.drawText(line, Qt::AlignRight | Qt::AlignTop,
                           m_report.pageNumber.arg(m_page).arg(std::max(m_pageCount, m_page)));
    }

    void newPage() {
        footer();
        m_device.newPage();
        startPage();
    }

    QPdfWriter& m_device;
    QPainter m_painter;
    const CommissioningReport& m_report;
    int m_pageCount = 0;
    int m_findingsPage = 0;
    int m_page = 0;
    double m_y = 0;
    double m_top = 0; // where the content of the current page starts
};

struct Written {
    int pages = 0;
    int findingsPage = 0;
};

Written write(QIODevice& output, const CommissioningReport& report, const Written& counted) {
    QPdfWriter device(&output);
    device.setResolution(Resolution);
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    device.setTitle(QStringLiteral("%1 - %2").arg(
        report.title, report.facts.value(CommissioningReport::Configuration).value));
    device.setCreator(report.facts.value(CommissioningReport::Program).value);

    PageWriter pages(device, report, counted.pages, counted.findingsPage);
    Written written;
    pages.title();
    pages.heading(report.portsHeading, mm(20));
    pages.table(report.ports, {24, 22, 30, 30, 37, 37});
    pages.heading(report.networkHeading, mm(20));
    pages.facts(report.network);
    pages.heading(report.connectionHeading, mm(20));
    pages.facts(report.connection);
    pages.heading(report.rulesHeading, mm(15));
    if (report.rules.rows.isEmpty())
        pages.paragraph(report.noRules);
    else
        pages.table(report.rules, {9, 13, 17, 32, 20, 25, 9, 18, 18, 19});
    pages.heading(report.mapHeading, mm(60));
    pages.map();
    pages.heading(report.findingsHeading, mm(15));
    written.findingsPage = pages.page();
    pages.paragraph(report.findingsSummary);
    QList<QColor> colours;
    for (Review::Severity severity : report.findingSeverities)
        colours << severityColour(severity);
    if (!report.findings.rows.isEmpty())
        pages.table(report.findings, {20, 22, 138}, colours);
    pages.signature();
    written.pages = pages.finish();
    return written;
}

} // namespace

QByteArray pdf(const Review::CommissioningReport& report) {
    // The first run counts the pages for the second one's page numbers and finds the findings' page.
    QBuffer count;
    count.open(QIODevice::WriteOnly);
    const Written counted = write(count, report, {});
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    write(output, report, counted);
    return output.data();
}

bool save(const QString& path, const Review::CommissioningReport& report, QString* error) {
    return saveFileAtomically(path, pdf(report), error);
}

} // namespace ReportPdf
