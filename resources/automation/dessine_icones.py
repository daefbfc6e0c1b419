#!/usr/bin/env python3
"""Draws up.ico and dn.ico, the icons of the transfer launchers: a rounded
tile with an arrow, green pointing up (upload) and blue pointing down
(download). Each .ico holds one 48x48 PNG image. Standard library only:
  python3 dessine_icones.py [output folder]"""
import struct
import sys
import zlib
from pathlib import Path

T = 48


def pixel(x, y, vers_haut, fond):
    # Rounded tile.
    r = 9
    cx = min(max(x, r), T - 1 - r)
    cy = min(max(y, r), T - 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    yy = y if vers_haut else T - 1 - y
    # Arrow: head between rows 8 and 24, shaft 24..40.
    dans_tete = 8 <= yy < 25 and abs(x - 23.5) <= (yy - 8) * 0.95
    dans_tige = 24 <= yy <= 40 and abs(x - 23.5) <= 5
    if dans_tete or dans_tige:
        return (255, 255, 255, 255)
    ombre = 1.0 - 0.35 * y / T
    return tuple(int(c * ombre) for c in fond) + (255,)


def png(vers_haut, fond):
    lignes = b"".join(
        b"\0" + b"".join(bytes(pixel(x, y, vers_haut, fond)) for x in range(T))
        for y in range(T))

    def bloc(genre, donnees):
        return (struct.pack(">I", len(donnees)) + genre + donnees +
                struct.pack(">I", zlib.crc32(genre + donnees) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            bloc(b"IHDR", struct.pack(">IIBBBBB", T, T, 8, 6, 0, 0, 0)) +
            bloc(b"IDAT", zlib.compress(lignes, 9)) + bloc(b"IEND", b""))


def ico(image):
    entete = struct.pack("<HHH", 0, 1, 1)
    entree = struct.pack("<BBBBHHII", T, T, 0, 0, 1, 32, len(image), 6 + 16)
    return entete + entree + image


def main():
    dossier = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    (dossier / "up.ico").write_bytes(ico(png(True, (30, 150, 60))))
    (dossier / "dn.ico").write_bytes(ico(png(False, (40, 90, 190))))


if __name__ == "__main__":
    main()
