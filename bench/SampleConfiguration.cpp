#include "SampleConfiguration.h"

#include "core/comm/ParGen.h"
#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/RulePositions.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"

#include <QDir>
#include <QFile>

namespace Sample {

Nmea::RuleTable rules(int count) {
    Nmea::RuleTable table{};
    const QStringList channels = Nmea::serialChannelNames();
    const QStringList postOperations = Nmea::postOperationLabels();
    int row = 0;
    for (int pass = 0; row < count && pass < 10; ++pass) {
        for (const QString& sentence : Nmea::supportedNames()) {
            const int index = Nmea::Find_Sentence(sentence);
            const QStringList fields = Nmea::fieldsOf(index);
            for (int field = 0; field < fields.size() && row < count; ++field) {
                Nmea::AccessRule& rule = table[row];
                rule.Serial_Channel = channels[row % channels.size()];
                rule.Sentence = sentence;
                rule.Index = Nmea::takesIndex(index) ? QString::number(1 + row % 9) : QString();
                rule.DataField = fields[field];
                rule.PortOperation = postOperations[row % 3];
                rule.SwapAll = row % 4 == 1;
                rule.Swap16 = row % 4 == 2;
                rule.Mnemonic = QStringLiteral("%1 field %2").arg(sentence).arg(field);
                ++row;
                Nmea::Set_Position(table, row, sentence, fields[field]);
                // The data array holds 2000 bytes: a long list starts again at the front.
                if (rule.Position.toInt() + Nmea::fieldSize(index, field) > 1999)
                    rule.Position = QString::number(Nmea::fieldSize(index, field) % 2);
            }
            if (row >= count)
                break;
        }
    }
    return table;
}

QString configurationFolder(const QString& folder) {
    return joinPath(joinPath(folder, QStringLiteral("PROJECTS")), ConfigurationName);
}

bool writeProgramFolder(const QString& folder, int ruleCount, const QString& language) {
    QDir root(folder);
    const QString languages = root.filePath(QStringLiteral("LANGUAGE"));
    if (!root.mkpath(QStringLiteral("MASTER")) || !root.mkpath(QStringLiteral("LANGUAGE")))
        return false;
    const QDir shipped(QStringLiteral(TESSELLOR_SOURCE_DIR "/data/LANGUAGE"));
    for (const QString& name : shipped.entryList(QDir::Files)) {
        QFile::remove(joinPath(languages, name));
        if (!QFile::copy(shipped.filePath(name), joinPath(languages, name)))
            return false;
    }

    const QString configuration = configurationFolder(folder);
    if (!QDir().mkpath(joinPath(configuration, QStringLiteral("bin"))))
        return false;

    ParGenSet set;
    set.Eth_Conn_Device_Name = QStringLiteral("bridge-deck");
    set.Eth_Conn_Enable_DNS = true;
    set.RS232.BaudIndex = 5;
    set.RS485_2.Enable = false;
    set.EtherNetIP_IP = {QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("2"),
                         QStringLiteral("205")};
    set.EtherNetIP_EN_GAT = true;
    set.EtherNetIP_NB_Input = QStringLiteral("128");
    set.EtherNetIP_NB_Output = QStringLiteral("32");
    if (!ParGen::save(joinPath(configuration, QStringLiteral("ParGen.xml")), set))
        return false;
    if (!Nmea::saveAccessRules(joinPath(configuration, QStringLiteral("NMEA_0183_Set_Access.xml")),
                               rules(ruleCount))
             .isEmpty())
        return false;

    const QString settings =
        QStringLiteral("<Conf_Settings><lastproj><projectname>%1</projectname></lastproj>"
                       "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                       "<lastlang><language>%2</language></lastlang>"
                       "<lastinternet><enable_internet>0</enable_internet>"
                       "<enable_update>0</enable_update>"
                       "<enable_jump_field_tables>1</enable_jump_field_tables>"
                       "<Double_Click_Auto_Size>1</Double_Click_Auto_Size>"
                       "</lastinternet></Conf_Settings>")
            .arg(ConfigurationName, language);
    return saveFileAtomically(root.filePath(QStringLiteral("Tessellor.xml")), settings.toUtf8());
}

} // namespace Sample
