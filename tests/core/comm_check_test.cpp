#include "core/comm/ParGen.h"
#include "core/language/MessageCatalog.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CheckCase {
    const char* name;
    std::function<void(ParGenSet&)> edit;
    const char* message; // nullptr: the set passes
};

} // namespace

TEST(Controllo_Dati, ReportsTheFirstFailureInCheckOrder) {
    const CheckCase cases[] = {
        {"defaults pass", [](ParGenSet&) {}, nullptr},
        {"DNS off: any DNS text passes",
         [](ParGenSet& s) {
             s.Eth_Conn_Primary_DNS[1] = "300";
             s.Eth_Conn_Secondary_DNS[3] = "abc";
         },
         nullptr},
        {"DNS on: second primary octet",
         [](ParGenSet& s) {
             s.Eth_Conn_Enable_DNS = true;
             s.Eth_Conn_Primary_DNS[1] = "300";
         },
         "Error Primary DNS!! DNS 2 must be between 0 and 255"},
        {"DNS on: fourth secondary octet",
         [](ParGenSet& s) {
             s.Eth_Conn_Enable_DNS = true;
             s.Eth_Conn_Secondary_DNS[3] = "-1";
         },
         "Error Secondary DNS!! DNS 4 must be between 0 and 255"},
        {"address octets always, even under DHCP",
         [](ParGenSet& s) {
             s.Eth_Conn_DHCP_Cable = true;
             s.EtherNetIP_IP[2] = "256";
         },
         "Error EtherNet/IP!! IP Address 3 must be between 0 and 255"},
        {"leading blank passes, trailing blank fails",
         [](ParGenSet& s) {
             s.EtherNetIP_SM[0] = " 7";
             s.EtherNetIP_SM[1] = "7 ";
         },
         "Error EtherNet/IP!! SUBNET Mask 2 must be between 0 and 255"},
        {"hexadecimal octets count", [](ParGenSet& s) { s.EtherNetIP_SM[3] = "$100"; },
         "Error EtherNet/IP!! SUBNET Mask 4 must be between 0 and 255"},
        {"gateway off: not checked",
         [](ParGenSet& s) {
             s.EtherNetIP_GAT = {"x", "", "999", "-5"};
         },
         nullptr},
        {"gateway on: checked",
         [](ParGenSet& s) {
             s.EtherNetIP_EN_GAT = true;
             s.EtherNetIP_GAT[0] = "";
         },
         "Error EtherNet/IP!! GATEWAY IP 1 must be between 0 and 255"},
        {"input count 497", [](ParGenSet& s) { s.EtherNetIP_NB_Input = "497"; },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496"},
        {"input count -1", [](ParGenSet& s) { s.EtherNetIP_NB_Input = "-1"; },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496"},
        {"input count empty", [](ParGenSet& s) { s.EtherNetIP_NB_Input = ""; },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496"},
        {"input count 12a", [](ParGenSet& s) { s.EtherNetIP_NB_Input = "12a"; },
         "Error EtherNet/IP!! Number Byte Input must be between 0 and 496"},
        {"output count", [](ParGenSet& s) { s.EtherNetIP_NB_Output = "1000"; },
         "Error EtherNet/IP!! Number Byte Output must be between 0 and 496"},
        {"limits pass, ports and host name unchecked",
         [](ParGenSet& s) {
             s.EtherNetIP_NB_Input = "0";
             s.EtherNetIP_NB_Output = "496";
             s.EtherNetIP_IP = {"0", "255", "0", "255"};
             s.RS232 = {true, 7, 2, 1};
             s.Eth_Conn_Device_Name = "a name far longer than any device would take, with blanks";
         },
         nullptr},
        {"only the first of several failures",
         [](ParGenSet& s) {
             s.Eth_Conn_Enable_DNS = true;
             s.EtherNetIP_EN_GAT = true;
             s.Eth_Conn_Secondary_DNS[0] = "256";
             s.EtherNetIP_IP[0] = "x";
             s.EtherNetIP_GAT[0] = "x";
             s.EtherNetIP_NB_Output = "x";
         },
         "Error Secondary DNS!! DNS 1 must be between 0 and 255"},
    };
    MessageCatalog catalog;
    catalog.Build_Default_Texts();
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParGenSet set;
        c.edit(set);
        const std::optional<QString> failure = Controllo_Dati(set, catalog);
        if (c.message)
            EXPECT_EQ(failure.value_or("<passed>").toStdString(), c.message);
        else
            EXPECT_EQ(failure.value_or("<passed>").toStdString(), "<passed>");
    }
}

TEST(Controllo_Dati, PutsTheLimitOnlyInPlaceOfPercentD) {
    MessageCatalog catalog;
    catalog.Build_Default_Texts();
    catalog.setText(1197, QStringLiteral("Eingang %s %d bis %d"));
    ParGenSet set;
    set.EtherNetIP_NB_Input = QStringLiteral("500");
    EXPECT_EQ(Controllo_Dati(set, catalog), QStringLiteral("Eingang %s 496 bis 496"));
}
