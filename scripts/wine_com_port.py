#!/usr/bin/env python3
"""Runs a Windows test program under Wine with its COM5 on a pseudo-terminal fed with sentences.

Wine maps a COM port to whatever its dosdevices folder links the port's name to; the link points at
the pseudo-terminal's far end, and this script writes NMEA 0183 lines into the near end while the
program runs. The link is removed afterwards.
"""
import os
import pathlib
import subprocess
import sys
import threading
import time

SENTENCES = [b"$HEHDT,274.07,T*", b"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*"]


def with_checksum(body: bytes) -> bytes:
    value = 0
    for byte in body[1:-1]:
        value ^= byte
    return body + b"%02X\r\n" % value


def main() -> int:
    program = sys.argv[1]
    prefix = pathlib.Path(os.environ.get("WINEPREFIX", pathlib.Path.home() / ".wine"))
    # Wine makes its prefix on the first run; the dosdevices folder comes with it.
    if not (prefix / "dosdevices").is_dir():
        subprocess.run(["wineboot", "-i"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    near, far = os.openpty()
    link = prefix / "dosdevices" / "com5"
    if link.is_symlink() or link.exists():
        link.unlink()
    link.symlink_to(os.ttyname(far))
    stop = threading.Event()

    def feed() -> None:
        while not stop.is_set():
            for body in SENTENCES:
                try:
                    os.write(near, with_checksum(body))
                except OSError:
                    return
            time.sleep(0.2)

    feeder = threading.Thread(target=feed, daemon=True)
    feeder.start()
    try:
        return subprocess.run(["wine", program] + sys.argv[2:], check=False).returncode
    finally:
        stop.set()
        link.unlink()
        os.close(near)
        os.close(far)


if __name__ == "__main__":
    sys.exit(main())
