#include "platform/leptonica/LeptonicaPix.h"

namespace kestrova::leptonica {

namespace {

constexpr int BLACK_BELOW = 128;

PixPtr ToDepth(PIX* source, int depth) {
    const int d = pixGetDepth(source);
    switch (depth) {
    case 1:
        // Leptonica's general conversion copies an 8-bit page first; thresholding it is the same.
        if (d == 8 && !pixGetColormap(source)) return PixPtr(pixThresholdToBinary(source, BLACK_BELOW));
        return PixPtr(pixConvertTo1(source, BLACK_BELOW));
    case 4:
        if (PixPtr grey{d == 8 ? pixClone(source) : pixConvertTo8(source, 0)}) {
            return PixPtr(pixThresholdTo4bpp(grey.get(), 16, 0));
        }
        return nullptr;
    case 8:
        return PixPtr(pixConvertTo8(source, 0));
    case 24: {
        PixPtr colour(pixConvertTo32(source));
        if (colour) pixSetSpp(colour.get(), 3);
        return colour;
    }
    default:
        return nullptr;
    }
}

int LeptonicaDepth(int depth) {
    return depth == 24 ? 32 : depth;
}

} // namespace

int SupportedDepth(int requested) {
    if (requested == 1) return 1;
    if (requested >= 2 && requested <= 4) return 4;
    if (requested >= 5 && requested <= 16) return 8;
    if (requested >= 17 && requested <= 32) return 24;
    return 0;
}

PixPtr Normalized(PixPtr pix) {
    if (!pix) return pix;
    if (pixGetColormap(pix.get())) {
        PixPtr plain(pixRemoveColormap(pix.get(), REMOVE_CMAP_BASED_ON_SRC));
        if (!plain) return plain;
        pixCopyResolution(plain.get(), pix.get());
        pix = std::move(plain);
    }
    if (pixGetDepth(pix.get()) == 32) {
        if (pixGetSpp(pix.get()) == 4) {
            PixPtr blended(pixAlphaBlendUniform(pix.get(), 0xffffff00));
            if (!blended) return blended;
            pixCopyResolution(blended.get(), pix.get());
            pix = std::move(blended);
        }
        pixSetSpp(pix.get(), 3);
    }
    return pix;
}

PixPtr ConvertedToDepth(PixPtr pix, int depth) {
    if (!pix) return pix;
    // A clone shares the pixels; a conversion must not change the caller's image.
    const bool shared = pixGetRefcount(pix.get()) > 1;
    PixPtr source = Normalized(std::move(pix));
    if (!source) return source;
    if (pixGetDepth(source.get()) == LeptonicaDepth(depth)) {
        if (shared && pixGetRefcount(source.get()) > 1) return PixPtr(pixCopy(nullptr, source.get()));
        return source;
    }
    PixPtr out = ToDepth(source.get(), depth);
    if (out) pixCopyResolution(out.get(), source.get());
    return out;
}

} // namespace kestrova::leptonica
