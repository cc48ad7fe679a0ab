#include "core/update/UpdaterParameters.h"

#include "core/shell/ConfigurationFiles.h"
#include "core/shell/ProductIdentity.h"
#include "core/shell/ProgramState.h"
#include "core/util/Paths.h"
#include "core/util/SafeSave.h"
#include "core/util/XmlDocument.h"

namespace {

// What tells the two kinds of operation apart; every other element is the same for both.
struct OperationKind {
    const char* startAddress;
    const char* bankType;
    const char* writeCss;
    const char* addressCss;
};

constexpr OperationKind FirmwareOperation{"0x8000", "1", "1", "0x78100"};
constexpr OperationKind ConfigurationOperation{"0x68000", "2", "0", "0x50100"};

void appendOperation(QDomDocument& document, QDomNode& operations, const OperationKind& kind,
                     const QString& fileName, bool readBack, bool lastOperation) {
    QDomNode operation = document.createElement(QStringLiteral("Operation"));
    operations.appendChild(operation);
    const QString flag = QStringLiteral("1");
    const QString noFlag = QStringLiteral("0");
    const std::pair<const char*, QString> elements[] = {
        {"Ope_Protection_Enabled", QString()},
        {"Ope_GoToBoot_Before", noFlag},
        {"Ope_GoToApp_Before", noFlag},
        {"Ope_IP_Address", QString()},
        {"Ope_Port", QStringLiteral("2008")},
        {"Ope_Port_Sec", QStringLiteral("2007")},
        {"Ope_Erase_Memory", noFlag},
        {"Ope_FileName", fileName},
        {"Ope_Start_Address", QLatin1String(kind.startAddress)},
        {"Ope_Memory_Type", noFlag},
        {"Ope_Bank_Type", QLatin1String(kind.bankType)},
        {"Ope_Read_Back", readBack ? flag : noFlag},
        {"Ope_Write_CSS", QLatin1String(kind.writeCss)},
        {"Ope_Address_CSS", QLatin1String(kind.addressCss)},
        {"Ope_Command_CSS", QStringLiteral("0x0B")},
        // The device returns to its application only after the job's last operation.
        {"Ope_GoToApp_After", lastOperation ? flag : noFlag},
    };
    for (const auto& [name, text] : elements)
        appendTextElement(document, operation, QLatin1String(name), text);
}

} // namespace

QString updaterProgramName() {
#ifdef Q_OS_WIN
    return QStringLiteral("Ethernet_Update.exe");
#else
    return QStringLiteral("Ethernet_Update");
#endif
}

QString updaterParameterName() {
    return QStringLiteral("Ethernet_Update.xml");
}

QString updaterLogName() {
    return QStringLiteral("Ethernet_Update.log");
}

QString firmwareFileName() {
    return QStringLiteral("Sim73052.sim");
}

QDomDocument updaterParameterDocument(const QString& address, int optionIndex, bool readBack,
                                      const QString& firmwareFile, const QString& imageFile) {
    QDomDocument document;
    QDomNode root = document.createElement(QStringLiteral("Ethernet_Update"));
    document.appendChild(root);
    appendTextElement(document, root, QStringLiteral("Version"), QStringLiteral("1000"));
    appendTextElement(document, root, QStringLiteral("Title"),
                      QStringLiteral("Norvane - %1 Ethernet Update").arg(Product::SW_Code));
    appendTextElement(document, root, QStringLiteral("IP_Address_Dev"), address);
    appendTextElement(document, root, QStringLiteral("Application_Port"), QStringLiteral("10000"));
    appendTextElement(document, root, QStringLiteral("Boot_Port"), QStringLiteral("2008"));
    appendTextElement(document, root, QStringLiteral("Boot_Port_Sec"), QStringLiteral("2007"));
    appendTextElement(document, root, QStringLiteral("Address_Protection"), QStringLiteral("0x78000"));
    QDomNode protections = appendTextElement(document, root, QStringLiteral("Protections"), QString());
    appendTextElement(document, protections, QStringLiteral("Protection"), QStringLiteral("0x6B4"));
    QDomNode operations = appendTextElement(document, root, QStringLiteral("Operations"), QString());

    const bool firmware = optionIndex == UpdateFirmwareAndConfiguration || optionIndex == UpdateFirmware;
    const bool configuration =
        optionIndex == UpdateFirmwareAndConfiguration || optionIndex == UpdateConfiguration;
    if (firmware)
        appendOperation(document, operations, FirmwareOperation, firmwareFile, readBack, !configuration);
    if (configuration)
        appendOperation(document, operations, ConfigurationOperation, imageFile, readBack, true);
    return document;
}

bool Compile_XML_Parameter(const ProgramState& state, const QString& address, int optionIndex, bool readBack,
                           QString* error) {
    if (optionIndex < UpdateFirmwareAndConfiguration || optionIndex > UpdateConfiguration) {
        if (error)
            *error = QStringLiteral("Unknown update option %1").arg(optionIndex);
        return false;
    }
    const QString firmwareFile = joinPath(state.Dir_Master, firmwareFileName());
    const QString imageFile = ConfigurationFiles(state.Active_Conf_Dir).bank();
    const QDomDocument document =
        updaterParameterDocument(address, optionIndex, readBack, firmwareFile, imageFile);
    return saveFileAtomically(joinPath(state.Dir_Program, updaterParameterName()), documentBytes(document),
                              error);
}
