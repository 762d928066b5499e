#include "platform/ini/SimpleIniSource.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <exception>

#define SI_NO_CONVERSION
#include <SimpleIni.h>

namespace kestrova {

namespace {

QString Decode(const char* text) {
    const QByteArrayView bytes(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (utf8.hasError()) decoded = QString::fromLatin1(bytes);
    return decoded;
}

struct Ordered {
    int order;
    IniEntry entry;
};

} // namespace

bool SimpleIniSource::readEntries(const QString& path, std::vector<IniEntry>& entries, QString& error) const {
    entries.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.size() > MaxFileSize) {
        error = QStringLiteral("the file is larger than %1 bytes").arg(MaxFileSize);
        return false;
    }
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize) {
        error = QStringLiteral("the file is larger than %1 bytes").arg(MaxFileSize);
        return false;
    }
    return parse(data, entries, error);
}

bool SimpleIniSource::parse(QByteArray data, std::vector<IniEntry>& entries, QString& error) {
    entries.clear();
    data.replace('\0', ' ');

    try {
        CSimpleIniA ini(/*a_bIsUtf8=*/false, /*a_bMultiKey=*/true, /*a_bMultiLine=*/false);
        if (ini.LoadData(data.constData(), static_cast<size_t>(data.size())) < 0) {
            error = QStringLiteral("the file could not be parsed");
            return false;
        }
        std::vector<Ordered> ordered;
        CSimpleIniA::TNamesDepend sections;
        ini.GetAllSections(sections);
        for (const auto& section : sections) {
            CSimpleIniA::TNamesDepend keys;
            ini.GetAllKeys(section.pItem, keys);
            const QString sectionName = Decode(section.pItem);
            for (const auto& key : keys) {
                CSimpleIniA::TNamesDepend values;
                ini.GetAllValues(section.pItem, key.pItem, values);
                const QString keyName = Decode(key.pItem);
                for (const auto& value : values)
                    ordered.push_back({value.nOrder, IniEntry{sectionName, keyName, Decode(value.pItem)}});
            }
        }
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const Ordered& a, const Ordered& b) { return a.order < b.order; });
        entries.reserve(ordered.size());
        for (Ordered& o : ordered) entries.push_back(std::move(o.entry));
    } catch (const std::exception& e) {
        entries.clear();
        error = QStringLiteral("the file could not be parsed: %1").arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}

} // namespace kestrova
