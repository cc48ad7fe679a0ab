#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <initializer_list>

// The words of one command, read by one rule for every command of the companion: "-h" or "--help"
// anywhere asks for the command's help; an option that takes a value takes the next word, or what
// follows "=" in "--option=value"; any other word that starts with "-" is an unknown option; the
// other words are the positional arguments, named in the command's synopsis.
namespace Cli {

struct Option {
    const char* name; // "--channel", "-o"
    // What the option's value is, for "--channel needs a channel name"; nullptr for a flag.
    const char* needs = nullptr;
};

class CommandLine {
public:
    // command as typed ("replay"); the options it accepts; the names of its positional arguments
    // in order ("CONFIG_DIR", "LOGFILE"), all required.
    CommandLine(const QString& command, std::initializer_list<Option> options,
                std::initializer_list<const char*> positional);

    // False for wrong usage, with error(). With help() set, nothing else counts.
    bool parse(const QStringList& words);
    bool help() const { return m_help; }
    QString error() const { return m_error; }

    bool has(const char* option) const { return m_given.contains(QLatin1String(option)); }
    QString value(const char* option) const { return m_given.value(QLatin1String(option)); }
    // The positional argument of that name.
    QString argument(const char* name) const;

    // Writes the command's usage error, "tessellor-cli: COMMAND: message (see tessellor-cli
    // COMMAND --help)", and returns Usage.
    int usageError(const QString& message) const;
    // The same for error().
    int usageError() const { return usageError(m_error); }

private:
    const Option* find(const QString& name) const;

    QString m_command;
    QList<Option> m_options;
    QList<const char*> m_positionalNames;
    QHash<QString, QString> m_given; // option -> value (empty for a flag)
    QStringList m_positional;
    bool m_help = false;
    QString m_error;
};

} // namespace Cli
