#include "core/comm/ParGen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

class ParGenFile : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("ParGen.xml")); }
    void write(const QByteArray& content) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    ParGenSet loadOk(const QByteArray& content) {
        write(content);
        ParGenSet set;
        EXPECT_EQ(ParGen::load(path(), set), ParGen::LoadResult::Loaded);
        return set;
    }

    QTemporaryDir m_dir;
};

// A set with no default value left, texts the data check would refuse included.
ParGenSet unusualSet() {
    ParGenSet set;
    set.Eth_Conn_Device_Name = QStringLiteral("conv <&> \"7\"");
    set.Eth_Conn_DHCP_Cable = true;
    set.Eth_Conn_Enable_DNS = true;
    set.Eth_Conn_Primary_DNS = {QStringLiteral(" 7"), QStringLiteral("007"), QStringLiteral("abc"),
                                QString()};
    set.Eth_Conn_Secondary_DNS = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("  "),
                                  QStringLiteral("300")};
    set.RS232 = {false, 7, 2, 1};
    set.RS485_1 = {true, 0, 1, 1};
    set.RS485_2 = {false, 5, 0, 0};
    set.EtherNetIP_IP = {QStringLiteral("10"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("9")};
    set.EtherNetIP_SM = {QStringLiteral("$FF"), QStringLiteral("255"), QStringLiteral("0"),
                         QStringLiteral("0")};
    set.EtherNetIP_GAT = {QStringLiteral("7 "), QStringLiteral("x"), QStringLiteral("-1"),
                          QStringLiteral("1")};
    set.EtherNetIP_EN_GAT = true;
    set.EtherNetIP_NB_Input = QStringLiteral("0");
    set.EtherNetIP_NB_Output = QStringLiteral("12");
    return set;
}

} // namespace

TEST_F(ParGenFile, MissingDocumentGivesTheWindowDefaults) {
    ParGenSet set = unusualSet();
    EXPECT_EQ(ParGen::load(path(), set), ParGen::LoadResult::Missing);
    const QStringList expected{"",    "0",    "0",    "0",     "8",    "8",     "8", "8",    "8",    "8",
                               "4",   "4",    "1",    "4800",  "NONE", "1 bit", "1", "4800", "NONE", "1 bit",
                               "1",   "4800", "NONE", "1 bit", "192",  "168",   "0", "5",    "255",  "255",
                               "255", "0",    "192",  "168",   "0",    "1",     "0", "496",  "496"};
    EXPECT_EQ(ParGen::storedTexts(set), expected);
}

TEST_F(ParGenFile, WritesEveryItemInDocumentOrderWithTheVersionComment) {
    ASSERT_TRUE(ParGen::save(path(), ParGenSet()));
    EXPECT_EQ(
        read().trimmed(),
        QByteArray("<Par_Gen>"
                   "<Eth_Conn_Device_Name/><Eth_Conn_DHCP_Cable>0</Eth_Conn_DHCP_Cable>"
                   "<Eth_Conn_DHCP_WiFi>0</Eth_Conn_DHCP_WiFi><Eth_Conn_Enable_DNS>0</Eth_Conn_Enable_DNS>"
                   "<Eth_Conn_Primary_DNS1>8</Eth_Conn_Primary_DNS1>"
                   "<Eth_Conn_Primary_DNS2>8</Eth_Conn_Primary_DNS2>"
                   "<Eth_Conn_Primary_DNS3>8</Eth_Conn_Primary_DNS3>"
                   "<Eth_Conn_Primary_DNS4>8</Eth_Conn_Primary_DNS4>"
                   "<Eth_Conn_Secondary_DNS1>8</Eth_Conn_Secondary_DNS1>"
                   "<Eth_Conn_Secondary_DNS2>8</Eth_Conn_Secondary_DNS2>"
                   "<Eth_Conn_Secondary_DNS3>4</Eth_Conn_Secondary_DNS3>"
                   "<Eth_Conn_Secondary_DNS4>4</Eth_Conn_Secondary_DNS4>"
                   "<RS232_ENABLE>1</RS232_ENABLE><RS232_BAUDRATE>4800</RS232_BAUDRATE>"
                   "<RS232_PARITY>NONE</RS232_PARITY><RS232_STOP_BITS>1 bit</RS232_STOP_BITS>"
                   "<RS485_1_ENABLE>1</RS485_1_ENABLE><RS485_1_BAUDRATE>4800</RS485_1_BAUDRATE>"
                   "<RS485_1_PARITY>NONE</RS485_1_PARITY><RS485_1_STOP_BITS>1 bit</RS485_1_STOP_BITS>"
                   "<RS485_2_ENABLE>1</RS485_2_ENABLE><RS485_2_BAUDRATE>4800</RS485_2_BAUDRATE>"
                   "<RS485_2_PARITY>NONE</RS485_2_PARITY><RS485_2_STOP_BITS>1 bit</RS485_2_STOP_BITS>"
                   "<EtherNetIP_IP1>192</EtherNetIP_IP1><EtherNetIP_IP2>168</EtherNetIP_IP2>"
                   "<EtherNetIP_IP3>0</EtherNetIP_IP3><EtherNetIP_IP4>5</EtherNetIP_IP4>"
                   "<EtherNetIP_SM1>255</EtherNetIP_SM1><EtherNetIP_SM2>255</EtherNetIP_SM2>"
                   "<EtherNetIP_SM3>255</EtherNetIP_SM3><EtherNetIP_SM4>0</EtherNetIP_SM4>"
                   "<EtherNetIP_GAT1>192</EtherNetIP_GAT1><EtherNetIP_GAT2>168</EtherNetIP_GAT2>"
                   "<EtherNetIP_GAT3>0</EtherNetIP_GAT3><EtherNetIP_GAT4>1</EtherNetIP_GAT4>"
                   "<EtherNetIP_EN_GAT>0</EtherNetIP_EN_GAT>"
                   "<EtherNetIP_NB_Input>496</EtherNetIP_NB_Input>"
                   "<EtherNetIP_NB_Output>496</EtherNetIP_NB_Output>"
                   "</Par_Gen><!--SW_VERSION = 1.000-->"));
}

TEST_F(ParGenFile, WriteThenReadGivesEverySetBackButTheWiFiFlag) {
    ParGenSet written = unusualSet();
    written.Eth_Conn_DHCP_WiFi = true;
    ASSERT_TRUE(ParGen::save(path(), written));
    EXPECT_FALSE(read().contains("EtherNetIP_PORT"));

    ParGenSet read;
    ASSERT_EQ(ParGen::load(path(), read), ParGen::LoadResult::Loaded);
    written.Eth_Conn_DHCP_WiFi = false;
    EXPECT_EQ(read, written);
}

TEST_F(ParGenFile, CharactersXmlCannotCarryAreDroppedSoTheDocumentStillLoads) {
    ParGenSet written;
    written.Eth_Conn_Device_Name = QStringLiteral("bridge\x01-1\x1F");
    ASSERT_TRUE(ParGen::save(path(), written));
    ParGenSet read;
    ASSERT_EQ(ParGen::load(path(), read), ParGen::LoadResult::Loaded);
    EXPECT_EQ(read.Eth_Conn_Device_Name, QStringLiteral("bridge-1"));
}

struct ReadCase {
    const char* name;
    const char* document;
    std::function<bool(const ParGenSet&)> holds;
};

TEST_F(ParGenFile, ReadsEachItemOnItsOwn) {
    const ReadCase cases[] = {
        {"flags are on only for 1",
         "<Par_Gen><Eth_Conn_DHCP_Cable>true</Eth_Conn_DHCP_Cable><Eth_Conn_Enable_DNS> "
         "1</Eth_Conn_Enable_DNS>"
         "<RS232_ENABLE>yes</RS232_ENABLE><EtherNetIP_EN_GAT>1</EtherNetIP_EN_GAT></Par_Gen>",
         [](const ParGenSet& s) {
             return !s.Eth_Conn_DHCP_Cable && !s.Eth_Conn_Enable_DNS && !s.RS232.Enable &&
                    s.EtherNetIP_EN_GAT;
         }},
        {"absent port enables read as on", "<Par_Gen><RS485_1_ENABLE>0</RS485_1_ENABLE></Par_Gen>",
         [](const ParGenSet& s) { return s.RS232.Enable && !s.RS485_1.Enable && s.RS485_2.Enable; }},
        {"baud rates that are no list entry select 4800",
         "<Par_Gen><RS232_BAUDRATE>300</RS232_BAUDRATE><RS485_1_BAUDRATE>abc</RS485_1_BAUDRATE>"
         "<RS485_2_BAUDRATE></RS485_2_BAUDRATE></Par_Gen>",
         [](const ParGenSet& s) {
             return s.RS232.BaudIndex == 2 && s.RS485_1.BaudIndex == 2 && s.RS485_2.BaudIndex == 2;
         }},
        {"parity and stop bits in any case",
         "<Par_Gen><RS232_PARITY>even</RS232_PARITY><RS232_STOP_BITS>2 BITS</RS232_STOP_BITS>"
         "<RS485_1_BAUDRATE>$1C200</RS485_1_BAUDRATE><RS485_1_STOP_BITS>2 bits</RS485_1_STOP_BITS>"
         "<RS485_2_STOP_BITS>2</RS485_2_STOP_BITS></Par_Gen>",
         [](const ParGenSet& s) {
             return s.RS232.ParityIndex == 2 && s.RS232.StopBitsIndex == 1 && s.RS485_1.BaudIndex == 7 &&
                    s.RS485_1.StopBitsIndex == 1 && s.RS485_2.StopBitsIndex == 0;
         }},
        {"texts stay as stored, an empty element stays empty",
         "<Par_Gen><EtherNetIP_IP1> 5</EtherNetIP_IP1><EtherNetIP_IP2>007</EtherNetIP_IP2>"
         "<EtherNetIP_NB_Input/><Eth_Conn_Device_Name>dev 1</Eth_Conn_Device_Name></Par_Gen>",
         [](const ParGenSet& s) {
             return s.EtherNetIP_IP[0] == " 5" && s.EtherNetIP_IP[1] == "007" && s.EtherNetIP_IP[2] == "0" &&
                    s.EtherNetIP_NB_Input.isEmpty() && s.EtherNetIP_NB_Output == "496" &&
                    s.Eth_Conn_Device_Name == "dev 1";
         }},
        {"any root name, element order free, others ignored, first of a key counts",
         "<Other><Unknown>9</Unknown><EtherNetIP_SM4>1</EtherNetIP_SM4><EtherNetIP_SM1>2</EtherNetIP_SM1>"
         "<EtherNetIP_SM4>3</EtherNetIP_SM4><Par_Gen><EtherNetIP_SM2>4</EtherNetIP_SM2></Par_Gen></Other>",
         [](const ParGenSet& s) {
             return s.EtherNetIP_SM[0] == "2" && s.EtherNetIP_SM[1] == "255" && s.EtherNetIP_SM[3] == "1";
         }},
        {"the Wi-Fi flag is never read", "<Par_Gen><Eth_Conn_DHCP_WiFi>1</Eth_Conn_DHCP_WiFi></Par_Gen>",
         [](const ParGenSet& s) { return !s.Eth_Conn_DHCP_WiFi; }},
        {"a comment before the root hides every item",
         "<!--x--><Par_Gen><Eth_Conn_Device_Name>a</Eth_Conn_Device_Name><RS232_ENABLE>0</RS232_ENABLE>"
         "</Par_Gen>",
         [](const ParGenSet& s) { return s == ParGenSet(); }},
        {"so does a processing instruction", "<?pi x?><Par_Gen><EtherNetIP_IP1>1</EtherNetIP_IP1></Par_Gen>",
         [](const ParGenSet& s) { return s == ParGenSet(); }},
        {"and a document type declaration",
         "<!DOCTYPE Par_Gen><Par_Gen><EtherNetIP_IP1>1</EtherNetIP_IP1></Par_Gen>",
         [](const ParGenSet& s) { return s == ParGenSet(); }},
        {"texts of blanks stay as they are",
         "<Par_Gen>\n <Eth_Conn_Device_Name>  </Eth_Conn_Device_Name>\n <EtherNetIP_IP1>\t</EtherNetIP_IP1>"
         "<EtherNetIP_IP2> <!--c--> </EtherNetIP_IP2></Par_Gen>",
         [](const ParGenSet& s) {
             return s.Eth_Conn_Device_Name == "  " && s.EtherNetIP_IP[0] == "\t" &&
                    s.EtherNetIP_IP[1] == "  ";
         }},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.holds(loadOk(c.document)));
    }
}

TEST_F(ParGenFile, DocumentThatIsNotWellFormedLeavesTheSetAndNamesFileAndLine) {
    write("<Par_Gen>\n<RS232_ENABLE>0</RS232_ENABLE>\n<EtherNetIP_IP1>1</EtherNetIP_IP2>\n</Par_Gen>");
    ParGenSet set = unusualSet();
    QString error;
    EXPECT_EQ(ParGen::load(path(), set, &error), ParGen::LoadResult::Failed);
    EXPECT_EQ(set, unusualSet());
    EXPECT_TRUE(error.contains(path())) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("line 3"))) << error.toStdString();
}

TEST_F(ParGenFile, FailedSaveKeepsTheOldFileAndSaysWhy) {
    write("<Par_Gen><Eth_Conn_Device_Name>old</Eth_Conn_Device_Name></Par_Gen>");
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    QString error;
    EXPECT_FALSE(ParGen::save(path(), unusualSet(), &error));
    EXPECT_TRUE(error.contains(path()));
    EXPECT_EQ(read(), QByteArray("<Par_Gen><Eth_Conn_Device_Name>old</Eth_Conn_Device_Name></Par_Gen>"));

    const QString inMissingFolder = m_dir.filePath(QStringLiteral("gone/ParGen.xml"));
    EXPECT_FALSE(ParGen::save(inMissingFolder, ParGenSet(), &error));
    EXPECT_TRUE(error.contains(inMissingFolder));
}
