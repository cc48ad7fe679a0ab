#include "core/review/PlcNames.h"

#include <QRegularExpression>

namespace Review {

namespace {

// Compared in upper case. Keywords and elementary types of IEC 61131-3 (third edition), its
// standard functions, function blocks and instruction-list operators, and the additions of
// TwinCAT and CODESYS.
const QSet<QString>& reservedWords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* word : {"ABS",
                                 "ABSTRACT",
                                 "ACOS",
                                 "ACTION",
                                 "ADD",
                                 "ADR",
                                 "ADRINST",
                                 "AND",
                                 "ANDN",
                                 "ANY",
                                 "ARRAY",
                                 "ASIN",
                                 "AT",
                                 "ATAN",
                                 "ATAN2",
                                 "BIT",
                                 "BITADR",
                                 "BOOL",
                                 "BY",
                                 "BYTE",
                                 "CAL",
                                 "CALC",
                                 "CALCN",
                                 "CASE",
                                 "CHAR",
                                 "CLASS",
                                 "CONCAT",
                                 "CONFIGURATION",
                                 "CONSTANT",
                                 "CONTINUE",
                                 "COS",
                                 "CTD",
                                 "CTU",
                                 "CTUD",
                                 "DATE",
                                 "DATE_AND_TIME",
                                 "DAY_OF_WEEK",
                                 "DELETE",
                                 "DINT",
                                 "DIV",
                                 "DO",
                                 "DT",
                                 "DWORD",
                                 "ELSE",
                                 "ELSIF",
                                 "EN",
                                 "END_ACTION",
                                 "END_CASE",
                                 "END_CLASS",
                                 "END_CONFIGURATION",
                                 "END_FOR",
                                 "END_FUNCTION",
                                 "END_FUNCTION_BLOCK",
                                 "END_IF",
                                 "END_INTERFACE",
                                 "END_METHOD",
                                 "END_NAMESPACE",
                                 "END_PROGRAM",
                                 "END_PROPERTY",
                                 "END_REPEAT",
                                 "END_RESOURCE",
                                 "END_STEP",
                                 "END_STRUCT",
                                 "END_TRANSITION",
                                 "END_TYPE",
                                 "END_UNION",
                                 "END_VAR",
                                 "END_WHILE",
                                 "ENO",
                                 "EQ",
                                 "EXIT",
                                 "EXP",
                                 "EXPT",
                                 "EXTENDS",
                                 "FALSE",
                                 "FINAL",
                                 "FIND",
                                 "FOR",
                                 "FROM",
                                 "FROM_BIG_ENDIAN",
                                 "FROM_LITTLE_ENDIAN",
                                 "FUNCTION",
                                 "FUNCTION_BLOCK",
                                 "F_EDGE",
                                 "F_TRIG",
                                 "GE",
                                 "GT",
                                 "IF",
                                 "IMPLEMENTS",
                                 "INDEXOF",
                                 "INI",
                                 "INITIAL_STEP",
                                 "INSERT",
                                 "INT",
                                 "INTERFACE",
                                 "INTERNAL",
                                 "INTERVAL",
                                 "IS_VALID",
                                 "IS_VALID_BCD",
                                 "JMP",
                                 "JMPC",
                                 "JMPCN",
                                 "LD",
                                 "LDATE",
                                 "LDATE_AND_TIME",
                                 "LDN",
                                 "LDT",
                                 "LE",
                                 "LEFT",
                                 "LEN",
                                 "LIMIT",
                                 "LINT",
                                 "LN",
                                 "LOG",
                                 "LOWER_BOUND",
                                 "LREAL",
                                 "LT",
                                 "LTIME",
                                 "LTIME_OF_DAY",
                                 "LTOD",
                                 "LWORD",
                                 "MAX",
                                 "METHOD",
                                 "MID",
                                 "MIN",
                                 "MOD",
                                 "MOVE",
                                 "MUL",
                                 "MUX",
                                 "NAMESPACE",
                                 "NE",
                                 "NON_PERSISTENT",
                                 "NON_RETAIN",
                                 "NOT",
                                 "NULL",
                                 "OF",
                                 "ON",
                                 "OR",
                                 "ORN",
                                 "OVERLAP",
                                 "OVERRIDE",
                                 "PERSISTENT",
                                 "POINTER",
                                 "PRIORITY",
                                 "PRIVATE",
                                 "PROGRAM",
                                 "PROPERTY",
                                 "PROTECTED",
                                 "PUBLIC",
                                 "R",
                                 "READ_ONLY",
                                 "READ_WRITE",
                                 "REAL",
                                 "REF",
                                 "REFERENCE",
                                 "REF_TO",
                                 "REPEAT",
                                 "REPLACE",
                                 "RESOURCE",
                                 "RET",
                                 "RETAIN",
                                 "RETC",
                                 "RETCN",
                                 "RETURN",
                                 "RIGHT",
                                 "ROL",
                                 "ROR",
                                 "RS",
                                 "RTC",
                                 "R_EDGE",
                                 "R_TRIG",
                                 "S",
                                 "SEL",
                                 "SEMA",
                                 "SHL",
                                 "SHR",
                                 "SIN",
                                 "SINGLE",
                                 "SINT",
                                 "SIZEOF",
                                 "SQRT",
                                 "SR",
                                 "ST",
                                 "STEP",
                                 "STN",
                                 "STRING",
                                 "STRUCT",
                                 "SUB",
                                 "SUPER",
                                 "TAN",
                                 "TASK",
                                 "TEST_AND_SET",
                                 "THEN",
                                 "THIS",
                                 "TIME",
                                 "TIME_OF_DAY",
                                 "TO",
                                 "TOD",
                                 "TOF",
                                 "TON",
                                 "TONR",
                                 "TO_BIG_ENDIAN",
                                 "TO_LITTLE_ENDIAN",
                                 "TP",
                                 "TRANSITION",
                                 "TRUE",
                                 "TRUNC",
                                 "TYPE",
                                 "UDINT",
                                 "UINT",
                                 "ULINT",
                                 "UNION",
                                 "UNTIL",
                                 "UPPER_BOUND",
                                 "USING",
                                 "USINT",
                                 "UXINT",
                                 "VAR",
                                 "VAR_ACCESS",
                                 "VAR_CONFIG",
                                 "VAR_EXTERNAL",
                                 "VAR_GLOBAL",
                                 "VAR_INPUT",
                                 "VAR_INST",
                                 "VAR_IN_OUT",
                                 "VAR_OUTPUT",
                                 "VAR_STAT",
                                 "VAR_TEMP",
                                 "WCHAR",
                                 "WHILE",
                                 "WITH",
                                 "WORD",
                                 "WSTRING",
                                 "XINT",
                                 "XOR",
                                 "XORN",
                                 "XWORD"})
            set.insert(QLatin1String(word));
        return set;
    }();
    return words;
}

bool isPaddingLike(const QString& upper) {
    static const QRegularExpression pattern(QStringLiteral("^GAP_[0-9]+(_[0-9]+)?$"));
    return pattern.match(upper).hasMatch();
}

QString shortened(QString id, int length) {
    id.truncate(length);
    while (id.endsWith(u'_'))
        id.chop(1);
    return id;
}

} // namespace

bool isReservedPlcName(const QString& identifier) {
    const QString upper = identifier.toUpper();
    // ANY_NUM and the other generic types; INT_TO_REAL, BCD_TO_INT, TO_INT, TRUNC_INT and the other
    // conversions, which start with a type name; the typed counters and timers (CTU_DINT, TON_LTIME)
    // and the functions of time and date (ADD_TIME, SUB_DT_DT, CONCAT_DATE_TOD, SPLIT_LDT).
    static const QRegularExpression generic(QStringLiteral(
        "^(ANY_.*|TO_.*|TRUNC_.*|(BOOL|BYTE|WORD|DWORD|LWORD|SINT|INT|DINT|LINT|USINT|UINT|UDINT|"
        "ULINT|REAL|LREAL|TIME|LTIME|DATE|LDATE|TOD|LTOD|DT|LDT|TIME_OF_DAY|DATE_AND_TIME|STRING|"
        "WSTRING|CHAR|WCHAR|BCD)_(TO|TRUNC)_.*|(CTU|CTD|CTUD)_(INT|DINT|LINT|UDINT|ULINT)|"
        "(TP|TON|TOF)_L?TIME|(ADD|SUB|MUL|DIV|CONCAT|SPLIT)_(L?TIME|L?TOD|L?DT|L?DATE)(_.*)?)$"));
    return reservedWords().contains(upper) || generic.match(upper).hasMatch();
}

QString paddingName(int firstByte) {
    return QStringLiteral("Gap_%1").arg(firstByte);
}

QString plcIdentifier(const QString& text) {
    // Accented letters keep their base letter; every other character outside A-Z, 0-9 parts words.
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString id;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const char16_t u = c.unicode();
        const bool word = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
        if (word)
            id += c;
        else if (!id.isEmpty() && !id.endsWith(u'_'))
            id += u'_';
    }
    id = shortened(id, MaxIdentifierLength);
    if (id.isEmpty())
        return id;
    while (id[0].isDigit() || isReservedPlcName(id) || isPaddingLike(id.toUpper()))
        id = shortened(QStringLiteral("R_") + id, MaxIdentifierLength);
    return id;
}

QString PlcNames::take(const QString& base) {
    QString name = base;
    for (int k = 2; m_taken.contains(name.toUpper()); ++k) {
        const QString suffix = QStringLiteral("_%1").arg(k);
        name = shortened(base, MaxIdentifierLength - int(suffix.size())) + suffix;
    }
    m_taken.insert(name.toUpper());
    return name;
}

} // namespace Review
