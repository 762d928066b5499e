#pragma once

#include <QString>

namespace kestrova {

// What the imaging side reports about an image it loaded, returned by the call that loads it (batch
// decoding, the convert pass's load). The convert pass re-saves a TIFF with its CompressionCode.
struct TImageInfo {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    qint64 Size = 0;
    int PageCount = 0;
    int PageNumber = 0;
    QString CompressionName;
    bool ByFile = false;
    QString FileName;
    int CompressionCode = 0;
};

// 0 "NONE", 1 "CCITT", 2 "FAXCCITT3", 3 "FAXCCITT4", 4 "LZW", 5 "PACKBITS"; any other name
// (compared with letter case) gives 0.
inline int CompressionCodeFor(const QString& name) {
    static const char* const names[] = {"NONE", "CCITT", "FAXCCITT3", "FAXCCITT4", "LZW", "PACKBITS"};
    for (int code = 0; code < 6; ++code) {
        if (name == QLatin1String(names[code])) return code;
    }
    return 0;
}

} // namespace kestrova
