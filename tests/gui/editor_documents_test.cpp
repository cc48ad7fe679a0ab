// The editors never save over work they did not read, nor into a configuration that has gone.
#include "ProgramFixture.h"
#include "gui/comm/TFParGen.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"
#include "gui/update/TFBoot.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

using Answer = MessageBox::Answer;
using Kind = MessageBox::Kind;

const QString kConfiguration = QStringLiteral("Ship");

// One editor as these tests drive it: its window, its document and one edit of the user's.
struct Editor {
    const char* name;
    QPushButton* (*step)(TFTesselloreFirmWare&); // the main window's button that opens it
    QDialog* (*window)(TFTesselloreFirmWare&);
    QPushButton* (*ok)(QDialog*);
    const char* document; // relative to the program folder
    void (*edit)(QDialog*);
    // A document as another copy of the program would have written it.
    QByteArray othersDocument;
    const char* question; // the question at OK, %1 the document
};

const Editor kEditors[] = {
    {"rules window", [](TFTesselloreFirmWare& main) { return main.Btn_NMEA0183_Access; },
     [](TFTesselloreFirmWare& main) -> QDialog* { return main.nmeaAccessWindow(); },
     [](QDialog* w) { return static_cast<TFNMEA_0183_Set_Access2*>(w)->Btn_OK; },
     "PROJECTS/Ship/NMEA_0183_Set_Access.xml",
     [](QDialog* w) {
         // A rule that is saved without passing the data check's field rules: not enabled.
         QAbstractItemModel* table = static_cast<TFNMEA_0183_Set_Access2*>(w)->ASG->model();
         table->setData(table->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
         table->setData(table->index(0, 2), QStringLiteral("GGA"), Qt::EditRole);
         table->setData(table->index(0, 9), QStringLiteral("mine"), Qt::EditRole);
     },
     "<NMEA_Listener><Sentence Enable=\"N\" Mnemonic=\"theirs\"/></NMEA_Listener>",
     "The rules in %1 have been changed on disk since this window opened, by another copy of the program or "
     "another program. Replace those changes with the rules of this window?"},
    {"communication window", [](TFTesselloreFirmWare& main) { return main.Btn_Prm_Gen; },
     [](TFTesselloreFirmWare& main) -> QDialog* { return main.parGenWindow(); },
     [](QDialog* w) { return static_cast<TFParGen*>(w)->Btn_OK; }, "PROJECTS/Ship/ParGen.xml",
     [](QDialog* w) {
         w->findChild<QLineEdit*>(QStringLiteral("E_EthConn_Device_Name"))->setText(QStringLiteral("mine"));
     },
     "<Par_Gen><Eth_Conn_Device_Name>theirs</Eth_Conn_Device_Name></Par_Gen>",
     "The communication parameters in %1 have been changed on disk since this window opened, by another copy "
     "of the program or another program. Replace those changes with the parameters of this window?"},
};

class EditorDocuments : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(kConfiguration);
    }
    QString question(const Editor& editor) const {
        return QString::fromUtf8(editor.question)
            .arg(QDir::toNativeSeparators(programPath(QString::fromUtf8(editor.document))));
    }
    QString folderGone() const {
        return QDir::toNativeSeparators(programPath(QStringLiteral("PROJECTS/Ship")));
    }
};

// The document on disk after the window opened, and what OK then does with it.
TEST_F(EditorDocuments, OkAsksBeforeReplacingADocumentChangedSinceTheWindowOpened) {
    struct Case {
        const char* what;
        bool existsAtOpening;
        bool writtenElsewhere;
        bool sameBytes; // written again with the bytes the window read
        bool asks;
    };
    const Case cases[] = {
        {"missing, still missing", false, false, false, false},
        {"unchanged", true, false, false, false},
        {"rewritten with the same bytes", true, true, true, false},
        {"changed", true, true, false, true},
        {"made while the window was open", false, true, false, true},
    };
    const QByteArray read = "<Root/>";
    for (const Editor& editor : kEditors) {
        QDialog* window = editor.window(*m_main);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << editor.name << ": " << c.what);
            QFile::remove(programPath(editor.document));
            if (c.existsAtOpening)
                writeFile(editor.document, read);
            window->show();
            QApplication::processEvents();
            editor.edit(window);
            if (c.writtenElsewhere)
                writeFile(editor.document, c.sameBytes ? read : editor.othersDocument);
            m_boxes.clear();

            if (c.asks)
                m_boxes.setNextAnswer(Answer::No);
            QTest::mouseClick(editor.ok(window), Qt::LeftButton);
            if (!c.asks) {
                EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
                EXPECT_FALSE(window->isVisible());
                EXPECT_TRUE(readFile(editor.document).contains("mine"));
                continue;
            }
            ASSERT_EQ(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Question);
            EXPECT_EQ(m_boxes.lastText(), question(editor));
            EXPECT_EQ(m_boxes.lastDefault(), MessageBox::Answer::No);
            // No keeps the other copy's work and the window with this one's.
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(readFile(editor.document), editor.othersDocument);

            m_boxes.setNextAnswer(Answer::Yes);
            QTest::mouseClick(editor.ok(window), Qt::LeftButton);
            EXPECT_EQ(m_boxes.shown().size(), 2u);
            EXPECT_FALSE(window->isVisible());
            EXPECT_TRUE(readFile(editor.document).contains("mine"));
        }
    }
}

TEST_F(EditorDocuments, AStepFindingTheFolderGoneClosesTheConfiguration) {
    for (QPushButton* step : {m_main->Btn_Prm_Gen, m_main->Btn_NMEA0183_Access, m_main->Btn_CreateBin}) {
        SCOPED_TRACE(step->objectName().toStdString());
        openConfiguration(kConfiguration);
        ASSERT_TRUE(QDir(programPath("PROJECTS")).rename(kConfiguration, "Ship (renamed)"));
        m_boxes.clear();
        // A window opened over the missing folder would wait for the user.
        QObject closer;
        QTimer::singleShot(0, &closer, [] {
            if (QWidget* window = QApplication::activeModalWidget())
                window->close();
        });
        QTest::mouseClick(step, Qt::LeftButton);
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown()[0].kind, Kind::Error);
        EXPECT_EQ(
            m_boxes.lastText(),
            QStringLiteral("The folder %1 of the open configuration no longer exists. The configuration "
                           "has been closed.")
                .arg(folderGone()));
        // No window opened over it, and no folder or file was made in its place.
        for (QWidget* window :
             {static_cast<QWidget*>(m_main->parGenWindow()),
              static_cast<QWidget*>(m_main->nmeaAccessWindow()), static_cast<QWidget*>(m_main->bootWindow())})
            EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(QFileInfo::exists(programPath("PROJECTS/Ship")));
        EXPECT_FALSE(m_state.Conf_Is_Open());
        EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("None Configuration Opened "));
        // Closed as at a start: the name is still written back to the settings.
        EXPECT_EQ(m_state.Active_Conf_Name, kConfiguration);

        m_boxes.clear();
        QTest::mouseClick(step, Qt::LeftButton);
        EXPECT_EQ(m_boxes.lastText(), QStringLiteral("Error! Project not Valid"));
        ASSERT_TRUE(QDir(programPath("PROJECTS")).rename("Ship (renamed)", kConfiguration));
    }
}

// The folder goes while an editor is open: OK saves nothing and says why, the window stays for the
// folder to be put back; once the window closes over a folder still gone, the configuration closes.
TEST_F(EditorDocuments, AnEditorWhoseFolderWentSavesNothingAndTheConfigurationClosesAfterIt) {
    // The folder gone first, so that no earlier save holds the edit.
    const QString notSaved =
        QStringLiteral("The folder %1 of the configuration no longer exists, so nothing has "
                       "been saved. Put the folder back and press OK again, or close the "
                       "window.")
            .arg(folderGone());
    for (const Editor& editor : kEditors) {
        SCOPED_TRACE(editor.name);
        QDialog* window = editor.window(*m_main);
        for (const bool putBack : {false, true}) {
            openConfiguration(kConfiguration);
            m_main->Set_Lang(); // shows the configuration as open
            m_boxes.clear();
            QTimer::singleShot(0, window, [&, window] {
                [&] {
                    QTRY_VERIFY(window->isVisible());
                    editor.edit(window);
                    QDir projects(programPath("PROJECTS"));
                    ASSERT_TRUE(projects.rename(kConfiguration, "Ship (renamed)"));
                    QTest::mouseClick(editor.ok(window), Qt::LeftButton);
                    EXPECT_TRUE(window->isVisible());
                    if (putBack) {
                        ASSERT_TRUE(projects.rename("Ship (renamed)", kConfiguration));
                        QTest::mouseClick(editor.ok(window), Qt::LeftButton);
                    } else {
                        m_boxes.setNextAnswer(Answer::Yes); // discard the edit
                        window->reject();
                    }
                }();
                // A failed step above must not leave the test waiting on the window.
                if (window->isVisible())
                    window->done(QDialog::Rejected);
            });
            QTest::mouseClick(editor.step(*m_main), Qt::LeftButton);
            EXPECT_FALSE(window->isVisible());
            ASSERT_GE(m_boxes.shown().size(), 1u);
            EXPECT_EQ(m_boxes.shown()[0].text, notSaved);
            if (putBack) {
                EXPECT_EQ(m_boxes.shown().size(), 1u);
                EXPECT_TRUE(readFile(editor.document).contains("mine"));
                EXPECT_TRUE(m_state.Conf_Is_Open());
            } else {
                EXPECT_FALSE(QFileInfo::exists(programPath("PROJECTS/Ship")));
                EXPECT_FALSE(
                    readFile(QString::fromUtf8(editor.document).replace("/Ship/", "/Ship (renamed)/"))
                        .contains("mine"));
                EXPECT_EQ(m_boxes.lastText(),
                          QStringLiteral("The folder %1 of the open configuration no longer exists. The "
                                         "configuration has been closed.")
                              .arg(folderGone()));
                EXPECT_FALSE(m_state.Conf_Is_Open());
                EXPECT_EQ(m_main->L_Name_Conf->text(), QStringLiteral("None Configuration Opened "));
                ASSERT_TRUE(QDir(programPath("PROJECTS")).rename("Ship (renamed)", kConfiguration));
            }
        }
    }
}

} // namespace
