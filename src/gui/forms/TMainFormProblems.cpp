// The main window's problem view, the review of the last batch and the image toolbar: the window
// shows what problem resolution holds and forwards the operator's commands to it.
#include "gui/forms/TMainForm.h"

#include "core/scan/ProblemResolution.h"
#include "core/scan/ProblemZoom.h"
#include "core/station/ScreenCursors.h"
#include "core/station/Station.h"
#include "gui/forms/TBarcodeListDlg.h"
#include "gui/widgets/ClickableLabel.h"
#include "gui/widgets/DocumentImageToolbar.h"
#include "gui/widgets/DocumentImageView.h"
#include "gui/widgets/ElidedLabel.h"
#include "gui/widgets/PageImageDisplay.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>

namespace kestrova {

namespace {

using Tool = DocumentImageToolbar;

ImageMouseButton ToImageButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return ImageMouseButton::Left;
    case Qt::RightButton:
        return ImageMouseButton::Right;
    case Qt::MiddleButton:
        return ImageMouseButton::Middle;
    default:
        return ImageMouseButton::Other;
    }
}

} // namespace

void TMainForm::connectProblemView() {
    connect(DecodeProblems1, &QAction::triggered, this, &TMainForm::DecodeProblems1Click);
    connect(ReviewLastBatch1, &QAction::triggered, this, &TMainForm::ReviewLastBatch1Click);
    connect(DecodeDocToolBar, &DocumentImageToolbar::buttonTriggered, this,
            [this](DocumentImageToolbar::Button b) { DecodeDocToolBarAction(b); });
    connect(DecodeImageDoc, &DocumentImageView::mousePressed, this, &TMainForm::DecodeImageDocMouseDown);
    connect(DecodeImageDoc, &DocumentImageView::mouseReleased, this, &TMainForm::DecodeImageDocMouseUp);
    connect(FixProbsButton, &QToolButton::clicked, this, &TMainForm::FixProbsButtonClick);
    connect(ProblemGrpLabel, &ClickableLabel::clicked, this, &TMainForm::FixProbsButtonClick);
    connect(AcceptBarcodeButton, &QPushButton::clicked, this, &TMainForm::AcceptBarcodeButtonClick);
    connect(newbarcode->lineEdit(), &QLineEdit::returnPressed, this, &TMainForm::AcceptBarcodeButtonClick);
    connect(SkipButton, &QPushButton::clicked, this, &TMainForm::SkipButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TMainForm::DeleteButtonClick);
    connect(Exitbutton, &QPushButton::clicked, this, &TMainForm::ExitbuttonClick);
    connect(EditListButton, &QPushButton::clicked, this, &TMainForm::EditListButtonClick);
    CurrentScannerBox->installEventFilter(this);
}

void TMainForm::setProblemResolution(ProblemResolution* problems) {
    m_problems = problems;
    if (!problems) return;
    problems->setView({[this] { ShowStatusView(); }, [this] { ShowProblemView(); }, [this] { newbarcode->setFocus(); },
                       [this] {
                           renderProblemPage();
                           DecodeImageDoc->fit(DocumentImageView::Fit::Width);
                       }});
}

TBarcodeListDlg* TMainForm::barcodeListDlg() {
    if (!m_barcodeListDlg) m_barcodeListDlg = new TBarcodeListDlg(m_station, this);
    return m_barcodeListDlg;
}

bool TMainForm::imageFillsPanel() const {
    return DecodeImageDoc->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

void TMainForm::fillImagePanel(bool fill) {
    DecodeImageDoc->setScrollBarsVisible(fill);
    if (!fill) return;
    const int title = CurrentScannerBox->fontMetrics().height() + 4;
    DecodeImageDoc->setGeometry(CurrentScannerBox->rect().adjusted(6, title, -6, -6));
    DecodeImageDoc->raise();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CurrentScannerBox && event->type() == QEvent::Resize) {
        if (imageFillsPanel())
            fillImagePanel(true);
        else
            placeBatchContents();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowProblemView() {
    LogList->hide();
    LogViewSplitter->handle(1)->hide();
    ScannerDocLabel->hide();
    DecodeProgressLabel->hide();
    DecodeProgressBar->hide();
    StatusGroupBox->hide();
    ButtonPanel->hide();
    DrvStatPanel->hide();
    DecodeDocToolBar->showButtons({Tool::Magnify, Tool::ZoomIn, Tool::ZoomOut, Tool::ResetZoom, Tool::BestFit,
                                   Tool::Rotate90, Tool::Rotate180, Tool::Deskew, Tool::RemoveBorder});
    DecodeDocToolBar->action(Tool::Magnify)->setChecked(false);
    DecodeImageDoc->setMagnified(false);
    DecodeDocToolBar->show();
    // The fix panel takes the whole width the hidden button and drive panels leave.
    if (auto* top = qobject_cast<QBoxLayout*>(TopPanel->layout())) top->setStretch(1, 0);
    FixPanel->show();
    CurrentScannerBox->setTitle(QStringLiteral("Problem Image"));
    fillImagePanel(true);
    renderProblemPage();
    renderProblem();
    DecodeImageDoc->fit(DocumentImageView::Fit::Height);
    ArrangeFixPanel();
}

void TMainForm::renderProblemPage() {
    if (!m_problems) return;
    const PageImage* page = m_problems->page();
    DecodeImageDoc->setImage(page ? DisplayImageOf(*page) : QImage());
}

void TMainForm::renderProblem() {
    if (!m_problems) return;
    newbarcode->clear();
    newbarcode->addItems(m_problems->newbarcodeItems);
    const int index = newbarcode->findText(m_problems->newbarcodeText);
    newbarcode->setCurrentIndex(index);
    if (index < 0) newbarcode->setEditText(m_problems->newbarcodeText);
    renderProblemInfo();
}

void TMainForm::renderProblemInfo() {
    if (!ProblemPositionLabel) return;
    ProblemPositionLabel->setFullText(m_problems ? m_problems->positionText() : QString());
    ProblemTypeLabel->setFullText(m_problems ? m_problems->ProblemTypeLabel : QString());
    NameHintLabel->setFullText(m_problems ? m_problems->NameHint : QString());
    NameHintLabel->setVisible(m_problems && !m_problems->NameHint.isEmpty());
    ProblemLogLabel->setFullText(m_problemLogLine);
}

void TMainForm::syncNameBox() {
    if (m_problems) m_problems->newbarcodeText = newbarcode->currentText();
}

void TMainForm::FixProbsButtonClick() {
    if (!m_problems) return;
    m_problems->FixProbsButtonClick();
}

void TMainForm::AcceptBarcodeButtonClick() {
    if (!m_problems || FixPanel->isHidden()) return;
    syncNameBox();
    m_problems->AcceptProblemName();
    if (!FixPanel->isHidden()) renderProblem();
}

void TMainForm::SkipButtonClick() {
    if (m_problems) m_problems->SkipButtonClick();
}

void TMainForm::DeleteButtonClick() {
    if (m_problems) m_problems->DeleteButtonClick();
}

void TMainForm::ExitbuttonClick() {
    ShowStatusView();
}

void TMainForm::EditListButtonClick() {
    if (!m_problems) return;
    syncNameBox();
    TBarcodeListDlg* dialog = barcodeListDlg();
    dialog->setEditedBarcodes(m_problems->EditedBarcodesFromItems());
    if (dialog->exec() != QDialog::Accepted) return;
    m_problems->SetEditedBarcodes(dialog->EditedBarcodes());
    renderProblem();
}

void TMainForm::DecodeProblems1Click() {
    kestrova::DecodeProblems1Click(m_station);
}

void TMainForm::ReviewLastBatch1Click() {
    callReviewMode();
}

void TMainForm::callReviewMode() {
    if (imageFillsPanel()) {
        ReviewLastBatch1->setText(QStringLiteral("&Review Last Batch"));
        ShowStatusView();
        return;
    }
    DecodeDocToolBar->showButtons({Tool::Magnify, Tool::ZoomIn, Tool::ZoomOut, Tool::ResetZoom, Tool::Rotate90,
                                   Tool::Rotate180, Tool::FirstPage, Tool::PriorPage, Tool::NextPage, Tool::LastPage});
    DecodeDocToolBar->action(Tool::Magnify)->setChecked(false);
    DecodeImageDoc->setMagnified(false);
    DecodeDocToolBar->show();
    // The page takes the whole group: the batch summary and progress would only lie under it.
    ScannerDocLabel->hide();
    DecodeProgressLabel->hide();
    DecodeProgressBar->hide();
    fillImagePanel(true);
    const int bitmapWidth = DecodeImageDoc->image().width();
    if (bitmapWidth > 0) {
        DecodeImageDoc->fit(DocumentImageView::Fit::Width);
    } else {
        m_station.prompter().message(QString(), QStringLiteral("Error setting Scale Percent ") +
                                                    QString::number(DecodeImageDoc->viewport()->width()) +
                                                    QStringLiteral("/") + QString::number(bitmapWidth));
    }
    ReviewLastBatch1->setText(QStringLiteral("Cancel &Review"));
    renderReviewPosition();
}

void TMainForm::renderReviewPosition() {
    const QString caption = QStringLiteral("Last Scan Batch");
    if (!imageFillsPanel() || !FixPanel->isHidden() || DecodeImageDoc->file().isEmpty()) {
        if (FixPanel->isHidden()) CurrentScannerBox->setTitle(caption);
        return;
    }
    CurrentScannerBox->setTitle(caption + QStringLiteral(": page %1 of %2 (%3)")
                                              .arg(DecodeImageDoc->currentPage() + 1)
                                              .arg(DecodeImageDoc->pageCount())
                                              .arg(QFileInfo(DecodeImageDoc->file()).fileName()));
}

void TMainForm::DecodeDocToolBarAction(int button) {
    DocumentImageView* view = DecodeImageDoc;
    const bool problem = !FixPanel->isHidden() && m_problems && m_problems->page();
    switch (button) {
    case Tool::ResetZoom:
        // Reset zoom fits the page width, as the operators are used to.
        view->fit(DocumentImageView::Fit::Width);
        break;
    case Tool::Rotate90:
    case Tool::Rotate180: {
        const int degrees = button == Tool::Rotate90 ? 90 : 180;
        if (problem) {
            syncNameBox();
            m_problems->RotatePage(degrees);
            renderProblem();
        } else {
            view->turnPicture(degrees);
            if (degrees == 90) view->fit(DocumentImageView::Fit::Width);
        }
        break;
    }
    case Tool::Deskew:
    case Tool::RemoveBorder:
        // Only the problem view shows these; they work on the problem page, which is saved as shown.
        if (problem) {
            syncNameBox();
            if (button == Tool::Deskew) {
                m_problems->DeskewPage();
            } else {
                m_problems->RemovePageBorder();
            }
            renderProblem();
        }
        break;
    default:
        ApplyViewerButton(*DecodeDocToolBar, *view, button);
        break;
    }
    if (button == Tool::FirstPage || button == Tool::PriorPage || button == Tool::NextPage || button == Tool::LastPage)
        renderReviewPosition();
}

void TMainForm::ZoomProblemImage(int step) {
    DecodeImageDoc->setScalePercent(
        kestrova::ZoomProblemImage(DecodeImageDoc->scalePercent(), step, DecodeImageDoc->heightFitPercent()));
    if (step == FitPageHeightStep) DecodeImageDoc->fit(DocumentImageView::Fit::Height);
}

void TMainForm::DecodeImageDocMouseDown(Qt::MouseButton) {
    if (!IsStatusViewCaption(CurrentScannerBox->title()))
        DecodeImageDoc->viewport()->setCursor(m_cursors.cursor(crMagGlass));
}

void TMainForm::DecodeImageDocMouseUp(Qt::MouseButton button) {
    DecodeImageDoc->viewport()->unsetCursor();
    const ImageMouseButton b = ToImageButton(button);
    if (b == ImageMouseButton::Left && IsStatusViewCaption(CurrentScannerBox->title())) {
        callReviewMode();
        return;
    }
    const int step = ProblemZoomStep(b);
    if (step != 0) ZoomProblemImage(step);
}

} // namespace kestrova
