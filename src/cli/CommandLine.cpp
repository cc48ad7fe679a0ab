#include "CommandLine.h"

#include "CommandOutput.h"

namespace Cli {

CommandLine::CommandLine(const QString& command, std::initializer_list<Option> options,
                         std::initializer_list<const char*> positional)
    : m_command(command), m_options(options), m_positionalNames(positional) {}

const Option* CommandLine::find(const QString& name) const {
    for (const Option& option : m_options) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

bool CommandLine::parse(const QStringList& words) {
    m_help = words.contains(QStringLiteral("-h")) || words.contains(QStringLiteral("--help"));
    if (m_help)
        return true;
    const auto fail = [this](const QString& message) {
        m_error = message;
        return false;
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (!word.startsWith(u'-') || word.size() == 1) {
            m_positional << word;
            continue;
        }
        const qsizetype equals = word.startsWith(QStringLiteral("--")) ? word.indexOf(u'=') : -1;
        const QString name = equals < 0 ? word : word.first(equals);
        const Option* option = find(name);
        if (!option)
            return fail(QStringLiteral("unknown option %1").arg(word));
        QString value;
        if (option->needs) {
            if (equals >= 0)
                value = word.sliced(equals + 1);
            else if (i + 1 < words.size())
                value = words[++i];
            if (value.isEmpty())
                return fail(QStringLiteral("%1 needs %2").arg(name, QLatin1String(option->needs)));
            if (m_given.contains(name))
                return fail(QStringLiteral("%1 given twice").arg(name));
        } else if (equals >= 0) {
            return fail(QStringLiteral("%1 takes no value").arg(name));
        }
        m_given.insert(name, value);
    }
    if (m_positional.size() < m_positionalNames.size())
        return fail(QStringLiteral("missing %1").arg(QLatin1String(m_positionalNames[m_positional.size()])));
    if (m_positional.size() > m_positionalNames.size())
        return fail(QStringLiteral("unexpected argument %1").arg(m_positional[m_positionalNames.size()]));
    return true;
}

QString CommandLine::argument(const char* name) const {
    for (qsizetype at = 0; at < m_positionalNames.size() && at < m_positional.size(); ++at) {
        if (qstrcmp(m_positionalNames[at], name) == 0)
            return m_positional[at];
    }
    return {};
}

int CommandLine::usageError(const QString& message) const {
    return Cli::usageError(message, m_command);
}

} // namespace Cli
