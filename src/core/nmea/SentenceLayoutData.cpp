#include "core/nmea/NmeaCatalog.h"
#include "core/nmea/SentenceLayout.h"

// The layouts of the standard sentences, from the public NMEA 0183 sentence descriptions. Each
// entry names the revision its field order follows; fields a later revision appended (the mode
// indicator of GLL, RMC, VTG and XTE from 2.30, the navigational status of RMC, the system ID of
// GSA and the signal ID of GSV from 4.10) are simply absent in older sentences and then read as
// empty. The proprietary sentences have no entry: their layouts are not publicly documented.

namespace Nmea {

namespace {

using P = FieldPart;

constexpr FieldSource num(int column, FieldPart part = P::Whole) {
    return {ColumnBase::Address, static_cast<unsigned char>(column), part, FieldKind::Number};
}
constexpr FieldSource txt(int column) {
    return {ColumnBase::Address, static_cast<unsigned char>(column), P::Whole, FieldKind::Text};
}
constexpr FieldSource groupNum(int column) {
    return {ColumnBase::Group, static_cast<unsigned char>(column), P::Whole, FieldKind::Number};
}
constexpr FieldSource groupTxt(int column) {
    return {ColumnBase::Group, static_cast<unsigned char>(column), P::Whole, FieldKind::Text};
}

// ZDA,hhmmss.ss,dd,mm,yyyy,zh,zm
const FieldSource kZDA[] = {num(1, P::Hours),
                            num(1, P::Minutes),
                            num(1, P::Seconds),
                            num(1, P::Fraction),
                            num(2),
                            num(3),
                            num(4),
                            num(5),
                            num(6)};
// DBT,x.x,f,x.x,M,x.x,F (also DBK, DBS)
const FieldSource kDepthFeetMetresFathoms[] = {num(1), txt(2), num(3), txt(4), num(5), txt(6)};
// DPT,depth,offset,range
const FieldSource kDPT[] = {num(1), num(2), num(3)};
// GGA,time,lat,N/S,lon,E/W,quality,satellites,HDOP,altitude,M,separation,M,age,station
const FieldSource kGGA[] = {num(1, P::Hours),
                            num(1, P::Minutes),
                            num(1, P::Seconds),
                            num(1, P::Fraction),
                            num(2, P::Degrees),
                            txt(3),
                            num(2, P::AngleMinutes),
                            num(4, P::Degrees),
                            txt(5),
                            num(4, P::AngleMinutes),
                            num(6),
                            num(7),
                            num(8),
                            num(9),
                            txt(10),
                            num(11),
                            txt(12),
                            num(13),
                            num(14)};
// GLL,lat,N/S,lon,E/W,time,status,mode
const FieldSource kGLL[] = {num(1, P::AngleMinutes),
                            num(1, P::Degrees),
                            txt(2),
                            num(3, P::AngleMinutes),
                            num(3, P::Degrees),
                            txt(4),
                            num(5, P::Hours),
                            num(5, P::Minutes),
                            num(5, P::Seconds),
                            num(5, P::Fraction),
                            txt(6),
                            txt(7)};
// GSA,M/A,1/2/3,12 satellite IDs,PDOP,HDOP,VDOP,system ID
const FieldSource kGSA[] = {txt(1),  txt(2),  num(3),  num(4),  num(5),  num(6),  num(7),  num(8),  num(9),
                            num(10), num(11), num(12), num(13), num(14), num(15), num(16), num(17), num(18)};
// GSV,sentences,number,satellites,{ID,elevation,azimuth,SNR} x 1..4,signal ID
const FieldSource kGSV[] = {
    num(1),      num(2),      num(3),      groupNum(1),
    groupNum(2), groupNum(3), groupNum(4), {ColumnBase::AfterGroups, 1, P::Whole, FieldKind::Number}};
// HDG,heading,deviation,E/W,variation,E/W
const FieldSource kHDG[] = {num(1), num(2), txt(3), num(4), txt(5)};
// HDT,heading,T (also THS,heading,mode)
const FieldSource kNumberAndLetter[] = {num(1), txt(2)};
// MDA: ten pairs of number and unit, then the humidity pair and dew point as numbers
const FieldSource kMDA[] = {num(1),  txt(2),  num(3),  txt(4),  num(5),  txt(6),  num(7),
                            txt(8),  num(9),  num(10), num(11), txt(12), num(13), txt(14),
                            num(15), txt(16), num(17), txt(18), num(19), txt(20)};
// MWD,dir,T,dir,M,kn,N,m/s,M; VHW,hdg,T,hdg,M,kn,N,km/h,K; VWR and VWT,angle,L/R,kn,N,m/s,M,km/h,K
const FieldSource kFourPairs[] = {num(1), txt(2), num(3), txt(4), num(5), txt(6), num(7), txt(8)};
// MWV,angle,R/T,speed,unit,status
const FieldSource kMWV[] = {num(1), txt(2), num(3), txt(4), txt(5)};
// RMC,time,status,lat,N/S,lon,E/W,SOG,COG,ddmmyy,variation,E/W,mode,navigational status
const FieldSource kRMC[] = {num(1, P::Hours),
                            num(1, P::Minutes),
                            num(1, P::Seconds),
                            num(1, P::Fraction),
                            txt(2),
                            num(3, P::Degrees),
                            txt(4),
                            num(3, P::AngleMinutes),
                            num(5, P::Degrees),
                            txt(6),
                            num(5, P::AngleMinutes),
                            num(7),
                            num(8),
                            num(9, P::Day),
                            num(9, P::Month),
                            num(9, P::Year),
                            num(10),
                            txt(11),
                            txt(12),
                            txt(13)};
// RSA,starboard,status,port,status
const FieldSource kRSA[] = {num(1), txt(2), num(3), txt(4)};
// VBW,water long,water trans,status,ground long,ground trans,status,stern water,status,stern ground,status
const FieldSource kVBW[] = {num(1), num(2), txt(3), num(4), num(5), txt(6), num(7), txt(8), num(9), txt(10)};
// VTG,COG,T,COG,M,SOG,N,SOG,K,mode
const FieldSource kVTG[] = {num(1), txt(2), num(3), txt(4), num(5), txt(6), num(7), txt(8), txt(9)};
// XTE,status,status,magnitude,L/R,N,mode
const FieldSource kXTE[] = {txt(1), txt(2), num(3), txt(4), txt(5), txt(6)};
// XDR,{type,data,units,ID} x n
const FieldSource kXDR[] = {groupTxt(1), groupNum(2), groupTxt(3), groupTxt(4)};
// DTM,datum,subdivision,lat offset,N/S,lon offset,E/W,altitude offset,reference datum
const FieldSource kDTM[] = {txt(1), txt(2), num(3), txt(4), num(5), txt(6), num(7), txt(8)};

constexpr int countOf(const auto& array) {
    return static_cast<int>(sizeof(array) / sizeof(array[0]));
}

#define LAYOUT(name, revision, repeat, sources)                                                              \
    { name, revision, repeat, sources, countOf(sources) }
#define NOT_DECODED(name)                                                                                    \
    { name, nullptr, Repeat::None, nullptr, 0 }

// Entry i describes sentence index i + 1, as in the catalog.
const SentenceLayout kLayouts[SentenceCount] = {
    LAYOUT("ZDA", "3.01", Repeat::None, kZDA),
    NOT_DECODED("BWC"),
    NOT_DECODED("BWR"),
    LAYOUT("DBT", "3.01", Repeat::None, kDepthFeetMetresFathoms),
    LAYOUT("DPT", "3.01", Repeat::None, kDPT),
    NOT_DECODED("DSC"),
    LAYOUT("GGA", "3.01", Repeat::None, kGGA),
    LAYOUT("GLL", "2.30", Repeat::None, kGLL),
    LAYOUT("GSA", "4.10", Repeat::None, kGSA),
    LAYOUT("GSV", "4.10", Repeat::GsvSatellites, kGSV),
    LAYOUT("HDG", "3.01", Repeat::None, kHDG),
    NOT_DECODED("HDM"),
    LAYOUT("HDT", "3.01", Repeat::None, kNumberAndLetter),
    NOT_DECODED("HSC"),
    LAYOUT("MDA", "3.01", Repeat::None, kMDA),
    LAYOUT("MTW", "3.01", Repeat::None, kNumberAndLetter),
    LAYOUT("MWD", "3.01", Repeat::None, kFourPairs),
    LAYOUT("MWV", "3.01", Repeat::None, kMWV),
    NOT_DECODED("RMB"),
    LAYOUT("RMC", "4.10", Repeat::None, kRMC),
    LAYOUT("ROT", "3.01", Repeat::None, kNumberAndLetter),
    NOT_DECODED("RPM"),
    LAYOUT("RSA", "3.01", Repeat::None, kRSA),
    LAYOUT("VBW", "3.01", Repeat::None, kVBW),
    NOT_DECODED("VDM"),
    NOT_DECODED("VDO"),
    NOT_DECODED("VDR"),
    LAYOUT("VHW", "3.01", Repeat::None, kFourPairs),
    NOT_DECODED("VLW"),
    LAYOUT("VTG", "2.30", Repeat::None, kVTG),
    LAYOUT("VWR", "3.01", Repeat::None, kFourPairs),
    LAYOUT("XTE", "2.30", Repeat::None, kXTE),
    LAYOUT("THS", "3.01", Repeat::None, kNumberAndLetter),
    LAYOUT("XDR", "3.01", Repeat::XdrQuadruples, kXDR),
    NOT_DECODED("$PJELA"),
    LAYOUT("DBK", "3.01", Repeat::None, kDepthFeetMetresFathoms),
    LAYOUT("DBS", "3.01", Repeat::None, kDepthFeetMetresFathoms),
    LAYOUT("DTM", "3.01", Repeat::None, kDTM),
    LAYOUT("VWT", "3.01", Repeat::None, kFourPairs),
    NOT_DECODED("$PJELC"),
    NOT_DECODED("$VTHA0"),
    NOT_DECODED("$VTHA1"),
    NOT_DECODED("$VTHA2"),
    NOT_DECODED("$VTHA3"),
    NOT_DECODED("$VTHA4"),
    NOT_DECODED("$VTHA5"),
    NOT_DECODED("$VTHS0"),
    NOT_DECODED("$VTHC0"),
    NOT_DECODED("$VTHC1"),
    NOT_DECODED("$VTHF0"),
    NOT_DECODED("$VTHF1"),
    NOT_DECODED("$PSTKTSX5"),
    NOT_DECODED("$PRDID"),
    NOT_DECODED("$PSONCMS"),
    NOT_DECODED("$PRRS"),
    NOT_DECODED("$PVTM0"),
    NOT_DECODED("$PVRS"),
    NOT_DECODED("$POBSVIS"),
};

#undef LAYOUT
#undef NOT_DECODED

} // namespace

const SentenceLayout* sentenceLayout(int sentence) {
    if (sentence < 1 || sentence > SentenceCount || !kLayouts[sentence - 1].Sources)
        return nullptr;
    return &kLayouts[sentence - 1];
}

} // namespace Nmea
