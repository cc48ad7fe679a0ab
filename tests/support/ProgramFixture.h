#pragma once

#include "RecordingMessageBoxes.h"
#include "core/shell/ProgramState.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TFTesselloreFirmWare;

// A fresh program folder with a running main window and every other window, message boxes
// recorded and web addresses caught instead of opened.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window over the program folder (call again after changing files).
    void startProgram();
    // Creates PROJECTS/name/bin and opens it as the active configuration.
    void openConfiguration(const QString& name);
    QString programPath(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;

    QTemporaryDir m_folder;
    ProgramState m_state;
    std::unique_ptr<TFTesselloreFirmWare> m_main;
    RecordingMessageBoxes m_boxes;
    QStringList m_openedUrls;
};
