#pragma once

#include "core/scan/BarcodesMenu.h"
#include "gui/widgets/BusyCursors.h"
#include "gui/widgets/DocumentImageToolbar.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class QTimer;

namespace kestrova {

class ClickableLabel;
class ElidedLabel;
class ProblemResolution;
class ScanControl;
class TBarcodeListDlg;
class IniSource;
class DocumentImageView;
class Station;
class TAdminForm;

// The operator's window: last scanned batch, counters, storage devices and the event log. It
// renders the station's state and forwards the operator's commands to the station.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(Station& station, QWidget* parent = nullptr);

    void setAdminForm(TAdminForm* admin) { m_adminForm = admin; }
    // Where barcode profile files are read from; without it the "Barcodes" menu lists nothing.
    void setProfileSource(const IniSource* source) { m_profileSource = source; }
    // Connects the scan buttons, "Set Size and Scan", "Set Interface" and the "Images Scanned "
    // counter to the station's scan control.
    void setScanControl(ScanControl* control);
    const BusyCursors& busyCursors() const { return m_cursors; }
    // Connects the problem view's buttons, the "Problems" counter and the toolbar to problem
    // resolution.
    void setProblemResolution(ProblemResolution* problems);
    // The barcode list dialog "Edit List" opens; the window makes its own when none is given.
    void setBarcodeListDlg(TBarcodeListDlg* dialog) { m_barcodeListDlg = dialog; }
    TBarcodeListDlg* barcodeListDlg();

    // Brings the window back when a second start of the program asks for it.
    void activateFromSecondStart();

    void ShowStatusView();
    void ArrangeFixPanel();
    // The problem page in place of the status: fix panel and toolbar shown, the page filling its
    // group and fitted to its height.
    void ShowProblemView();
    // Review of the last batch: the image-set file filling its group, with page turning. Called
    // again (or when a problem is showing) it goes back to the status view.
    void callReviewMode();

    // Runs after the status is refreshed so the window shows the station's current state.
    void renderState();

    // Handlers of the menu and the controls.
    void ADMIN1Click();
    void About1Click();
    void CDGroupLabelClick();
    // The certificate icon: the signing certificate's serial number, subject and issuer.
    void SignIconClick();
    // The "Barcodes" menu opens: its profile items are rebuilt from the program directory.
    void itmBarcodesClick();
    void BarcodeItemClick(int index);
    void FixProbsButtonClick();
    void AcceptBarcodeButtonClick();
    void SkipButtonClick();
    void DeleteButtonClick();
    void ExitbuttonClick();
    void EditListButtonClick();
    void DecodeProblems1Click();
    void ReviewLastBatch1Click();
    void DecodeDocToolBarAction(int button);
    void DecodeImageDocMouseDown(Qt::MouseButton button);
    void DecodeImageDocMouseUp(Qt::MouseButton button);
    void ZoomProblemImage(int step);

    // Controls, named as operators and the rest of the station know them.
    QFrame* TopPanel = nullptr;
    QWidget* ButtonPanel = nullptr;
    QToolButton* Scanbutton = nullptr;
    QToolButton* FixProbsButton = nullptr;
    QToolButton* ScanMoreButton = nullptr;
    QFrame* DrvStatPanel = nullptr;
    QLabel* lblBarcodeProfile = nullptr;
    ClickableLabel* SignIcon = nullptr;
    QGroupBox* ImagesDrvGrp = nullptr;
    QProgressBar* ImagesBar = nullptr;
    QLabel* ImagesDrivelabel = nullptr;
    QGroupBox* KestrovaDrvGrp = nullptr;
    QProgressBar* KestrovaBar = nullptr;
    QGroupBox* CDWriterGrp = nullptr;
    QProgressBar* CDWriterBar = nullptr;
    QLabel* Cdwriterlabel = nullptr;
    QFrame* FixPanel = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* SkipButton = nullptr;
    QPushButton* Exitbutton = nullptr;
    QGroupBox* BCodeBox = nullptr;
    QComboBox* newbarcode = nullptr;
    QPushButton* AcceptBarcodeButton = nullptr;
    QPushButton* EditListButton = nullptr;
    ElidedLabel* ProblemTypeLabel = nullptr;
    ElidedLabel* ProblemPositionLabel = nullptr; // "Page N of M: file"
    ElidedLabel* NameHintLabel = nullptr;        // what a name that was not taken should look like
    ElidedLabel* ProblemLogLabel = nullptr;      // the last event log line about problem pages
    QWidget* ProgressPanel = nullptr;
    DocumentImageToolbar* DecodeDocToolBar = nullptr;
    QGroupBox* CurrentScannerBox = nullptr;
    DocumentImageView* DecodeImageDoc = nullptr;
    QLabel* ScannerDocLabel = nullptr;
    QLabel* DecodeProgressLabel = nullptr;     // "Decoding page N of M" while a batch is decoded
    QProgressBar* DecodeProgressBar = nullptr; // the same as a bar
    QGroupBox* StatusGroupBox = nullptr;
    QGroupBox* ScannedGrp = nullptr;
    ClickableLabel* ScannedWaitingLabel = nullptr;
    QGroupBox* DecodedGrp = nullptr;
    QLabel* DecodedWaitingLabel = nullptr;
    QGroupBox* CDGrp = nullptr;
    ClickableLabel* CDGroupLabel = nullptr;
    QGroupBox* ProblemGrp = nullptr;
    ClickableLabel* ProblemGrpLabel = nullptr;
    QGroupBox* ServerGroup = nullptr;
    QLabel* SystemLabel = nullptr;
    QSplitter* LogViewSplitter = nullptr;
    QListWidget* LogList = nullptr;

    QAction* ADMIN1 = nullptr;
    QAction* ResetTasks1 = nullptr;
    QMenu* Scanner1 = nullptr;
    QAction* TWAIN2 = nullptr;
    QAction* SetPaper = nullptr;
    QAction* ReviewLastBatch1 = nullptr;
    QMenu* itmBarcodes = nullptr;
    QAction* Default1 = nullptr;
    QAction* AutoProcess1 = nullptr;
    QAction* DecodeProblems1 = nullptr;
    QAction* About1 = nullptr;
    // Status refresh every 20 seconds; started once the start-up is done.
    QTimer* Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void buildMenus();
    void buildTopPanel();
    void buildCentre();
    void connectLog();
    void connectProblemView();
    // Show the problem page, and the name box with its label, as problem resolution holds them.
    void renderProblemPage();
    void renderProblem();
    void renderProblemInfo();
    // The review's caption: where in the batch the operator is.
    void renderReviewPosition();
    void syncNameBox();
    // Lets the page image fill its group with scroll bars, or not.
    void fillImagePanel(bool fill);
    // The status view's contents of the batch group placed within its size.
    void placeBatchContents();
    // The first page of the image-set file in the batch image, fitted to its width.
    void loadBatchImage();
    bool imageFillsPanel() const;

    Station& m_station;
    void renderBarcodesMenu();

    TAdminForm* m_adminForm = nullptr;
    ProblemResolution* m_problems = nullptr;
    TBarcodeListDlg* m_barcodeListDlg = nullptr;
    const IniSource* m_profileSource = nullptr;
    BarcodesMenu m_barcodesMenu;
    BusyCursors m_cursors;
    QString m_problemLogLine;
};

} // namespace kestrova
