#pragma once

// The catalog slots that the program's code shows, by window. A text that fills several slots in a
// row (one per step, per octet, per button) is named by its first slot and its count. Each name
// stands on its own line in one of two forms, "inline constexpr int Name = slot;" or
// "inline constexpr TextRange Name{first, count};": a test reads this file to check that every
// named slot has a built-in text and a text in each shipped language, and that each slot has one
// name and lies in a block CatalogBlocks.h reserves (a new text of this product takes a free slot
// of ProductTextBlocks).

struct TextRange {
    int first;
    int count;
    constexpr int at(int index) const { return first + index; }
};

namespace TextSlot {

// The main window.
namespace Main {
inline constexpr int Begin = 0;
inline constexpr TextRange Steps{1, 8}; // L_Step_1 to L_Step_8
inline constexpr int NoConfiguration = 9;
inline constexpr int NoConfigurationHint = 10;
inline constexpr int OpenConfiguration = 11;
inline constexpr int InfoTip = 12;
inline constexpr int OptionsTip = 13;
inline constexpr int CloseTip = 14;
inline constexpr int NewButton = 15;
inline constexpr int OpenButton = 16;
inline constexpr int UpdateButton = 17;
inline constexpr int ProjectNotValid = 18;
inline constexpr int NewVersionLink = 19;
inline constexpr int CommunicationButton = 20;
inline constexpr int NmeaAccessButton = 21;
inline constexpr int NewTip = 22;
inline constexpr int OpenTip = 23;
inline constexpr int CommunicationTip = 24;
inline constexpr int NmeaAccessTip = 25;
inline constexpr int UpdateTip = 26;
inline constexpr TextRange HiddenButtons{27, 5}; // editors of other products of the family
inline constexpr TextRange HiddenButtonTips{32, 5};
inline constexpr int ImageNotWritten = 38;
inline constexpr int TooManyRules = 39;
inline constexpr int DocumentNotReadable = 40;
inline constexpr int ConfigurationGone = 41;  // %1: the folder
inline constexpr int FolderGoneNotSaved = 42; // %1: the folder; said by the editors at OK
} // namespace Main

// The commissioning review's findings, filled with rule numbers, bytes and stored texts. A left-out
// rule's message is LeftOut followed by its reason.
namespace ReviewMessages {
inline constexpr int LeftOut = 43;       // %1 rule
inline constexpr int LeftOutEnable = 44; // %1 the stored Enable, quoted, or EnableMissing
inline constexpr int EnableMissing = 45;
inline constexpr int LeftOutNoChannel = 46;
inline constexpr int LeftOutChannel = 47;           // %1 the stored channel
inline constexpr int LeftOutPortDisabled = 48;      // %1 the channel
inline constexpr int LeftOutSentence = 49;          // %1 the stored sentence
inline constexpr int LeftOutUnsupported = 50;       // %1 the sentence
inline constexpr int LeftOutField = 51;             // %1 the stored field, %2 the sentence
inline constexpr int StoredPostOperation = 52;      // %1 rule, %2 the stored text, quoted
inline constexpr int StoredIndex = 53;              // %1 rule, %2 the stored text, quoted, %3 the Index used
inline constexpr int StoredPosition = 54;           // %1 rule, %2 the stored text, quoted, %3 the byte used
inline constexpr int BeyondDataArray = 55;          // %1 rule, %2 Bytes, %3 array size, %4 last Position
inline constexpr int Unreachable = 56;              // %1 rule, %2 Bytes, %3 output bytes, %4 last Position
inline constexpr int UnreachableArrayTooSmall = 57; // %1 rule, %2 Bytes, %3 output bytes
inline constexpr int SwapNoEffect = 58;             // %1 rule, %2 the swap columns, %3 field size
inline constexpr int BothSwaps = 59;                // %1 and %2: the two swap columns' titles
inline constexpr int Overlap = 60;                  // %1 and %2 rules, %3 Bytes
inline constexpr int Duplicate = 61;                // %1, %2 rules, %3 sentence, %4 field, %5 channel
inline constexpr int DuplicateIndex = 62;           // as Duplicate, %6 the Index
inline constexpr int NotSaved = 63;                 // %1 the row, %2 the empty row above it
inline constexpr int MaskNotContiguous = 64;        // %1 the mask
inline constexpr int AddressZero = 65;
inline constexpr int AddressNetwork = 66;       // %1 the address, %2 the mask
inline constexpr int AddressBroadcast = 67;     // %1 the address, %2 the mask
inline constexpr int GatewayOutsideSubnet = 68; // %1 gateway, %2 address, %3 mask
inline constexpr int Byte = 69;                 // %1: one byte, as Bytes in the messages above
inline constexpr int Bytes = 70;                // %1 first, %2 last
} // namespace ReviewMessages

// Said once at start by the main window.
namespace ProgramFolder {
inline constexpr int NotWritable = 86; // %1: the folder that takes no files
} // namespace ProgramFolder

// TFNew_Project.
namespace NewProject {
inline constexpr int Title = 100;
inline constexpr int Description = 101;
inline constexpr int NameLabel = 102;
inline constexpr int OkButton = 103;
inline constexpr int CancelButton = 104;
inline constexpr int NameNotValid = 105;
inline constexpr int AlreadyExists = 106;
inline constexpr int EmptyName = 107;
inline constexpr int NameTip = 108;
inline constexpr int OkTip = 109;
inline constexpr int CancelTip = 110;
} // namespace NewProject

// TFOpenConf.
namespace OpenConf {
inline constexpr int Title = 200;
inline constexpr int Description = 201;
inline constexpr int ListLabel = 202;
inline constexpr int OkButton = 203;
inline constexpr int CancelButton = 204;
inline constexpr int ListTip = 205;
inline constexpr int OkTip = 206;
inline constexpr int CancelTip = 207;
} // namespace OpenConf

// TFSoftOptions.
namespace Options {
inline constexpr int Title = 300;
inline constexpr int Description = 301;
inline constexpr int LanguageTab = 302;
inline constexpr int ConnectionTab = 303;
inline constexpr int SelectedLanguage = 304;
inline constexpr int PageBefore = 305; // "Page " 1 " / " 2
inline constexpr int PageBetween = 306;
inline constexpr int PreviousButton = 307;
inline constexpr int NextButton = 308;
inline constexpr int EnableInternet = 309;
inline constexpr int CheckAtStart = 310;
inline constexpr int CheckUpdateButton = 311;
inline constexpr int OkButton = 312;
inline constexpr int CancelButton = 313;
inline constexpr int NewVersionLink = 314;
inline constexpr int NoUpdate = 315;
inline constexpr int ChangeLanguageFrom = 316; // question: 316 old 317 new 318
inline constexpr int ChangeLanguageTo = 317;
inline constexpr int ChangeLanguageEnd = 318;
inline constexpr int SettingsTab = 319;
inline constexpr int JumpInTables = 320;
inline constexpr int DoubleClickAutoSize = 321;
inline constexpr int RememberWindowSizes = 322;
inline constexpr int AlignForLogix = 323;
} // namespace Options

// TFParGen and its data check.
namespace ParGen {
inline constexpr int Title = 400;
inline constexpr int Description = 401;
inline constexpr int OkButton = 402;
inline constexpr int CancelButton = 403;
inline constexpr int OkTip = 404;
inline constexpr int CancelTip = 405;
// A serial port panel's nine slots, in SerialPortText order.
inline constexpr TextRange RS232{427, 9};
inline constexpr TextRange RS485_1{436, 9};
inline constexpr TextRange RS485_2{445, 9};
inline constexpr int ChangedOnDisk = 593; // %1: the document; asked at OK
inline constexpr int EthernetCaption = 1121;
inline constexpr int DeviceName = 1122;
inline constexpr int DeviceNameTip = 1123;
inline constexpr int DhcpCable = 1124;
inline constexpr int DhcpCableTip = 1125;
inline constexpr int DhcpWiFi = 1126;
inline constexpr int DhcpWiFiTip = 1127;
inline constexpr int EnableDns = 1128;
inline constexpr int EnableDnsTip = 1129;
inline constexpr int PrimaryDns = 1130;
inline constexpr TextRange PrimaryDnsTips{1131, 4};
inline constexpr int SecondaryDns = 1135;
inline constexpr TextRange SecondaryDnsTips{1136, 4};
inline constexpr TextRange PrimaryDnsErrors{1147, 4};
inline constexpr TextRange SecondaryDnsErrors{1151, 4};
inline constexpr int EtherNetIPCaption = 1158;
inline constexpr int Address = 1159;
inline constexpr TextRange AddressTips{1160, 4};
inline constexpr int Mask = 1164;
inline constexpr TextRange MaskTips{1165, 4};
inline constexpr int Gateway = 1169;
inline constexpr int GatewayTip = 1170;
inline constexpr TextRange GatewayTips{1171, 4};
inline constexpr int TunnelPort = 1175;
inline constexpr int TunnelPortTip = 1176;
inline constexpr int BytesIn = 1177;
inline constexpr int BytesInTip = 1178;
inline constexpr int BytesOut = 1179;
inline constexpr int BytesOutTip = 1180;
inline constexpr TextRange AddressErrors{1184, 4};
inline constexpr TextRange MaskErrors{1188, 4};
inline constexpr TextRange GatewayErrors{1192, 4};
inline constexpr int BytesInError = 1197;
inline constexpr int BytesOutError = 1198;
inline constexpr int DiscardChanges = 1281; // asked before unsaved parameters are dropped
} // namespace ParGen

// The place of each text in a serial port panel's range.
enum SerialPortText : int {
    PortCaption,
    PortEnable,
    PortBaud,
    PortParity,
    PortStopBits,
    PortEnableTip,
    PortBaudTip,
    PortParityTip,
    PortStopBitsTip,
};

// TFBoot.
namespace Boot {
inline constexpr int Title = 802;
inline constexpr int Description = 803;
inline constexpr int AddressLabel = 806;
inline constexpr int OptionsLabel = 814;
inline constexpr TextRange Options{815, 3}; // in UpdateOption order
inline constexpr int ReadBack = 818;
inline constexpr int CancelButton = 819;
inline constexpr int UpdateButton = 820;
inline constexpr TextRange AddressTips{821, 4};
inline constexpr int OptionsTip = 832;
inline constexpr int ReadBackTip = 833;
inline constexpr int CancelTip = 834;
inline constexpr int UpdateTip = 835;
inline constexpr int DeviceNotFound = 836;
inline constexpr int AddressNotValid = 837;
} // namespace Boot

// The row operations of the table editors.
namespace Rows {
inline constexpr int OverwriteRow = 900;
inline constexpr int ClipboardWidth = 901;
inline constexpr int NothingCopied = 902;
} // namespace Rows

// Editing in the rules table: the Bytes column and the messages of its editing keys.
namespace TableEditing {
inline constexpr int BytesHeader = 904;
inline constexpr int BytesHint = 905;
inline constexpr int PositionMoved = 906; // %1 rule, %2 old position, %3 new
inline constexpr int FillRefused = 907;   // %1 row, %2 column, %3 the value
} // namespace TableEditing

// TFNMEA_0183_Set_Access2 and its data check.
namespace NmeaAccess {
inline constexpr int Title = 1000;
inline constexpr int Description = 1001;
inline constexpr TextRange Buttons{1002, 6}; // OK, Cancel, Delete, Insert, Copy, Paste
inline constexpr TextRange ButtonTips{1008, 6};
inline constexpr int RowNumberHeader = 1014;
inline constexpr int EnableHeader = 1015;
inline constexpr int ChannelHeader = 1016;
inline constexpr int SentenceHeader = 1017;
inline constexpr int FieldHeader = 1018;
inline constexpr int PostOpeHeader = 1019;
inline constexpr int SwapAllHeader = 1020;
inline constexpr int Swap16Header = 1021;
inline constexpr int PositionHeader = 1022;
inline constexpr int MnemonicHeader = 1023;
inline constexpr int EnableHint = 1024;
inline constexpr int ChannelHint = 1025;
inline constexpr int SentenceHint = 1026;
inline constexpr int FieldHint = 1027;
inline constexpr int PostOpeHint = 1028;
inline constexpr int SwapAllHint = 1029;
inline constexpr int Swap16Hint = 1030;
inline constexpr int PositionHint = 1031;
inline constexpr int MnemonicHint = 1032;
inline constexpr int ErrorRow = 1033; // "Error row " n, then the reason
inline constexpr int FieldMissing = 1036;
inline constexpr int PostOpeMissing = 1037;
inline constexpr int PositionOutside = 1038; // followed by the limit
inline constexpr int DeleteRow = 1039;
inline constexpr int IndexHeader = 1040;
inline constexpr int IndexHint = 1041;
inline constexpr int IndexTo10 = 1042;
inline constexpr int IndexTo50 = 1043;
inline constexpr int IndexTo36 = 1044;
inline constexpr int IndexTo9 = 1045;
inline constexpr int IndexTo32 = 1046;
inline constexpr int RowsNotSaved = 1047;
inline constexpr int ChangedOnDisk = 1060;   // %1: the document; asked at OK
inline constexpr int HintMore = 1061;        // %1: the lines a row's hint leaves out
inline constexpr int PasteRefused = 1062;    // %1 row, %2 column, %3 the value
inline constexpr int PasteDoesNotFit = 1063; // %1 rows, %2 columns, from row %3, column %4
inline constexpr int DiscardChanges = 1280;  // asked before unsaved rules are dropped
} // namespace NmeaAccess

// The commissioning review: the flags and buttons of the rules window, the data map and the
// findings shown before a device update.
namespace ReviewWindows {
inline constexpr int DataMapButton = 1200;
inline constexpr int DataMapTip = 1201;
inline constexpr int NoFindings = 1202;
inline constexpr int FindingCounts = 1203;      // errors %1, warnings %2, notes %3
inline constexpr TextRange Severities{1204, 3}; // in Review::Severity order: error, warning, note
inline constexpr int FindingsTip = 1207;
inline constexpr int MapTitle = 1208;
inline constexpr int MapDescription = 1209;
inline constexpr int MapCloseButton = 1210;
inline constexpr int MapCloseTip = 1211;
inline constexpr int MapInputSize = 1212;  // %1 bytes
inline constexpr int MapOutputSize = 1213; // %1 bytes
inline constexpr int MapShared = 1214;
inline constexpr int MapBeyondOutput = 1215;
inline constexpr int MapByte = 1216; // %1: the byte
inline constexpr int MapByteFree = 1217;
inline constexpr int MapByteOfRule = 1218; // %1 rule, %2 name, %3 first byte, %4 last byte
inline constexpr int MapByteShared = 1219;
inline constexpr int MapRuleCount = 1220; // %1 compiled rules, %2 bytes in use
inline constexpr int FindingsTitle = 1221;
inline constexpr int FindingsDescription = 1222;
inline constexpr int FindingsIntro = 1223;
inline constexpr int BackButton = 1224;
inline constexpr int BackTip = 1225;
inline constexpr int ProceedButton = 1226;
inline constexpr int ProceedTip = 1227;
inline constexpr TextRange FindingsHeaders{1228, 3}; // Severity, Rules, Message
inline constexpr int MapExportButton = 1283;
inline constexpr int MapExportTip = 1284;
inline constexpr int MapExportTitle = 1285;
inline constexpr int MapExportRefused = 1286;         // %1: why, in English from the layout
inline constexpr int MapExportFailed = 1287;          // %1: the file's error
inline constexpr TextRange MapExportFormats{1291, 6}; // in Review::MapFormat order
} // namespace ReviewWindows

// The commissioning report: the data map window's Report button and the texts of the pages.
namespace Report {
inline constexpr int Title = 838;
inline constexpr int Button = 839;
inline constexpr int ButtonTip = 840;
inline constexpr int SaveTitle = 841;
inline constexpr int Filter = 842;
inline constexpr int Failed = 843; // %1: why
// configuration, date, program, image checksum, compiled image, rules from
inline constexpr TextRange Facts{844, 6};
inline constexpr int ImageSame = 850;
inline constexpr int ImageMissing = 851;
inline constexpr int ImageDiffers = 852;    // %1: the checksum of the image found
inline constexpr int ImageUnreadable = 853; // %1: why
inline constexpr int ChecksumNone = 854;    // %1: the rules an image holds
inline constexpr int SourceSaved = 855;
inline constexpr int SourceRows = 856;
inline constexpr int PortsHeading = 857;
inline constexpr TextRange PortHeadings{858, 6}; // port, state, baud rate, parity, stop bits, data bits
inline constexpr int PortOn = 864;
inline constexpr int PortOff = 865;
inline constexpr int NetworkHeading = 866;
// IP address, subnet mask, gateway, EtherNet/IP port, output array, input array, byte order
inline constexpr TextRange NetworkFacts{867, 7};
inline constexpr int GatewayOff = 874;
inline constexpr int ByteCount = 875; // %1 bytes
inline constexpr int ByteOrder = 876;
inline constexpr int RulesHeading = 877;
// rule, channel, sentence, field, type, scaling, swap, bytes, mnemonic
inline constexpr TextRange RuleHeadings{878, 9};
inline constexpr int NoRules = 887;
inline constexpr int ScalingNone = 888;
inline constexpr int ScalingDivided = 889;    // %1: the factor
inline constexpr int ScalingMultiplied = 890; // %1: the factor
inline constexpr int MapHeading = 891;
inline constexpr int FindingsHeading = 892;
inline constexpr int SignatureIntro = 893;
inline constexpr TextRange SignatureLines{894, 3}; // name, date, signature
inline constexpr int PageNumber = 897;             // %1 page, %2 pages
inline constexpr int ByteRange = 898;              // %1 first byte, %2 last byte
inline constexpr int ConnectionHeading = 375;
inline constexpr int BannerRules = 376;   // %1 errors, %2 rules, %3 the findings' page
inline constexpr int BannerNetwork = 377; // %1 errors, %2 the findings' page
inline constexpr int PlcInput = 378;
inline constexpr int PlcOutput = 379;
inline constexpr int ConnectionBytes = 380; // %1 bytes
inline constexpr int ValuesLabel = 381;
inline constexpr int ValuesModel = 382;
inline constexpr int ByteOrderLabel = 383;
inline constexpr int NoReorder = 384;
inline constexpr int SwapOrder = 385; // %1 the swap columns, %2 bytes, %3 the order
inline constexpr int CopyStepLabel = 386;
inline constexpr int CopyStepTyped = 387; // %1 the type, %2 its bytes in Logix
inline constexpr int CopyStepImage = 388; // %1 the SINT array tag, %2 bytes, %3 the routine
inline constexpr int CopyStepNone = 389;
// output, input and configuration assembly instances, RPI: left blank for the converter's manual
inline constexpr TextRange FillIns{390, 4};
inline constexpr int MemberHeading = 394;
} // namespace Report

// TFNmeaMonitor, and the rules window's button that opens it.
namespace NmeaMonitor {
inline constexpr int Title = 1240;
inline constexpr int Description = 1241;
inline constexpr int SourceLabel = 1242;
inline constexpr TextRange SourceKinds{1243, 4}; // log file, serial port, UDP, TCP client
inline constexpr int BrowseButton = 1247;
inline constexpr int PortLabel = 1248;
inline constexpr int HostLabel = 1249;
inline constexpr TextRange Buttons{1250, 3}; // Start, Stop, Clear
inline constexpr TextRange ButtonTips{1253, 3};
inline constexpr int RuleHeader = 1256;
inline constexpr int BytesHeader = 1257;
inline constexpr int HitsHeader = 1258;
inline constexpr int LastHeader = 1259;
inline constexpr int ValueHeader = 1260;
inline constexpr int SinceHeader = 1261;
inline constexpr int UnusedTitle = 1262;
inline constexpr int CountHeader = 1263;
inline constexpr TextRange Counters{1264, 6}; // in ReaderCounts order
inline constexpr int RecentTitle = 1270;
inline constexpr int Listening = 1271; // followed by the source's description
inline constexpr int Stopped = 1272;
inline constexpr int LogEnded = 1273;
inline constexpr int SourceFailed = 1274; // followed by the system's reason
inline constexpr int NotDecoded = 1275;
inline constexpr int OpenButton = 1276;
inline constexpr int OpenTip = 1277;
inline constexpr int NoLogFile = 1278;
inline constexpr int OtherAddresses = 1279;
inline constexpr int ModuleFailed = 1290;   // followed by the loader's reason
inline constexpr int LogShrank = 1236;      // after SourceFailed
inline constexpr int NotRegularFile = 1235; // after SourceFailed
inline constexpr int PortInUse = 1234;      // after SourceFailed
inline constexpr int Connecting = 1231;     // followed by the source's description
inline constexpr int Stalled = 1232;        // %1 seconds, followed by the source's description
inline constexpr int PortClosed = 1233;     // after SourceFailed
inline constexpr int EmptyHeader = 1237;
inline constexpr int EmptyTip = 1238;
inline constexpr int PauseButton = 1239;
inline constexpr int PauseTip = 1282;
// The monitor window beside the rules: channels, recording, baud rate, last lines, findings.
inline constexpr int AllChannels = 1064;
inline constexpr int RecordButton = 1065;
inline constexpr int RecordTip = 1066;
inline constexpr int Recording = 1067;
inline constexpr int UsedTitle = 1068;
inline constexpr int RecordFailed = 1069;
inline constexpr int FindBaudButton = 1070;
inline constexpr int FindBaudTip = 1071;
inline constexpr int TryingBaud = 1072;
inline constexpr int BaudFound = 1073;
inline constexpr int BaudNotFound = 1074;
inline constexpr int InvalidValueTip = 1075;
inline constexpr int FilterLabel = 1076;
inline constexpr int FilterTip = 1077;
inline constexpr int TimeHeader = 1078;
inline constexpr int LineHeader = 1079;
inline constexpr int ReasonHeader = 1080;
inline constexpr int RateHeader = 1081;
inline constexpr int ReasonChecksum = 1082;
inline constexpr int ReasonCut = 1083;
inline constexpr int ReasonTooLong = 1084;
inline constexpr int ReasonNotPrintable = 1085;
inline constexpr int ReasonNoAddress = 1086;
inline constexpr int SecondsAgo = 1087;
inline constexpr int MinutesAgo = 1088;
inline constexpr int HoursAgo = 1089;
inline constexpr int UdpDescription = 1090;
inline constexpr int TcpDescription = 1091;
inline constexpr int NoFindings = 1092;
inline constexpr int FindingsSummary = 1093;
inline constexpr int ChannelFilterTip = 1094;
inline constexpr int OutputTitle = 76;
inline constexpr int OutputTip = 77;
} // namespace NmeaMonitor

// What the NMEA monitor finds wrong with the values the rules receive, for the monitor window and
// the companion's replay and listen.
namespace MonitorFindings {
inline constexpr int MixedTalkers = 1048;     // %1 rule, %2 the talkers
inline constexpr int MixedReference = 1049;   // %1 rule, %2 sentence, %3 the references
inline constexpr int InvalidStatus = 1050;    // %1 rule, %2 percent, %3 sentences, %4 sentence
inline constexpr int Stale = 1051;            // %1 rule, %2 seconds without a value
inline constexpr int WrongBaud = 1052;        // %1 seconds listened
inline constexpr int RecordingStopped = 1053; // %1 bytes, %2 the file, %3 the system's reason
// A value the Output array cannot hold: %1 rule, %2 " name" or nothing, then by kind:
inline constexpr int OverflowAbove = 71;     // %3 arithmetic, %4 type, %5 the largest, %6 placed
inline constexpr int OverflowBelow = 72;     // %3 arithmetic, %4 type, %5 the smallest, %6 placed
inline constexpr int OverflowFraction = 73;  // %3 arithmetic, %4 type, %5 placed
inline constexpr int OverflowNotNumber = 74; // %3 the text, %4 type, %5 placed
inline constexpr int OverflowTooLong = 75;   // %3 the text, %4 its length, %5 the width, %6 placed
} // namespace MonitorFindings

} // namespace TextSlot
