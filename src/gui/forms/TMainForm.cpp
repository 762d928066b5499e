#include "gui/forms/TMainForm.h"

#include "core/config/SetupInfo.h"
#include "core/scan/ScanControl.h"
#include "core/station/Station.h"
#include "core/station/TaskControl.h"
#include "core/store/SigningCertificate.h"
#include "gui/forms/TAdminForm.h"
#include "gui/widgets/ClickableLabel.h"
#include "gui/widgets/DocumentImageView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {
// The window's own smallest size; the shown view may need more.
constexpr QSize SmallestSize(510, 450);
} // namespace

TMainForm::TMainForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("MainForm"));
    setMinimumSize(SmallestSize);
    buildMenus();
    buildTopPanel();
    buildCentre();
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TopPanel);
    layout->addWidget(LogViewSplitter, 1);
    setCentralWidget(body);
    // Never narrower than the status view's controls with their captions need, and with room for
    // the image toolbar that the problem view and the review show above the page.
    const QSize smallest(body->minimumSizeHint().width(),
                         SmallestSize.height() + DecodeDocToolBar->sizeHint().height());
    setMinimumSize(smallest.expandedTo(SmallestSize));
    connectLog();
    connectProblemView();

    connect(ADMIN1, &QAction::triggered, this, &TMainForm::ADMIN1Click);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(Default1, &QAction::triggered, this, [this] { BarcodeItemClick(0); });
    connect(CDGroupLabel, &ClickableLabel::clicked, this, &TMainForm::CDGroupLabelClick);
    connect(SignIcon, &ClickableLabel::clicked, this, &TMainForm::SignIconClick);
    connect(itmBarcodes, &QMenu::aboutToShow, this, &TMainForm::itmBarcodesClick);
    connect(ResetTasks1, &QAction::triggered, this, [this] { ResetTasks1Click(m_station); });
    connect(AutoProcess1, &QAction::triggered, this, [this] {
        AutoProcess1Click(m_station);
        renderState();
    });
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(m_station); });
    connect(&m_station, &Station::stateChanged, this, &TMainForm::renderState);
    m_station.setCursorHook([this](int number) {
        if (number == 0)
            unsetCursor();
        else
            setCursor(m_cursors.cursor(number));
    });

    FormCreate();
    renderState();
    renderBarcodesMenu();
}

void TMainForm::FormCreate() {
    m_station.task().setImageSetDepth(4);
    m_station.ui.Caption = QStringLiteral("KestrovaNT ");
    setWindowTitle(m_station.ui.Caption);
    m_station.LogEvent(QStringLiteral("This is the Event Log!  Watch this space for important messages."));
    m_cursors.registerStationCursors();
    m_station.ui.lblBarcodeProfile = QStringLiteral("System is using default barcode type");
}

void TMainForm::connectLog() {
    for (const QString& line : m_station.eventLog().lines()) LogList->addItem(line);
    connect(&m_station.eventLog(), &EventLog::lineAdded, this, [this](const QString& line) {
        LogList->insertItem(0, line);
        // The problem view hides the log; its own lines show in the fix panel.
        const QString problems = m_station.setup().SetupInfo.Directories[SlotProblems];
        if (line.contains(QStringLiteral("roblem page ")) ||
            (!problems.isEmpty() && line.contains(QStringLiteral("Deleted ") + problems))) {
            m_problemLogLine = line;
            renderProblemInfo();
        }
    });
    connect(&m_station.eventLog(), &EventLog::linesRemoved, this, [this](int count) {
        for (int i = 0; i < count && LogList->count() > 0; ++i) delete LogList->takeItem(LogList->count() - 1);
    });
}

namespace {

void setLabelColour(QLabel* label, LabelColour colour) {
    QPalette pal = label->palette();
    switch (colour) {
    case LabelColour::WindowText:
        pal.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
        break;
    case LabelColour::Red:
        pal.setColor(QPalette::WindowText, Qt::red);
        break;
    case LabelColour::Blue:
        pal.setColor(QPalette::WindowText, Qt::blue);
        break;
    case LabelColour::Aqua:
        pal.setColor(QPalette::WindowText, Qt::cyan);
        break;
    }
    label->setPalette(pal);
}

} // namespace

void TMainForm::renderState() {
    const MainWindowState& ui = m_station.ui;
    setWindowTitle(ui.Caption);
    lblBarcodeProfile->setText(ui.lblBarcodeProfile);
    ServerGroup->setVisible(ui.ServerGroupVisible);
    CDGrp->setEnabled(ui.CDGrpEnabled);
    CDGroupLabel->setVisible(ui.CDGroupLabelVisible);
    CDGroupLabel->setToolTip(ui.CDGroupLabelHint);
    const TaskState& task = m_station.task();
    AutoProcess1->setChecked(task.AutoProcess1());
    AutoProcess1->setText(AutoProcess1Caption(task));
    DecodeProblems1->setChecked(task.DecodeProblems1());
    DecodeProblems1->setText(DecodeProblems1Caption(task));
    SignIcon->setVisible(ui.SignIconVisible);
    ScannedWaitingLabel->setText(ui.ScannedWaitingLabel);
    DecodedWaitingLabel->setText(ui.DecodedWaitingLabel);
    CDGroupLabel->setText(ui.CDGroupLabel);
    ProblemGrpLabel->setText(ui.ProblemGrpLabel);
    SystemLabel->setText(ui.SystemLabel);
    ScannerDocLabel->setText(ui.ScannerDocLabel);
    for (auto [bar, hint] : {std::pair{KestrovaBar, ui.KestrovaBarHint}, std::pair{ImagesBar, ui.ImagesBarHint},
                             std::pair{CDWriterBar, ui.CDWriterBarHint}}) {
        bar->setToolTip(hint);
        bar->parentWidget()->setToolTip(hint);
    }
    const bool decoding = ui.DecodePages > 0;
    const bool statusView = FixPanel->isHidden() && !imageFillsPanel();
    DecodeProgressLabel->setVisible(decoding && statusView);
    DecodeProgressBar->setVisible(decoding && statusView);
    if (decoding) {
        DecodeProgressLabel->setText(QStringLiteral("Decoding page %1 of %2").arg(ui.DecodePage).arg(ui.DecodePages));
        DecodeProgressBar->setRange(0, ui.DecodePages);
        DecodeProgressBar->setValue(ui.DecodePage);
    }

    ScannedWaitingLabel->setToolTip(ui.ScannedWaitingLabelHint);
    DecodedWaitingLabel->setToolTip(ui.DecodedWaitingLabelHint);
    ProblemGrpLabel->setToolTip(ui.ProblemGrpLabelHint);
    setLabelColour(ScannedWaitingLabel, ui.ScannedWaitingLabelColour);
    setLabelColour(DecodedWaitingLabel, ui.DecodedWaitingLabelColour);
    setLabelColour(ProblemGrpLabel, ui.ProblemGrpLabelColour);
    setLabelColour(SystemLabel, ui.SystemLabelColour);
    setLabelColour(CDGroupLabel, ui.CDGroupLabelColour);
    KestrovaBar->setValue(qBound(0, ui.KestrovaBarPosition, 1000));
    ImagesDrvGrp->setTitle(ui.ImagesDrvGrpCaption);
    ImagesBar->setVisible(ui.ImagesBarVisible);
    ImagesBar->setValue(qBound(0, ui.ImagesBarPosition, 1000));
    ImagesDrivelabel->setVisible(ui.ImagesDrivelabelVisible);
    ImagesDrivelabel->setText(ui.ImagesDrivelabel);
    setLabelColour(ImagesDrivelabel, ui.ImagesDrivelabelColour);
    CDWriterGrp->setTitle(ui.CDWriterGrpCaption);
    CDWriterBar->setVisible(ui.CDWriterBarVisible);
    CDWriterBar->setValue(qBound(0, ui.CDWriterBarPosition, 1000));
    Cdwriterlabel->setVisible(ui.CdwriterlabelVisible);
    Cdwriterlabel->setText(ui.Cdwriterlabel);
    setLabelColour(Cdwriterlabel, ui.CdwriterlabelColour);
}

void TMainForm::loadBatchImage() {
    // The batch decoding took apart, whatever the letter case of its name.
    const QString set = ImageSetFile(m_station.setup().SetupInfo.Directories[SlotScan]);
    if (QFile::exists(set) && DecodeImageDoc->loadFile(set, m_station.task().ImageSetDepth())) {
        const int width = DecodeImageDoc->image().width();
        if (width > 0) DecodeImageDoc->setScalePercent(DecodeImageDoc->viewport()->width() * 100 / width);
    }
}

void TMainForm::placeBatchContents() {
    const QRect box = CurrentScannerBox->rect();
    const int title = 15, progress = 44;
    if (!imageFillsPanel()) DecodeImageDoc->setGeometry(10, title, 215, std::min(314, box.height() - title - 6));
    const int textWidth = std::max(0, box.width() - 235 - 6);
    ScannerDocLabel->setGeometry(235, title, textWidth, std::max(0, box.height() - title - progress - 6));
    DecodeProgressLabel->setGeometry(235, box.height() - progress - 2, textWidth, 20);
    DecodeProgressBar->setGeometry(235, box.height() - 24, textWidth, 18);
}

void TMainForm::ShowStatusView() {
    DecodeImageDoc->setScrollBarsVisible(false);
    DecodeImageDoc->setGeometry(10, 15, 215, 314);
    placeBatchContents();
    loadBatchImage();
    CurrentScannerBox->setTitle(QStringLiteral("Last Scan Batch"));
    // Whatever way the review ended, the menu offers it again.
    ReviewLastBatch1->setText(QStringLiteral("&Review Last Batch"));
    StatusGroupBox->show();
    LogList->show();
    LogViewSplitter->handle(1)->show();
    ScannerDocLabel->show();
    m_station.RefreshStatus();
    DrvStatPanel->show();
    ButtonPanel->show();
    FixPanel->hide();
    if (auto* top = qobject_cast<QBoxLayout*>(TopPanel->layout())) top->setStretch(1, 1);
    DecodeDocToolBar->hide();
    // Every way back to the status view (after a scan, problem fixing, a review, on opening the
    // administration window) is where the store cycle resumes, whoever switched it off.
    m_station.task().setStoreFileTimerEnabled(true);
}

void TMainForm::ArrangeFixPanel() {
    TopPanel->resize(width(), TopPanel->height());
    // The panel's layout keeps the name box right of the exit button and the problem texts right
    // of the name box; moving them by hand here would only put them under each other.
    TopPanel->layout()->activate();
    FixPanel->layout()->activate();
    renderProblemInfo();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (FixPanel->isVisible()) ArrangeFixPanel();
}

void TMainForm::ADMIN1Click() {
    // Off here, on again at the end of ShowStatusView: the convert and backup passes go on while
    // the administration window is open. The switch-off is not idle: the refresh inside
    // ShowStatusView applies it and stops the timer, and switching on starts a whole interval
    // afresh, so no store tick falls on the moment the window opens.
    m_station.task().setStoreFileTimerEnabled(false);
    ShowStatusView();
    m_station.task().setFinaliseStop(false);
    if (!m_adminForm) {
        m_station.LogEvent(QStringLiteral("Error encountered in Admin Process. ") +
                           QStringLiteral("The administration window is not available."));
        show();
        return;
    }
    m_adminForm->show();
    hide();
}

void TMainForm::About1Click() {
    m_station.prompter().message(QStringLiteral("About Kestrova"),
                                 QStringLiteral("KestrovaNT ") + QStringLiteral(KESTROVA_BUILD_TAG),
                                 MessageIcon::Information);
}

void TMainForm::CDGroupLabelClick() {
    if (!m_station.ui.CDGroupLabelHint.isEmpty())
        m_station.prompter().message(QStringLiteral("KestrovaNT"), m_station.ui.CDGroupLabelHint);
}

void TMainForm::SignIconClick() {
    if (m_station.setup().SigningOn)
        m_station.prompter().message(QStringLiteral("KestrovaNT"), SigningCertificateText(m_station));
}

void TMainForm::setScanControl(ScanControl* control) {
    if (!control) return;
    connect(Scanbutton, &QToolButton::clicked, control, &ScanControl::ScanbuttonClick);
    connect(SetPaper, &QAction::triggered, control, &ScanControl::ScanbuttonClick);
    connect(ScanMoreButton, &QToolButton::clicked, control, &ScanControl::ScanMoreButtonClick);
    connect(TWAIN2, &QAction::triggered, control, &ScanControl::TWAIN2Click);
    connect(ScannedWaitingLabel, &ClickableLabel::clicked, control, &ScanControl::SystemLabelClick);
    connect(control, &ScanControl::scanningChanged, this, [this](bool scanning) {
        Scanbutton->setEnabled(!scanning);
        ScanMoreButton->setEnabled(!scanning);
        SetPaper->setEnabled(!scanning);
    });
    control->setView({[this] { return DecodeImageDoc->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff; },
                      [this] { ShowStatusView(); }});
    control->setDecodeView({[this] { repaint(); },
                            [this](int bitmapWidth) {
                                if (bitmapWidth > 0)
                                    DecodeImageDoc->setScalePercent(DecodeImageDoc->viewport()->width() * 100 /
                                                                    bitmapWidth);
                            },
                            [this] {
                                if (!imageFillsPanel()) loadBatchImage();
                            }});
}

void TMainForm::itmBarcodesClick() {
    kestrova::itmBarcodesClick(m_barcodesMenu, m_station.setup().ProgramDir);
    renderBarcodesMenu();
}

void TMainForm::BarcodeItemClick(int index) {
    if (m_profileSource) Default1Click(m_station, *m_profileSource, m_barcodesMenu, index);
    renderBarcodesMenu();
}

void TMainForm::renderBarcodesMenu() {
    for (QAction* a : itmBarcodes->actions())
        if (a != Default1) {
            itmBarcodes->removeAction(a);
            a->deleteLater();
        }
    for (int i = 0; i < m_barcodesMenu.Items.size(); ++i) {
        const BarcodeMenuItem& item = m_barcodesMenu.Items[i];
        QAction* a = i == 0 ? Default1 : itmBarcodes->addAction(item.Caption);
        a->setCheckable(true);
        a->setChecked(item.Checked);
        if (i == 0) continue;
        a->setObjectName(QStringLiteral("itmBarcode%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { BarcodeItemClick(i); });
    }
}

bool TMainForm::FormCloseQuery() {
    m_station.task().setStoreFileTimerEnabled(false);
    m_station.task().setConvertStop(true);
    m_station.task().setBackupStop(true);
    return true;
}

void TMainForm::FormClose() {
    if (m_adminForm) m_adminForm->close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::activateFromSecondStart() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (!isVisible()) showMaximized();
    raise();
    activateWindow();
}

} // namespace kestrova
