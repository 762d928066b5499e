// Construction of the main window's regions and menus.
#include "gui/forms/TMainForm.h"

#include "gui/widgets/ClickableLabel.h"
#include "gui/widgets/DocumentImageToolbar.h"
#include "gui/widgets/DocumentImageView.h"
#include "gui/widgets/ElidedLabel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kestrova {

namespace {

template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QToolButton* bigButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = named(new QToolButton(parent), name);
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    // Narrower than their height in a small window rather than over the drive panel.
    b->setMinimumSize(80, 96);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    return b;
}

QProgressBar* driveBar(QWidget* parent, const char* name) {
    auto* bar = named(new QProgressBar(parent), name);
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    return bar;
}

// A counter: a group with its caption holding one large number.
template <typename Label>
QGroupBox* counter(QWidget* parent, const char* group, const char* label, const QString& caption, Label*& out) {
    auto* box = named(new QGroupBox(caption, parent), group);
    out = named(new Label(QStringLiteral("0"), box), label);
    QFont f = out->font();
    f.setPointSize(14);
    f.setBold(true);
    out->setFont(f);
    out->setAlignment(Qt::AlignCenter);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(4, 0, 4, 0);
    l->addWidget(out);
    return box;
}

} // namespace

void TMainForm::buildMenus() {
    QMenuBar* bar = menuBar();
    ADMIN1 = named(bar->addAction(QStringLiteral("&Administrator ")), "ADMIN1");
    ResetTasks1 = named(bar->addAction(QStringLiteral("&Reset Tasks")), "ResetTasks1");
    Scanner1 = named(bar->addMenu(QStringLiteral("&Scanner")), "Scanner1");
    TWAIN2 = named(Scanner1->addAction(QStringLiteral("Set Interface")), "TWAIN2");
    SetPaper = named(Scanner1->addAction(QStringLiteral("Set Size and Scan")), "SetPaper");
    SetPaper->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ReviewLastBatch1 = named(Scanner1->addAction(QStringLiteral("&Review Last Batch")), "ReviewLastBatch1");
    ReviewLastBatch1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    itmBarcodes = named(bar->addMenu(QStringLiteral("Barcodes")), "itmBarcodes");
    Default1 = named(itmBarcodes->addAction(QStringLiteral("(default)")), "Default1");
    Default1->setCheckable(true);
    AutoProcess1 = named(bar->addAction(QStringLiteral("Me&dia Process ON")), "AutoProcess1");
    AutoProcess1->setCheckable(true);
    AutoProcess1->setChecked(true);
    DecodeProblems1 = named(bar->addAction(QStringLiteral("&Decode Problems ON")), "DecodeProblems1");
    DecodeProblems1->setCheckable(true);
    DecodeProblems1->setChecked(true);
    About1 = named(bar->addAction(QStringLiteral("Abou&t")), "About1");
}

void TMainForm::buildTopPanel() {
    TopPanel = named(new QFrame, "TopPanel");
    TopPanel->setFixedHeight(113);
    TopPanel->setFrameShape(QFrame::StyledPanel);
    auto* top = new QHBoxLayout(TopPanel);
    top->setContentsMargins(4, 4, 4, 4);

    ButtonPanel = named(new QWidget(TopPanel), "ButtonPanel");
    auto* buttons = new QHBoxLayout(ButtonPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    Scanbutton = bigButton(ButtonPanel, "Scanbutton", QStringLiteral("Set Size\nand Scan"),
                           QStringLiteral("Click this button when you want to change the settings before scanning."));
    FixProbsButton = bigButton(ButtonPanel, "FixProbsButton", QStringLiteral("Fix\nProblems"), QString());
    ScanMoreButton = bigButton(ButtonPanel, "ScanMoreButton", QStringLiteral("Scan"),
                               QStringLiteral("Click this button when you want to scan using the current settings."));
    buttons->addWidget(Scanbutton);
    buttons->addWidget(FixProbsButton);
    buttons->addWidget(ScanMoreButton);
    top->addWidget(ButtonPanel);
    top->addStretch(1);

    DrvStatPanel = named(new QFrame(TopPanel), "DrvStatPanel");
    auto* drv = new QGridLayout(DrvStatPanel);
    drv->setContentsMargins(2, 0, 2, 0);
    drv->setVerticalSpacing(1);
    auto* title = named(new QLabel(QStringLiteral("STORAGE DEVICE STATUS"), DrvStatPanel), "DrvStatTitle");
    QFont tf = title->font();
    tf.setBold(true);
    title->setFont(tf);
    lblBarcodeProfile = named(new QLabel(DrvStatPanel), "lblBarcodeProfile");
    SignIcon = named(new ClickableLabel(QStringLiteral("\u270D"), DrvStatPanel), "SignIcon");
    SignIcon->hide();
    ImagesDrvGrp = named(new QGroupBox(QStringLiteral("Images Drive"), DrvStatPanel), "ImagesDrvGrp");
    ImagesBar = driveBar(ImagesDrvGrp, "ImagesBar");
    ImagesDrivelabel = named(new QLabel(ImagesDrvGrp), "ImagesDrivelabel");
    ImagesDrivelabel->hide();
    KestrovaDrvGrp = named(new QGroupBox(QStringLiteral("Kestrova Drive"), DrvStatPanel), "KestrovaDrvGrp");
    KestrovaBar = driveBar(KestrovaDrvGrp, "KestrovaBar");
    CDWriterGrp = named(new QGroupBox(QStringLiteral("Disc Media"), DrvStatPanel), "CDWriterGrp");
    CDWriterBar = driveBar(CDWriterGrp, "CDWriterBar");
    Cdwriterlabel = named(new QLabel(CDWriterGrp), "Cdwriterlabel");
    Cdwriterlabel->hide();
    for (QGroupBox* g : {ImagesDrvGrp, KestrovaDrvGrp, CDWriterGrp}) {
        auto* l = new QVBoxLayout(g);
        l->setContentsMargins(4, 0, 4, 2);
        for (QObject* c : g->children())
            if (auto* w = qobject_cast<QWidget*>(c)) l->addWidget(w);
        // At least as wide as its title.
        g->setMinimumWidth(std::max(100, g->minimumSizeHint().width()));
    }
    drv->addWidget(title, 0, 0, 1, 2);
    drv->addWidget(SignIcon, 0, 2);
    drv->addWidget(lblBarcodeProfile, 1, 0, 1, 3);
    drv->addWidget(ImagesDrvGrp, 2, 0);
    drv->addWidget(KestrovaDrvGrp, 2, 1);
    drv->addWidget(CDWriterGrp, 2, 2);
    top->addWidget(DrvStatPanel);

    FixPanel = named(new QFrame(TopPanel), "FixPanel");
    auto* fix = new QHBoxLayout(FixPanel);
    fix->setContentsMargins(2, 0, 2, 0);
    // Delete, Skip and Exit stacked, so that the panel keeps its controls apart at small sizes.
    auto* commands = new QVBoxLayout;
    commands->setSpacing(2);
    DeleteButton = named(new QPushButton(QStringLiteral("Delete"), FixPanel), "DeleteButton");
    SkipButton = named(new QPushButton(QStringLiteral("Skip"), FixPanel), "SkipButton");
    Exitbutton = named(new QPushButton(QStringLiteral("Exit"), FixPanel), "Exitbutton");
    DeleteButton->setToolTip(QStringLiteral("Moves the page to the deleted pages, from where it can be restored."));
    for (QPushButton* b : {DeleteButton, SkipButton, Exitbutton}) commands->addWidget(b);
    BCodeBox = named(new QGroupBox(QStringLiteral("Specify Image Name"), FixPanel), "BCodeBox");
    newbarcode = named(new QComboBox(BCodeBox), "newbarcode");
    newbarcode->setEditable(true);
    newbarcode->setMinimumWidth(120);
    newbarcode->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    newbarcode->setInsertPolicy(QComboBox::NoInsert);
    AcceptBarcodeButton = named(new QPushButton(QStringLiteral("Accept"), BCodeBox), "AcceptBarcodeButton");
    EditListButton = named(new QPushButton(QStringLiteral("Edit List"), BCodeBox), "EditListButton");
    auto* bc = new QGridLayout(BCodeBox);
    bc->setContentsMargins(4, 2, 4, 2);
    bc->addWidget(newbarcode, 0, 0, 1, 2);
    bc->addWidget(AcceptBarcodeButton, 1, 0);
    bc->addWidget(EditListButton, 1, 1);
    // Where the operator is, why the page is here, what a name should look like and what was done.
    auto* info = new QVBoxLayout;
    info->setSpacing(0);
    ProblemPositionLabel = named(new ElidedLabel(FixPanel), "ProblemPositionLabel");
    QFont bold = ProblemPositionLabel->font();
    bold.setBold(true);
    ProblemPositionLabel->setFont(bold);
    ProblemTypeLabel = named(new ElidedLabel(FixPanel), "ProblemTypeLabel");
    NameHintLabel = named(new ElidedLabel(FixPanel), "NameHintLabel");
    QPalette red = NameHintLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    NameHintLabel->setPalette(red);
    ProblemLogLabel = named(new ElidedLabel(FixPanel), "ProblemLogLabel");
    for (ElidedLabel* l : {ProblemPositionLabel, ProblemTypeLabel, NameHintLabel, ProblemLogLabel}) {
        // One line each, shortened to the width there is; the whole text is the tooltip.
        l->setMinimumWidth(120);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        info->addWidget(l);
    }
    info->addStretch(1);
    fix->addLayout(commands);
    fix->addWidget(BCodeBox, 1);
    fix->addLayout(info, 2);
    FixPanel->hide();
    // In the problem view the fix panel takes the whole width the button and drive panels leave.
    top->addWidget(FixPanel, 1);
}

void TMainForm::buildCentre() {
    ProgressPanel = named(new QWidget, "ProgressPanel");
    auto* centre = new QVBoxLayout(ProgressPanel);
    centre->setContentsMargins(0, 0, 0, 0);
    DecodeDocToolBar = named(new DocumentImageToolbar(ProgressPanel), "DecodeDocToolBar");
    DecodeDocToolBar->hide();
    centre->addWidget(DecodeDocToolBar);

    auto* row = new QHBoxLayout;
    CurrentScannerBox = named(new QGroupBox(QStringLiteral("Last Scan Batch"), ProgressPanel), "CurrentScannerBox");
    DecodeImageDoc = named(new DocumentImageView(CurrentScannerBox), "DecodeImageDoc");
    DecodeImageDoc->setGeometry(10, 15, 215, 314);
    // The status view shows the batch image without scroll bars; with them it fills its group.
    DecodeImageDoc->setScrollBarsVisible(false);
    ScannerDocLabel = named(new QLabel(CurrentScannerBox), "ScannerDocLabel");
    ScannerDocLabel->setWordWrap(true);
    ScannerDocLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    QFont big = ScannerDocLabel->font();
    big.setPointSize(14);
    ScannerDocLabel->setFont(big);
    ScannerDocLabel->setGeometry(235, 15, 400, 314);
    DecodeProgressLabel = named(new QLabel(CurrentScannerBox), "DecodeProgressLabel");
    DecodeProgressBar = named(new QProgressBar(CurrentScannerBox), "DecodeProgressBar");
    DecodeProgressLabel->hide();
    DecodeProgressBar->hide();
    // Small enough for the window's smallest size with the log below it; the contents follow its size.
    CurrentScannerBox->setMinimumSize(240, 200);
    row->addWidget(CurrentScannerBox, 1);

    StatusGroupBox = named(new QGroupBox(QStringLiteral("Image Progress"), ProgressPanel), "StatusGroupBox");
    auto* counters = new QVBoxLayout(StatusGroupBox);
    // Close together, so that all five fit above the log at the window's smallest height.
    counters->setContentsMargins(4, 2, 4, 2);
    counters->setSpacing(0);
    counters->addWidget(counter(StatusGroupBox, "ScannedGrp", "ScannedWaitingLabel", QStringLiteral("Images Scanned "),
                                ScannedWaitingLabel));
    ScannedGrp = static_cast<QGroupBox*>(ScannedWaitingLabel->parentWidget());
    counters->addWidget(DecodedGrp = counter(StatusGroupBox, "DecodedGrp", "DecodedWaitingLabel",
                                             QStringLiteral("Images Decoded"), DecodedWaitingLabel));
    counters->addWidget(
        CDGrp = counter(StatusGroupBox, "CDGrp", "CDGroupLabel", QStringLiteral("Awaiting BackUp"), CDGroupLabel));
    counters->addWidget(ProblemGrp = counter(StatusGroupBox, "ProblemGrp", "ProblemGrpLabel",
                                             QStringLiteral("Problems"), ProblemGrpLabel));
    counters->addWidget(ServerGroup = counter(StatusGroupBox, "ServerGroup", "SystemLabel",
                                              QStringLiteral("Awaiting Lab IS"), SystemLabel));
    counters->addStretch(1);
    StatusGroupBox->setFixedWidth(150);
    row->addWidget(StatusGroupBox);
    centre->addLayout(row, 1);

    LogList = named(new QListWidget, "LogList");
    LogList->setMinimumHeight(40);
    LogViewSplitter = named(new QSplitter(Qt::Vertical), "LogViewSplitter");
    LogViewSplitter->setHandleWidth(8);
    LogViewSplitter->setChildrenCollapsible(false);
    LogViewSplitter->addWidget(ProgressPanel);
    LogViewSplitter->addWidget(LogList);
    LogViewSplitter->setStretchFactor(0, 1);
    LogViewSplitter->setStretchFactor(1, 0);
    LogViewSplitter->setSizes({400, 74});
}

} // namespace kestrova
