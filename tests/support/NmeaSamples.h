#pragma once

#include "core/nmea/AccessRules.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>

// Helpers shared by the monitor's tests: sentences framed with their checksum, rule tables
// written compactly.
namespace NmeaSamples {

// "$" + body + "*hh" with the right checksum, without a line end.
inline QByteArray framed(const QByteArray& body, char start = '$') {
    quint8 sum = 0;
    for (const char c : body)
        sum ^= static_cast<quint8>(c);
    return start + body + '*' + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper();
}

struct Rule {
    const char* sentence;
    const char* field;
    const char* index = "";
    const char* postOperation = "None";
    const char* channel = "RS232";
    bool enable = true;
    const char* position = "";
};

inline Nmea::RuleTable table(std::initializer_list<Rule> rules) {
    Nmea::RuleTable table{};
    int row = 0;
    for (const Rule& r : rules) {
        Nmea::AccessRule& rule = table[row++];
        rule.Enable = r.enable;
        rule.Serial_Channel = QString::fromUtf8(r.channel);
        rule.Sentence = QString::fromUtf8(r.sentence);
        rule.DataField = QString::fromUtf8(r.field);
        rule.Index = QString::fromUtf8(r.index);
        rule.PortOperation = QString::fromUtf8(r.postOperation);
        rule.Position = QString::fromUtf8(r.position);
    }
    return table;
}

} // namespace NmeaSamples
