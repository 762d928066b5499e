#pragma once

#include "core/scan/BarcodesMenu.h"
#include "gui/widgets/BusyCursors.h"

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
class ScanControl;
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

    // Brings the window back when a second start of the program asks for it.
    void activateFromSecondStart();

    void ShowStatusView();
    void ArrangeFixPanel();

    // Runs after the status is refreshed so the window shows the station's current state.
    void renderState();

    // Handlers of the menu and the controls.
    void ADMIN1Click();
    void About1Click();
    void CDGroupLabelClick();
    // The "Barcodes" menu opens: its profile items are rebuilt from the program directory.
    void itmBarcodesClick();
    void BarcodeItemClick(int index);

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
    QPushButton* AcceptButton = nullptr;
    QPushButton* EditListButton = nullptr;
    QLabel* ProblemTypeLabel = nullptr;
    QWidget* ProgressPanel = nullptr;
    QToolBar* DecodeDocToolBar = nullptr;
    QGroupBox* CurrentScannerBox = nullptr;
    DocumentImageView* DecodeImageDoc = nullptr;
    QLabel* ScannerDocLabel = nullptr;
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

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void buildMenus();
    void buildTopPanel();
    void buildCentre();
    void connectLog();

    Station& m_station;
    void renderBarcodesMenu();

    TAdminForm* m_adminForm = nullptr;
    const IniSource* m_profileSource = nullptr;
    BarcodesMenu m_barcodesMenu;
    BusyCursors m_cursors;
};

} // namespace kestrova
