#pragma once

// The slots TextSlots.h names, read from the header itself, so the catalog tests see every name.
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <map>
#include <string>

// Name -> slot for every slot named in TextSlots.h; a range gives one entry per slot ("Name[i]").
inline std::map<std::string, int> namedSlots() {
    QFile header(QStringLiteral(TESSELLOR_SOURCE_DIR "/src/core/language/TextSlots.h"));
    if (!header.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression group(QStringLiteral(R"(^namespace (\w+) \{)"));
    static const QRegularExpression single(QStringLiteral(R"(^inline constexpr int (\w+) = (\d+);)"));
    static const QRegularExpression range(
        QStringLiteral(R"(^inline constexpr TextRange (\w+)\{(\d+), (\d+)\};)"));
    std::map<std::string, int> result;
    QString window;
    for (const QString& line : QString::fromUtf8(header.readAll()).split(u'\n')) {
        if (const auto m = group.match(line); m.hasMatch()) {
            window = m.captured(1);
        } else if (const auto m = single.match(line); m.hasMatch()) {
            result[(window + QStringLiteral("::") + m.captured(1)).toStdString()] = m.captured(2).toInt();
        } else if (const auto m = range.match(line); m.hasMatch()) {
            for (int i = 0; i < m.captured(3).toInt(); ++i)
                result[QStringLiteral("%1::%2[%3]").arg(window, m.captured(1)).arg(i).toStdString()] =
                    m.captured(2).toInt() + i;
        }
    }
    return result;
}
