#pragma once

#include "StandIns.h"
#include "core/shell/ProgramState.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TFTesselloreFirmWare;

// A fresh program folder with a running main window and every other window, with the stand-ins of
// StandIns in place: message boxes recorded, web addresses caught instead of opened.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window over the program folder (call again after changing files).
    void startProgram();
    // Creates PROJECTS/name/bin and opens it as the active configuration.
    void openConfiguration(const QString& name);
    // A path in the program folder as the program writes it, with the platform's separator.
    QString programPath(const QString& relative) const;
    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;

    QTemporaryDir m_folder;
    ProgramState m_state;
    std::unique_ptr<TFTesselloreFirmWare> m_main;
    StandIns m_standIns;
    RecordingMessageBoxes& m_boxes = m_standIns.boxes;
    QStringList& m_openedUrls = m_standIns.openedUrls;
};
