#pragma once

#include <QSet>
#include <QString>

// Names of PLC data types and members that IEC 61131-3 compilers, TwinCAT, CODESYS and Logix take.
namespace Review {

constexpr int MaxIdentifierLength = 31;

// A valid identifier made from text: ASCII letters, digits and single underscores, not starting
// with a digit, at most MaxIdentifierLength characters, never a keyword, a standard function,
// function block or type name, an operator or a type conversion (INT_TO_REAL), and never the name
// of a padding member (Gap_4); such names get "R_" before them. Empty when nothing of text is left.
QString plcIdentifier(const QString& text);

// Whether an identifier, in any letter case, is a word the languages reserve.
bool isReservedPlcName(const QString& identifier);

// The name padding members take: Gap_ and the first byte they cover.
QString paddingName(int firstByte);

// Hands out names unique within one structure; identifiers ignore letter case.
class PlcNames {
public:
    // base itself when free, else base_2, base_3, ... shortened to stay within the length.
    QString take(const QString& base);

private:
    QSet<QString> m_taken; // upper case
};

} // namespace Review
