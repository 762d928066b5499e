// Feeds arbitrary bytes to the setup file reader. Any crash, sanitizer report or broken record
// invariant is a finding.
#include "core/config/SetupFile.h"
#include "core/station/Station.h"

#include <cstdlib>

namespace {

class SilentPrompter : public kestrova::Prompter {
public:
    kestrova::MessageResult message(const QString&, const QString&, kestrova::MessageIcon,
                                    kestrova::MessageButtons) override {
        return kestrova::MessageResult::Ok;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString& defaultText) override {
        return defaultText;
    }
};

class FixedClock : public kestrova::Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(14, 5)); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static SilentPrompter prompter;
    static FixedClock clock;
    static kestrova::Station station(prompter, clock);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    kestrova::ReadSetupBytes(station, bytes);
    const kestrova::setupinformation& s = station.setup().SetupInfo;
    if (s.DocDefCount != s.DocDefs.size()) std::abort();
    for (const kestrova::docdefinition& d : s.DocDefs)
        if (d.DocName.size() > 20 || d.DocCode.size() > 10) std::abort();
    return 0;
}
