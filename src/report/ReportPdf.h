#pragma once

#include "core/review/CommissioningReport.h"

#include <QByteArray>
#include <QString>

// The commissioning report laid out on A4 pages by Qt's PDF writer: the facts, the ports and the
// network on the first page, then the rules, the data map as a picture, the findings and the lines
// to sign. Needs a QGuiApplication for its fonts.
namespace ReportPdf {

QByteArray pdf(const Review::CommissioningReport& report);

// Writes the PDF in one atomic replace; on failure the old file stays and error says why.
bool save(const QString& path, const Review::CommissioningReport& report, QString* error = nullptr);

} // namespace ReportPdf
