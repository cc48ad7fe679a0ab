#pragma once

#include "platform/enip/AdapterSockets.h"
#include "platform/nmea/NmeaSourceSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace Platform {

// Told what a source made by the module does, always from the event loop.
class NmeaSourceEvents {
public:
    virtual void sourceStarted() = 0;
    // Bytes as they arrived, in arbitrary pieces.
    virtual void sourceBytes(const QByteArray& bytes) = 0;
    // A whole message, a datagram: its end ends the line still open.
    virtual void sourceMessage(const QByteArray& bytes) = 0;
    // The source could not start or broke off; it is stopped.
    virtual void sourceFailed(const QString& reason, NmeaSourceFailure why) = 0;
    // A log file was read to its end.
    virtual void sourceFinished() = 0;
    virtual void sourceProgress(qint64 done, qint64 total) = 0;

protected:
    ~NmeaSourceEvents() = default;
};

// A source made by the module. Deleting it stops the source at once; its memory goes from the event
// loop, so it may be deleted from inside one of its own events.
class NmeaSourceHandle {
public:
    virtual ~NmeaSourceHandle() = default;
    // Opens the port, socket or file; started or failed follows from the event loop.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    // What the source listens to, for a status line.
    virtual QString description() const = 0;
};

// The NMEA 0183 sources live in a module of their own beside the program, loaded when the monitor
// first needs them, so that the program starts without Qt Network, Qt Serial Port and the
// libraries they bring (Kerberos, udev). The program holds none of the sources' code and reaches
// them only through the two interfaces above, which have no code of their own.
namespace NmeaSourceModule {

// The shape of everything that crosses into the module: the settings, the two interfaces above, the
// adapter's sockets (platform/enip/AdapterSockets.h) and the entries below. Raise it with any change
// to them; a module built with another shape is refused before any of its code runs with the
// program's objects.
inline constexpr int InterfaceVersion = 3;

// The module's entries, extern "C".
inline constexpr char VersionEntry[] = "tessellor_nmea_interface_version";
inline constexpr char CreateEntry[] = "tessellor_create_nmea_source";
inline constexpr char PortsEntry[] = "tessellor_list_serial_ports";
inline constexpr char AdapterEntry[] = "tessellor_create_adapter_sockets";
using VersionFunction = int (*)();
using CreateFunction = NmeaSourceHandle* (*)(const NmeaSourceSettings& settings, NmeaSourceEvents& events);
using PortsFunction = void (*)(QStringList& ports);
using AdapterFunction = AdapterSocketsHandle* (*)(const AdapterSocketSettings& settings,
                                                  AdapterSocketEvents& events);

// The module's file name on this system.
QString fileName();
// The folder the module is loaded from: the program's folder unless set; empty restores that.
void setFolder(const QString& folder);

// A new source telling events what it does, not started, or null with the loader's reason in
// problem. Once loaded, the module stays loaded: the sources it made run its code until the end.
std::unique_ptr<NmeaSourceHandle> create(const NmeaSourceSettings& settings, NmeaSourceEvents& events,
                                         QString& problem);
// The serial ports the system offers, sorted; none when the module cannot be loaded.
QStringList serialPorts();
// The virtual converter's sockets telling events what they receive, not started, or null with the
// loader's reason in problem.
std::unique_ptr<AdapterSocketsHandle> createAdapterSockets(const AdapterSocketSettings& settings,
                                                           AdapterSocketEvents& events, QString& problem);

} // namespace NmeaSourceModule
} // namespace Platform
