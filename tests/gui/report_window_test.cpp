// The data map window's Report button: the commissioning report of the rows as they stand, in the
// language chosen, read back from the PDF through poppler's pdftotext.
#include "PdfText.h"
#include "RulesWindowFixture.h"
#include "core/comm/ParGen.h"
#include "core/nmea/NmeaCatalog.h"
#include "gui/nmea/TFDataMap.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

Nmea::AccessRule rule(const char* sentence, int field, const char* position, const char* mnemonic) {
    Nmea::AccessRule r;
    r.Enable = true;
    r.Serial_Channel = QStringLiteral("RS232");
    r.Sentence = QLatin1String(sentence);
    r.DataField = Nmea::fieldText(Nmea::Find_Sentence(r.Sentence), field);
    r.PortOperation = QStringLiteral("None");
    r.Position = QLatin1String(position);
    r.Mnemonic = QLatin1String(mnemonic);
    return r;
}

class ReportWindowTest : public RulesWindowFixture {
protected:
    ReportWindowTest() : RulesWindowFixture(QStringLiteral("Ship")) {}
};

TEST_F(ReportWindowTest, ReportWritesTheRowsAsTheyStandInTheChosenLanguage) {
    ASSERT_TRUE(
        m_state.Msg_Catalog.Load_Lng_File(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE/Deutsch.lng")));
    m_state.Language_Name = QStringLiteral("Deutsch");
    m_main->Change_Language();
    ASSERT_TRUE(ParGen::save(m_state.File_ParGen, ParGenSet()));
    storeRules({rule("GGA", 6, "0", "Minutes"), rule("GGA", 11, "5", "Satellites")});
    open();
    QTest::mouseClick(m_window->Btn_DataMap, Qt::LeftButton);
    TFDataMap* map = m_window->dataMapWindow();
    ASSERT_NE(map, nullptr);
    // Beside Export and alike; the buttons before it keep their places.
    EXPECT_EQ(map->Btn_Close->geometry(), QRect(18, 6, 110, 28));
    EXPECT_EQ(map->Btn_Export->geometry(), QRect(138, 6, 110, 28));
    EXPECT_EQ(map->Btn_Report->geometry(), QRect(258, 6, 110, 28));
    EXPECT_EQ(map->Btn_Report->font(), map->Btn_Export->font());
    EXPECT_EQ(map->Btn_Report->text(), "Bericht");
    EXPECT_FALSE(map->Btn_Report->toolTip().isEmpty());

    // An edit not saved yet is in the report, as the map shows it.
    type(Mnemonic, 2, "Sats");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString title;
    QString suggested;
    QStringList offered;
    QString answer = folder.filePath("ship.pdf");
    map->setSaveQuestion([&](QWidget*, const QString& asked, const QString& path, const QStringList& filters,
                             QString* chosen) {
        title = asked;
        suggested = path;
        offered = filters;
        *chosen = filters.value(0);
        return answer;
    });
    QTest::mouseClick(map->Btn_Report, Qt::LeftButton);
    EXPECT_EQ(title, "Inbetriebnahmebericht speichern");
    EXPECT_EQ(offered, QStringList{"PDF-Dokument (*.pdf)"});
    EXPECT_TRUE(suggested.endsWith("/Ship.pdf")) << suggested.toStdString();
    ASSERT_TRUE(QFile::exists(answer)) << m_boxes.lastText().toStdString();
    const QString text = pdfText(answer);
    for (const QString& part :
         {QStringLiteral("Inbetriebnahmebericht EtherNet/IP / NMEA0183 - Converter Konfiguration Ship Datum"),
          QStringLiteral("Kompiliertes Abbild keines: bin/bank.bin fehlt."),
          QStringLiteral("Regeln aus den Zeilen des Regelfensters, wie sie stehen, gespeichert oder nicht"),
          QStringLiteral("Serielle Schnittstellen Schnittstelle Zustand Baudrate"),
          QStringLiteral("1 RS232 GGA %1 REAL wie gesendet - 0 bis 3 Minutes")
              .arg(Nmea::fieldText(Nmea::Find_Sentence("GGA"), 6)),
          QStringLiteral("Sats"), QStringLiteral("Befunde der Prüfung Prüfung: keine Befunde"),
          QStringLiteral("In Betrieb genommen und übergeben: Name Datum Unterschrift"),
          QStringLiteral("Seite 1 von ")})
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("Satellites"));

    // A file that cannot be written is told and nothing is left; no answer writes nothing.
    const size_t boxes = m_boxes.shown().size();
    answer = folder.filePath("gone/ship.pdf");
    QTest::mouseClick(map->Btn_Report, Qt::LeftButton);
    EXPECT_EQ(m_boxes.shown().size(), boxes + 1);
    EXPECT_TRUE(m_boxes.lastText().startsWith("Der Inbetriebnahmebericht kann nicht gespeichert werden: "))
        << m_boxes.lastText().toStdString();
    EXPECT_FALSE(QFile::exists(answer));
    answer.clear();
    QTest::mouseClick(map->Btn_Report, Qt::LeftButton);
    EXPECT_EQ(m_boxes.shown().size(), boxes + 1);

    m_boxes.setNextAnswer(MessageBox::Answer::Yes);
    QTest::mouseClick(m_window->Btn_Cancel, Qt::LeftButton);
    EXPECT_FALSE(m_window->isVisible());
}

} // namespace
