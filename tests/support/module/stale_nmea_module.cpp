// A sources module as an older program would have left it: the same entries, another interface.
#include <QtGlobal>

extern "C" {

Q_DECL_EXPORT int tessellor_nmea_interface_version() {
    return 1;
}

Q_DECL_EXPORT void* tessellor_create_nmea_source(const void*, void*) {
    qFatal("a stale module's source was created");
    return nullptr;
}

} // extern "C"
