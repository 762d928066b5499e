#pragma once

#include "core/ports/PageImage.h"
#include "core/scan/ProblemReasons.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace kestrova {

class Station;

// The image files the problems directory may hold.
inline const QString ProblemFilesMask = QStringLiteral("*.bmp;*.tif;*.png;*.jpg;*.gif");

// The pieces of the main window problem resolution reaches.
struct ProblemResolutionView {
    std::function<void()> ShowStatusView;  // back to the status view
    std::function<void()> ShowProblemView; // show the problem view with the page just loaded
    std::function<void()> FocusNewBarcode; // put the focus in the name box
    std::function<void()> PageChanged;     // the shown page was turned: fit it and repaint
};

// Problem resolution: the problem pages of the problems directory shown one at a time, with the
// name candidates the reader found, and the operator's accept, skip and delete. The window shows
// this state and forwards its buttons here.
class ProblemResolution {
public:
    ProblemResolution(Station& station, const ImageCodec& codec);

    void setView(ProblemResolutionView view) { m_view = std::move(view); }

    // The problem images, by name, and the position of the one shown.
    QStringList ProblemFiles;
    int ProblemIndex = 0;
    // Bits per pixel a resolved page is saved with: the TIFF's own, 4 for other formats.
    int ProblemDepth = 0;

    // The name box: its candidates ("*All" first when there are several), its text and the
    // label beside it.
    QStringList newbarcodeItems;
    QString newbarcodeText;
    QString ProblemTypeLabel;
    // What a typed name that was not taken should look like; empty when the last name was taken.
    QString NameHint;

    // Where the operator is: "Page 2 of 5: NAME" (empty without a page).
    QString positionText() const;
    // Removes the deleted pages kept longer than the station keeps them; run at start-up and
    // before every delete.
    void PruneDeletedPages();

    // The file shown (name only, empty when none) and its page as shown.
    QString currentFile() const { return m_file; }
    const PageImage* page() const { return m_page.get(); }
    QString problemsDir() const;

    void FixProbsButtonClick();
    void ShowNextProblem();
    bool LoadProblemImage(const QString& path);
    // Files the shown page under the name in the name box (set newbarcodeText first).
    void AcceptProblemName();
    void SkipButtonClick();
    void DeleteButtonClick();

    // The toolbar's turns of the shown page. A quarter turn re-reads the page when "Decode
    // Problems" is on and offers what it finds.
    void RotatePage(int degrees);
    // The toolbar's deskew and border removal of the shown page; a failure goes to the event log
    // and leaves the page as it was.
    void DeskewPage();
    void RemovePageBorder();

    // The barcode list dialog's starting list: the candidates without "*All", each once.
    QStringList EditedBarcodesFromItems() const;
    // The dialog's list after "OK".
    void SetEditedBarcodes(const QStringList& edited);

private:
    QString documentPart() const;
    bool readWholePage(QStringList& slotLines, bool& inverted);
    void setCandidates(const QStringList& candidates);
    QString decodedName(const QString& name, const QString& kind, const QStringList& others) const;
    QString unsafeNameReason(const QString& name, const QString& kind) const;
    bool recordFiled(const QStringList& names);
    bool savePage(const PageImage& page, const QString& path);
    void acceptAll(const QString& text);
    std::unique_ptr<PageImage> pageAtStorageResolution() const;
    void removeProblem();
    void logNamed(const QString& name, const QString& path);
    QString nameRule() const;
    void showStatus();

    Station& m_station;
    const ImageCodec& m_codec;
    ProblemResolutionView m_view;
    QString m_file;
    std::unique_ptr<PageImage> m_page;
    QStringList m_filed; // names "*all" has filed the shown page under
};

} // namespace kestrova
