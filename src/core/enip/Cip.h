#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// The CIP messages the adapter answers: a request's service and path, its reply with general and
// extended status, and the Connection Manager's Forward Open and Forward Close.
//
// The status codes are the ones CIP devices answer with as listed in public vendor documentation
// (the Connection Manager's extended status table of PLC libraries and fieldbus manuals); the
// adapter claims no conformance to any specification.
namespace Enip::Cip {

namespace Service {
inline constexpr quint8 GetAttributesAll = 0x01;
inline constexpr quint8 GetAttributeSingle = 0x0E;
inline constexpr quint8 ForwardClose = 0x4E;
inline constexpr quint8 UnconnectedSend = 0x52;
inline constexpr quint8 ForwardOpen = 0x54;
inline constexpr quint8 LargeForwardOpen = 0x5B;
inline constexpr quint8 Reply = 0x80; // or'ed into the service of a reply
} // namespace Service

namespace ClassId {
inline constexpr quint32 Identity = 0x01;
inline constexpr quint32 Assembly = 0x04;
inline constexpr quint32 ConnectionManager = 0x06;
} // namespace ClassId

namespace General {
inline constexpr quint8 Success = 0x00;
inline constexpr quint8 ConnectionFailure = 0x01;
inline constexpr quint8 PathSegmentError = 0x04;
inline constexpr quint8 PathDestinationUnknown = 0x05;
inline constexpr quint8 ServiceNotSupported = 0x08;
inline constexpr quint8 NotEnoughData = 0x13;
inline constexpr quint8 AttributeNotSupported = 0x14;
inline constexpr quint8 TooMuchData = 0x15;
inline constexpr quint8 ObjectDoesNotExist = 0x16;
} // namespace General

// The Connection Manager's extended status, with general status ConnectionFailure.
namespace Extended {
inline constexpr quint16 DuplicateForwardOpen = 0x0100;
inline constexpr quint16 TransportNotSupported = 0x0103;
inline constexpr quint16 OwnershipConflict = 0x0106;
inline constexpr quint16 ConnectionNotFound = 0x0107;
inline constexpr quint16 InvalidConnectionParameter = 0x0108;
// A size the target does not have; the word after it is the size the target expects.
inline constexpr quint16 InvalidConnectionSize = 0x0109;
inline constexpr quint16 RpiNotSupported = 0x0111;
inline constexpr quint16 VendorOrProductMismatch = 0x0114;
inline constexpr quint16 DeviceTypeMismatch = 0x0115;
inline constexpr quint16 RevisionMismatch = 0x0116;
inline constexpr quint16 InvalidConnectionPoint = 0x0117;
inline constexpr quint16 InvalidConfigurationPath = 0x0118;
inline constexpr quint16 NullForwardOpenNotSupported = 0x0132;
inline constexpr quint16 TimeoutMultiplierNotAcceptable = 0x0133;
inline constexpr quint16 InvalidSegmentInPath = 0x0315;
} // namespace Extended

// What an electronic key segment asks of the target; zero fields ask nothing.
struct ElectronicKey {
    quint16 vendorId = 0;
    quint16 deviceType = 0;
    quint16 productCode = 0;
    quint8 majorRevision = 0; // without the compatibility bit
    quint8 minorRevision = 0;
    bool compatible = false;
};

// The logical segments of a padded path, in order of appearance.
struct Path {
    std::optional<quint32> classId;
    std::optional<quint32> instance;
    std::optional<quint32> attribute;
    QList<quint32> connectionPoints;
    std::optional<ElectronicKey> key;
    QByteArray data; // a simple data segment (configuration data)
};

// Reads a padded path of exactly bytes; none for a segment the adapter does not know or one cut.
std::optional<Path> readPath(QByteArrayView bytes);
QByteArray logicalPath(quint32 classId, quint32 instance, std::optional<quint32> attribute = std::nullopt);

struct Request {
    quint8 service = 0;
    QByteArrayView pathBytes;
    QByteArrayView data;
};
// The service, path and data of a message, or none when the path size overruns it.
std::optional<Request> readRequest(QByteArrayView message);
QByteArray request(quint8 service, QByteArrayView path, QByteArrayView data = {});

struct Reply {
    quint8 service = 0; // without the reply bit
    quint8 general = 0;
    QList<quint16> extended;
    QByteArrayView data;
};
QByteArray reply(quint8 service, quint8 general, const QList<quint16>& extended = {},
                 QByteArrayView data = {});
std::optional<Reply> readReply(QByteArrayView message);

// One direction's network connection parameters.
struct ConnectionParameters {
    enum class Type { Null = 0, Multicast = 1, PointToPoint = 2, Reserved = 3 };
    int size = 0;
    bool variable = false;
    int priority = 0;
    Type type = Type::Null;
    bool redundantOwner = false;
};
ConnectionParameters readParameters(quint32 word, bool large);
quint32 parametersWord(const ConnectionParameters& parameters, bool large);

struct ForwardOpen {
    bool large = false;
    quint8 tick = 0;
    quint8 timeoutTicks = 0;
    quint32 originatorToTargetId = 0;
    quint32 targetToOriginatorId = 0;
    quint16 connectionSerial = 0;
    quint16 originatorVendor = 0;
    quint32 originatorSerial = 0;
    quint8 timeoutMultiplier = 0;      // the code: the timeout is 4 << code times the RPI
    quint32 originatorToTargetRpi = 0; // microseconds
    ConnectionParameters originatorToTarget;
    quint32 targetToOriginatorRpi = 0;
    ConnectionParameters targetToOriginator;
    quint8 transport = 0; // direction, trigger and class
    QByteArrayView path;
};
std::optional<ForwardOpen> readForwardOpen(QByteArrayView data, bool large);
QByteArray forwardOpenData(const ForwardOpen& open);

struct ForwardClose {
    quint16 connectionSerial = 0;
    quint16 originatorVendor = 0;
    quint32 originatorSerial = 0;
    QByteArrayView path;
};
std::optional<ForwardClose> readForwardClose(QByteArrayView data);

// The three fields that name a connection for its owner.
struct ConnectionTriad {
    quint16 connectionSerial = 0;
    quint16 originatorVendor = 0;
    quint32 originatorSerial = 0;
    bool operator==(const ConnectionTriad&) const = default;
};

} // namespace Enip::Cip
