#include "core/nmea/NmeaCatalogData.h"

// The sentence table, the field catalog and the post-operation labels. The device receives the
// positions in these lists, so entries are never reordered, removed or respelled.

namespace Nmea {

namespace {

// 1 ZDA
const FieldSentence kZDAFields[] = {
    {"hour [decimal]", 1},
    {"minutes [decimal]", 1},
    {"seconds [decimal]", 1},
    {"decimal-fraction of seconds [decimal]", 2},
    {"day [decimal]", 1},
    {"month [decimal]", 1},
    {"year [decimal]", 2},
    {"local zone hours [decimal +/-]", 1},
    {"local zone minutes [decimal]", 1},
};

// 4 DBT
const FieldSentence kDBTFields[] = {
    {"Water depth, feet, Number [floating point]", 4},    {"Water depth, feet, Unit [character]", 1},
    {"Water depth, meters, Number [floating point]", 4},  {"Water depth, meters, Unit [character]", 1},
    {"Water depth, Fathoms, Number [floating point]", 4}, {"Water depth, Fathoms, Unit [character]", 1},
};

// 5 DPT
const FieldSentence kDPTFields[] = {
    {"Water depth relative to transducer, meters [floating point]", 4},
    {"Offset from transducer [floating point]", 4},
    {"Maximum range scale in use [floating point]", 4},
};

// 7 GGA
const FieldSentence kGGAFields[] = {
    {"UTC of position, Hours [decimal]", 1},
    {"UTC of position, Minutes  [decimal]", 1},
    {"UTC of position, Seconds  [decimal]", 1},
    {"UTC of position, decimal-fraction of seconds [decimal]", 2},
    {"Latitude, Degrees [decimal]", 1},
    {"Latitude, Direction [character]", 1},
    {"Latitude, Minutes [floating point]", 4},
    {"Longitude, Degrees [decimal]", 1},
    {"Longitude, Direction [character]", 1},
    {"Longitude, Minutes [floating point]", 4},
    {"GPS Quality indicator [decimal]", 1},
    {"Number of satellites in use [decimal]", 1},
    {"Horizontal dilution of precision [floating point]", 4},
    {"Altitude re: mean-sea-level (geoid), Number [floating point]", 4},
    {"Altitude re: mean-sea-level (geoid), Unit [character]", 1},
    {"Geoidal separation, Number [floating point]", 4},
    {"Geoidal separation, Unit [character]", 1},
    {"Age of Differential GPS data [floating point]", 4},
    {"Differential reference station ID [decimal]", 2},
};

// 8 GLL
const FieldSentence kGLLFields[] = {
    {"Latitude, Minutes [floating point]", 4},
    {"Latitude, Degrees [decimal]", 1},
    {"Latitude, Direction [character]", 1},
    {"Longitude, Minutes [floating point]", 4},
    {"Longitude, Degrees [decimal]", 1},
    {"Longitude, Direction [character]", 1},
    {"UTC of position, Hours [decimal]", 1},
    {"UTC of position, Minutes [decimal]", 1},
    {"UTC of position, Seconds [decimal]", 1},
    {"UTC of position, Decimal-fraction of seconds [decimal]", 2},
    {"Status [character]", 1},
    {"Mode Indicator [character]", 1},
};

// 9 GSA
const FieldSentence kGSAFields[] = {
    {"Mode [character]", 1},
    {"Mode_1 [character]", 1},
    {"ID number of satellite 1 used in solution [decimal]", 1},
    {"ID number of satellite 2 used in solution [decimal]", 1},
    {"ID number of satellite 3 used in solution [decimal]", 1},
    {"ID number of satellite 4 used in solution [decimal]", 1},
    {"ID number of satellite 5 used in solution [decimal]", 1},
    {"ID number of satellite 6 used in solution [decimal]", 1},
    {"ID number of satellite 7 used in solution [decimal]", 1},
    {"ID number of satellite 8 used in solution [decimal]", 1},
    {"ID number of satellite 9 used in solution [decimal]", 1},
    {"ID number of satellite 10 used in solution [decimal]", 1},
    {"ID number of satellite 11 used in solution [decimal]", 1},
    {"ID number of satellite 12 used in solution [decimal]", 1},
    {"PDOP [floating point]", 4},
    {"HDOP [floating point]", 4},
    {"VDOP  [floating point]", 4},
    {"GNSS System ID [decimal]", 1},
};

// 10 GSV
const FieldSentence kGSVFields[] = {
    {"Total number of sentences [decimal]", 1},
    {"Sentence number [decimal]", 1},
    {"Total number of satellites in view [decimal]", 1},
    {"Satellite ID number [decimal]", 1},
    {"Elevation, degrees, 90o maximum [decimal]", 1},
    {"Azimuth, degrees True, 000 to 359 [decimal]", 2},
    {"SNR (C/No) 00-99 dB-Hz, null when not tracking [decimal]", 1},
    {"Signal ID [decimal]", 1},
};

// 11 HDG
const FieldSentence kHDGFields[] = {
    {"Magnetic sensor heading, degrees [floating point]", 4},
    {"Magnetic deviation, degrees,Number [floating point]", 4},
    {"Magnetic deviation, degrees, Unit [character]", 1},
    {"Magnetic variation, degrees, Number [floating point]", 4},
    {"Magnetic variation, degrees, Unit [character]", 1},
};

// 13 HDT
const FieldSentence kHDTFields[] = {
    {"Heading, degrees True, Number [floating point]", 4},
    {"Heading, degrees True [character]", 1},
};

// 15 MDA
const FieldSentence kMDAFields[] = {
    {"Barometric pressure, inches of mercury, Number [floating point]", 4},
    {"Barometric pressure, inches of mercury, Unit [character]", 1},
    {"Barometric pressure, bars, Number [floating point]", 4},
    {"Barometric pressure, bars, Unit [character]", 1},
    {"Air temperature, degrees C, Number [floating point]", 4},
    {"Air temperature, degrees C, Unit [character]", 1},
    {"Water temperature, degrees C, Number [floating point]", 4},
    {"Water temperature, degrees C, Unit [character]", 1},
    {"Relative humidity, percent [floating point]", 4},
    {"Absolute humidity, percent [floating point]", 4},
    {"Dew point, degrees C, Number [floating point]", 4},
    {"Dew point, degrees C, Unit [character]", 1},
    {"Wind direction, degrees True, Number [floating point]", 4},
    {"Wind direction, degrees True, Unit [character]", 1},
    {"Wind direction, degrees Magnetic, Number [floating point]", 4},
    {"Wind direction, degrees Magnetic, Unit [character]", 1},
    {"Wind speed, knots, Number [floating point]", 4},
    {"Wind speed, knots, Unit [character]", 1},
    {"Wind speed, meters/second, Number [floating point]", 4},
    {"Wind speed, meters/second, Unit [character]", 1},
};

// 16 MTW
const FieldSentence kMTWFields[] = {
    {"Water temperature, Number [floating point]", 4},
    {"Water temperature, Unit [character]", 1},
};

// 17 MWD
const FieldSentence kMWDFields[] = {
    {"Wind direction, 0 to 359 degrees True, Number", 4},
    {"Wind direction True, Unit", 1},
    {"Wind direction, 0 to 359 degrees Magnetic, Number", 4},
    {"Wind direction Magnetic, Unit", 1},
    {"Wind speed, knots, Number", 4},
    {"Wind speed, knots, Unit", 1},
    {"Wind speed, meters/second, Number", 4},
    {"Wind speed, meters/second, Unit", 1},
};

// 18 MWV
const FieldSentence kMWVFields[] = {
    {"wind angle [floating point]", 4},  {"reference [character]", 1}, {"wind speed [floating point]", 4},
    {"wind speed units [character]", 1}, {"status [character]", 1},
};

// 20 RMC
const FieldSentence kRMCFields[] = {
    {"UTC of position, Hours [decimal]", 1},
    {"UTC of position, Minutes [decimal]", 1},
    {"UTC of position, Seconds [decimal]", 1},
    {"UTC of position, decimal-fraction of seconds [decimal]", 2},
    {"Status [character]", 1},
    {"Latitude, Degrees [decimal]", 1},
    {"Latitude, Direction [character]", 1},
    {"Latitude, Minutes [floating point]", 4},
    {"Longitude, Degrees [decimal]", 1},
    {"Longitude, Direction [character]", 1},
    {"Longitude, Minutes [floating point]", 4},
    {"Speed over ground, knots [floating point]", 4},
    {"Course Over Ground, degrees True [floating point]", 4},
    {"Date, Day [decimal]", 1},
    {"Date, Month [decimal]", 1},
    {"Date, Year [decimal]", 2},
    {"Magnetic variation, degrees, Number [floating point]", 4},
    {"Magnetic variation, degrees, Unit [character]", 1},
    {"Mode Indicator [character]", 1},
    {"Navigational status [character]", 1},
};

// 21 ROT
const FieldSentence kROTFields[] = {
    {"Rate of turn, degrees/minute, Number [floating point]", 4},
    {"Status [character]", 1},
};

// 23 RSA
const FieldSentence kRSAFields[] = {
    {"Starboard (or single) rudder sensor, Number [floating point]", 4},
    {"Starboard (or single) rudder sensor, Status [character]", 1},
    {"Port rudder sensor, Number [floating point]", 4},
    {"Port rudder sensor, Status [character]", 1},
};

// 24 VBW
const FieldSentence kVBWFields[] = {
    {"Longitudinal water speed, knots, Number [floating point]", 4},
    {"Transverse water speed, knots, Number [floating point]", 4},
    {"Water speed, Status [character]", 1},
    {"Longitudinal ground speed, knots, Number [floating point]", 4},
    {"Transverse ground speed, knots, Number [floating point]", 4},
    {"Ground speed, Status [character]", 1},
    {"Stern transverse water speed, Number [floating point]", 4},
    {"Stern water speed, Status [character]", 1},
    {"Stern transverse ground speed, Number [floating point]", 4},
    {"Stern ground speed, Status [character]", 1},
};

// 28 VHW
const FieldSentence kVHWFields[] = {
    {"Degress True, Number [floating point]", 4},
    {"Degress True, Unit [character]", 1},
    {"Degrees, Number [floating point]", 4},
    {"Degrees, Unit [character]", 1},
    {"Knots (speed of vessel relative to the water), Number [floating point]", 4},
    {"Knots (speed of vessel relative to the water), Unit [character]", 1},
    {"Kilometers (speed of vessel relative to the water), Number [floating point]", 4},
    {"Kilometers (speed of vessel relative to the water), Unit [character]", 1},
};

// 30 VTG
const FieldSentence kVTGFields[] = {
    {"Course over ground, degrees True, Number [floating point]", 4},
    {"Course over ground, degrees True, Unit [character]", 1},
    {"Course over ground, degrees Magnetic, Number [floating point]", 4},
    {"Course over ground, degrees Magnetic, Unit [character]", 1},
    {"Speed over ground, knots, Number [floating point]", 4},
    {"Speed over ground, knots, Unit [character]", 1},
    {"Speed over ground, km/hr, Number [floating point]", 4},
    {"Speed over ground, km/hr, Unit [character]", 1},
    {"Mode Indicator [character]", 1},
};

// 31 VWR
const FieldSentence kVWRFields[] = {
    {"Wind_Angle, Measured wind angle relative to the vessel, 0 to 180o, Number [floating point]", 4},
    {"Wind_Angle, left/right L/R of vessel heading, Unit [character]", 1},
    {"Wind speed, knots, Number [floating point]", 4},
    {"Wind speed, knots, Unit [character]", 1},
    {"Wind speed, meters/second, Number [floating point]", 4},
    {"Wind speed, meters/second, Unit [character]", 1},
    {"Wind speed, Km/h, Number [floating point]", 4},
    {"Wind speed, Km/h, Unit [character]", 1},
};

// 32 XTE
const FieldSentence kXTEFields[] = {
    {"status 1 [character]", 1},
    {"status 2 [character]", 1},
    {"Magnitude of Cross-Track-Error [floating point]", 4},
    {"direction to steer, L/R [character]", 1},
    {"units [character]", 1},
    {"mode Indicator [character]", 1},
};

// 33 THS
const FieldSentence kTHSFields[] = {
    {"Heading, degrees True, Number [floating point]", 4},
    {"Heading, degrees True [character]", 1},
};

// 34 XDR
const FieldSentence kXDRFields[] = {
    {"Transducer type [character]", 1},
    {"Measurement data [floating point]", 4},
    {"Units of measure [character]", 1},
    {"Transducer ID [character string] (20 characters)", 20},
};

// 35 $PJELA
const FieldSentence kPJELAFields[] = {
    {"Alarm [character]", 1},
};

// 36 DBK
const FieldSentence kDBKFields[] = {
    {"Depth, feet, Number [floating point]", 4},    {"Depth, feet, Unit [character]", 1},
    {"Depth, meters, Number [floating point]", 4},  {"Depth, meters, Unit [character]", 1},
    {"Depth, Fathoms, Number [floating point]", 4}, {"Depth, Fathoms, Unit [character]", 1},
};

// 37 DBS
const FieldSentence kDBSFields[] = {
    {"Depth, feet, Number [floating point]", 4},    {"Depth, feet, Unit [character]", 1},
    {"Depth, meters, Number [floating point]", 4},  {"Depth, meters, Unit [character]", 1},
    {"Depth, Fathoms, Number [floating point]", 4}, {"Depth, Fathoms, Unit [character]", 1},
};

// 38 DTM
const FieldSentence kDTMFields[] = {
    {"Local datum code [string of 3 characters]", 3},  {"Local datum subdivision code [character]", 1},
    {"Latitude offset, Minutes [floating point]", 4},  {"Latitude, Direction [character]", 1},
    {"Longitude offset, Minutes [floating point]", 4}, {"Longitude, Direction [character]", 1},
    {"Altitude offset, Meters [floating point]", 4},   {"Reference datum code [string of 3 characters]", 3},
};

// 39 VWT
const FieldSentence kVWTFields[] = {
    {"Calculated wind angle relative to the vessel, 0 to 180°, Number [floating point]", 4},
    {"Calculated left/right L/R of vessel heading, Unit [character]", 1},
    {"Calculated wind speed, knots, Number [floating point]", 4},
    {"Calculated wind speed, knots, Unit [character]", 1},
    {"Calculated wind speed, meters/second, Number [floating point]", 4},
    {"Calculated wind speed, meters/second, Unit [character]", 1},
    {"Calculated wind speed, Km/h, Number [floating point]", 4},
    {"Calculated wind speed, Km/h, Unit [character]", 1},
};

// 40 $PJELC
const FieldSentence kPJELCFields[] = {
    {"Feedback angle, Number [floating point]", 4},
    {"Command angle, Number [floating point]", 4},
    {"Directional solenoid current, Number [floating point]", 4},
    {"Speed solenoid status, Status [character]", 1},
    {"Helm bypass solenoid status, Status [character]", 1},
    {"Helm limit solenoid status, Status [character]", 1},
};

// 41 $VTHA0
const FieldSentence kVTHA0Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 42 $VTHA1
const FieldSentence kVTHA1Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 43 $VTHA2
const FieldSentence kVTHA2Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 44 $VTHA3
const FieldSentence kVTHA3Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 45 $VTHA4
const FieldSentence kVTHA4Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 46 $VTHA5
const FieldSentence kVTHA5Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 47 $VTHS0
const FieldSentence kVTHS0Fields[] = {
    {"Alarm, Value [decimal]", 1},
};

// 48 $VTHC0
const FieldSentence kVTHC0Fields[] = {
    {"Position command, Number [decimal]", 2},
    {"RPM command (lever), Number [decimal]", 1},
    {"Throttle direction command, Number [decimal]", 1},
    {"Throttle state, Number [decimal]", 1},
    {"Number, Number [decimal]", 1},
    {"RPM output (diesel), Number [decimal]", 1},
    {"RPM output (electric), Number [decimal]", 1},
    {"LOAD output (electric), Number [decimal]", 1},
};

// 49 $VTHC1
const FieldSentence kVTHC1Fields[] = {
    {"Control type, Number [decimal]", 1},
    {"Throttle control position, Number [decimal]", 1},
    {"Azimuth control position, Number [decimal]", 1},
};

// 50 $VTHF0
const FieldSentence kVTHF0Fields[] = {
    {"Position feedback, Number [decimal]", 2},
    {"RPM feedback Engine, Number [decimal]", 2},
    {"RPM feedback Shaft, Number [decimal]", 2},
    {"Engine coolant temp, Number [decimal]", 1},
    {"Engine oil Pressure, Number [floating point]", 4},
    {"Engine load, Number [decimal]", 1},
    {"Electric load, Number [decimal]", 1},
    {"General alarm, Value [decimal]", 1},
    {"Engine alarm, Value [decimal]", 1},
    {"Alarm buzzer, Value [decimal]", 1},
    {"Throttle direction feedback, Value [decimal]", 1},
};

// 51 $VTHF1
const FieldSentence kVTHF1Fields[] = {
    {"Steering oil pressure, Number [floating point]", 4},
    {"Clutch oil pressure, Number [floating point]", 4},
    {"Gearbox lub oil pressure, Number [floating point]", 4},
    {"Steering oil temperature 1, Number [floating point]", 4},
    {"Steering oil temperature 2, Number [floating point]", 4},
    {"Gearbox lub oil temperature, Number [floating point]", 4},
    {"Primary voltage, Number [floating point]", 4},
    {"Secondary voltage, Value [floating point]", 4},
};

// 52 $PSTKTSX5
const FieldSentence kPSTKTSX5Fields[] = {
    {"Speed, rev/min, Number [floating point]", 4},
    {"Torque, kNm, Number [decimal]", 2},
    {"Thrust, kNm, Number [decimal]", 2},
    {"Power, kW, Number [decimal]", 4},
};

// 53 $PRDID
const FieldSentence kPRDIDFields[] = {
    {"Pitch in degrees (positive bow up), Number [floating point]", 4},
    {"Roll in degrees (positive bow up), Number [floating point]", 4},
    {"True heading in degrees, Number [floating point]", 4},
};

// 54 $PSONCMS
const FieldSentence kPSONCMSFields[] = {
    {"Q0 from quaternions, Number [floating point]", 4},
    {"Q1 from quaternions, Number [floating point]", 4},
    {"Q2 from quaternions, Number [floating point]", 4},
    {"Q3 from quaternions, Number [floating point]", 4},
    {"Acceleration X in m/s2, Number [floating point]", 4},
    {"Acceleration Y in m/s2, Number [floating point]", 4},
    {"Acceleration Z in m/s2, Number [floating point]", 4},
    {"Rate of turn X in rad/s, Number [floating point]", 4},
    {"Rate of turn Y in rad/s, Number [floating point]", 4},
    {"Rate of turn Z in rad/s, Number [floating point]", 4},
    {"Magnetic field X in a.u., Number [floating point]", 4},
    {"Magnetic field Y in a.u., Number [floating point]", 4},
    {"Magnetic field Z in a.u., Number [floating point]", 4},
    {"Sensor temperature in degrees Celsius, Number [floating point]", 4},
};

// 55 $PRRS
const FieldSentence kPRRSFields[] = {
    {"Message number [decimal]", 2},
    {"Pitch command for port propeller, set value [floating point]", 4},
    {"Pitch response for port propeller, actual value [floating point]", 4},
    {"Rpm command for port propeller, set value [floating point]", 4},
    {"Rpm response for port propeller, actual value [floating point]", 4},
    {"Status word 1 (port propeller) [decimal]", 2},
    {"Lever command for port propeller, set value [floating point]", 4},
    {"Port propeller shaft torque [floating point]", 4},
    {"All available Propeller SHAFTs - SHAFT POWER [floating point]", 4},
    {"Not used, always 0 (1) [floating point]", 4},
    {"Not used, always 0 (2) [floating point]", 4},
    {"Not used, always 0 (3) [decimal]", 2},
};

// 56 $PVTM0
const FieldSentence kPVTM0Fields[] = {
    {"Station ID [decimal]", 1},
    {"Date, day [decimal]", 1},
    {"Date, month [decimal]", 1},
    {"Date, year [decimal]", 2},
    {"Time, hour [decimal]", 1},
    {"Time, minutes [decimal]", 1},
    {"Time, seconds [decimal]", 1},
    {"Tide height [floating point]", 4},
    {"Tide height stdev [floating point]", 4},
    {"Tide height units [character]", 1},
    {"Battery voltage [floating point]", 4},
    {"Status [decimal]", 2},
};

// 57 $PVRS
const FieldSentence kPVRSFields[] = {
    {"Station ID [decimal]", 1},   {"Range [floating point]", 4},
    {"Level [floating point]", 4}, {"Standard deviation [floating point]", 4},
    {"Status [decimal]", 2},       {"Units [character]", 1},
};

// 58 $POBSVIS
const FieldSentence kPOBSVISFields[] = {
    {"Present Weather Code [decimal]", 1},
    {"MOR [floating point]", 4},
    {"Empty1 [decimal]", 1},
    {"Precipitation in mm/min [floating point]", 4},
    {"Temperature [floating point]", 4},
    {"Empty2 [decimal]", 1},
    {"Selftesting VPF730, val1 [char]", 1},
    {"Selftesting VPF730, val2 [char]", 1},
    {"Selftesting VPF730, val3 [char]", 1},
};

} // namespace

const SentenceEntry kSentenceTable[SentenceCount] = {
    {"ZDA", true, kZDAFields, 9},      {"BWC", false, nullptr, 0},
    {"BWR", false, nullptr, 0},        {"DBT", true, kDBTFields, 6},
    {"DPT", true, kDPTFields, 3},      {"DSC", false, nullptr, 0},
    {"GGA", true, kGGAFields, 19},     {"GLL", true, kGLLFields, 12},
    {"GSA", true, kGSAFields, 18},     {"GSV", true, kGSVFields, 8},
    {"HDG", true, kHDGFields, 5},      {"HDM", false, nullptr, 0},
    {"HDT", true, kHDTFields, 2},      {"HSC", false, nullptr, 0},
    {"MDA", true, kMDAFields, 20},     {"MTW", true, kMTWFields, 2},
    {"MWD", true, kMWDFields, 8},      {"MWV", true, kMWVFields, 5},
    {"RMB", false, nullptr, 0},        {"RMC", true, kRMCFields, 20},
    {"ROT", true, kROTFields, 2},      {"RPM", false, nullptr, 0},
    {"RSA", true, kRSAFields, 4},      {"VBW", true, kVBWFields, 10},
    {"VDM", false, nullptr, 0},        {"VDO", false, nullptr, 0},
    {"VDR", false, nullptr, 0},        {"VHW", true, kVHWFields, 8},
    {"VLW", false, nullptr, 0},        {"VTG", true, kVTGFields, 9},
    {"VWR", true, kVWRFields, 8},      {"XTE", true, kXTEFields, 6},
    {"THS", true, kTHSFields, 2},      {"XDR", true, kXDRFields, 4},
    {"$PJELA", true, kPJELAFields, 1}, {"DBK", true, kDBKFields, 6},
    {"DBS", true, kDBSFields, 6},      {"DTM", true, kDTMFields, 8},
    {"VWT", true, kVWTFields, 8},      {"$PJELC", true, kPJELCFields, 6},
    {"$VTHA0", true, kVTHA0Fields, 1}, {"$VTHA1", true, kVTHA1Fields, 1},
    {"$VTHA2", true, kVTHA2Fields, 1}, {"$VTHA3", true, kVTHA3Fields, 1},
    {"$VTHA4", true, kVTHA4Fields, 1}, {"$VTHA5", true, kVTHA5Fields, 1},
    {"$VTHS0", true, kVTHS0Fields, 1}, {"$VTHC0", true, kVTHC0Fields, 8},
    {"$VTHC1", true, kVTHC1Fields, 3}, {"$VTHF0", true, kVTHF0Fields, 11},
    {"$VTHF1", true, kVTHF1Fields, 8}, {"$PSTKTSX5", true, kPSTKTSX5Fields, 4},
    {"$PRDID", true, kPRDIDFields, 3}, {"$PSONCMS", true, kPSONCMSFields, 14},
    {"$PRRS", true, kPRRSFields, 12},  {"$PVTM0", true, kPVTM0Fields, 12},
    {"$PVRS", true, kPVRSFields, 6},   {"$POBSVIS", true, kPOBSVISFields, 9},
};

const char* const kPostOperations[PostOperationCount] = {
    "None", ": 10", ": 100", ": 1000", ": 10000", "x 10", "x 100", "x 1000", "x 10000",
};

} // namespace Nmea
