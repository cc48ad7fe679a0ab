#include "core/shell/ProgramState.h"
#include "core/update/UpdaterJobCheck.h"
#include "core/update/UpdaterParameters.h"
#include "core/util/Paths.h"
#include "core/util/XmlDocument.h"

#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A configuration image with some settings, a rule count and its checksum.
QByteArray validImage(quint32 rules = 3) {
    QByteArray image(3584, '\0');
    image[0x00C] = char(0x80);
    image[0x00D] = char(0x25);
    image[0x028] = char(192);
    image[0x029] = char(168);
    image[0x25C] = char(rules & 0xFF);
    image[0x25D] = char((rules >> 8) & 0xFF);
    image[0x800] = 7; // a rule record, outside the checksum
    quint32 sum = 0;
    for (int i = 0; i < 0x7FC; ++i)
        sum += static_cast<quint8>(image[i]);
    for (int i = 0; i < 4; ++i)
        image[0x7FC + i] = char((sum >> (8 * i)) & 0xFF);
    return image;
}

class UpdaterParametersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_state.setProgramFolder(m_folder.path());
        m_state.Active_Conf_Dir = joinPath(m_state.Dir_Projects, QStringLiteral("Ship"));
    }
    QString parameterFile() const {
        return joinPath(m_state.Dir_Program, QStringLiteral("Ethernet_Update.xml"));
    }
    QString firmwareFile() const { return joinPath(m_state.Dir_Master, QStringLiteral("Sim73052.sim")); }
    QString imageFile() const {
        return joinPath(joinPath(m_state.Active_Conf_Dir, QStringLiteral("bin")), QStringLiteral("bank.bin"));
    }

    QTemporaryDir m_folder;
    ProgramState m_state;
};

QByteArray operation(const QString& file, const char* start, const char* bank, bool readBack,
                     const char* writeCss, const char* addressCss, bool last) {
    return "<Operation><Ope_Protection_Enabled/><Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>"
           "<Ope_GoToApp_Before>0</Ope_GoToApp_Before><Ope_IP_Address/><Ope_Port>2008</Ope_Port>"
           "<Ope_Port_Sec>2007</Ope_Port_Sec><Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>" +
           file.toUtf8() + "</Ope_FileName><Ope_Start_Address>" + start +
           "</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type><Ope_Bank_Type>" + bank +
           "</Ope_Bank_Type><Ope_Read_Back>" + (readBack ? "1" : "0") + "</Ope_Read_Back><Ope_Write_CSS>" +
           writeCss + "</Ope_Write_CSS><Ope_Address_CSS>" + addressCss +
           "</Ope_Address_CSS><Ope_Command_CSS>0x0B</Ope_Command_CSS><Ope_GoToApp_After>" +
           (last ? "1" : "0") + "</Ope_GoToApp_After></Operation>";
}

TEST_F(UpdaterParametersTest, WritesTheWholeJobForEachOptionAndReadBack) {
    struct Case {
        int option;
        bool readBack;
        bool firmware;
        bool configuration;
    };
    const Case cases[] = {{0, true, true, true},   {0, false, true, true}, {1, true, true, false},
                          {1, false, true, false}, {2, true, false, true}, {2, false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "option " << c.option << " read back " << c.readBack);
        ASSERT_TRUE(Compile_XML_Parameter(m_state, QStringLiteral("192.168.002.5"), c.option, c.readBack));
        QByteArray operations;
        if (c.firmware)
            operations +=
                operation(firmwareFile(), "0x8000", "1", c.readBack, "1", "0x78100", !c.configuration);
        if (c.configuration)
            operations += operation(imageFile(), "0x68000", "2", c.readBack, "0", "0x50100", true);
        const QByteArray expected =
            "<Ethernet_Update><Version>1000</Version><Title>Norvane - SW73052 Ethernet Update</Title>"
            "<IP_Address_Dev>192.168.002.5</IP_Address_Dev><Application_Port>10000</Application_Port>"
            "<Boot_Port>2008</Boot_Port><Boot_Port_Sec>2007</Boot_Port_Sec>"
            "<Address_Protection>0x78000</Address_Protection><Protections><Protection>0x6B4</Protection>"
            "</Protections><Operations>" +
            operations + "</Operations></Ethernet_Update>";
        EXPECT_EQ(readAll(parameterFile()).trimmed(), expected);
    }
}

TEST_F(UpdaterParametersTest, ASecondLaunchKeepsNothingOfTheFirst) {
    ASSERT_TRUE(Compile_XML_Parameter(m_state, QStringLiteral("10.0.0.1"), 0, true));
    ASSERT_TRUE(Compile_XML_Parameter(m_state, QStringLiteral("10.0.0.2"), 2, false));
    const QByteArray second = readAll(parameterFile());
    QFile::remove(parameterFile());
    ASSERT_TRUE(Compile_XML_Parameter(m_state, QStringLiteral("10.0.0.2"), 2, false));
    EXPECT_EQ(second, readAll(parameterFile()));
    EXPECT_FALSE(second.contains("10.0.0.1"));
    EXPECT_FALSE(second.contains("Sim73052"));
}

TEST_F(UpdaterParametersTest, AFileThatCannotBeSavedIsReportedAndKeptWhole) {
    writeAll(parameterFile(), "<Ethernet_Update>old</Ethernet_Update>");
    QFile::setPermissions(parameterFile(), QFileDevice::ReadOwner);
    QString error;
    EXPECT_FALSE(Compile_XML_Parameter(m_state, QStringLiteral("10.0.0.1"), 0, true, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile::setPermissions(parameterFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readAll(parameterFile()), "<Ethernet_Update>old</Ethernet_Update>");

    EXPECT_FALSE(Compile_XML_Parameter(m_state, QStringLiteral("10.0.0.1"), 3, true, &error));
    EXPECT_EQ(readAll(parameterFile()), "<Ethernet_Update>old</Ethernet_Update>");
}

// What the stand-in updater finds in a job, from the files as they lie.
TEST_F(UpdaterParametersTest, StandInCheckFindsEveryFaultOfTheJob) {
    QByteArray badChecksum = validImage();
    badChecksum[0x100] = 1;
    QByteArray tooManyRules = validImage(200);
    struct Case {
        const char* name;
        const char* address;
        int option;
        QByteArray image; // empty: no image file
        bool firmware;
        bool ok;
        const char* found;
    };
    const Case cases[] = {
        {"valid image", "127.0.0.1", 2, validImage(), false, true,
         "valid configuration image (3584 bytes, checksum 0x"},
        {"address as typed", "192.168.002.5", 2, validImage(), false, true,
         "Device address: 192.168.002.5 - valid"},
        {"short image", "127.0.0.1", 2, validImage().left(3583), false, false, "3583 bytes instead of 3584"},
        {"checksum", "127.0.0.1", 2, badChecksum, false, false, "invalid configuration image: checksum"},
        {"rule count", "127.0.0.1", 2, tooManyRules, false, false, "200 rules"},
        {"no image", "127.0.0.1", 2, {}, false, false, "file missing"},
        {"no firmware", "127.0.0.1", 0, validImage(), false, false, "firmware file missing"},
        {"firmware and image", "127.0.0.1", 0, validImage(), true, true, "firmware file present"},
        {"bad address", "192.168.2.1a", 2, validImage(), false, false, "not a valid IPv4 address"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(imageFile());
        QFile::remove(firmwareFile());
        if (!c.image.isEmpty())
            writeAll(imageFile(), c.image);
        if (c.firmware)
            writeAll(firmwareFile(), "firmware");
        ASSERT_TRUE(Compile_XML_Parameter(m_state, QLatin1String(c.address), c.option, true));
        const UpdaterJobReport report = checkUpdaterJob(parameterFile());
        const QString log = report.lines.join(u'\n');
        EXPECT_EQ(report.ok, c.ok) << log.toStdString();
        EXPECT_TRUE(log.contains(QLatin1String(c.found))) << log.toStdString();
        EXPECT_EQ(report.lines.last(),
                  c.ok ? QStringLiteral("Result: OK") : QStringLiteral("Result: FAILED"));
    }
}

TEST_F(UpdaterParametersTest, StandInCheckRefusesAnUnreadableParameterFile) {
    writeAll(parameterFile(), "<Ethernet_Update><Version>1000</Version>");
    EXPECT_FALSE(checkUpdaterJob(parameterFile()).ok);
    writeAll(parameterFile(),
             "<Ethernet_Update><Version>1000</Version><IP_Address_Dev>1.2.3.4</IP_Address_Dev>"
             "<Operations/></Ethernet_Update>");
    const UpdaterJobReport empty = checkUpdaterJob(parameterFile());
    EXPECT_FALSE(empty.ok);
    EXPECT_TRUE(empty.lines.contains(QStringLiteral("No operation to do")));
}

TEST(ProgramFolderPath, IsWrittenWithTheSeparatorNamesAreJoinedWith) {
    struct Case {
        const char* reported;
        char separator;
        const char* expected;
    };
    const Case cases[] = {
        {"C:/Tools/Tessellor", '\\', "C:\\Tools\\Tessellor"},
        {"//server/share/Tessellor", '\\', "\\\\server\\share\\Tessellor"},
        {"/opt/tessellor", '/', "/opt/tessellor"},
        {"/opt/a\\b", '/', "/opt/a\\b"}, // a backslash is part of a name there
    };
    for (const Case& c : cases) {
        EXPECT_EQ(programFolderPath(QString::fromLatin1(c.reported), QLatin1Char(c.separator)),
                  QString::fromLatin1(c.expected))
            << c.reported;
    }
}

} // namespace
