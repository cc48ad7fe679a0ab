#include "core/update/UpdateAddress.h"

#include "core/util/TextRules.h"

#include <QStringList>

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

std::optional<std::array<quint8, 4>> dottedDecimalAddress(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::array<quint8, 4> octets{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        int value = 0;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
        }
        if (value > 255)
            return std::nullopt;
        octets[i] = static_cast<quint8>(value);
    }
    return octets;
}
