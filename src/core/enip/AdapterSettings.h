#pragma once

#include <QByteArray>

namespace Enip {

// Who the virtual converter says it is. Its own numbers, settable: the real converter's come from
// the converter's own documentation.
struct Identity {
    quint16 vendorId = 0;      // no vendor: a program, not a listed device
    quint16 deviceType = 0x0C; // communications adapter
    quint16 productCode = 1;
    quint8 revisionMajor = 1;
    quint8 revisionMinor = 0;
    quint32 serialNumber = 0x00073052;
    QByteArray productName = "Tessellor virtual converter";
    bool operator==(const Identity&) const = default;
};

// The assembly instances a Forward Open names, the virtual converter's own and settable.
struct Assemblies {
    quint32 output = 100;        // the Output array, produced to the PLC (T->O)
    quint32 input = 150;         // the Input array, consumed from the PLC (O->T)
    quint32 configuration = 151; // no configuration data is kept
    bool operator==(const Assemblies&) const = default;
};

struct AdapterSettings {
    static constexpr quint16 DefaultEncapsulationPort = 44818;
    static constexpr quint16 DefaultIoPort = 2222;
    // 127.0.0.2: never the port 2222 of a scanner running on the same PC at 127.0.0.1.
    static constexpr quint32 DefaultAddress = 0x7F000002;

    Identity identity;
    Assemblies assemblies;
    // EtherNetIP_NB_Output and EtherNetIP_NB_Input of the configuration.
    int outputSize = 496;
    int inputSize = 496;
    // Where it listens, as ListIdentity tells it.
    quint32 address = DefaultAddress;
    quint16 encapsulationPort = DefaultEncapsulationPort;
    quint16 ioPort = DefaultIoPort;
    // TCP clients served at once; a new one takes the place of the oldest without a session.
    int maxStreams = 8;
    // A TCP client that sends nothing whole for this long is let go.
    qint64 streamIdleUs = 120'000'000;
    // 0: sessions and connection ids start at random; else at this, for runs that repeat.
    quint32 idSeed = 0;
};

} // namespace Enip
