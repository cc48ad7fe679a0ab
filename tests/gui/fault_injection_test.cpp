// Saves that the disk or the file refuses, and saves cut short by a killed process: the user sees
// an error naming the file, and the previous file stays whole and loads.

#include "ProgramFixture.h"
#include "core/comm/ParGen.h"
#include "core/image/BankCompiler.h"
#include "core/image/BankImage.h"
#include "core/nmea/AccessRules.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/shell/SettingsFile.h"
#include "gui/comm/TFParGen.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"
#include "gui/update/TFBoot.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// ---- Refused saves through the windows ----

enum class Document { ParGen, Rules, Bank, Settings };
enum class Refusal {
    FullDisk,      // a small tmpfs mounted over the program folder, filled up
    FileSizeLimit, // the process may not grow any file: writes fail as on a full disk
    ReadOnly,      // the document's owner write bit is off
};

struct Case {
    Document document;
    Refusal refusal;
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    static const char* const documents[]{"ParGen", "Rules", "Bank", "Settings"};
    static const char* const refusals[]{"FullDisk", "FileSizeLimit", "ReadOnly"};
    return std::string(documents[int(info.param.document)]) + "_" + refusals[int(info.param.refusal)];
}

// Refuses writes while it lives, then lifts the refusal.
class RefusedWrites {
public:
    RefusedWrites(Refusal refusal, const QString& document, const QString& filler)
        : m_refusal(refusal), m_document(document), m_filler(filler) {
        switch (refusal) {
        case Refusal::FullDisk:
            m_ready = fillDisk();
            break;
        case Refusal::FileSizeLimit:
            m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            if (getrlimit(RLIMIT_FSIZE, &m_oldLimit) == 0) {
                const rlimit noGrowth{0, m_oldLimit.rlim_max};
                m_ready = setrlimit(RLIMIT_FSIZE, &noGrowth) == 0;
            }
            break;
        case Refusal::ReadOnly:
            m_ready = QFile::setPermissions(document, QFileDevice::ReadOwner);
            break;
        }
        if (!m_ready)
            m_why = std::strerror(errno);
    }
    ~RefusedWrites() {
        switch (m_refusal) {
        case Refusal::FullDisk:
            QFile::remove(m_filler);
            break;
        case Refusal::FileSizeLimit:
            setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, m_oldHandler);
            break;
        case Refusal::ReadOnly:
            QFile::setPermissions(m_document, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            break;
        }
    }
    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }

private:
    // Writes until the file system has no block left, not even for a few bytes.
    bool fillDisk() {
        const int fd = ::open(QFile::encodeName(m_filler).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        static const char block[4096]{};
        for (std::size_t size : {sizeof block, std::size_t(1)}) {
            while (::write(fd, block, size) > 0) {
            }
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

    Refusal m_refusal;
    QString m_document;
    QString m_filler;
    bool m_ready = false;
    std::string m_why;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

// What a case needs to know of its document.
struct DocumentUse {
    QString relative;               // the file, from the program folder
    std::function<void()> edit;     // the user's change, made before the refusal and not saved yet
    std::function<void()> save;     // the user's action that saves it
    std::function<QString()> value; // the edited value as the program's own reader finds it in the file
    QString oldValue;
    QString newValue;
};

class FaultInjectionTest : public ProgramFixture, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        if (GetParam().refusal == Refusal::FullDisk) {
            const QByteArray folder = QFile::encodeName(m_folder.path());
            if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=128k") != 0)
                GTEST_SKIP() << "no full disk: a tmpfs cannot be mounted over the program folder ("
                             << std::strerror(errno) << "; mounting needs root)";
            m_mounted = true;
        }
        startProgram();
        openConfiguration(QStringLiteral("Ship"));
    }
    void TearDown() override {
        if (m_main) {
            m_main->parGenWindow()->hide();
            m_main->nmeaAccessWindow()->hide();
        }
        ProgramFixture::TearDown();
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder.path()).constData(), MNT_DETACH);
    }

    QString conf(const char* name) const { return QStringLiteral("PROJECTS/Ship/") + QLatin1String(name); }

    // The documents as earlier sessions left them: a parameter set, one rule, its image and the
    // program settings.
    void storePreviousDocuments() {
        ParGenSet set;
        set.EtherNetIP_NB_Input = QStringLiteral("100");
        ASSERT_TRUE(ParGen::save(m_state.File_ParGen, set));
        Nmea::RuleTable rules{};
        rules[0].Serial_Channel = QStringLiteral("RS232");
        rules[0].Sentence = QStringLiteral("GGA");
        rules[0].DataField = Nmea::fieldText(Nmea::Find_Sentence(QStringLiteral("GGA")), 0);
        rules[0].PortOperation = QStringLiteral("None");
        rules[0].Position = QStringLiteral("1");
        rules[0].Mnemonic = QStringLiteral("OLD");
        ASSERT_EQ(Nmea::saveAccessRules(m_state.File_NMEA_Access, rules), QString());
        BankImage image;
        ASSERT_TRUE(Compile_Bank(m_state.File_ParGen, m_state.File_NMEA_Access, image));
        ASSERT_TRUE(Save_Bank(m_state.Active_Conf_Dir, image));
        m_state.Last_IP_Address = QStringLiteral("10.0.0.1");
        ASSERT_TRUE(SettingsFile::save(m_state));
    }

    DocumentUse use(Document document) {
        switch (document) {
        case Document::ParGen:
            return {conf("ParGen.xml"),
                    [this] {
                        TFParGen* w = m_main->parGenWindow();
                        w->show();
                        w->E_EtherNetIP_NByte_In->selectAll();
                        QTest::keyClicks(w->E_EtherNetIP_NByte_In, QStringLiteral("200"));
                    },
                    [this] { QTest::mouseClick(m_main->parGenWindow()->Btn_OK, Qt::LeftButton); },
                    [this] {
                        ParGenSet set;
                        return ParGen::load(m_state.File_ParGen, set) == ParGen::LoadResult::Loaded
                                   ? set.EtherNetIP_NB_Input
                                   : QString();
                    },
                    QStringLiteral("100"),
                    QStringLiteral("200")};
        case Document::Rules:
            return {conf("NMEA_0183_Set_Access.xml"),
                    [this] {
                        m_main->nmeaAccessWindow()->show();
                        typeIntoCell(m_main->nmeaAccessWindow()->ASG, 0, 9, QStringLiteral("NEW"));
                    },
                    [this] { QTest::mouseClick(m_main->nmeaAccessWindow()->Btn_OK, Qt::LeftButton); },
                    [this] {
                        const Nmea::RulesLoad loaded = Nmea::loadAccessRules(m_state.File_NMEA_Access);
                        return loaded.error.isEmpty() ? loaded.table[0].Mnemonic : QString();
                    },
                    QStringLiteral("OLD"),
                    QStringLiteral("NEW")};
        case Document::Bank:
            return {conf("bin/bank.bin"),
                    // Step 2 changed the parameters since the last image.
                    [this] {
                        ParGenSet set;
                        set.EtherNetIP_NB_Input = QStringLiteral("200");
                        ASSERT_TRUE(ParGen::save(m_state.File_ParGen, set));
                    },
                    [this] {
                        // The update window opens only after the image was written; it is closed at once.
                        QTimer::singleShot(0, m_main.get(), [this] {
                            if (QApplication::activeModalWidget() == m_main->bootWindow())
                                m_main->bootWindow()->reject();
                        });
                        QTest::mouseClick(m_main->Btn_CreateBin, Qt::LeftButton);
                        QApplication::processEvents();
                    },
                    [this] {
                        const auto image = BankImage::fromBytes(readFile(conf("bin/bank.bin")));
                        return image ? QString::number(image->u32(BankLayout::NbInput)) : QString();
                    },
                    QStringLiteral("100"), QStringLiteral("200")};
        case Document::Settings:
            return {QStringLiteral("Tessellor.xml"),
                    [this] { m_state.Last_IP_Address = QStringLiteral("10.0.0.2"); },
                    [this] { m_main->close(); },
                    [this] {
                        ProgramState stored;
                        stored.Dir_Program = m_state.Dir_Program;
                        SettingsFile::load(stored);
                        return stored.Last_IP_Address;
                    },
                    QStringLiteral("10.0.0.1"),
                    QStringLiteral("10.0.0.2")};
        }
        return {};
    }

    static void typeIntoCell(QTableView* table, int row, int column, const QString& text) {
        table->setCurrentIndex(table->model()->index(row, column));
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(row, column)));
        ASSERT_TRUE(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    // Every file under the program folder, so a temporary file left behind shows.
    QStringList filesInProgramFolder() const {
        QStringList files;
        QDirIterator it(m_folder.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_folder.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    bool m_mounted = false;
};

// ---- Saves cut short by a killed process ----

using Nmea::RuleTable;

const char* const kSaveLoopVariable = "TESSELLOR_SAVE_LOOP";

// A full table with long mnemonics: a few hundred kilobytes, so a kill often lands inside a write.
// The two versions differ in every row.
RuleTable bigTable(int version) {
    RuleTable table{};
    const QString field = Nmea::fieldText(Nmea::Find_Sentence(QStringLiteral("GGA")), version);
    for (int row = 0; row < Nmea::RuleRows; ++row) {
        Nmea::AccessRule& rule = table[row];
        rule.Serial_Channel = QStringLiteral("RS232");
        rule.Sentence = QStringLiteral("GGA");
        rule.DataField = field;
        rule.PortOperation = QStringLiteral("None");
        rule.Position = QString::number(row * 4 + version);
        rule.Mnemonic = QString(2000, QChar(u'A' + version)) + QString::number(row);
    }
    return table;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Started again with kSaveLoopVariable naming a file, this program only saves the two versions
// of the table to it in turn until it is killed. An environment runs after main has begun, when
// everything the save needs is set up.
class SaveLoop : public ::testing::Environment {
public:
    void SetUp() override {
        const QString path = qEnvironmentVariable(kSaveLoopVariable);
        if (path.isEmpty())
            return;
        const RuleTable tables[2]{bigTable(0), bigTable(1)};
        // One whole save before the word, so the parent knows the loop is running.
        for (unsigned round = 1;; ++round) {
            if (round == 2) {
                std::fputs("saving\n", stdout);
                std::fflush(stdout);
            }
            if (!Nmea::saveAccessRules(path, tables[round % 2]).isEmpty())
                std::_Exit(2);
        }
    }
};

::testing::Environment* const kSaveLoop = ::testing::AddGlobalTestEnvironment(new SaveLoop);

} // namespace

TEST_P(FaultInjectionTest, RefusedSaveNamesTheFileKeepsTheOldOneAndWorksOnceAllowed) {
    const DocumentUse document = use(GetParam().document);
    storePreviousDocuments();
    const QByteArray before = readFile(document.relative);
    ASSERT_EQ(document.value(), document.oldValue);
    document.edit();
    const QStringList files = filesInProgramFolder();
    ASSERT_TRUE(m_boxes.shown().empty());

    {
        RefusedWrites refused(GetParam().refusal, programPath(document.relative), programPath("filler"));
        ASSERT_TRUE(refused.ready()) << refused.why();
        document.save();
    }
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].kind, MessageBox::Kind::Error);
    EXPECT_TRUE(m_boxes.lastText().contains(QDir::toNativeSeparators(programPath(document.relative))))
        << m_boxes.lastText().toStdString();
    EXPECT_EQ(readFile(document.relative), before);
    EXPECT_EQ(document.value(), document.oldValue);
    EXPECT_EQ(filesInProgramFolder(), files);

    // Room again, or the file writable again: the same action saves the edit.
    m_boxes.clear();
    document.save();
    EXPECT_TRUE(m_boxes.shown().empty()) << m_boxes.lastText().toStdString();
    EXPECT_EQ(document.value(), document.newValue);
    EXPECT_EQ(filesInProgramFolder(), files);
}

// Read-only ParGen.xml and bank.bin have their own tests beside their windows.
INSTANTIATE_TEST_SUITE_P(
    , FaultInjectionTest,
    ::testing::Values(Case{Document::ParGen, Refusal::FullDisk}, Case{Document::Rules, Refusal::FullDisk},
                      Case{Document::Bank, Refusal::FullDisk}, Case{Document::Settings, Refusal::FullDisk},
                      Case{Document::ParGen, Refusal::FileSizeLimit},
                      Case{Document::Rules, Refusal::FileSizeLimit},
                      Case{Document::Bank, Refusal::FileSizeLimit},
                      Case{Document::Settings, Refusal::FileSizeLimit},
                      Case{Document::Rules, Refusal::ReadOnly}, Case{Document::Settings, Refusal::ReadOnly}),
    caseName);

TEST(KilledSave, LeavesTheOldOrTheNewDocumentWholeAndLoadable) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("NMEA_0183_Set_Access.xml"));
    const RuleTable tables[2]{bigTable(0), bigTable(1)};
    const QByteArray documents[2]{Nmea::accessRulesDocument(tables[0]), Nmea::accessRulesDocument(tables[1])};
    ASSERT_NE(documents[0], documents[1]);
    ASSERT_TRUE(Nmea::saveAccessRules(path, tables[0]).isEmpty());

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> wait(0, 40);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kSaveLoopVariable), path);
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();

    int seen[2]{};
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(self, {});
        ASSERT_TRUE(child.waitForStarted());
        // Waits until the child is inside its save loop, then lets it run a random while.
        for (;;) {
            while (!child.canReadLine())
                ASSERT_TRUE(child.waitForReadyRead(30000)) << "the saving child did not start";
            if (child.readLine() == "saving\n")
                break;
        }
        QThread::msleep(wait(random));
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped saving on its own";

        const QByteArray stored = readAll(path);
        const int which = stored == documents[0] ? 0 : stored == documents[1] ? 1 : -1;
        ASSERT_NE(which, -1) << "a mixture of " << stored.size() << " bytes";
        ++seen[which];
        const Nmea::RulesLoad loaded = Nmea::loadAccessRules(path);
        ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
        EXPECT_EQ(loaded.table, tables[which]);
    }
    // Both versions turned up, so the kills did fall among the saves.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);

    // Whatever temporary files the kills left beside the document, the next save and load work.
    ASSERT_TRUE(Nmea::saveAccessRules(path, tables[1]).isEmpty());
    EXPECT_EQ(readAll(path), documents[1]);
    EXPECT_EQ(Nmea::loadAccessRules(path).table, tables[1]);
}
