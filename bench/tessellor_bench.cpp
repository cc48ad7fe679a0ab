// Measures the program against the least that any program doing the same visible work must spend,
// each figure and its floor alternately in the same run, and prints a markdown table of medians.
//
//   tessellor_bench [--runs N] [--replay-only] [--only startup|rules|review|compile|large|language]
//
// --only measures one group of figures, so that a profiler can be pointed at it.
//
// Run under QT_QPA_PLATFORM=offscreen (scripts/bench.sh does) so no display is needed.
#include "FrameClock.h"
#include "NmeaReplay.h"
#include "SampleConfiguration.h"

#include "core/image/BankCompiler.h"
#include "core/language/Language.h"
#include "core/nmea/NmeaMonitor.h"
#include "core/review/OutputArray.h"
#include "core/review/Review.h"
#include "core/shell/ProgramState.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/table/EditingTable.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = FrameClock::Clock;

double msSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The 100 rules' texts put into rows 1 to 100 of a plain 11-column table, as a table window fills
// them: the floor of the rules window and, without painting, of the review.
void fillRuleRows(QTableWidget& plain, const Nmea::RuleTable& table) {
    const QString yes = QStringLiteral("Y"), no = QStringLiteral("N");
    for (int row = 1; row <= 100; ++row) {
        const Nmea::AccessRule& r = table[row - 1];
        const QString cells[11] = {QString::number(row),
                                   r.Enable ? yes : no,
                                   r.Serial_Channel,
                                   r.Sentence,
                                   r.Index,
                                   r.DataField,
                                   r.PortOperation,
                                   r.SwapAll ? yes : no,
                                   r.Swap16 ? yes : no,
                                   r.Position,
                                   r.Mnemonic};
        for (int col = 0; col < 11; ++col)
            plain.setItem(row, col, new QTableWidgetItem(cells[col]));
    }
}

void fillPlainTables(const std::vector<std::unique_ptr<QTableWidget>>& plains, const Nmea::RuleTable& table) {
    for (const auto& plain : plains)
        fillRuleRows(*plain, table);
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Figure {
    const char* name;
    double measured;
    double floor;
    const char* unit;
    double goal; // the largest ratio that meets the goal; 0 for a figure without a goal
};

QString formatValue(double value, const char* unit) {
    if (QByteArray(unit) == "MB")
        return QStringLiteral("%1 MB").arg(value / 1024.0, 0, 'f', 1);
    if (value < 1)
        return QStringLiteral("%1 µs").arg(value * 1000.0, 0, 'f', 0);
    return QStringLiteral("%1 ms").arg(value, 0, 'f', value < 10 ? 2 : 1);
}

void printTable(const std::vector<Figure>& figures) {
    std::printf("| Figure | Measured | Floor | Ratio | Goal | Met |\n|---|---:|---:|---:|---:|---|\n");
    for (const Figure& f : figures) {
        const double ratio = f.floor > 0 ? f.measured / f.floor : 0;
        const QString goal =
            f.goal > 0 ? QStringLiteral("≤ %1×").arg(f.goal, 0, 'f', 1) : QStringLiteral("—");
        const QString met = f.goal > 0 ? (ratio <= f.goal ? QStringLiteral("yes") : QStringLiteral("**no**"))
                                       : QStringLiteral("—");
        std::printf("| %s | %s | %s | %.2f× | %s | %s |\n", f.name,
                    qPrintable(formatValue(f.measured, f.unit)), qPrintable(formatValue(f.floor, f.unit)),
                    ratio, qPrintable(goal), qPrintable(met));
    }
    std::fflush(stdout);
}

struct ProbeRun {
    double frameMs = 0; // from just before the spawn to the first painted frame
    double mainMs = 0;  // from just before the spawn to the start of main: loading and linking
    double kb = 0;      // peak resident memory
};

// Runs a start-up probe as a fresh process.
bool runProbe(const QString& program, const QStringList& arguments, ProbeRun& run) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<QByteArray> owned{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        owned.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    QByteArray output;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    const QList<QByteArray> fields = output.trimmed().split(' ');
    if (fields.size() != 3)
        return false;
    run.frameMs = (fields[0].toLongLong() - monotonicNs(start)) / 1e6;
    run.kb = fields[1].toDouble();
    run.mainMs = (fields[2].toLongLong() - monotonicNs(start)) / 1e6;
    return true;
}

// Every text a user can see in the windows: captions, labels, buttons, hints, tab and column titles.
// fitted tells for each text whether it stands on screen in a control sized to its text (a label,
// a check box or a tab), which a new text must be measured for.
QStringList visibleTexts(const QList<QWidget*>& windows, QList<bool>* fitted = nullptr) {
    QStringList texts;
    QList<bool> onScreen;
    const auto add = [&](const QString& text, bool measured) {
        texts << text;
        onScreen << measured;
    };
    for (QWidget* window : windows) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        add(window->windowTitle(), false);
        for (QWidget* w : widgets) {
            add(w->toolTip(), false);
            if (auto* label = qobject_cast<QLabel*>(w))
                add(label->text(), label->isVisible());
            else if (auto* button = qobject_cast<QAbstractButton*>(w))
                add(button->text(), qobject_cast<QCheckBox*>(w) && w->isVisible());
            else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < tabs->count(); ++i)
                    add(tabs->tabText(i), tabs->isVisible());
            } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                for (int i = 0; i < combo->count(); ++i)
                    add(combo->itemText(i), false);
            } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
                for (int i = 0; i < table->columnCount(); ++i) {
                    if (const QTableWidgetItem* header = table->horizontalHeaderItem(i)) {
                        add(header->text(), false);
                        add(header->toolTip(), false);
                    }
                }
            }
        }
    }
    if (fitted)
        *fitted = onScreen;
    return texts;
}

class Bench {
public:
    Bench(FrameClock& app, int runs) : m_app(app), m_runs(runs) {}

    bool prepare() {
        if (!m_folder.isValid() || !Sample::writeProgramFolder(m_folder.path(), 100))
            return false;
        // The start-up probes get a folder of their own, so the in-process runs cannot change it.
        return m_startFolder.isValid() && Sample::writeProgramFolder(m_startFolder.path(), 100);
    }

    void startUp() {
        const QString dir = QCoreApplication::applicationDirPath();
        const QString floorProbe = dir + QStringLiteral("/tessellor_bench_floor");
        // The floor of the goals is the bare window with one label that also loads the faces the
        // program's first window draws in; the floors of earlier runs stay for comparison.
        struct Probe {
            QString path;
            QStringList arguments;
            std::vector<double> frameMs, kb, mainMs;
        };
        Probe program{dir + QStringLiteral("/tessellor_bench_startup"), {m_startFolder.path()}, {}, {}, {}};
        Probe fonts{floorProbe, {QStringLiteral("--fonts")}, {}, {}, {}};
        Probe text{floorProbe, {QStringLiteral("--text")}, {}, {}, {}};
        Probe empty{floorProbe, {}, {}, {}, {}};
        const auto measure = [](Probe& probe) {
            ProbeRun run;
            if (!runProbe(probe.path, probe.arguments, run)) {
                std::fprintf(stderr, "start-up probe failed\n");
                return;
            }
            probe.frameMs.push_back(run.frameMs);
            probe.kb.push_back(run.kb);
            probe.mainMs.push_back(run.mainMs);
        };
        for (int i = 0; i < m_runs; ++i) {
            // Alternating which goes first keeps a warming cache or a busy neighbour from favouring one.
            Probe* order[] = {&program, &fonts, &text, &empty};
            std::rotate(std::begin(order), std::begin(order) + i % 4, std::end(order));
            for (Probe* probe : order)
                measure(*probe);
        }
        m_figures.push_back(
            {"Start-up to first painted frame", median(program.frameMs), median(fonts.frameMs), "ms", 1.3});
        m_figures.push_back({"Start-up, against one label in the default face (the floor of the last run)",
                             median(program.frameMs), median(text.frameMs), "ms", 0});
        m_figures.push_back({"Start-up, against the empty window of earlier runs", median(program.frameMs),
                             median(empty.frameMs), "ms", 0});
        m_memory = {"Peak resident memory after start-up", median(program.kb), median(fonts.kb), "MB", 1.2};
        m_oldMemory = {"Peak memory, against one label in the default face (the floor of the last run)",
                       median(program.kb), median(text.kb), "MB", 0};
        m_emptyMemory = {"Peak memory, against the empty window of earlier runs", median(program.kb),
                         median(empty.kb), "MB", 0};
        m_startDetails.push_back({"Start-up: loading and linking, up to main", median(program.mainMs),
                                  median(fonts.mainMs), "ms", 0});
        const auto afterMain = [](const Probe& probe) {
            std::vector<double> result;
            for (size_t i = 0; i < probe.frameMs.size() && i < probe.mainMs.size(); ++i)
                result.push_back(probe.frameMs[i] - probe.mainMs[i]);
            return result;
        };
        m_startDetails.push_back({"Start-up: from main to first painted frame", median(afterMain(program)),
                                  median(afterMain(fonts)), "ms", 0});
    }

    bool startProgram() {
        m_main = std::make_unique<TFTesselloreFirmWare>(m_state, m_folder.path());
        m_widgetCount = int(m_main->findChildren<QWidget*>().size()) + 1;
        // The windows measured below are built before their clocks start, as an opened window is.
        m_main->createWindows();
        m_app.watch(m_main.get());
        m_main->show();
        return m_app.waitForFrame();
    }

    // Opening the rules window on 100 rules (load, fill, first paint) against a plain table of the
    // same size filled with the same texts. Both widgets exist before the clock starts, as on
    // every opening after the first (the program builds a window when it is first opened).
    void rulesWindow() {
        TFNMEA_0183_Set_Access2* window = m_main->nmeaAccessWindow();
        const Nmea::RuleTable table = Nmea::loadAccessRules(m_state.File_NMEA_Access).table;
        QStringList headers;
        for (int col = 0; col < window->ASG->model()->columnCount(); ++col)
            headers << window->ASG->model()->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
        std::vector<double> program, floor;
        for (int i = 0; i < m_runs + 1; ++i) {
            m_app.watch(window);
            Clock::time_point start = Clock::now();
            window->show();
            m_app.waitForFrame();
            const double programMs = msSince(start, m_app.framedAt());
            if (i == 0 && window->rules()[Nmea::RuleRows - 1].Sentence.isEmpty())
                std::fprintf(stderr, "the rules window did not show 100 rules\n");
            window->hide();
            m_app.processEvents();

            QTableWidget plain(101, 11);
            plain.resize(window->size());
            m_app.processEvents();
            m_app.watch(&plain);
            start = Clock::now();
            plain.setItem(0, 0, new QTableWidgetItem(QStringLiteral("N")));
            for (int col = 1; col < 11; ++col)
                plain.setItem(0, col, new QTableWidgetItem(headers.value(col - 1)));
            fillRuleRows(plain, table);
            plain.show();
            m_app.waitForFrame();
            const double floorMs = msSince(start, m_app.framedAt());
            plain.hide();
            m_app.processEvents();
            if (i == 0)
                continue; // the first opening also warms caches that every later one finds ready
            program.push_back(programMs);
            floor.push_back(floorMs);
        }
        m_figures.push_back(
            {"Rules window, 100 rules: open to first paint", median(program), median(floor), "ms", 1.2});
    }

    // Medians of one call of action against filling a plain 11 x 101 table's 100 rows with the texts
    // of table, each sample averaging several calls (one takes microseconds).
    std::pair<double, double> againstPlainTables(const Nmea::RuleTable& table,
                                                 const std::function<void()>& action) {
        constexpr int kRepeats = 10;
        std::vector<double> program, floor;
        for (int i = 0; i < m_runs + 1; ++i) {
            // The plain tables are made before either clock starts: making them also tidies the heap
            // after the tables of the run before were freed, which would otherwise fall to the action.
            std::vector<std::unique_ptr<QTableWidget>> plains;
            for (int k = 0; k < kRepeats; ++k)
                plains.push_back(std::make_unique<QTableWidget>(101, 11));

            Clock::time_point start = Clock::now();
            for (int k = 0; k < kRepeats; ++k)
                action();
            const double programMs = msSince(start, Clock::now()) / kRepeats;

            start = Clock::now();
            fillPlainTables(plains, table);
            const double floorMs = msSince(start, Clock::now()) / kRepeats;
            if (i == 0)
                continue;
            program.push_back(programMs);
            floor.push_back(floorMs);
        }
        return {median(program), median(floor)};
    }

    // The review the rules window runs on every edit, over its 100 rows, against the plain tables
    // (not shown: the review paints nothing either).
    void review() {
        const Nmea::RuleTable table = Sample::rules(Nmea::RuleRows);
        BankImage parameters;
        compileParameterDocument(m_state.File_ParGen, parameters);
        qsizetype findings = 0;
        const auto [program, floor] = againstPlainTables(
            table, [&] { findings = Review::reviewTable(table, parameters).findings.size(); });
        m_figures.push_back(
            {"Review of 100 rules (each edit in the rules window)", program, floor, "ms", 0.5});
        m_reviewFindings = int(findings);
    }

    // The Output array of 100 rules, every rule placed anew (what a monitor refresh or a virtual
    // converter's cycle does when every value changed), against the least that work needs: each text
    // read as a number and four bytes copied to its place.
    void outputArray() {
        const Nmea::RuleTable table = Sample::rules(Nmea::RuleRows);
        BankImage parameters;
        compileParameterDocument(m_state.File_ParGen, parameters);
        const Review::Result review = Review::reviewTable(table, parameters);
        Review::OutputArray array(review.compiled, review.outputBytes);
        QList<QString> texts[2];
        for (int k = 0; k < 100; ++k) {
            texts[0] << QString::number(12.5 + k, 'f', 2);
            texts[1] << QString::number(13.25 + k, 'f', 2);
        }
        constexpr int kRepeats = 200;
        std::vector<double> program, floor;
        QByteArray plain(int(review.outputBytes), '\0');
        for (int i = 0; i < m_runs + 1; ++i) {
            Clock::time_point start = Clock::now();
            for (int r = 0; r < kRepeats; ++r) {
                for (qsizetype k = 0; k < review.compiled.size(); ++k)
                    array.place(review.compiled[k].rule, texts[r % 2].value(k % 100));
            }
            const double programMs = msSince(start, Clock::now()) / kRepeats;
            start = Clock::now();
            for (int r = 0; r < kRepeats; ++r) {
                for (qsizetype k = 0; k < review.compiled.size(); ++k) {
                    const float value =
                        float(Nmea::fieldNumber(texts[r % 2].value(k % 100).toLatin1()).value_or(0));
                    const int at = std::min<int>(review.compiled[k].firstByte(), int(plain.size()) - 4);
                    std::memcpy(plain.data() + std::max(at, 0), &value, sizeof value);
                }
            }
            const double floorMs = msSince(start, Clock::now()) / kRepeats;
            if (i == 0)
                continue;
            program.push_back(programMs);
            floor.push_back(floorMs);
        }
        m_figures.push_back(
            {"Output array: every one of 100 rules placed anew", median(program), median(floor), "ms", 0});
    }

    // One edit in the open rules window as the user makes it: a tick of rule 50 changed, the rows
    // read back, reviewed and their flags brought up to date, against the same plain tables.
    void reviewInWindow() {
        TFNMEA_0183_Set_Access2* window = m_main->nmeaAccessWindow();
        window->show();
        m_app.processEvents();
        QAbstractItemModel* model = window->ASG->model();
        const QModelIndex tick = model->index(49, 0);
        const auto [program, floor] = againstPlainTables(window->rules(), [&] {
            const bool ticked = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            model->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            window->reviewNow();
        });
        m_figures.push_back({"Rules window: one edit reviewed and flagged", program, floor, "ms", 0.5});
        window->hide();
        m_app.processEvents();
    }

    // Compile_Bank plus Save_Bank against writing the image's 3584 bytes into the same folder.
    void compileAndSave() {
        const QString binFolder = joinPath(m_state.Active_Conf_Dir, QStringLiteral("bin"));
        const QByteArray bytes(BankLayout::Size, '\x5A');
        std::vector<double> program, floor, compileOnly, saveOnly, atomicFloor;
        for (int i = 0; i < m_runs * 4 + 1; ++i) {
            BankImage image;
            Clock::time_point start = Clock::now();
            const bool compiled = Compile_Bank(m_state.File_ParGen, m_state.File_NMEA_Access, image);
            const Clock::time_point compiledAt = Clock::now();
            const bool saved = Save_Bank(m_state.Active_Conf_Dir, image);
            const Clock::time_point end = Clock::now();
            if (!compiled || !saved)
                std::fprintf(stderr, "Compile_Bank or Save_Bank failed\n");

            const Clock::time_point floorStart = Clock::now();
            {
                QFile file(joinPath(binFolder, QStringLiteral("floor.bin")));
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                    file.write(bytes) != bytes.size())
                    std::fprintf(stderr, "floor write failed\n");
            }
            const Clock::time_point floorEnd = Clock::now();
            saveFileAtomically(joinPath(binFolder, QStringLiteral("atomic.bin")), bytes);
            const Clock::time_point atomicEnd = Clock::now();
            if (i == 0)
                continue;
            program.push_back(msSince(start, end));
            compileOnly.push_back(msSince(start, compiledAt));
            saveOnly.push_back(msSince(compiledAt, end));
            floor.push_back(msSince(floorStart, floorEnd));
            atomicFloor.push_back(msSince(floorEnd, atomicEnd));
        }
        // A safe save cannot cost less than the atomic replace; the plain write was the floor of
        // earlier runs.
        m_figures.push_back(
            {"Compile_Bank + Save_Bank, 100 rules", median(program), median(atomicFloor), "ms", 1.5});
        m_figures.push_back({"Compile_Bank + Save_Bank, against the plain write of earlier runs",
                             median(program), median(floor), "ms", 0});
        m_details.push_back({"Compile_Bank alone", median(compileOnly), median(atomicFloor), "ms", 0});
        m_details.push_back({"Save_Bank alone", median(saveOnly), median(atomicFloor), "ms", 0});
        m_details.push_back({"A plain write of 3584 bytes", median(floor), median(atomicFloor), "ms", 0});
    }

    // Compile_Bank on a rules document of rowCount rows (the sample's 100 rules, then disabled
    // copies) against one pass of QXmlStreamReader over the same file doing nothing.
    void largeDocument(int rowCount, const char* name, const char* peakName) {
        QTemporaryDir folder;
        const QString rulesPath = folder.filePath(QStringLiteral("NMEA_0183_Set_Access.xml"));
        const QString sampleRules = m_state.File_NMEA_Access;
        {
            // Written in pieces, so that making the document does not raise the peak measured below.
            const QByteArray sample = Nmea::accessRulesDocument(Sample::rules(Nmea::RuleRows));
            const qsizetype listenerEnd = sample.indexOf("</NMEA_Listener>");
            const QByteArray filler =
                QByteArray(
                    "<row Enable=\"N\" Serial_Channel=\"RS232\" Sentence=\"GGA\" Index=\"\" DataField=\"\" "
                    "PortOperation=\"None\" SwapAll=\"N\" Swap16=\"N\" Position=\"0\" Mnemonic=\"\"/>")
                    .repeated(100);
            QFile file(rulesPath);
            bool written =
                file.open(QIODevice::WriteOnly) && file.write(sample.left(listenerEnd)) == listenerEnd;
            for (int rows = Nmea::RuleRows; rows < rowCount && written; rows += 100)
                written = file.write(filler) == filler.size();
            written = written && file.write(sample.mid(listenerEnd)) == sample.size() - listenerEnd;
            if (!written)
                std::fprintf(stderr, "cannot write the large rules document\n");
            m_largeSizes << QStringLiteral("%1 rows %2 MB").arg(rowCount).arg(file.size() / 1e6, 0, 'f', 1);
        }
        BankImage sampleImage;
        Compile_Bank(m_state.File_ParGen, sampleRules, sampleImage);
        const quint32 sampleRuleCount = sampleImage.u32(BankLayout::RuleCount);
        const long peakBefore = peakResidentKb();
        std::vector<double> program, floor;
        const int runs = std::max(3, m_runs / 3);
        for (int i = 0; i < runs + 1; ++i) {
            BankImage image;
            Clock::time_point start = Clock::now();
            if (!Compile_Bank(m_state.File_ParGen, rulesPath, image) ||
                image.u32(BankLayout::RuleCount) != sampleRuleCount)
                std::fprintf(stderr, "the large document did not compile to the sample's rules\n");
            const double programMs = msSince(start, Clock::now());

            start = Clock::now();
            QFile file(rulesPath);
            file.open(QIODevice::ReadOnly);
            QXmlStreamReader reader(&file);
            while (!reader.atEnd())
                reader.readNext();
            const double floorMs = msSince(start, Clock::now());
            if (reader.hasError())
                std::fprintf(stderr, "the large document is not well-formed\n");
            if (i == 0)
                continue;
            program.push_back(programMs);
            floor.push_back(floorMs);
        }
        m_figures.push_back({name, median(program), median(floor), "ms", 1.5});
        // A reader that kept the document would raise the peak by about its size.
        m_details.push_back({peakName, double(peakResidentKb()), double(peakBefore), "MB", 0});
    }

    // Change_Language across all windows against setting as many texts on plain labels. Both
    // languages are read before the clock starts: only applying the texts is measured.
    void languageSwitch() {
        // The user switches in the options window, which is open over the main window then.
        QWidget* options = m_main->softOptionsWindow();
        m_app.watch(options);
        options->show();
        m_app.waitForFrame();
        const QList<QWidget*> windows = allWindows();
        const MessageCatalog english = m_state.Msg_Catalog;
        QList<bool> fitted;
        const QStringList englishTexts = visibleTexts(windows, &fitted);
        m_state.Language_Name = QStringLiteral("Deutsch");
        Load_Language(m_state);
        const MessageCatalog german = m_state.Msg_Catalog;
        m_main->Change_Language();
        const QStringList germanTexts = visibleTexts(windows);
        // The texts that a language switch visibly changes; those that read the same in both
        // languages are left out of the floor, which only makes the floor smaller. Those the
        // program shows in a label, check box or tab go on labels of a window on screen, fitted to
        // their new text as a label at a fixed place must be; the rest on labels never shown.
        QStringList fromTexts, toTexts;
        QList<bool> shown;
        for (int i = 0; i < std::min(englishTexts.size(), germanTexts.size()); ++i) {
            if (englishTexts[i] != germanTexts[i]) {
                fromTexts << englishTexts[i];
                toTexts << germanTexts[i];
                shown << fitted.value(i);
            }
        }
        m_changedTexts = int(toTexts.size());
        m_fittedTexts = int(shown.count(true));

        QWidget hiddenParent;
        QWidget shownParent;
        QWidget earlierParent; // the floor of earlier runs: every text on a label never shown
        std::vector<QLabel*> labels, earlierLabels;
        for (int i = 0; i < m_changedTexts; ++i) {
            labels.push_back(new QLabel(fromTexts[i], shown[i] ? &shownParent : &hiddenParent));
            labels.back()->move(0, 14 * i);
            earlierLabels.push_back(new QLabel(fromTexts[i], &earlierParent));
        }
        shownParent.resize(400, 14 * m_changedTexts);
        m_app.watch(&shownParent);
        shownParent.show();
        m_app.waitForFrame();

        std::vector<double> program, floor, earlierFloor;
        for (int i = 0; i < m_runs * 2 + 1; ++i) {
            const bool toGerman = i % 2 == 0;
            m_state.Msg_Catalog = toGerman ? english : german; // back to where the switch starts
            m_main->Change_Language();
            m_state.Msg_Catalog = toGerman ? german : english;
            m_app.processEvents();
            Clock::time_point start = Clock::now();
            m_main->Change_Language();
            const double programMs = msSince(start, Clock::now());

            const QStringList& texts = toGerman ? toTexts : fromTexts;
            start = Clock::now();
            for (int k = 0; k < m_changedTexts; ++k) {
                labels[k]->setText(texts[k]);
                if (shown[k])
                    labels[k]->adjustSize();
            }
            const double floorMs = msSince(start, Clock::now());
            start = Clock::now();
            for (int k = 0; k < m_changedTexts; ++k)
                earlierLabels[k]->setText(texts[k]);
            const double earlierMs = msSince(start, Clock::now());
            m_app.processEvents();
            if (i == 0)
                continue;
            program.push_back(programMs);
            floor.push_back(floorMs);
            earlierFloor.push_back(earlierMs);
        }
        options->hide();
        shownParent.hide();
        m_figures.push_back({"Change_Language, all windows", median(program), median(floor), "ms", 1.5});
        m_figures.push_back({"Change_Language, against the labels never shown of earlier runs",
                             median(program), median(earlierFloor), "ms", 0});
    }

    // The monitor's replay of a 100 MB log against QFile::readLine over the same file, lines
    // dropped; the file is in the page cache for both. Fewer runs: each reads 100 MB.
    void nmeaReplay() {
        const QString big = m_folder.filePath(QStringLiteral("ship-100.nmea"));
        const QString small = m_folder.filePath(QStringLiteral("ship-10.nmea"));
        if (!NmeaReplay::writeLog(big, 100) || !NmeaReplay::writeLog(small, 10)) {
            std::fprintf(stderr, "cannot write the NMEA logs\n");
            return;
        }
        std::vector<double> program, floor, source, growthBig, growthSmall, growthFloor;
        const int runs = std::max(3, m_runs / 4);
        for (int i = 0; i < runs + 1; ++i) {
            const NmeaReplay::Run r = NmeaReplay::replay(big);
            const NmeaReplay::Run f = NmeaReplay::readLines(big);
            const NmeaReplay::Run s = NmeaReplay::replayThroughSource(big);
            const NmeaReplay::Run small10 = NmeaReplay::replay(small);
            if (r.hits == 0 || s.hits != r.hits)
                std::fprintf(stderr, "the replays fed no rule or not the same\n");
            if (i == 0)
                continue; // the first run brings the files into the page cache
            program.push_back(r.ms);
            floor.push_back(f.ms);
            source.push_back(s.ms);
            growthBig.push_back(r.peakKb);
            growthSmall.push_back(small10.peakKb);
            growthFloor.push_back(f.peakKb);
        }
        m_figures.push_back(
            {"NMEA replay, 100 MB log, 100 rules", median(program), median(floor), "ms", 3.0});
        m_replayDetails.push_back({"Replay through the log source (event loop, last lines kept)",
                                   median(source), median(floor), "ms", 0});
        m_replayDetails.push_back({"Peak resident memory of the replay: 100 MB log against a 10 MB log",
                                   median(growthBig), median(growthSmall), "MB", 0});
        m_replayDetails.push_back({"Peak resident memory: replay of 100 MB against QFile::readLine of it",
                                   median(growthBig), median(growthFloor), "MB", 0});
        m_replayRuns = runs;
    }

    void printReplayOnly() {
        printTable(m_figures);
        std::printf("\n");
        printTable(m_replayDetails);
        std::printf("\nMedians of %d runs, the log in the page cache.\n", m_replayRuns);
    }

    void print() {
        std::vector<Figure> figures = m_figures;
        if (m_memory.name[0] != '\0') {
            figures.push_back(m_memory);
            figures.push_back(m_oldMemory);
            figures.push_back(m_emptyMemory);
        }
        printTable(figures);
        std::printf("\nWhere start-up spends its time:\n\n");
        printTable(m_startDetails);
        std::printf("\nWhere compile and save spend their time, and the peak memory of large documents:\n\n");
        printTable(m_details);
        std::printf("\nWhere the NMEA replay stands (same floor, and memory):\n\n");
        printTable(m_replayDetails);
        std::printf("\nMedians of %d runs; start-up and memory are fresh processes, program and floor "
                    "alternating. The program creates %d widgets at start. The language switch changes %d "
                    "visible texts (English to Deutsch and back), %d of them in labels, check boxes and tabs "
                    "on screen. The review of the sample's 100 rules "
                    "reports %d findings. Large rules documents: %s. Qt %s, platform %s.\n",
                    m_runs, m_widgetCount, m_changedTexts, m_fittedTexts, m_reviewFindings,
                    qPrintable(m_largeSizes.join(u", ")), qVersion(),
                    qPrintable(QGuiApplication::platformName()));
    }

private:
    QList<QWidget*> allWindows() const {
        QList<QWidget*> windows{m_main.get()};
        for (QWidget* w : m_main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isWindow())
                windows << w;
        }
        return windows;
    }

    FrameClock& m_app;
    int m_runs;
    QTemporaryDir m_folder;
    QTemporaryDir m_startFolder;
    ProgramState m_state;
    std::unique_ptr<TFTesselloreFirmWare> m_main;
    std::vector<Figure> m_figures;
    std::vector<Figure> m_startDetails;
    std::vector<Figure> m_details;
    std::vector<Figure> m_replayDetails;
    int m_replayRuns = 0;
    Figure m_memory{"", 0, 0, "MB", 0};
    Figure m_oldMemory{"", 0, 0, "MB", 0};
    Figure m_emptyMemory{"", 0, 0, "MB", 0};
    QStringList m_largeSizes;
    int m_changedTexts = 0;
    int m_fittedTexts = 0;
    int m_reviewFindings = 0;
    int m_widgetCount = 0;
};

} // namespace

int main(int argc, char* argv[]) {
    FrameClock app(argc, argv);
    int runs = 21;
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype runsAt = arguments.indexOf(QStringLiteral("--runs"));
    if (runsAt > 0 && runsAt + 1 < arguments.size())
        runs = std::max(1, arguments[runsAt + 1].toInt());

    Bench bench(app, runs);
    if (!bench.prepare()) {
        std::fprintf(stderr, "cannot lay out the sample program folder\n");
        return 1;
    }
    if (arguments.contains(QStringLiteral("--replay-only"))) {
        std::fprintf(stderr, "NMEA replay...\n");
        bench.nmeaReplay();
        bench.printReplayOnly();
        return 0;
    }
    const qsizetype onlyAt = arguments.indexOf(QStringLiteral("--only"));
    const QString only = onlyAt > 0 ? arguments.value(onlyAt + 1) : QString();
    const auto wanted = [&only](const char* group) { return only.isEmpty() || only == QLatin1String(group); };
    if (wanted("startup")) {
        std::fprintf(stderr, "start-up and memory...\n");
        bench.startUp();
    }
    if (!bench.startProgram()) {
        std::fprintf(stderr, "the main window was never painted\n");
        return 1;
    }
    if (wanted("rules")) {
        std::fprintf(stderr, "rules window...\n");
        bench.rulesWindow();
    }
    if (wanted("review")) {
        std::fprintf(stderr, "review...\n");
        bench.review();
        bench.reviewInWindow();
        bench.outputArray();
    }
    if (wanted("compile")) {
        std::fprintf(stderr, "compile and save...\n");
        bench.compileAndSave();
    }
    if (wanted("large")) {
        std::fprintf(stderr, "large rules documents...\n");
        bench.largeDocument(10000, "Compile_Bank, rules document of 10,000 rows",
                            "Peak memory after the 10,000-row runs, against before them");
        bench.largeDocument(200000, "Compile_Bank, rules document of 200,000 rows",
                            "Peak memory after the 200,000-row runs, against before them");
    }
    if (wanted("language")) {
        std::fprintf(stderr, "language switch...\n");
        bench.languageSwitch();
    }
    if (only.isEmpty()) {
        std::fprintf(stderr, "NMEA replay...\n");
        bench.nmeaReplay();
    }
    bench.print();
    return 0;
}
