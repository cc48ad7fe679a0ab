#include "gui/shell/ProgramWindows.h"

#include "gui/comm/TFParGen.h"
#include "gui/nmea/TFDataMap.h"
#include "gui/nmea/TFNMEA_0183_Set_Access2.h"
#include "gui/nmea/TFNmeaMonitor.h"
#include "gui/options/TFAbout.h"
#include "gui/options/TFSoftOptions.h"
#include "gui/review/TFReviewFindings.h"
#include "gui/shell/TFNew_Project.h"
#include "gui/shell/TFOpenConf.h"
#include "gui/shell/TFTesselloreFirmWare.h"
#include "gui/update/TFBoot.h"

namespace {

// Every window is a descendant of the main window, so the main window finds the one it has built.
template <class Window> QWidget* existing(TFTesselloreFirmWare& main) {
    return main.findChild<Window*>();
}

template <class Window, Window* (TFTesselloreFirmWare::*Make)()>
constexpr ProgramWindow window(bool onDemand = false) {
    return {Window::staticMetaObject, existing<Window>,
            [](TFTesselloreFirmWare& main) -> QWidget* { return (main.*Make)(); }, onDemand};
}

template <class Window, Window* (TFNMEA_0183_Set_Access2::*Make)()> constexpr ProgramWindow ofRulesWindow() {
    return {Window::staticMetaObject, existing<Window>,
            [](TFTesselloreFirmWare& main) -> QWidget* { return (main.nmeaAccessWindow()->*Make)(); }, true};
}

// Change_Language switches the main window and the windows of its steps first, in the family's
// order; the About window, built with them, has fixed texts.
const ProgramWindow kWindows[] = {
    {TFTesselloreFirmWare::staticMetaObject, [](TFTesselloreFirmWare& main) -> QWidget* { return &main; },
     [](TFTesselloreFirmWare& main) -> QWidget* { return &main; }, false},
    window<TFNew_Project, &TFTesselloreFirmWare::newProjectWindow>(),
    window<TFOpenConf, &TFTesselloreFirmWare::openConfWindow>(),
    window<TFSoftOptions, &TFTesselloreFirmWare::softOptionsWindow>(),
    window<TFAbout, &TFTesselloreFirmWare::aboutWindow>(),
    window<TFParGen, &TFTesselloreFirmWare::parGenWindow>(),
    window<TFBoot, &TFTesselloreFirmWare::bootWindow>(),
    window<TFNMEA_0183_Set_Access2, &TFTesselloreFirmWare::nmeaAccessWindow>(),
    ofRulesWindow<TFDataMap, &TFNMEA_0183_Set_Access2::makeDataMapWindow>(),
    ofRulesWindow<TFNmeaMonitor, &TFNMEA_0183_Set_Access2::makeMonitorWindow>(),
    window<TFReviewFindings, &TFTesselloreFirmWare::makeReviewFindingsWindow>(true),
};

} // namespace

std::span<const ProgramWindow> programWindows() {
    return kWindows;
}
