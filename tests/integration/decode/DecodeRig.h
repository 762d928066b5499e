#pragma once

#include "core/station/ImageInfo.h"
#include "core/station/Station.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <cstdint>

namespace kestrova::decodetest {

// A clock that moves on by a millisecond every time it is read, from a fixed start.
class TickingClock : public Clock {
public:
    QDateTime now() const override {
        const QDateTime at = m_now;
        m_now = m_now.addMSecs(1);
        return at;
    }

private:
    mutable QDateTime m_now{QDate(2026, 12, 8), QTime(14, 5, 0)};
};

// A station in a temporary directory with its scan, problems and decoded directories, the
// documents ~HIST (29.7 cm, first read on the top quarter) and ~REQ (21 cm, 40 %), scanner S2,
// both readers set to Codabar (A to D), Code 39 and Code 128 (`symbologies`) of 2 to 20
// characters with narrow elements of 2-4 pixels, wide 5-8, double 9-11 and quadruple 12-15, and
// the real Leptonica codec.
struct DecodeRig {
    explicit DecodeRig(std::uint32_t options = 0);

    // Sets the option bits of both readers ("Search Option", "Other Option" bits) beside
    // `symbologies`, `digitsFrom` and `digitsTo`.
    void setOptions(std::uint32_t options);
    QString writeBatch(const std::vector<PageSketch>& pages) { return WriteBatch(imageSet, pages, codec); }
    void run();
    // What the last run reported about the image-set file.
    TImageInfo imageSetInfo;

    // File names in a directory, sorted.
    QStringList decoded() const;
    QStringList problems() const;
    // The lines of a problem text file (without the final line break).
    QStringList reasonLines(const QString& scnName) const;
    // Event log lines from the oldest, without their time stamps.
    QStringList log() const;

    std::uint32_t symbologies;
    std::uint8_t digitsFrom = 2;
    std::uint8_t digitsTo = 20;
    QTemporaryDir dir;
    test::ScriptedPrompter prompter;
    TickingClock clock;
    Station station{prompter, clock};
    LeptonicaImageCodec codec;
    QString scanDir, problemsDir, decodedDir, imageSet;
};

// The one file of files whose name matches pattern, or empty.
QString OnlyMatch(const QStringList& files, const QString& pattern);

// The options of the readers' flags word that steer batch decoding.
inline constexpr std::uint32_t SearchOption0 = 0x01000000;
inline constexpr std::uint32_t SearchOption3 = 0x00200000;
inline constexpr std::uint32_t AutomaticallyInvert = 0x00040000;

} // namespace kestrova::decodetest
