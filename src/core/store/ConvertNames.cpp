#include "core/store/ConvertNames.h"

#include "core/config/SetupFile.h"
#include "core/util/StringUtil.h"

namespace kestrova {

DecodedName SplitDecodedName(const QString& fileName, const setupinformation& setup, int docIndex) {
    DecodedName name;
    if (!fileName.contains(QLatin1Char('~'))) {
        name.problem = QStringLiteral("its name carries no request number");
        return name;
    }
    name.ReqID = TextBefore(fileName, QStringLiteral("~"));
    QString g = QStringLiteral("~") + TextBetween(fileName, QStringLiteral("~"), QStringLiteral("."));
    // The decode tail is dropped but for its first two characters; the "~" always stays.
    g.chop(std::min<qsizetype>(3, g.size() - 1));
    if (g == QLatin1String("~")) {
        if (docIndex < 0) {
            name.problem = QStringLiteral("its name carries no document code and its page length matches no "
                                          "document type");
            return name;
        }
        g = setup.DocDefs[docIndex].DocCode + setup.ScannerId;
    }
    name.G = g;
    name.ok = true;
    return name;
}

int MatchDocument(const setupinformation& setup, int heightPixels, int yResolution) {
    if (yResolution <= 0 || setup.DocDefs.isEmpty()) return -1;
    const int k = NearestDocDefinition(setup, PageLengthOf(heightPixels, yResolution));
    return k >= 0 && k < setup.DocDefs.size() ? k : -1;
}

} // namespace kestrova
