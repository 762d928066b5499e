#include "platform/leptonica/LeptonicaPix.h"

namespace kestrova::leptonica {

namespace {
constexpr int BLACK_BELOW = 128;
}

int SupportedDepth(int requested) {
    if (requested == 1) return 1;
    if (requested >= 2 && requested <= 4) return 4;
    if (requested >= 5 && requested <= 16) return 8;
    if (requested >= 17 && requested <= 32) return 24;
    return 0;
}

PixPtr Normalized(PIX* pix) {
    PixPtr out(pixGetColormap(pix) ? pixRemoveColormap(pix, REMOVE_CMAP_BASED_ON_SRC) : pixCopy(nullptr, pix));
    if (!out) return out;
    if (pixGetDepth(out.get()) == 32) {
        if (pixGetSpp(out.get()) == 4) {
            PixPtr blended(pixAlphaBlendUniform(out.get(), 0xffffff00));
            if (!blended) return blended;
            out = std::move(blended);
        }
        pixSetSpp(out.get(), 3);
    }
    return out;
}

PixPtr ConvertedToDepth(PIX* pix, int depth) {
    PixPtr source = Normalized(pix);
    if (!source) return source;
    const int d = pixGetDepth(source.get());
    PixPtr out;
    switch (depth) {
    case 1:
        out.reset(d == 1 ? pixCopy(nullptr, source.get()) : pixConvertTo1(source.get(), BLACK_BELOW));
        break;
    case 4:
        if (d == 4) {
            out.reset(pixCopy(nullptr, source.get()));
        } else if (PixPtr grey{pixConvertTo8(source.get(), 0)}) {
            out.reset(pixThresholdTo4bpp(grey.get(), 16, 0));
        }
        break;
    case 8:
        out.reset(d == 8 ? pixCopy(nullptr, source.get()) : pixConvertTo8(source.get(), 0));
        break;
    case 24:
        out.reset(d == 32 ? pixCopy(nullptr, source.get()) : pixConvertTo32(source.get()));
        if (out) pixSetSpp(out.get(), 3);
        break;
    default:
        break;
    }
    if (out) pixCopyResolution(out.get(), pix);
    return out;
}

} // namespace kestrova::leptonica
