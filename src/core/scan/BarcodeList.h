#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

class Prompter;

// The barcode list dialog's list of names: kept sorted, each once, with the length bounds of
// the setup file. Errors are shown through the prompter.
class BarcodeList {
public:
    BarcodeList(Prompter& prompter, int digitsFrom, int digitsTo);

    // The list the dialog starts from (duplicates dropped); sorted when the dialog is shown.
    void setEditedBarcodes(const QStringList& names);
    void show();
    const QStringList& EditedBarcodes() const { return m_names; }

    // "Add" with the edit's text: characters a file name cannot hold are removed, the length is
    // checked, a text that is not a number gets a "!" in front. Returns the entry now selected
    // (what the edit shows), or an empty string when nothing was added.
    QString add(const QString& editText);
    // "Remove" of the entry at index; returns the index selected afterwards (-1 when the list is
    // empty).
    int remove(int index);

private:
    Prompter& m_prompter;
    int m_digitsFrom;
    int m_digitsTo;
    QStringList m_names;
};

} // namespace kestrova
