#pragma once

#include <QString>
#include <QStringList>

// The language files a user may pick in the options window, and their pages of six entries.
namespace LanguageList {

constexpr int EntriesPerPage = 6;

// The names of the *.lng files in the language folder, extension included, sorted without regard
// to case. Hidden files count; folders and files without the owner's write permission do not.
QStringList list(const QString& Dir_Language);

// A language's name: its file name less the ".lng" extension.
QString languageName(const QString& fileName);

// The flag picture of a language: name.bmp, else DefaultFlag.bmp, else an empty text.
QString flagFile(const QString& Dir_Language, const QString& name);

// Pages of six for n languages (0 for none).
int pageCount(int n);
// How many languages page p (from 1) shows: 0 to 6.
int entriesOnPage(int n, int page);

} // namespace LanguageList
