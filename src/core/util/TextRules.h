#pragma once

#include <QString>
#include <optional>

// The one rule by which every reader and every data check turns a stored text into a number:
// optional leading blanks, an optional sign, then decimal digits (signed 32-bit range) or a
// hexadecimal number introduced by "$", "x" or "0x" (up to 32 bits, read as a two's-complement
// pattern, so "$FFFFFFFF" is -1). Nothing may follow; the empty text is not a number.
std::optional<qint32> parseIntText(const QString& text);

// The number, or fallback when the text is not one.
qint32 intTextOr(const QString& text, qint32 fallback);

// Removes blanks and control characters (everything up to U+0020) at both ends.
QString trimText(const QString& text);
// The same, as a view into text.
QStringView trimTextView(QStringView text);
// Upper-cases the letters a to z only; every other character stays as it is.
QString upperAscii(const QString& text);
// The text without control characters (tabs and line ends among them): what a typed or pasted
// value may keep. Documents never store them.
QString withoutControlCharacters(const QString& text);
