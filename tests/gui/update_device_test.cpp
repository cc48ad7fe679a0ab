#include "ProgramFixture.h"
#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/language/Language.h"
#include "gui/review/TFReviewFindings.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/update/TFBoot.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

const QString kSamples = QStringLiteral(TESSELLOR_TEST_DATA "/image/");
const QString kConfiguration = QStringLiteral("PROJECTS/Ship/");

QByteArray sample(const QString& relative) {
    QFile file(kSamples + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray rulesDocument(int activeRules) {
    QByteArray rows;
    for (int i = 0; i < activeRules; ++i)
        rows += "<row Enable=\"Y\" Serial_Channel=\"RS232\" Sentence=\"GGA\" "
                "DataField=\"Number of satellites in use [decimal]\" Position=\"" +
                QByteArray::number(i) + "\"/>";
    return "<NMEA_0183><NMEA_Listener>" + rows + "</NMEA_Listener></NMEA_0183>";
}

class UpdateDeviceTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(QStringLiteral("Ship"));
    }

    // Presses Update Device; tells whether the update window opened (it is closed again at once).
    bool pressUpdateDevice() {
        bool opened = false;
        QTimer::singleShot(0, m_main.get(), [this, &opened] {
            if (QApplication::activeModalWidget() == m_main->bootWindow()) {
                opened = true;
                m_main->bootWindow()->reject();
            }
        });
        QTest::mouseClick(m_main->Btn_CreateBin, Qt::LeftButton);
        QApplication::processEvents();
        return opened;
    }

    QString bankFile() const { return programPath(kConfiguration + QStringLiteral("bin/bank.bin")); }
    QString native(const QString& relative) const { return QDir::toNativeSeparators(programPath(relative)); }
};

TEST_F(UpdateDeviceTest, CompilesAndSavesTheImageBeforeTheUpdateWindowOpens) {
    writeFile(kConfiguration + QStringLiteral("ParGen.xml"),
              sample(QStringLiteral("window_defaults/ParGen.xml")));
    writeFile(kConfiguration + QStringLiteral("NMEA_0183_Set_Access.xml"),
              sample(QStringLiteral("window_defaults/NMEA_0183_Set_Access.xml")));
    writeFile(kConfiguration + QStringLiteral("bin/bank.bin"), QByteArray(4000, 'x'));

    EXPECT_TRUE(pressUpdateDevice());
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(m_main->bootWindow()->Form_Type, 1);
    const QByteArray bank = readFile(kConfiguration + QStringLiteral("bin/bank.bin"));
    ASSERT_EQ(bank.size(), 3584);
    const auto image = BankImage::fromBytes(bank);
    EXPECT_EQ(image->u32(BankLayout::Checksum), 3900u);
    EXPECT_EQ(image->record(0).sentence, 7);
}

// Each refusal ends the step with one error box and leaves no new image for the updater.
TEST_F(UpdateDeviceTest, RefusesTheStepWhenNoSoundImageCanBeWritten) {
    struct Refusal {
        const char* name;
        std::function<void()> prepare;
        QString boxStart;
        std::vector<QString> boxAlsoHas;
    };
    const QString parGen = kConfiguration + QStringLiteral("ParGen.xml");
    const QString rules = kConfiguration + QStringLiteral("NMEA_0183_Set_Access.xml");
    const QString bank = kConfiguration + QStringLiteral("bin/bank.bin");
    const std::vector<Refusal> refusals{
        {"ParGen.xml not well-formed",
         [&] { writeFile(parGen, sample(QStringLiteral("broken_pargen/ParGen.xml"))); },
         m_state.msg(40) + native(parGen) + u'\n',
         {QStringLiteral("line 2")}},
        {"rules document without NMEA_Listener",
         [&] { writeFile(rules, sample(QStringLiteral("no_listener/NMEA_0183_Set_Access.xml"))); },
         m_state.msg(40) + native(rules) + u'\n',
         {QStringLiteral("NMEA_Listener")}},
        {"129 active rules",
         [&] {
             writeFile(parGen, sample(QStringLiteral("window_defaults/ParGen.xml")));
             writeFile(rules, rulesDocument(129));
         },
         m_state.msg(39) + u'\n' + native(rules),
         {QStringLiteral("129")}},
        {"bank.bin read-only",
         [&] {
             writeFile(bank, "old image");
             QFile::setPermissions(programPath(bank), QFileDevice::ReadOwner);
         },
         m_state.msg(38) + native(bank) + u'\n',
         {QStringLiteral("read-only")}},
        {"bin folder missing",
         [&] { QDir(programPath(kConfiguration + QStringLiteral("bin"))).removeRecursively(); },
         m_state.msg(38) + native(bank) + u'\n',
         {QStringLiteral("does not exist")}},
    };
    EXPECT_EQ(m_state.msg(39), QStringLiteral("Error! The configuration has more than 128 active rules; the "
                                              "device takes at most 128. Nothing was written."));

    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        QDir(programPath(kConfiguration)).removeRecursively();
        openConfiguration(QStringLiteral("Ship"));
        m_boxes.clear();
        r.prepare();
        const QByteArray before = readFile(bank);

        EXPECT_FALSE(pressUpdateDevice());
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
        const QString text = m_boxes.lastText();
        EXPECT_TRUE(text.startsWith(r.boxStart)) << text.toStdString();
        for (const QString& part : r.boxAlsoHas)
            EXPECT_TRUE(text.contains(part)) << text.toStdString();
        EXPECT_EQ(readFile(bank), before);
        QFile::setPermissions(programPath(bank), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

// A configuration with an error the compiler keeps quiet about: the review's findings come first.
class UpdateDeviceReviewTest : public UpdateDeviceTest {
protected:
    enum class Answer { Back, Proceed };
    struct Outcome {
        bool findingsShown = false;
        QStringList findings; // "severity|rules|message" per row of the window
        bool updateOpened = false;
    };

    // Presses Update Device and answers the findings window, if it opens, with answer.
    Outcome pressUpdateDevice(Answer answer) {
        Outcome outcome;
        QTimer watcher;
        watcher.setInterval(5);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            TFReviewFindings* findings = m_main->reviewFindingsWindow();
            if (findings && modal == findings) {
                outcome.findingsShown = true;
                const QTableWidget* rows = findings->SG_Findings;
                for (int row = 0; row < rows->rowCount(); ++row)
                    outcome.findings << QStringLiteral("%1|%2|%3")
                                            .arg(rows->item(row, 0)->text(), rows->item(row, 1)->text(),
                                                 rows->item(row, 2)->text());
                QTest::mouseClick(answer == Answer::Back ? findings->Btn_Back : findings->Btn_Proceed,
                                  Qt::LeftButton);
            } else if (modal == m_main->bootWindow()) {
                outcome.updateOpened = true;
                m_main->bootWindow()->reject();
            }
        });
        watcher.start();
        QTest::mouseClick(m_main->Btn_CreateBin, Qt::LeftButton);
        QApplication::processEvents();
        watcher.stop();
        return outcome;
    }

    void store(const ParGenSet& parameters, const QByteArray& rules) {
        ASSERT_TRUE(ParGen::save(m_state.File_ParGen, parameters));
        writeFile(kConfiguration + QStringLiteral("NMEA_0183_Set_Access.xml"), rules);
    }
    static QByteArray rulesOn(const char* channel, const char* swapAll = "N") {
        return QByteArray("<NMEA_0183><NMEA_Listener><row Enable=\"Y\" Serial_Channel=\"") + channel +
               "\" Sentence=\"GGA\" DataField=\"UTC of position, Hours [decimal]\" SwapAll=\"" + swapAll +
               "\" Position=\"1\"/></NMEA_Listener></NMEA_0183>";
    }
};

TEST_F(UpdateDeviceReviewTest, AnErrorShowsTheFindingsWithAWayBackAndAWayOn) {
    ParGenSet parameters;
    parameters.RS485_2.Enable = false;
    parameters.EtherNetIP_EN_GAT = true;
    parameters.EtherNetIP_GAT = {"10", "0", "0", "1"};
    store(parameters, rulesOn("RS485 2"));

    const Outcome back = pressUpdateDevice(Answer::Back);
    EXPECT_TRUE(back.findingsShown);
    EXPECT_FALSE(back.updateOpened);
    EXPECT_TRUE(m_boxes.shown().empty());
    // Errors, then warnings; a finding of the network names no rule.
    ASSERT_EQ(back.findings.size(), 2);
    EXPECT_TRUE(back.findings[0].startsWith("Error|1|Rule 1 is shown enabled but left out"))
        << back.findings[0].toStdString();
    EXPECT_TRUE(back.findings[1].startsWith("Warning||The gateway 10.0.0.1 is outside the subnet"))
        << back.findings[1].toStdString();
    // The image is written either way; only the update window sends anything.
    EXPECT_EQ(readFile(kConfiguration + QStringLiteral("bin/bank.bin")).size(), 3584);

    const Outcome on = pressUpdateDevice(Answer::Proceed);
    EXPECT_TRUE(on.findingsShown);
    EXPECT_TRUE(on.updateOpened);
    EXPECT_EQ(m_main->bootWindow()->Form_Type, 1);
    EXPECT_TRUE(m_boxes.shown().empty());
}

// The findings are written in the chosen language, as the rest of the window.
TEST_F(UpdateDeviceReviewTest, TheFindingsSpeakTheChosenLanguage) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE/Deutsch.lng"),
                            programPath(QStringLiteral("LANGUAGE/Deutsch.lng"))));
    m_state.Language_Name = QStringLiteral("Deutsch");
    Load_Language(m_state);
    m_main->Change_Language();
    ParGenSet parameters;
    parameters.RS485_2.Enable = false;
    store(parameters, rulesOn("RS485 2"));

    const Outcome back = pressUpdateDevice(Answer::Back);
    ASSERT_EQ(back.findings.size(), 1);
    EXPECT_EQ(back.findings[0],
              QString::fromUtf8(
                  "Fehler|1|Regel 1 ist als aktiv angezeigt, fehlt aber im Abbild: ihr serieller Kanal "
                  "RS485 2 ist in den Kommunikationsparametern abgeschaltet. Schalten Sie den "
                  "Anschluss ein, oder wählen Sie einen anderen Kanal."));
}

TEST_F(UpdateDeviceReviewTest, WarningsAndNotesAloneGoStraightToTheUpdate) {
    ParGenSet parameters;
    parameters.EtherNetIP_EN_GAT = true;
    parameters.EtherNetIP_GAT = {"10", "0", "0", "1"}; // a warning
    store(parameters, rulesOn("RS232", "Y"));          // Swap All on one byte: a note

    const Outcome outcome = pressUpdateDevice(Answer::Back);
    EXPECT_FALSE(outcome.findingsShown);
    EXPECT_TRUE(outcome.updateOpened);
    EXPECT_EQ(m_main->reviewFindingsWindow(), nullptr);
}

} // namespace
