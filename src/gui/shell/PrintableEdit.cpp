#include "gui/shell/PrintableEdit.h"

#include "core/util/TextRules.h"

#include <QLineEdit>

void keepPrintable(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString kept = withoutControlCharacters(text);
        if (kept == text)
            return;
        // Characters dropped before the cursor move it back by as many.
        const int cursor = int(withoutControlCharacters(text.left(edit->cursorPosition())).size());
        edit->setText(kept);
        edit->setCursorPosition(cursor);
    });
}
