// Feeds arbitrary bytes as a configuration (profile) file through the INI adapter into the
// configuration tree and the barcode type the readers would get. Any crash or sanitizer report is
// a finding.
#include "core/config/Configuration.h"
#include "core/config/ConfigurationJson.h"
#include "core/scan/BarcodeProfiles.h"
#include "platform/ini/SimpleIniSource.h"

#include <cstdlib>

namespace {

class BytesSource : public kestrova::IniSource {
public:
    explicit BytesSource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    bool readEntries(const QString&, std::vector<kestrova::IniEntry>& entries, QString& error) const override {
        return kestrova::SimpleIniSource::parse(m_bytes, entries, error);
    }

private:
    QByteArray m_bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const BytesSource source(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    kestrova::TKestrovaConfiguration tree;
    tree.Load(source, QStringLiteral("fuzz.stp"));
    tree.Load(source, QStringLiteral("fuzz.stp"));
    if (tree.ProfileSettings.count() % 2 != 0 || tree.DocumentSettings.count() % 2 != 0) std::abort();
    (void)kestrova::ConfigurationToJson(tree);
    if (tree.ProfileSettings.count() > 0) (void)kestrova::ProfileBarcodeType(tree);
    return 0;
}
