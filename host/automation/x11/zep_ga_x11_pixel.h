#pragma once

#include <QByteArray>

struct _XImage;

// The pixels of an image the X server handed out, as 32-bit 0xffRRGGBB row by row from the
// top. The common layout of a 24-bit screen is copied row by row; any other one goes through
// Xlib pixel by pixel.
QByteArray ZEP_GA_X11Pixel(const _XImage& AImage);
