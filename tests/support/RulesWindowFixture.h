#pragma once

#include "ProgramFixture.h"
#include "core/nmea/AccessRules.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/shell/TFTesselloreFirmWare.h"

#include <QApplication>
#include <QString>
#include <algorithm>
#include <utility>
#include <vector>

// The rules window over a configuration opened in a started program.
class RulesWindowFixture : public ProgramFixture {
protected:
    explicit RulesWindowFixture(QString configuration) : m_configuration(std::move(configuration)) {}

    void SetUp() override {
        ProgramFixture::SetUp();
        startProgram();
        openConfiguration(m_configuration);
        m_window = m_main->nmeaAccessWindow();
    }
    void TearDown() override {
        m_window->hide();
        ProgramFixture::TearDown();
    }

    // Saves the rows as the configuration's rules document.
    void storeRules(const std::vector<Nmea::AccessRule>& rows) {
        Nmea::RuleTable table{};
        std::copy(rows.begin(), rows.end(), table.begin());
        ASSERT_TRUE(Nmea::saveAccessRules(m_state.File_NMEA_Access, table).isEmpty());
    }
    void open() {
        m_window->show();
        QApplication::processEvents();
    }

    TFNMEA_0183_Set_Access2* m_window = nullptr;

private:
    QString m_configuration;
};
