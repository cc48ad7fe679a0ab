#include "core/shell/ProgramState.h"
#include "core/shell/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_state.setProgramFolder(m_dir.path()); }

    void write(const QByteArray& content) {
        QFile file(SettingsFile::path(m_state));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir m_dir;
    ProgramState m_state;
};

const QByteArray kFull = "<Conf_Settings><lastproj><projectname>Ship A</projectname></lastproj>"
                         "<lastipadd><ipaddress>10.0.0.7</ipaddress></lastipadd>"
                         "<lastlang><language>Deutsch</language></lastlang>"
                         "<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update>"
                         "<enable_jump_field_tables>1</enable_jump_field_tables>"
                         "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>";

TEST_F(SettingsFileTest, MissingFileGivesDefaults) {
    m_state.Enable_Internet = true;
    SettingsFile::load(m_state);
    EXPECT_EQ(m_state.Active_Conf_Name, QString());
    EXPECT_EQ(m_state.Last_IP_Address, QStringLiteral("192.168.2.205"));
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("English"));
    EXPECT_FALSE(m_state.Enable_Internet);
}

TEST_F(SettingsFileTest, ReadsEveryItem) {
    write(kFull);
    SettingsFile::load(m_state);
    EXPECT_EQ(m_state.Active_Conf_Name, QStringLiteral("Ship A"));
    EXPECT_EQ(m_state.Last_IP_Address, QStringLiteral("10.0.0.7"));
    EXPECT_EQ(m_state.Language_Name, QStringLiteral("Deutsch"));
    EXPECT_TRUE(m_state.Enable_Internet && m_state.Enable_Update && m_state.Enable_Jump_Field_Tables &&
                m_state.Enable_Double_Click_Auto_Size);
}

struct BrokenCase {
    const char* name;
    QByteArray content;
    QString address;
    QString project;
    bool internet;
    bool update;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsFileCases : public SettingsFileTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(SettingsFileCases, ReadsEachItemOnItsOwn) {
    write(GetParam().content);
    SettingsFile::load(m_state);
    EXPECT_EQ(m_state.Last_IP_Address, GetParam().address);
    EXPECT_EQ(m_state.Active_Conf_Name, GetParam().project);
    EXPECT_EQ(m_state.Enable_Internet, GetParam().internet);
    EXPECT_EQ(m_state.Enable_Update, GetParam().update);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFileCases,
    ::testing::Values(
        BrokenCase{"EmptyAddressStaysEmpty",
                   "<Conf_Settings><lastipadd><ipaddress></ipaddress></lastipadd></Conf_Settings>", "", "",
                   false, false},
        BrokenCase{"FlagTrueIsOff",
                   "<Conf_Settings><lastinternet><enable_internet>1</enable_internet>"
                   "<enable_update>true</enable_update></lastinternet></Conf_Settings>",
                   "192.168.2.205", "", true, false},
        BrokenCase{"FlagWithBlankIsOff",
                   "<Conf_Settings><lastinternet><enable_internet> "
                   "1</enable_internet></lastinternet></Conf_Settings>",
                   "192.168.2.205", "", false, false},
        BrokenCase{"MissingLastInternet",
                   "<Conf_Settings><lastproj><projectname>P</projectname></lastproj>"
                   "<lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd></Conf_Settings>",
                   "1.2.3.4", "P", false, false},
        BrokenCase{"RootOfAnotherName",
                   "<Other><lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd></Other>", "1.2.3.4", "",
                   false, false},
        BrokenCase{"LeadingDeclarationHidesEverything", "<?xml version=\"1.0\"?>" + kFull, "192.168.2.205",
                   "", false, false},
        BrokenCase{"BlankTextsStandAsTheyAre",
                   "<Conf_Settings><lastproj><projectname>  </projectname></lastproj><lastipadd><ipaddress> "
                   "<![CDATA[1.2.3.4]]>\n</ipaddress></lastipadd></Conf_Settings>",
                   " 1.2.3.4\n", "  ", false, false},
        BrokenCase{"LeadingDoctypeHidesEverything", "<!DOCTYPE x>" + kFull, "192.168.2.205", "", false,
                   false},
        BrokenCase{"NotWellFormed", "<Conf_Settings><lastipadd><ipaddress>1.2.3.4</lastipadd>",
                   "192.168.2.205", "", false, false},
        BrokenCase{"Empty", "", "192.168.2.205", "", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, WritesTheWholeDocumentInOrder) {
    m_state.Active_Conf_Name = QStringLiteral("A");
    m_state.Enable_Update = true;
    m_state.Enable_Double_Click_Auto_Size = true;
    EXPECT_EQ(
        SettingsFile::serialize(m_state),
        QByteArray("<Conf_Settings><lastproj><projectname>A</projectname></lastproj>"
                   "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                   "<lastlang><language>English</language></lastlang>"
                   "<lastinternet><enable_internet>0</enable_internet><enable_update>1</enable_update>"
                   "<enable_jump_field_tables>0</enable_jump_field_tables>"
                   "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

TEST_F(SettingsFileTest, SaveThenLoadKeepsNonAsciiNames) {
    m_state.Active_Conf_Name = QStringLiteral("Nave Caffè <1> & 2");
    m_state.Last_IP_Address = QString();
    ASSERT_TRUE(SettingsFile::save(m_state));
    ProgramState loaded;
    loaded.setProgramFolder(m_dir.path());
    SettingsFile::load(loaded);
    EXPECT_EQ(loaded.Active_Conf_Name, m_state.Active_Conf_Name);
    EXPECT_EQ(loaded.Last_IP_Address, QString());
}

TEST_F(SettingsFileTest, NamesOfBlanksSurviveSaveAndLoad) {
    for (const QString& name : {QStringLiteral("  "), QStringLiteral(" \r\n\t"), QStringLiteral("\r")}) {
        m_state.Active_Conf_Name = name;
        ASSERT_TRUE(SettingsFile::save(m_state));
        ProgramState loaded;
        loaded.setProgramFolder(m_dir.path());
        SettingsFile::load(loaded);
        EXPECT_EQ(loaded.Active_Conf_Name, name);
    }
}

TEST_F(SettingsFileTest, ReadOnlyFileIsRefusedAndKeptWhole) {
    write(kFull);
    QFile::setPermissions(SettingsFile::path(m_state), QFileDevice::ReadOwner);
    QString error;
    EXPECT_FALSE(SettingsFile::save(m_state, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile file(SettingsFile::path(m_state));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kFull);
}

// The options added later are extra elements: an older document reads them as off, and what the
// reader does not know is passed over.
TEST_F(SettingsFileTest, LaterOptionsAndWindowPlacesRoundTripAndOlderFilesReadAsBefore) {
    write(kFull);
    m_state.Window_Geometry.insert(QStringLiteral("Left over"), QRect(1, 2, 3, 4));
    SettingsFile::load(m_state);
    EXPECT_FALSE(m_state.Enable_Remember_Window_Sizes);
    EXPECT_FALSE(m_state.Enable_Logix_Alignment);
    EXPECT_TRUE(m_state.Window_Geometry.isEmpty());

    m_state.Enable_Remember_Window_Sizes = true;
    m_state.Enable_Logix_Alignment = true;
    m_state.Window_Geometry.insert(QStringLiteral("FNMEA_0183_Set_Access2"), QRect(30, 40, 1500, 700));
    ASSERT_TRUE(SettingsFile::save(m_state));
    ProgramState read;
    read.setProgramFolder(m_dir.path());
    SettingsFile::load(read);
    EXPECT_TRUE(read.Enable_Remember_Window_Sizes);
    EXPECT_TRUE(read.Enable_Logix_Alignment);
    EXPECT_EQ(read.Window_Geometry, m_state.Window_Geometry);
    EXPECT_EQ(read.Language_Name, "Deutsch");

    // Places are kept only while the option keeps them; a broken place is skipped.
    m_state.Enable_Remember_Window_Sizes = false;
    EXPECT_FALSE(SettingsFile::serialize(m_state).contains("window_places"));
    write(QByteArray(kFull).replace("</lastinternet>",
                                    "<Remember_Window_Sizes>1</Remember_Window_Sizes><unknown>7</unknown>"
                                    "</lastinternet><window_places><window name=\"a\" geometry=\"1 2 3\"/>"
                                    "<window name=\"b\" geometry=\"5 6 70 80\"/></window_places>"));
    SettingsFile::load(read);
    EXPECT_EQ(read.Window_Geometry, (QMap<QString, QRect>{{QStringLiteral("b"), QRect(5, 6, 70, 80)}}));
    EXPECT_TRUE(read.Enable_Double_Click_Auto_Size);
}

} // namespace
