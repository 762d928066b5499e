#pragma once

#include "core/scan/BarcodeProfiles.h"

#include <QJsonObject>

namespace kestrova::cli {

// A barcode type as the readers receive it; the flags word in hexadecimal.
inline QJsonObject BarcodeTypeToJson(const BarcodeType& t) {
    return {{QStringLiteral("NarrowFrom"), t.NarrowFrom},
            {QStringLiteral("NarrowTo"), t.NarrowTo},
            {QStringLiteral("WideFrom"), t.WideFrom},
            {QStringLiteral("WideTo"), t.WideTo},
            {QStringLiteral("DoubleFrom"), t.DoubleFrom},
            {QStringLiteral("DoubleTo"), t.DoubleTo},
            {QStringLiteral("QuadFrom"), t.QuadFrom},
            {QStringLiteral("QuadTo"), t.QuadTo},
            {QStringLiteral("DigitsFrom"), t.DigitsFrom},
            {QStringLiteral("DigitsTo"), t.DigitsTo},
            {QStringLiteral("MinPageHeight"), t.MinPageHeight},
            {QStringLiteral("Flags"),
             QStringLiteral("0x") + QString::number(t.Flags, 16).rightJustified(8, QLatin1Char('0')).toUpper()},
            {QStringLiteral("ExtraValidation"), t.ExtraValidation}};
}

} // namespace kestrova::cli
