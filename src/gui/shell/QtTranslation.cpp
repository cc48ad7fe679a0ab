#include "gui/shell/QtTranslation.h"

#include "core/util/Paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTranslator>

void useQtTranslation(const QString& languageFolder, const QString& languageName) {
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const QString file = joinPath(languageFolder, languageName + QStringLiteral(".qm"));
    if (!QFileInfo::exists(file))
        return;
    auto* translator = new QTranslator;
    if (!translator->load(file)) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
}
