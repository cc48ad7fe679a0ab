#pragma once

#include <QString>

// Qt's own texts (the Yes, No, OK and Cancel of the message boxes, the file dialog) in the chosen
// language: the file <language>.qm beside the language file, where the program folder has one
// (Qt's translation of the same language); none restores Qt's English.
void useQtTranslation(const QString& languageFolder, const QString& languageName);
