#include "core/scan/ProblemResolution.h"

#include "barcode/QVCodabar.h"
#include "core/config/SetupFile.h"
#include "core/scan/BatchDecodeNames.h"
#include "core/scan/BatchDecodePage.h"
#include "core/scan/DecodeImages.h"
#include "core/scan/DeletedProblems.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "core/util/FileUtil.h"
#include "core/util/SafePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace kestrova {

namespace {

const QString AllCandidates = QStringLiteral("*All");
const QString WriteProblem =
    QStringLiteral("Problem writing to the Decoded Directory. Write Operation was unsuccessful for ");

bool IsAll(const QString& text) {
    return text.compare(AllCandidates, Qt::CaseInsensitive) == 0;
}

// The depth a page of a file with this many bits per pixel is held at.
int HeldDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 1) return 1;
    if (bitsPerPixel <= 4) return 4;
    if (bitsPerPixel <= 16) return 8;
    return 24;
}

QStringList SlotLinesOf(const barcode::QVCodabar& reader) {
    QStringList lines;
    for (int slot = 1; slot <= barcode::ReaderSlotCount; ++slot) {
        QString line = QString::fromLatin1(reader.Results[static_cast<std::size_t>(slot)]);
        line.remove(QLatin1Char('\r'));
        line.remove(QLatin1Char('\n'));
        lines << line;
    }
    return lines;
}

// A typed name is valid when it is a request number, or, with validation patterns set, when they
// accept it.
bool IsValidName(const barcode::QVCodabar& reader, const QString& text) {
    if (!reader.Extra || reader.Extra->GetPatterns().empty()) return IsRequestNumber(text);
    const QByteArray latin = text.toLatin1();
    return QString::fromLatin1(latin) == text &&
           reader.Extra->Accepts(std::string_view(latin.constData(), latin.size()));
}

// "*All" in front of a list of several candidates.
QStringList WithAllFirst(QStringList candidates) {
    if (candidates.size() > 1) candidates.prepend(AllCandidates);
    return candidates;
}

} // namespace

ProblemResolution::ProblemResolution(Station& station, const ImageCodec& codec) : m_station(station), m_codec(codec) {}

QString ProblemResolution::problemsDir() const {
    return m_station.setup().SetupInfo.Directories[SlotProblems];
}

void ProblemResolution::showStatus() {
    if (m_view.ShowStatusView) m_view.ShowStatusView();
}

void ProblemResolution::FixProbsButtonClick() {
    m_station.task().setStoreFileTimerEnabled(false);
    ShowNextProblem();
    if (m_view.FocusNewBarcode) m_view.FocusNewBarcode();
}

void ProblemResolution::ShowNextProblem() {
    const QDir dir(problemsDir());
    ProblemFiles = dir.entryList(ProblemFilesMask.split(QLatin1Char(';')), QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (ProblemFiles.isEmpty()) {
        m_file.clear();
        m_page.reset();
        newbarcodeItems.clear();
        newbarcodeText.clear();
        ProblemTypeLabel.clear();
        NameHint.clear();
        showStatus();
        ProblemIndex = 0;
        return;
    }
    if (ProblemIndex < 0 || ProblemIndex >= ProblemFiles.size()) ProblemIndex = 0;
    const QString name = ProblemFiles[ProblemIndex];
    if (!LoadProblemImage(problemsDir() + name)) {
        // The file at ProblemIndex is the current one now, without a page: Accept files nothing
        // and Delete removes this file, never the page shown before it.
        m_page.reset();
        m_file = name;
        newbarcodeItems.clear();
        newbarcodeText.clear();
        ProblemTypeLabel.clear();
        m_station.LogEvent(QStringLiteral("Error Loading filename ") + name);
        m_station.notify();
        return;
    }
    if (m_view.ShowProblemView) m_view.ShowProblemView();
    if (newbarcodeItems.isEmpty() && m_view.FocusNewBarcode) m_view.FocusNewBarcode();
}

bool ProblemResolution::LoadProblemImage(const QString& path) {
    const bool tiff = path.endsWith(QStringLiteral(".tif"), Qt::CaseInsensitive);
    int depth = 4;
    if (tiff) {
        const Result<ImageFileInfo> info = m_codec.fileInfo(path, 0);
        if (!info) return false;
        depth = info.value().bitsPerPixel;
    }
    Result<LoadedPage> loaded = m_codec.loadPage(path, 0, tiff ? HeldDepth(depth) : 8);
    if (!loaded || !loaded.value().image) return false;
    ProblemDepth = depth;
    m_page = std::move(loaded.value().image);
    m_file = QFileInfo(path).fileName();

    newbarcodeItems.clear();
    newbarcodeText.clear();
    ProblemTypeLabel.clear();
    NameHint.clear();
    m_filed.clear();
    const QString reasonFile = CompanionName(path);
    if (QFileInfo::exists(reasonFile)) {
        QStringList lines = ReadReasonLines(reasonFile);
        m_filed = ParseProblemReasons(lines).filed;
        const bool noRetries = (m_station.MainReader.Flags & NoRetryFlag) != 0;
        if (noRetries && lines.join(QLatin1Char('\n')).contains(QStringLiteral("No acceptable barcodes found.")) &&
            m_station.task().DecodeProblems1()) {
            QStringList slotLines;
            bool inverted = false;
            if (readWholePage(slotLines, inverted)) {
                lines = slotLines;
                lines << QStringLiteral("No acceptable barcode found in target area.");
                if (inverted) lines << QStringLiteral("Image Inverted.");
            }
        }
        const ProblemReasons reasons = ParseProblemReasons(lines);
        // Names an earlier "*all" has filed the page under are not offered again.
        setCandidates(UnfiledCandidates(ProblemCandidates(reasons.slotLines), m_filed));
        ProblemTypeLabel = ProblemLabel(reasons.problemText, m_filed);
    }
    if (ProblemTypeLabel.isEmpty()) ProblemTypeLabel = QStringLiteral("Unspecified Problem.");
    m_station.notify();
    return true;
}

void ProblemResolution::setCandidates(const QStringList& candidates) {
    newbarcodeItems = WithAllFirst(candidates);
    newbarcodeText = candidates.size() == 1 ? candidates.first() : QString();
}

bool ProblemResolution::readWholePage(QStringList& slotLines, bool& inverted) {
    if (!m_page) return false;
    const int previousCursor = m_station.ScreenCursorNumber;
    m_station.SetScreenCursor(crBCodeA);
    std::unique_ptr<PageImage> bits;
    const PageImage* page = m_page.get();
    if (page->bitsPerPixel() != 1) {
        Result<std::unique_ptr<PageImage>> converted = page->converted(1);
        if (converted) bits = std::move(converted.value());
        page = bits.get();
    }
    barcode::QVCodabar& reader = m_station.MainReader;
    barcode::PageBitmap bitmap;
    bool recorded = false;
    if (page && page->toPageBitmap(bitmap)) {
        barcode::ReadBarcodes(reader, &bitmap, 100, 1);
        recorded = barcode::BarcodeCount(reader) > 0;
    }
    m_station.SetScreenCursor(previousCursor);
    if (!recorded) return false;
    slotLines = SlotLinesOf(reader);
    inverted = false;
    for (int slot = 6; slot >= 1; --slot) {
        const QString& line = slotLines[slot - 1];
        if (line.isEmpty()) continue;
        inverted = line.startsWith(QLatin1Char('^'));
        break;
    }
    return true;
}

QString ProblemResolution::documentPart() const {
    const setupinformation& setup = m_station.setup().SetupInfo;
    QString code;
    if (!setup.DocDefs.isEmpty()) {
        const int dpi = m_page ? m_page->yResolution() : 0;
        const int index = dpi > 0 ? NearestDocDefinition(setup, PageLengthOf(m_page->height(), dpi)) : 0;
        code = setup.DocDefs[index].DocCode;
    }
    return code + setup.ScannerId;
}

QString ProblemResolution::decodedName(const QString& name, const QString& kind, const QStringList& others) const {
    const QString dir = m_station.setup().SetupInfo.Directories[SlotDecoded];
    const QString stem = name + documentPart() + kind;
    QStringList names{stem + QStringLiteral(".tif")};
    for (const QString& other : others) names << other + documentPart() + kind + QStringLiteral(".tif");
    const QString suffix = UniqueNameSuffix(dir, names, ToTDateTime(m_station.clock().now()), m_station.clock());
    // No free name: the empty path cannot be written, and the page stays a problem.
    return suffix.isEmpty() ? QString() : dir + stem + suffix + QStringLiteral(".tif");
}

std::unique_ptr<PageImage> ProblemResolution::pageAtStorageResolution() const {
    const int storage = m_station.setup().StorageResolution;
    const int dpi = m_page->yResolution();
    if (storage <= 0 || dpi <= storage) return m_page->clone();
    // Scaled to the storage resolution, not only relabelled: a relabelled page would show and
    // print larger than the form it was scanned from.
    const int xDpi = m_page->xResolution() > 0 ? m_page->xResolution() : dpi;
    const QSize size(std::max(1, int(std::lround(double(m_page->width()) * storage / xDpi))),
                     std::max(1, int(std::lround(double(m_page->height()) * storage / dpi))));
    Result<std::unique_ptr<PageImage>> scaled = m_page->copyRect(QRect(0, 0, m_page->width(), m_page->height()), size);
    if (!scaled) return m_page->clone();
    scaled.value()->setResolution(storage, storage);
    return std::move(scaled.value());
}

QString ProblemResolution::unsafeNameReason(const QString& name, const QString& kind) const {
    const QString part = documentPart();
    const QString reason = UnsafeBarcodeNameReason(name, part + kind);
    return reason.isEmpty() ? UnsafeDocumentPartReason(part) : reason;
}

bool ProblemResolution::savePage(const PageImage& page, const QString& path) {
    if (!StaysInside(m_station.setup().SetupInfo.Directories[SlotDecoded], path)) {
        m_station.LogEvent(QStringLiteral("The decoded name would leave the decoded directory: ") + path);
        return false;
    }
    const int depth = HeldDepth(ProblemDepth);
    std::unique_ptr<PageImage> converted;
    const PageImage* out = &page;
    if (page.bitsPerPixel() != depth) {
        Result<std::unique_ptr<PageImage>> c = page.converted(depth);
        if (!c) return false;
        converted = std::move(c.value());
        out = converted.get();
    }
    const TiffCompression compression = depth == 1 ? TiffCompression::CcittG4 : TiffCompression::PackBits;
    return static_cast<bool>(out->saveTiff(path, compression, TiffSaveMode::Replace));
}

void ProblemResolution::AcceptProblemName() {
    if (!m_page) return;
    NameHint.clear();
    QString text = newbarcodeText;
    if (text.simplified().remove(QLatin1Char(' ')).isEmpty()) return;
    text = text.trimmed();
    newbarcodeText = text;

    // "*all" and forced names come first: no validation pattern or length bound stands in their way.
    if (IsAll(text)) {
        acceptAll(text);
        return;
    }
    QString name;
    bool atStorageResolution = false;
    if (text.startsWith(QLatin1Char('!'))) {
        name = text.mid(1);
    } else {
        const setupinformation& setup = m_station.setup().SetupInfo;
        // The name is not taken, as before; the hint beside the box says what would be.
        if (!IsValidName(m_station.MainReader, text) || text.size() < setup.DigitsFrom ||
            text.size() > setup.DigitsTo) {
            NameHint = QStringLiteral("\"") + text + QStringLiteral("\" is not a valid name. Expected: ") + nameRule();
            m_station.notify();
            return;
        }
        name = text;
        atStorageResolution = true;
    }
    if (name.isNull()) return;
    const QString unsafe = unsafeNameReason(name, QStringLiteral("z"));
    if (!unsafe.isEmpty()) {
        m_station.LogEvent(unsafe + QStringLiteral(" (") + name + QStringLiteral(")"));
        return;
    }
    if (m_filed.contains(name)) {
        // "*all" has filed the page under this name already: naming it so again resolves it.
        m_station.LogEvent(QStringLiteral("The page has already been filed as ") + name + QLatin1Char('.'));
        logNamed(name, name);
        removeProblem();
        return;
    }
    const std::unique_ptr<PageImage> page = atStorageResolution ? pageAtStorageResolution() : m_page->clone();
    const QString path = decodedName(name, QStringLiteral("z"), {});
    if (!page || !savePage(*page, path)) {
        m_station.LogEvent(WriteProblem + path);
        ShowNextProblem();
        return;
    }
    logNamed(name, path);
    removeProblem();
}

void ProblemResolution::acceptAll(const QString& text) {
    std::unique_ptr<PageImage> page = pageAtStorageResolution();
    // A "!" in front only marks a name that is not a number (the barcode list adds it): the
    // page is filed under the name itself. Names filed by an earlier "*all" are not filed again.
    QStringList candidates, names;
    for (const QString& item : newbarcodeItems) {
        const QString bare = item.startsWith(QLatin1Char('!')) ? item.mid(1) : item;
        if (IsAll(item) || names.contains(bare) || m_filed.contains(bare)) continue;
        candidates << item;
        names << bare;
    }
    if (candidates.isEmpty()) {
        // An earlier "*all" filed every candidate but was cut short before the problem was removed.
        if (!m_filed.isEmpty()) removeProblem();
        return;
    }
    QStringList failed;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString& c = names[i];
        const QString unsafe = unsafeNameReason(c, QStringLiteral("x"));
        if (!unsafe.isEmpty()) {
            m_station.LogEvent(unsafe + QStringLiteral(" (") + c + QStringLiteral(")"));
            failed << candidates[i];
            continue;
        }
        const QString path = decodedName(c, QStringLiteral("x"), {});
        if (!page || !savePage(*page, path)) {
            m_station.LogEvent(WriteProblem + path);
            failed << candidates[i];
            continue;
        }
        // Recorded beside the page as soon as it is written: if the page stays a problem (a
        // candidate that cannot be written, the program ended), this name is not filed again.
        m_filed << c;
        recordFiled(m_filed);
        logNamed(c, path);
    }
    if (failed.isEmpty()) {
        removeProblem();
        return;
    }
    // The page stays a problem until every candidate has its file; the box keeps the ones still
    // missing.
    if (failed.size() < candidates.size()) {
        setCandidates(failed);
        ProblemTypeLabel = ProblemLabel(
            ParseProblemReasons(ReadReasonLines(CompanionName(problemsDir() + m_file))).problemText, m_filed);
    } else {
        newbarcodeText = text;
    }
    m_station.notify();
}

bool ProblemResolution::recordFiled(const QStringList& names) {
    const QString reasonFile = CompanionName(problemsDir() + m_file);
    const QString error = WriteFiledRecord(reasonFile, names);
    if (error.isEmpty()) return true;
    m_station.LogEvent(QStringLiteral("Could not record in ") + reasonFile +
                       QStringLiteral(" that the page has been filed as ") + names.join(QStringLiteral(", ")) +
                       QStringLiteral(": ") + error);
    return false;
}

void ProblemResolution::removeProblem() {
    const QString path = problemsDir() + m_file;
    if (!QFile::remove(path)) {
        m_station.LogEvent(QStringLiteral("Could not delete the problem file ") + path);
        return;
    }
    QFile::remove(CompanionName(path));
    newbarcodeText.clear();
    ShowNextProblem();
}

void ProblemResolution::SkipButtonClick() {
    if (!ProblemFiles.isEmpty()) ++ProblemIndex;
    ShowNextProblem();
}

void ProblemResolution::DeleteButtonClick() {
    if (m_file.isEmpty()) return;
    const QString path = problemsDir() + m_file;
    PruneDeletedPages();
    // Still one click, but recoverable: the page and its reason file move to the deleted folder.
    const QString error = MoveProblemToDeleted(problemsDir(), m_file, m_station.clock().now());
    if (!error.isEmpty()) {
        m_station.LogEvent(QStringLiteral("The page could not be moved to the deleted pages: ") + error);
        m_station.LogEvent(QStringLiteral("Could not delete ") + path);
        return;
    }
    m_station.LogEvent(QStringLiteral("Deleted ") + path);
    m_station.LogEvent(
        QStringLiteral("Problem page ") + m_file + QStringLiteral(" kept in ") + DeletedProblemsDir(problemsDir()) +
        QStringLiteral(" for ") + QString::number(m_station.setup().DeletedProblemDays) +
        QStringLiteral(" days; \"kestrova problems restore ") + m_file + QStringLiteral("\" puts it back."));
    ShowNextProblem();
}

void ProblemResolution::PruneDeletedPages() {
    const QString dir = problemsDir();
    if (dir.isEmpty()) return;
    const int days = m_station.setup().DeletedProblemDays;
    for (const QString& name : PruneDeletedProblems(dir, days, m_station.clock().now()))
        m_station.LogEvent(QStringLiteral("Deleted problem page ") + name + QStringLiteral(" removed after ") +
                           QString::number(days) + QStringLiteral(" days."));
}

QString ProblemResolution::positionText() const {
    if (m_file.isEmpty() || ProblemFiles.isEmpty()) return {};
    return QStringLiteral("Page %1 of %2: %3").arg(ProblemIndex + 1).arg(ProblemFiles.size()).arg(m_file);
}

void ProblemResolution::logNamed(const QString& name, const QString& path) {
    m_station.LogEvent(QStringLiteral("Problem page ") + m_file + QStringLiteral(" named ") + name +
                       QStringLiteral(" (") + QFileInfo(path).fileName() + QStringLiteral(")"));
}

QString ProblemResolution::nameRule() const {
    const setupinformation& setup = m_station.setup().SetupInfo;
    const barcode::QVCodabar& reader = m_station.MainReader;
    const QString length = QStringLiteral("%1 to %2 characters").arg(setup.DigitsFrom).arg(setup.DigitsTo);
    QString rule;
    if (!reader.Extra || reader.Extra->GetPatterns().empty())
        rule = QStringLiteral("a request number: digits only, ") + length;
    else
        rule = QStringLiteral("a name the validation patterns (") + setup.ExtraValidation +
               QStringLiteral(") accept, ") + length;
    return rule + QStringLiteral("; or \"!\" and a name to force it, or \"*All\" for every candidate.");
}

void ProblemResolution::RotatePage(int degrees) {
    if (!m_page) return;
    const Status turned = m_page->turn(degrees);
    if (!turned) {
        m_station.LogEvent(turned.error());
        return;
    }
    if (m_view.PageChanged) m_view.PageChanged();
    if (degrees != 90 || !m_station.task().DecodeProblems1()) {
        m_station.notify();
        return;
    }
    QStringList slotLines;
    bool inverted = false;
    if (readWholePage(slotLines, inverted)) {
        QStringList candidates;
        for (const QString& item : newbarcodeItems) {
            if (!IsAll(item) && !item.isEmpty() && !candidates.contains(item)) candidates << item;
        }
        for (const QString& found : UnfiledCandidates(ProblemCandidates(slotLines), m_filed)) {
            if (!candidates.contains(found)) candidates << found;
        }
        candidates.sort();
        if (candidates.size() == 1) {
            newbarcodeItems = candidates;
            newbarcodeText = candidates.first();
        } else {
            newbarcodeText.clear();
            ProblemTypeLabel = QString::number(candidates.size()) + QStringLiteral(" barcodes listed.");
            newbarcodeItems = WithAllFirst(candidates);
        }
    }
    m_station.notify();
}

void ProblemResolution::DeskewPage() {
    if (!m_page) return;
    const Status straightened = m_page->deskew();
    if (!straightened) {
        m_station.LogEvent(straightened.error());
        return;
    }
    if (m_view.PageChanged) m_view.PageChanged();
    m_station.notify();
}

void ProblemResolution::RemovePageBorder() {
    if (!m_page) return;
    const Status cleaned = m_page->removeBorder();
    if (!cleaned) {
        m_station.LogEvent(cleaned.error());
        return;
    }
    if (m_view.PageChanged) m_view.PageChanged();
    m_station.notify();
}

QStringList ProblemResolution::EditedBarcodesFromItems() const {
    QStringList edited;
    for (int i = 0; i < newbarcodeItems.size(); ++i) {
        if (i == 0 && IsAll(newbarcodeItems[i])) continue;
        if (!edited.contains(newbarcodeItems[i])) edited << newbarcodeItems[i];
    }
    return edited;
}

void ProblemResolution::SetEditedBarcodes(const QStringList& edited) {
    newbarcodeItems = edited;
    if (!edited.isEmpty()) {
        ProblemTypeLabel = QString::number(edited.size()) + QStringLiteral(" barcodes listed.");
        newbarcodeItems.prepend(AllCandidates);
    }
    if (!newbarcodeItems.isEmpty()) newbarcodeText = newbarcodeItems.first();
    m_station.notify();
}

} // namespace kestrova
