#include "core/shell/SettingsFile.h"

#include "core/shell/ProgramState.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "core/util/XmlDocument.h"

#include <QDomDocument>

#include <optional>

namespace SettingsFile {

namespace {

const QString kDefaultAddress = QStringLiteral("192.168.2.205");
const QString kDefaultLanguage = QStringLiteral("English");

// The text of root/group/item, or nothing when either element is missing.
std::optional<QString> item(const QDomNode& root, const QString& group, const QString& name) {
    const QDomElement groupElement = root.firstChildElement(group);
    if (groupElement.isNull())
        return std::nullopt;
    const QDomElement itemElement = groupElement.firstChildElement(name);
    if (itemElement.isNull())
        return std::nullopt;
    return itemElement.text();
}

bool flag(const QDomNode& root, const QString& name) {
    return item(root, QStringLiteral("lastinternet"), name) == QStringLiteral("1");
}

} // namespace

QString path(const ProgramState& state) {
    return joinPath(state.Dir_Program, QStringLiteral("Tessellor.xml"));
}

void load(ProgramState& state) {
    state.Active_Conf_Name.clear();
    state.Last_IP_Address = kDefaultAddress;
    state.Language_Name = kDefaultLanguage;
    state.Enable_Internet = false;
    state.Enable_Update = false;
    state.Enable_Jump_Field_Tables = false;
    state.Enable_Double_Click_Auto_Size = false;

    QDomDocument document;
    // A file that is missing, unreadable or not well-formed reads like a missing one.
    if (!parseXmlFile(path(state), document, nullptr))
        return;
    const QDomNode root = firstNodeAsRoot(document);

    state.Active_Conf_Name =
        item(root, QStringLiteral("lastproj"), QStringLiteral("projectname")).value_or(QString());
    state.Last_IP_Address =
        item(root, QStringLiteral("lastipadd"), QStringLiteral("ipaddress")).value_or(kDefaultAddress);
    state.Language_Name =
        item(root, QStringLiteral("lastlang"), QStringLiteral("language")).value_or(kDefaultLanguage);
    state.Enable_Internet = flag(root, QStringLiteral("enable_internet"));
    state.Enable_Update = flag(root, QStringLiteral("enable_update"));
    state.Enable_Jump_Field_Tables = flag(root, QStringLiteral("enable_jump_field_tables"));
    state.Enable_Double_Click_Auto_Size = flag(root, QStringLiteral("Double_Click_Auto_Size"));
}

QByteArray serialize(const ProgramState& state) {
    QDomDocument document;
    QDomNode root = document.appendChild(document.createElement(QStringLiteral("Conf_Settings")));
    auto flagText = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };

    QDomNode lastproj = appendTextElement(document, root, QStringLiteral("lastproj"), {});
    appendTextElement(document, lastproj, QStringLiteral("projectname"), state.Active_Conf_Name);
    QDomNode lastipadd = appendTextElement(document, root, QStringLiteral("lastipadd"), {});
    appendTextElement(document, lastipadd, QStringLiteral("ipaddress"), state.Last_IP_Address);
    QDomNode lastlang = appendTextElement(document, root, QStringLiteral("lastlang"), {});
    appendTextElement(document, lastlang, QStringLiteral("language"), state.Language_Name);
    QDomNode lastinternet = appendTextElement(document, root, QStringLiteral("lastinternet"), {});
    appendTextElement(document, lastinternet, QStringLiteral("enable_internet"),
                      flagText(state.Enable_Internet));
    appendTextElement(document, lastinternet, QStringLiteral("enable_update"), flagText(state.Enable_Update));
    appendTextElement(document, lastinternet, QStringLiteral("enable_jump_field_tables"),
                      flagText(state.Enable_Jump_Field_Tables));
    appendTextElement(document, lastinternet, QStringLiteral("Double_Click_Auto_Size"),
                      flagText(state.Enable_Double_Click_Auto_Size));
    return documentBytes(document);
}

bool save(const ProgramState& state, QString* error) {
    return saveFileAtomically(path(state), serialize(state), error);
}

} // namespace SettingsFile
