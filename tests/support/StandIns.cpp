#include "StandIns.h"

#include "gui/shell/TFTesselloreFirmWare.h"
#include "platform/UrlOpener.h"

StandIns::StandIns() {
    Platform::setUrlHandler([this](const QString& url) { openedUrls.append(url); });
}

StandIns::~StandIns() {
    Platform::setUrlHandler({});
}

void StandIns::limitProgramWait(TFTesselloreFirmWare& main, int milliseconds) {
    main.setStartProgramLimit(milliseconds);
}
