#include "zep_ga_x11_pixel.h"

#include <QtEndian>
#include <cstring>

// After Qt's headers: Xlib defines macros that clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr quint32 CDeckend = 0xff000000U;

int Shift(unsigned long AMask) {
    int bits = 0;
    while (AMask != 0 && (AMask & 1UL) == 0) {
        AMask >>= 1;
        ++bits;
    }
    return bits;
}

// 32 bits a pixel, red, green and blue a byte each, in the byte order of this machine: what a
// 24-bit screen hands out to a local client.
bool IsHostRgb32(const XImage& AImage) {
    const int hostOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? LSBFirst : MSBFirst;
    return AImage.format == ZPixmap && AImage.bits_per_pixel == 32 &&
           AImage.byte_order == hostOrder && AImage.red_mask == 0xff0000UL &&
           AImage.green_mask == 0xff00UL && AImage.blue_mask == 0xffUL;
}

}  // namespace

QByteArray ZEP_GA_X11Pixel(const XImage& AImage) {
    const qsizetype breite = AImage.width;
    const qsizetype hoehe = AImage.height;
    QByteArray pixel(breite * hoehe * 4, Qt::Uninitialized);
    auto* ziel = reinterpret_cast<quint32*>(pixel.data());
    if (IsHostRgb32(AImage)) {
        for (qsizetype y = 0; y < hoehe; ++y) {
            std::memcpy(ziel, AImage.data + y * AImage.bytes_per_line,
                        static_cast<size_t>(breite) * 4);
            for (qsizetype x = 0; x < breite; ++x) {
                ziel[x] |= CDeckend;
            }
            ziel += breite;
        }
        return pixel;
    }
    auto* image = const_cast<XImage*>(&AImage);
    const int rot = Shift(AImage.red_mask);
    const int gruen = Shift(AImage.green_mask);
    const int blau = Shift(AImage.blue_mask);
    for (int y = 0; y < AImage.height; ++y) {
        for (int x = 0; x < AImage.width; ++x) {
            const unsigned long wert = XGetPixel(image, x, y);
            // A channel of fewer than 8 bits is stretched to the full range.
            const auto kanal = [wert](unsigned long AMask, int AShift) {
                const unsigned long hoechster = AMask >> AShift;
                return hoechster == 0
                           ? 0U
                           : static_cast<quint32>(((wert & AMask) >> AShift) * 255UL / hoechster);
            };
            *ziel++ = CDeckend | kanal(AImage.red_mask, rot) << 16 |
                      kanal(AImage.green_mask, gruen) << 8 | kanal(AImage.blue_mask, blau);
        }
    }
    return pixel;
}
