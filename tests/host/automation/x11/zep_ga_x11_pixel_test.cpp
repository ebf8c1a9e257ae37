// The screen as the server hands it out, turned into 0xffRRGGBB pixels: rows with padding at
// their end, both byte orders, swapped colour masks and a 16-bit screen.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <cstring>

#include "zep_ga_x11_pixel.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// An image over ABytes laid out as described; Xlib fills in how to read it.
XImage Image(QByteArray& ABytes, int ABreite, int AHoehe, int ABytesProZeile, int ABits,
             int AByteOrder, unsigned long ARot, unsigned long AGruen, unsigned long ABlau) {
    XImage image{};
    image.width = ABreite;
    image.height = AHoehe;
    image.format = ZPixmap;
    image.data = ABytes.data();
    image.byte_order = AByteOrder;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = AByteOrder;
    image.bitmap_pad = 32;
    image.depth = ABits == 32 ? 24 : 16;
    image.bytes_per_line = ABytesProZeile;
    image.bits_per_pixel = ABits;
    image.red_mask = ARot;
    image.green_mask = AGruen;
    image.blue_mask = ABlau;
    EXPECT_NE(XInitImage(&image), 0);
    return image;
}

QList<quint32> Pixel(const QByteArray& APixel) {
    QList<quint32> pixel(APixel.size() / 4);
    std::memcpy(pixel.data(), APixel.constData(), static_cast<size_t>(APixel.size()));
    return pixel;
}

// Two rows of three: red, green, blue; white, black, grey.
const QList<quint32> CErwartet{0xffff0000U, 0xff00ff00U, 0xff0000ffU,
                               0xffffffffU, 0xff000000U, 0xff808080U};

}  // namespace

TEST(GAX11Pixel, A24BitScreenInEitherByteOrderKeepsItsColoursAndSkipsRowPadding) {
    // Each row holds a fourth pixel of padding; the unused top byte is not always zero.
    const char lsb[] =
        "\x00\x00\xff\x12"
        "\x00\xff\x00\x00"
        "\xff\x00\x00\x00"
        "\xde\xad\xbe\xef"
        "\xff\xff\xff\x00"
        "\x00\x00\x00\x34"
        "\x80\x80\x80\x00"
        "\xde\xad\xbe\xef";
    const char msb[] =
        "\x12\xff\x00\x00"
        "\x00\x00\xff\x00"
        "\x00\x00\x00\xff"
        "\xde\xad\xbe\xef"
        "\x00\xff\xff\xff"
        "\x34\x00\x00\x00"
        "\x00\x80\x80\x80"
        "\xde\xad\xbe\xef";
    for (const auto& [bytes, order] : {std::pair{lsb, LSBFirst}, std::pair{msb, MSBFirst}}) {
        QByteArray daten(bytes, 32);
        const XImage image = Image(daten, 3, 2, 16, 32, order, 0xff0000, 0xff00, 0xff);
        EXPECT_EQ(Pixel(ZEP_GA_X11Pixel(image)), CErwartet) << "byte order " << order;
    }
}

TEST(GAX11Pixel, SwappedMasksAndA16BitScreenComeOutAsRgb) {
    const char bgr[] =
        "\xff\x00\x00\x00"
        "\x00\xff\x00\x00"
        "\x00\x00\xff\x00"
        "\xff\xff\xff\x00"
        "\x00\x00\x00\x00"
        "\x80\x80\x80\x00";
    QByteArray daten(bgr, 24);
    const XImage vertauscht = Image(daten, 3, 2, 12, 32, LSBFirst, 0xff, 0xff00, 0xff0000);
    EXPECT_EQ(Pixel(ZEP_GA_X11Pixel(vertauscht)), CErwartet);

    // 5-6-5 bits, little endian, rows padded to 8 bytes; 0x8410 is about half of each channel.
    const char farben[] =
        "\x00\xf8"
        "\xe0\x07"
        "\x1f\x00"
        "\x00\x00"
        "\xff\xff"
        "\x00\x00"
        "\x10\x84"
        "\x00\x00";
    QByteArray sechzehn(farben, 16);
    const XImage klein = Image(sechzehn, 3, 2, 8, 16, LSBFirst, 0xf800, 0x07e0, 0x001f);
    EXPECT_EQ(Pixel(ZEP_GA_X11Pixel(klein)),
              (QList<quint32>{0xffff0000U, 0xff00ff00U, 0xff0000ffU, 0xffffffffU, 0xff000000U,
                              0xff838183U}));
}
