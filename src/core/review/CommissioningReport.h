#pragma once

#include "core/image/BankImage.h"
#include "core/review/DataMap.h"
#include "core/review/Review.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class MessageCatalog;

// What the commissioning report says, as texts in the catalog's language: the sheet the engineer
// signs and hands over. It is plain data, so that what goes in can be checked without painting;
// the report library lays it out on pages.
namespace Review {

struct ReportFact {
    QString label;
    QString value;
};

struct ReportTable {
    QStringList headings;
    QList<QStringList> rows; // as many cells as headings
};

// The image in the configuration's bin folder against the rules and parameters the report shows.
enum class StoredImage {
    Same,       // the image these rules and parameters compile to
    Missing,    // never compiled
    Differs,    // compiled from other rules or parameters
    Unreadable, // cannot be read, or is no image
    TooMany,    // more rules than an image holds: there can be no image
};

struct CommissioningReport {
    // The places of the facts.
    enum Fact { Configuration, Date, Program, Checksum, CompiledImage, Source };

    QString title;
    QString product;
    QList<ReportFact> facts; // in Fact order
    StoredImage image = StoredImage::Same;
    // The review's errors said on the first page, or empty: %1 left for the page of the findings.
    QString errorBanner;

    QString portsHeading;
    ReportTable ports;
    QString networkHeading;
    QList<ReportFact> network;
    // What the PLC engineer sets the connection up with: sizes from the PLC's side, the values'
    // model and byte orders, the Logix copy step, and blanks for what the converter's manual gives.
    QString connectionHeading;
    QList<ReportFact> connection;

    QString rulesHeading;
    ReportTable rules; // by first byte, as the PLC reads them
    QString noRules;

    // The data map as a picture: the bytes up to the end of the output array or of the last
    // rule, whichever is further.
    QString mapHeading;
    QList<CompiledRule> mapRules;
    quint32 outputBytes = 0;
    int mapBytes = 0;
    QStringList mapLegend; // the output array's end, bytes of several rules, bytes past the output

    QString findingsHeading;
    QString findingsSummary;
    ReportTable findings;
    QList<Severity> findingSeverities; // one a row of findings

    QString signatureIntro;
    QStringList signature; // the labels of the lines to fill in by hand
    QString pageNumber;    // %1 of %2
};

// Where the report's rules come from, said on the sheet.
enum class ReportSource { SavedDocuments, RowsAsTheyStand };

// The report of a review against the parameter block it was made with. storedImage is the file
// the configuration's image is kept in (bin/bank.bin), compared byte for byte with the image the
// rules and parameters compile to.
CommissioningReport commissioningReport(const Result& review, const BankImage& parameters,
                                        const QString& configuration, const QString& storedImage,
                                        ReportSource source, const QDateTime& created,
                                        const MessageCatalog& texts);

// The image a review's rules and the parameter block compile to, checksum included; none with
// more rules than an image holds.
std::optional<BankImage> compiledImage(const Result& review, const BankImage& parameters);

// The report of a configuration folder's saved documents, or error set when one cannot be read.
CommissioningReport folderReport(const QString& folder, const QDateTime& created, const MessageCatalog& texts,
                                 QString* error);

} // namespace Review
