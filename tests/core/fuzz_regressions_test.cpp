// Every input a fuzzer once broke a reader with, and the seeds the fuzzers start from, fed through
// the fuzzers' own entry functions: a crash fails the whole run, a broken property fails the case.

#include "../../fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

class FuzzInputs : public ::testing::TestWithParam<FuzzTargets::Target> {
protected:
    void SetUp() override {
        FuzzTargets::broken = [](const std::string& what) { throw std::runtime_error(what); };
    }

    // Runs every file of folder through the target; returns how many there were.
    int runFolder(const QString& folder) {
        const FuzzTargets::Target target = GetParam();
        int files = 0;
        for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                ADD_FAILURE() << "cannot read " << qPrintable(info.filePath());
                continue;
            }
            ++files;
            try {
                target.run(file.readAll());
            } catch (const std::exception& e) {
                ADD_FAILURE() << qPrintable(info.filePath()) << ": " << e.what();
            }
        }
        return files;
    }
};

TEST_P(FuzzInputs, RegressionInputsPass) {
    runFolder(QStringLiteral(TESSELLOR_TEST_DATA "/fuzz-regressions/") + QLatin1String(GetParam().name));
}

// The seeds are real documents: they must pass too, or the fuzzer starts from a broken property.
TEST_P(FuzzInputs, SeedCorpusPasses) {
    EXPECT_GT(
        runFolder(QStringLiteral(TESSELLOR_SOURCE_DIR "/fuzz/corpus/") + QLatin1String(GetParam().name)), 0)
        << "no seeds for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzInputs, ::testing::ValuesIn(FuzzTargets::kTargets),
                         [](const ::testing::TestParamInfo<FuzzTargets::Target>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
