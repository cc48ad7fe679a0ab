#pragma once

#include <QString>
#include <QStringList>

// The numbered texts of every window: built-in English texts, replaceable by a language file.
class MessageCatalog {
public:
    static constexpr int SlotCount = 1600;

    MessageCatalog();

    // Puts the built-in texts back in every slot; a slot without one holds one blank.
    void Build_Default_Texts();
    // Applies a language file over the current texts. Returns false when it cannot be read.
    bool Load_Lng_File(const QString& path);

    // The text of slot n; one blank for a slot outside the catalog.
    QString text(int slot) const;
    void setText(int slot, const QString& text);

private:
    QStringList m_texts;
};

// Applies one line of a language file; a line that is not an entry leaves the catalog unchanged.
void applyLanguageLine(MessageCatalog& catalog, const QString& line);
// Decodes a language file: a byte-order mark selects UTF-8 or UTF-16, anything else is Windows-1252.
QString decodeLanguageFile(const QByteArray& bytes);
