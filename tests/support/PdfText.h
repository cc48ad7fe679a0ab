#pragma once

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

// The text of a PDF as poppler's pdftotext reads it, in the order it was written, with every run of
// white space made one blank: a table cell's wrapped lines read as the one text they are.
inline QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000)) << "pdftotext (poppler-utils) did not run";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

// The number of pages of a PDF, from pdftotext's page breaks.
inline int pdfPages(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000));
    return int(process.readAllStandardOutput().count('\f'));
}
