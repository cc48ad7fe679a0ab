#include "core/update/UpdateAddress.h"

#include "core/shell/TextRules.h"

bool Split_IP_Address(const QString& text, std::array<QString, 4>& octets) {
    QString rest = trimText(text);
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0)
            return false;
        octets[i] = trimText(rest.left(dot));
        rest = trimText(rest.mid(dot + 1));
    }
    octets[3] = rest;
    for (const QString& octet : octets) {
        const qint32 value = intTextOr(octet, 1000);
        if (value < 0 || value > 255)
            return false;
    }
    return true;
}

std::array<quint8, 4> octetValues(const std::array<QString, 4>& octets) {
    std::array<quint8, 4> values{};
    for (int i = 0; i < 4; ++i)
        values[i] = static_cast<quint8>(intTextOr(octets[i], 0));
    return values;
}
