#pragma once

#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/leptonica/LeptonicaPageImage.h"
#include "platform/leptonica/LeptonicaPix.h"

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

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace kestrova::test
