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

const QString kRememberWindows = QStringLiteral("Remember_Window_Sizes");
const QString kLogixAlignment = QStringLiteral("Logix_Alignment");
const QString kWindows = QStringLiteral("window_places");
const QString kWindow = QStringLiteral("window");

// <window_places><window name="..." geometry="left top width height"/>...; a place that does not
// read as four numbers with a size is skipped.
QMap<QString, QRect> windowPlaces(const QDomNode& root) {
    QMap<QString, QRect> places;
    const QDomElement windows = root.firstChildElement(kWindows);
    for (QDomElement w = windows.firstChildElement(kWindow); !w.isNull(); w = w.nextSiblingElement(kWindow)) {
        const QStringList numbers = w.attribute(QStringLiteral("geometry")).split(u' ', Qt::SkipEmptyParts);
        if (numbers.size() != 4 || w.attribute(QStringLiteral("name")).isEmpty())
            continue;
        int v[4];
        bool ok = true;
        for (int i = 0; i < 4 && ok; ++i)
            v[i] = numbers[i].toInt(&ok);
        const QRect place(v[0], v[1], v[2], v[3]);
        if (ok && place.isValid())
            places.insert(w.attribute(QStringLiteral("name")), place);
    }
    return places;
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
    state.Enable_Remember_Window_Sizes = false;
    state.Enable_Logix_Alignment = false;
    state.Window_Geometry.clear();

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
    state.Enable_Remember_Window_Sizes = flag(root, kRememberWindows);
    state.Enable_Logix_Alignment = flag(root, kLogixAlignment);
    if (state.Enable_Remember_Window_Sizes)
        state.Window_Geometry = windowPlaces(root);
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
    // Options added later, written only when on (missing reads as off): the document of a program
    // that uses none of them stays as it was, and an older program reads past them.
    if (state.Enable_Remember_Window_Sizes)
        appendTextElement(document, lastinternet, kRememberWindows, flagText(true));
    if (state.Enable_Logix_Alignment)
        appendTextElement(document, lastinternet, kLogixAlignment, flagText(true));
    if (state.Enable_Remember_Window_Sizes && !state.Window_Geometry.isEmpty()) {
        QDomNode windows = appendTextElement(document, root, kWindows, {});
        for (auto place = state.Window_Geometry.cbegin(); place != state.Window_Geometry.cend(); ++place) {
            QDomElement window = document.createElement(kWindow);
            window.setAttribute(QStringLiteral("name"), place.key());
            const QRect& r = place.value();
            window.setAttribute(
                QStringLiteral("geometry"),
                QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
            windows.appendChild(window);
        }
    }
    return documentBytes(document);
}

bool save(const ProgramState& state, QString* error) {
    return saveFileAtomically(path(state), serialize(state), error);
}

} // namespace SettingsFile
