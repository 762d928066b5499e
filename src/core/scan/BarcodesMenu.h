#pragma once

#include <QList>
#include <QString>

namespace kestrova {

class IniSource;
class Station;

// One item of the "Barcodes" menu. Captions are written as menu captions: "&" marks the
// accelerator and "&&" stands for a plain "&".
struct BarcodeMenuItem {
    QString Caption;
    bool Checked = false;
};

// The "Barcodes" menu (itmBarcodes): item 0 is "(default)" (Default1), ticked at start; the other
// items are the profiles found when the menu was last opened.
struct BarcodesMenu {
    QList<BarcodeMenuItem> Items{BarcodeMenuItem{QStringLiteral("(default)"), true}};
};

// A caption with its accelerator marks removed: "&x" gives "x", "&&" gives "&".
QString StripHotkey(const QString& caption);
// The menu caption that shows name as it is.
QString MenuCaption(const QString& name);

// The menu is opened: its profile items are rebuilt from the profile files in directory, in list
// order. The tick stays on "(default)" when it was there; otherwise it goes to every item named
// like the one ticked before, so a profile whose file has gone leaves no item ticked.
void itmBarcodesClick(BarcodesMenu& itmBarcodes, const QString& directory);

// An item is chosen: the tick moves to it and its barcode type is loaded into both readers, the
// label lblBarcodeProfile says which type is in force and a message box confirms it. When the
// profile cannot be loaded, an error box says why and the readers, the label and the tick stay
// as they were. Returns true when the type was loaded.
bool Default1Click(Station& station, const IniSource& source, BarcodesMenu& itmBarcodes, int index);

} // namespace kestrova
