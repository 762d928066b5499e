#include "gui/forms/TAdminForm.h"

#include "core/admin/ConsoleSession.h"
#include "core/admin/FinaliseMedia.h"
#include "core/admin/ImageMaintenance.h"
#include "core/admin/MediaTasks.h"
#include "core/admin/QueryConsole.h"
#include "core/station/Station.h"
#include "core/store/SignBackup.h"
#include "core/store/StoreCycle.h"
#include "core/store/ZipMedia.h"
#include "gui/forms/TImgViewForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QThread>
#include <QVBoxLayout>

namespace kestrova {

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

constexpr int ResumeInterval = 10000; // ms: the store timer's interval when the window is left

} // namespace

TAdminForm::TAdminForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("AdminForm"));
    setWindowTitle(QStringLiteral("Kestrova Adminstration Tasks"));
    setWindowState(Qt::WindowMaximized);
    resize(1024, 768);
    ExitFmAdmin = Named(menuBar()->addAction(QStringLiteral("Exit")), "ExitFmAdmin");
    connect(ExitFmAdmin, &QAction::triggered, this, &TAdminForm::ExitFmAdminClick);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    buildImageArea(central);
    buildConsole(central);
    buildTasks(central);
    layout->addWidget(ImageManip);
    layout->addWidget(SQLGroup, 1);
    layout->addWidget(TaskGroup);
    setCentralWidget(central);

    // FormCreate: entry 1 and "*" chosen without their change handlers, so the editor keeps its
    // first two lines and "Do Query" waits until a query is chosen.
    QueryCombo->setCurrentIndex(AllCurrentDataEntry);
    ParamCombo->setCurrentIndex(0);
    DateTimeEdit->setText(m_station.clock().now().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    connect(QueryCombo, &QComboBox::activated, this, &TAdminForm::QueryComboChange);
    connect(ParamCombo, &QComboBox::activated, this, &TAdminForm::ParamComboChange);
}

TAdminForm::~TAdminForm() {
    // The grid lets go of the console's rows before they go.
    if (ImageDBGrid) ImageDBGrid->setModel(nullptr);
}

void TAdminForm::buildImageArea(QWidget* parent) {
    ImageManip = Named(new QGroupBox(QStringLiteral("Image File Manipulation"), parent), "ImageManip");
    auto* row = new QHBoxLayout(ImageManip);
    auto* controls = new QVBoxLayout;
    ReqIDEdit = Named(new QLineEdit(ImageManip), "ReqIDEdit");
    QFont large = ReqIDEdit->font();
    large.setPointSize(large.pointSize() + 6);
    ReqIDEdit->setFont(large);
    ReqIDEdit->installEventFilter(this);
    Button3 = Named(new QPushButton(QStringLiteral("&Search"), ImageManip), "Button3");
    Button2 = Named(new QPushButton(QStringLiteral("Clear List"), ImageManip), "Button2");
    Button1 = Named(new QPushButton(QStringLiteral("Copy from Query"), ImageManip), "Button1");
    Button1->setEnabled(false);
    controls->addWidget(ReqIDEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    controls->addLayout(buttons);
    controls->addStretch();
    row->addLayout(controls);
    ImageList = Named(new QListWidget(ImageManip), "ImageList");
    ImageList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ImageList->setFlow(QListView::TopToBottom);
    ImageList->setWrapping(true);
    ImageList->setResizeMode(QListView::Adjust);
    ImageList->setMaximumHeight(140);
    ImageList->setContextMenuPolicy(Qt::CustomContextMenu);
    row->addWidget(ImageList, 1);
    connect(Button3, &QPushButton::clicked, this, &TAdminForm::showimagelist);
    connect(Button2, &QPushButton::clicked, this, &TAdminForm::Button2Click);

    ManipPopUp = Named(new QMenu(this), "ManipPopUp");
    ManipDelete = Named(ManipPopUp->addMenu(QStringLiteral("Delete")), "ManipDelete");
    ManipDeleteFiles = Named(ManipDelete->addAction(QStringLiteral("Selected &Files")), "ManipDeleteFiles");
    ManipDeleteList = Named(ManipDelete->addAction(QStringLiteral("Whole &List")), "ManipDeleteList");
    View1 = Named(ManipPopUp->addAction(QStringLiteral("&View")), "View1");
    Print1 = Named(ManipPopUp->addMenu(QStringLiteral("Print")), "Print1");
    Print1->menuAction()->setVisible(false);
    Print1->setEnabled(false);
    connect(ManipPopUp, &QMenu::aboutToShow, this, &TAdminForm::ManipPopUpPopup);
    connect(ManipDelete, &QMenu::aboutToShow, this, &TAdminForm::ManipDeleteClick);
    connect(ManipDeleteFiles, &QAction::triggered, this, &TAdminForm::ManipDeleteFilesClick);
    connect(ManipDeleteList, &QAction::triggered, this, &TAdminForm::ManipDeleteListClick);
    connect(View1, &QAction::triggered, this, &TAdminForm::View1Click);
    connect(ImageList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ManipPopUp->popup(ImageList->viewport()->mapToGlobal(at)); });
}

void TAdminForm::buildConsole(QWidget* parent) {
    SQLGroup = Named(new QGroupBox(QStringLiteral("DataBase Query (in SQL)"), parent), "SQLGroup");
    auto* group = new QVBoxLayout(SQLGroup);
    QuerySplitter = Named(new QSplitter(Qt::Vertical, SQLGroup), "QuerySplitter");
    auto* panel = Named(new QWidget(QuerySplitter), "SQLPanel");
    auto* panelRow = new QHBoxLayout(panel);
    auto* left = new QVBoxLayout;
    QueryListLabel = Named(new QLabel(QStringLiteral("Queries"), panel), "QueryListLabel");
    QueryCombo = Named(new QComboBox(panel), "QueryCombo");
    QueryCombo->addItems(QueryComboEntries());
    ParamLabel = Named(new QLabel(QStringLiteral("Parameters"), panel), "ParamLabel");
    ParamCombo = Named(new QComboBox(panel), "ParamCombo");
    ParamCombo->addItems(ParamComboEntries());
    DateTimeLabel = Named(new QLabel(QStringLiteral("Date/Time"), panel), "DateTimeLabel");
    DateTimeEdit = Named(new QLineEdit(panel), "DateTimeEdit");
    DateTimeEdit->setToolTip(QStringLiteral("YYYY-MM-DD HH:NN"));
    DateTimeEdit->installEventFilter(this);
    OpenSQL = Named(new QPushButton(QStringLiteral("Do Query"), panel), "OpenSQL");
    for (QWidget* w :
         {static_cast<QWidget*>(ParamLabel), static_cast<QWidget*>(ParamCombo), static_cast<QWidget*>(DateTimeLabel),
          static_cast<QWidget*>(DateTimeEdit), static_cast<QWidget*>(OpenSQL)})
        w->setEnabled(false);
    for (QWidget* w :
         {static_cast<QWidget*>(QueryListLabel), static_cast<QWidget*>(QueryCombo), static_cast<QWidget*>(ParamLabel),
          static_cast<QWidget*>(ParamCombo), static_cast<QWidget*>(DateTimeLabel), static_cast<QWidget*>(DateTimeEdit),
          static_cast<QWidget*>(OpenSQL)})
        left->addWidget(w);
    left->addStretch();
    panelRow->addLayout(left);
    sqlquerymemo = Named(new QPlainTextEdit(panel), "sqlquerymemo");
    sqlquerymemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sqlquerymemo->setPlainText(InitialEditorLines().join(QLatin1Char('\n')));
    panelRow->addWidget(sqlquerymemo, 1);
    ImageDBGrid = Named(new QTableView(QuerySplitter), "ImageDBGrid");
    ImageDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ImageDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ImageDBGrid->verticalHeader()->setDefaultSectionSize(ImageDBGrid->fontMetrics().height() + 4);
    QuerySplitter->addWidget(panel);
    QuerySplitter->addWidget(ImageDBGrid);
    QuerySplitter->setStretchFactor(1, 1);
    group->addWidget(QuerySplitter, 1);
    ImageInfoMemo = Named(new QPlainTextEdit(SQLGroup), "ImageInfoMemo");
    ImageInfoMemo->setReadOnly(true);
    ImageInfoMemo->setMaximumHeight(80);
    group->addWidget(ImageInfoMemo);
    hideImageInfo();
    connect(OpenSQL, &QPushButton::clicked, this, &TAdminForm::OpenSQLClick);
}

void TAdminForm::buildTasks(QWidget* parent) {
    TaskGroup = Named(new QGroupBox(QStringLiteral("Administrative Tasks"), parent), "TaskGroup");
    auto* row = new QHBoxLayout(TaskGroup);
    Finalisemedia = Named(new QPushButton(QStringLiteral("&Finalise Media"), TaskGroup), "Finalisemedia");
    Finalisemedia->setStatusTip(QStringLiteral("Writes out CD Summary and Calls Verify Media"));
    FlushZipBtn = Named(new QPushButton(QStringLiteral("&Flush Media Files"), TaskGroup), "FlushZipBtn");
    FlushZipBtn->setStatusTip(QStringLiteral("Re-synchronises the Database and files after a Serious Error"));
    ArchiveDatabase = Named(new QPushButton(QStringLiteral("Archive Database"), TaskGroup), "ArchiveDatabase");
    ArchiveDatabase->setStatusTip(FlushZipBtn->statusTip());
    ProgressGroup = Named(new QGroupBox(QStringLiteral("Progress"), TaskGroup), "ProgressGroup");
    auto* progress = new QHBoxLayout(ProgressGroup);
    ProgressGauge = Named(new QProgressBar(ProgressGroup), "ProgressGauge");
    ProgressGauge->setValue(0);
    ProgressGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: lime; }"));
    progress->addWidget(ProgressGauge);
    ProgressGroup->hide();
    for (QPushButton* b : {Finalisemedia, FlushZipBtn, ArchiveDatabase}) row->addWidget(b);
    connect(Finalisemedia, &QPushButton::clicked, this, &TAdminForm::FinalisemediaClick);
    connect(FlushZipBtn, &QPushButton::clicked, this, &TAdminForm::FlushZipBtnClick);
    connect(ArchiveDatabase, &QPushButton::clicked, this, &TAdminForm::ArchiveDatabaseClick);
    row->addWidget(ProgressGroup, 1);
}

void TAdminForm::setZipFactory(const ZipFactory* zips) {
    m_images.reset();
    m_finalise.reset();
    m_archive.reset();
    m_zipMedia = zips ? std::make_unique<ZipMedia>(m_station, *zips) : nullptr;
    if (m_zipMedia) m_archive = std::make_unique<SignedImageArchive>(m_station, *m_zipMedia);
}

void TAdminForm::setMediaServices(const ImageCodec* codec, const Volumes* volumes, const Smime* verifier) {
    m_finalise.reset();
    m_codec = codec;
    m_volumes = volumes;
    m_verifier = verifier;
}

// --- the administrative tasks ------------------------------------------------------------

void TAdminForm::FlushZipBtnClick() {
    if (m_zipMedia) CommitWaitingZipFiles(m_station, *m_zipMedia);
}

void TAdminForm::ArchiveDatabaseClick() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DatabaseArchive archive(m_station);
    archive.ArchiveDatabaseClick();
    QApplication::restoreOverrideCursor();
}

FinaliseMedia* TAdminForm::finalise() {
    if (m_finalise || !m_zipMedia || !m_codec || !m_volumes) return m_finalise.get();
    const Smime* smime = m_station.SMIME1 ? m_station.SMIME1 : m_verifier;
    if (!smime) return nullptr;
    m_finalise = std::make_unique<FinaliseMedia>(m_station, *m_zipMedia, *m_archive, *m_codec, *smime, *m_volumes);
    FinaliseView& v = m_finalise->view;
    v.setButtonCaption = [this](const QString& caption) { Finalisemedia->setText(caption); };
    v.setButtonEnabled = [this](bool on) { Finalisemedia->setEnabled(on); };
    v.showProgress = [this](bool on) { ProgressGroup->setVisible(on); };
    v.setProgressCaption = [this](const QString& caption) { ProgressGroup->setTitle(caption); };
    v.setGauge = [this](int value, int maximum, const QString& colour) {
        ProgressGauge->setRange(0, maximum);
        ProgressGauge->setValue(value);
        ProgressGauge->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }").arg(colour));
    };
    v.countAwaitingLIS = [this] { m_station.RefreshStatus(); };
    v.startProgram = [](const QString& program, const QStringList& args, const QString& dir) {
        QProcess::startDetached(program, args, dir);
    };
    v.pause = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    v.closeProgram = [this] {
        // Closing the main window ends the program.
        if (m_mainForm) m_mainForm->close();
        close();
        QCoreApplication::quit();
    };
    return m_finalise.get();
}

void TAdminForm::FinalisemediaClick() {
    if (FinaliseMedia* f = finalise()) f->FinalisemediaClick();
}

ImageMaintenance* TAdminForm::images() {
    if (!m_images && m_zipMedia) m_images = std::make_unique<ImageMaintenance>(m_station, *m_zipMedia);
    return m_images.get();
}

ConsoleSession* TAdminForm::console() {
    if (!m_console && m_station.DataModule) {
        m_console = std::make_unique<ConsoleSession>(m_station, *m_station.DataModule);
        ImageDBGrid->setModel(&m_console->model());
        connect(ImageDBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TAdminForm::showImageInfo);
    }
    return m_console.get();
}

// --- the query console ---------------------------------------------------------------------

void TAdminForm::QueryComboChange(int index) {
    OpenSQL->setEnabled(true);
    const bool custom = index == CustomQueryEntry;
    if (!custom) sqlquerymemo->setPlainText(CannedQueryLines(index, m_station.task().MediaLabel()).join('\n'));
    for (QWidget* w : {static_cast<QWidget*>(DateTimeEdit), static_cast<QWidget*>(DateTimeLabel),
                       static_cast<QWidget*>(ParamCombo), static_cast<QWidget*>(ParamLabel)})
        w->setEnabled(custom);
    sqlquerymemo->setReadOnly(!custom);
}

void TAdminForm::ParamComboChange(int index) {
    if (ParamCombo->itemText(index) == TablesSeparator) {
        ParamCombo->setCurrentIndex(index + 1);
        return;
    }
    sqlquerymemo->insertPlainText(ParamCombo->itemText(index));
    sqlquerymemo->setFocus();
}

bool TAdminForm::DateTimeEditKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    QString text = DateTimeEdit->text();
    if (ReadQueryDate(text)) {
        sqlquerymemo->insertPlainText(QLatin1Char('[') + text + QLatin1Char(']'));
        sqlquerymemo->setFocus();
    } else if (!DateTimeEdit->text().contains(QLatin1Char('-'))) {
        m_station.prompter().message(QString(), DateFormatHint(), MessageIcon::Information);
    }
    return true;
}

void TAdminForm::OpenSQLClick() {
    ConsoleSession* session = console();
    if (!session) return;
    hideImageInfo();
    QString editor = sqlquerymemo->toPlainText();
    const QString before = editor;
    const ConsoleOutcome outcome = session->OpenSQLClick(editor, DateTimeEdit->text());
    if (editor != before) sqlquerymemo->setPlainText(editor);
    if (outcome != ConsoleOutcome::Opened) return;
    ImageDBGrid->setEnabled(true);
    m_imageInfoColumn = session->model().fieldColumn(QStringLiteral("ImageInfo"));
    if (m_imageInfoColumn >= 0) {
        ImageInfoMemo->setEnabled(true);
        ImageInfoMemo->show();
        showImageInfo();
    }
}

void TAdminForm::hideImageInfo() {
    m_imageInfoColumn = -1;
    ImageInfoMemo->setEnabled(false);
    ImageInfoMemo->clear();
    ImageInfoMemo->hide();
}

void TAdminForm::showImageInfo() {
    if (m_imageInfoColumn < 0 || !m_console) return;
    const int row = std::max(0, ImageDBGrid->currentIndex().row());
    ImageInfoMemo->setPlainText(m_console->model().cellText(row, m_imageInfoColumn));
}

// --- the image area ------------------------------------------------------------------------

void TAdminForm::showimagelist() {
    if (ImageMaintenance* m = images()) ImageList->addItems(m->showimagelist(ReqIDEdit->text()));
}

void TAdminForm::Button2Click() {
    ImageList->clear();
}

void TAdminForm::ManipPopUpPopup() {
    ManipDeleteFiles->setEnabled(!ImageList->selectedItems().isEmpty());
    ManipDeleteList->setEnabled(ImageList->count() > 0);
    Print1->setEnabled(false);
}

void TAdminForm::ManipDeleteClick() {
    if (ImageMaintenance* m = images()) m->PendingCheck();
}

bool TAdminForm::killAll(const QStringList& entries) {
    ImageMaintenance* m = images();
    for (const QString& entry : entries) {
        QString error;
        if (!m->killrecord(entry, error)) {
            m_station.prompter().message(QString(), error, MessageIcon::Error);
            return false;
        }
    }
    return true;
}

void TAdminForm::ManipDeleteFilesClick() {
    ImageMaintenance* m = images();
    if (!m || !m->PendingCheck() || !m->ConfirmDeleteSelected()) return;
    QStringList selected;
    for (int i = 0; i < ImageList->count(); ++i)
        if (ImageList->item(i)->isSelected()) selected << ImageList->item(i)->text();
    killAll(selected);
    ImageList->clear();
    showimagelist();
}

void TAdminForm::ManipDeleteListClick() {
    ImageMaintenance* m = images();
    if (!m || !m->PendingCheck() || !m->ConfirmDeleteList()) return;
    QStringList all;
    for (int i = 0; i < ImageList->count(); ++i) all << ImageList->item(i)->text();
    killAll(all);
    ImageList->clear();
    ReqIDEdit->setFocus();
}

void TAdminForm::View1Click() {
    ImageMaintenance* m = images();
    QString entry;
    for (int i = 0; i < ImageList->count() && entry.isEmpty(); ++i)
        if (ImageList->item(i)->isSelected()) entry = ImageList->item(i)->text();
    if (!m || !m_viewer || entry.isEmpty()) return;
    m_viewer->OnDuplicate = [this](const QString& ref, const TilxInfo& info, quint16) { DuplicateImage(ref, info); };
    const QString file = m->ViewFile(entry);
    if (!file.isEmpty() && m_viewer->LoadViewImage(file)) {
        m_viewer->setWindowTitle(QStringLiteral("Kestrova Image ") + entry);
        m_viewer->show();
        return;
    }
    m_station.prompter().message(ViewErrorCaption, ViewErrorText, MessageIcon::Information);
}

void TAdminForm::DuplicateImage(const QString& newReference, const TilxInfo& info) {
    if (ImageMaintenance* m = images()) m->DuplicateImage(newReference, info);
}

// --- lifecycle -----------------------------------------------------------------------------

void TAdminForm::FormActivate() {
    // The counters the deletion check reads are current.
    m_station.RefreshStatus();
}

void TAdminForm::resumeStoreTimer() {
    m_station.task().setStoreFileTimerEnabled(true);
    if (m_storeCycle) m_storeCycle->StoreFileTimer.setInterval(ResumeInterval);
}

void TAdminForm::ExitFmAdminClick() {
    resumeStoreTimer();
    if (m_mainForm) m_mainForm->show();
    hide();
}

void TAdminForm::closeEvent(QCloseEvent* event) {
    // Closed while hidden: the program is ending and the main window has stopped the store timer.
    if (isVisible()) {
        resumeStoreTimer();
        if (m_mainForm) m_mainForm->show();
    }
    event->accept();
}

void TAdminForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

bool TAdminForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == DateTimeEdit) return DateTimeEditKeyPress(key);
        if (watched == ReqIDEdit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            showimagelist();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kestrova
