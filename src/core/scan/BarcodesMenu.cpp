#include "core/scan/BarcodesMenu.h"

#include "core/scan/BarcodeProfiles.h"
#include "core/station/Station.h"

#include <QStringList>

namespace kestrova {

namespace {

const QString ImagePerBarcodeSuffix = QStringLiteral(".  An image will be produced for each Barcode found.");

// A text in single quotes, with every single quote inside it doubled.
QString Quoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString StripHotkey(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 == caption.size()) break;
            ++i;
        }
        plain.append(caption[i]);
    }
    return plain;
}

QString MenuCaption(const QString& name) {
    QString caption = name;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

void itmBarcodesClick(BarcodesMenu& itmBarcodes, const QString& directory) {
    auto& items = itmBarcodes.Items;
    const bool defaultTicked = items.front().Checked;
    QString ticked;
    if (!defaultTicked) {
        for (qsizetype i = 1; i < items.size(); ++i) {
            if (items[i].Checked) {
                ticked = StripHotkey(items[i].Caption);
                break;
            }
        }
    }
    QStringList names;
    ListProfileFiles(directory, names);
    items.resize(1);
    for (const QString& name : names) items.append(BarcodeMenuItem{MenuCaption(name), false});
    items.front().Checked = defaultTicked;
    if (!defaultTicked)
        for (qsizetype i = 1; i < items.size(); ++i) items[i].Checked = StripHotkey(items[i].Caption) == ticked;
}

bool Default1Click(Station& station, const IniSource& source, BarcodesMenu& itmBarcodes, int index) {
    auto& items = itmBarcodes.Items;
    if (index < 0 || index >= items.size()) return false;
    const QString name = StripHotkey(items[index].Caption);
    const QList<BarcodeMenuItem> before = items;
    for (qsizetype i = 0; i < items.size(); ++i) items[i].Checked = i == index;

    QString label;
    QString message;
    if (index == 0) {
        LoadDefaultBarcodeType(station);
        label = QStringLiteral("System is using default barcode type");
        message = QStringLiteral("Default barcode type has been loaded.");
    } else {
        QString error;
        if (!LoadBarcodeProfile(station, source, name, &error)) {
            // The type in force has not changed, so neither do the tick and the label.
            items = before;
            station.LogEvent(QStringLiteral("Barcode type %1 not loaded: %2").arg(Quoted(name), error));
            station.prompter().message(
                station.ui.Caption, QStringLiteral("Barcode type %1 could not be loaded: %2").arg(Quoted(name), error),
                MessageIcon::Error);
            return false;
        }
        label = QStringLiteral("Current barcode type is: %1").arg(name);
        message = QStringLiteral("Barcode type %1 has been loaded.").arg(Quoted(name));
    }
    if (station.setup().ImagePerBarcode) label += ImagePerBarcodeSuffix;
    station.ui.lblBarcodeProfile = label;
    station.notify();
    station.prompter().message(station.ui.Caption, message, MessageIcon::Information);
    return true;
}

} // namespace kestrova
