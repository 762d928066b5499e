#pragma once

#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/leptonica/LeptonicaPageImage.h"
#include "platform/leptonica/LeptonicaPix.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <initializer_list>
#include <utility>

namespace kestrova::test {

using leptonica::PixPtr;

// A 1-bit pix of w x h, white but for the listed black pixels (x, y from the top left).
inline PixPtr BlackPixels(int w, int h, std::initializer_list<std::pair<int, int>> black) {
    PixPtr pix(pixCreate(w, h, 1));
    for (auto [x, y] : black) pixSetPixel(pix.get(), x, y, 1);
    return pix;
}

// A grey ramp w x h: pixel value (x * 7 + y * 3) % 256.
inline PixPtr GreyRamp(int w, int h) {
    PixPtr pix(pixCreate(w, h, 8));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixSetPixel(pix.get(), x, y, (x * 7 + y * 3) % 256);
    return pix;
}

inline std::unique_ptr<LeptonicaPageImage> Image(PixPtr pix) {
    return std::make_unique<LeptonicaPageImage>(std::move(pix));
}

inline PIX* PixOf(const PageImage& image) {
    return dynamic_cast<const LeptonicaPageImage&>(image).pix();
}

inline l_uint32 PixelAt(const PageImage& image, int x, int y) {
    l_uint32 v = 0;
    pixGetPixel(PixOf(image), x, y, &v);
    return v;
}

// Pixels that differ between two images of the same depth; -1 when the sizes differ.
inline int DifferentPixels(PIX* a, PIX* b) {
    if (pixGetWidth(a) != pixGetWidth(b) || pixGetHeight(a) != pixGetHeight(b) || pixGetDepth(a) != pixGetDepth(b))
        return -1;
    int count = 0;
    for (int y = 0; y < pixGetHeight(a); ++y)
        for (int x = 0; x < pixGetWidth(a); ++x) {
            l_uint32 va = 0, vb = 0;
            pixGetPixel(a, x, y, &va);
            pixGetPixel(b, x, y, &vb);
            if (pixGetDepth(a) == 32) va >>= 8, vb >>= 8; // red, green, blue; not the spare byte
            count += va != vb;
        }
    return count;
}

// A little-endian uncompressed single-strip TIFF whose header claims the given layout, followed by
// 64 bytes of pixels whatever the claim.
inline QByteArray ClaimedTiff(quint32 width, quint32 height, quint16 bitsPerSample, quint16 samples) {
    QByteArray out("II*\0", 4);
    auto u16 = [&out](quint16 v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&u16](quint32 v) { u16(quint16(v & 0xffff)), u16(quint16(v >> 16)); };
    u32(8);
    const quint32 pixels = 8 + 2 + 9 * 12 + 4;
    u16(9);
    auto entry = [&](quint16 tag, quint16 type, quint32 value) {
        u16(tag), u16(type), u32(1);
        if (type == 3)
            u16(quint16(value)), u16(0);
        else
            u32(value);
    };
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, bitsPerSample);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, pixels);
    entry(277, 3, samples);
    entry(278, 4, height);
    entry(279, 4, 64);
    u32(0);
    return out + QByteArray(64, '\x0f');
}

// A real PNG of image (written by Leptonica) whose header then declares width x height instead:
// small on disk, and its pixels run out long before the declared size.
inline QByteArray ClaimedPng(const QString& scratch, const PageImage& image, quint32 width, quint32 height) {
    if (!image.saveAs(scratch, ImageFileFormat::Png)) return {};
    QByteArray png = ReadFileBytes(scratch);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    quint32 crc = 0xffffffff; // over the chunk's type and data, as PNG has it
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i) png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

} // namespace kestrova::test
