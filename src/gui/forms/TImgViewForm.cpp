#include "gui/forms/TImgViewForm.h"

#include "core/ports/PageImage.h"
#include "core/station/Station.h"
#include "gui/widgets/DocumentImageToolbar.h"
#include "gui/widgets/DocumentImageView.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QScrollBar>

namespace kestrova {

using Tool = DocumentImageToolbar;

TImgViewForm::TImgViewForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station) {
    setObjectName(QStringLiteral("ImgViewForm"));
    setWindowTitle(QStringLiteral("Kestrova Image"));
    resize(800, 900);
    QMenu* image = menuBar()->addMenu(QStringLiteral("&Image"));
    DuplicatewithNewID1 = image->addAction(QStringLiteral("&Duplicate with New ID"));
    DuplicatewithNewID1->setObjectName(QStringLiteral("DuplicatewithNewID1"));
    DuplicatewithNewID1->setEnabled(false);
    connect(DuplicatewithNewID1, &QAction::triggered, this, &TImgViewForm::DuplicatewithNewID1Click);

    IlDocImageToolbar1 = new DocumentImageToolbar(this);
    IlDocImageToolbar1->setObjectName(QStringLiteral("IlDocImageToolbar1"));
    IlDocImageToolbar1->showButtons({Tool::Magnify, Tool::ZoomIn, Tool::ZoomOut, Tool::ResetZoom, Tool::BestFit,
                                     Tool::Rotate90, Tool::Rotate180, Tool::FirstPage, Tool::PriorPage, Tool::NextPage,
                                     Tool::LastPage});
    ScaleList = new QComboBox(IlDocImageToolbar1);
    ScaleList->setObjectName(QStringLiteral("ScaleList"));
    for (const char* s : {"25%", "50%", "75%", "100%", "150%", "200%", "Fit Width"})
        ScaleList->addItem(QString::fromLatin1(s));
    IlDocImageToolbar1->addWidget(ScaleList);
    addToolBar(Qt::TopToolBarArea, IlDocImageToolbar1);
    connect(IlDocImageToolbar1, &DocumentImageToolbar::buttonTriggered, this,
            [this](DocumentImageToolbar::Button b) { toolbarAction(b); });
    connect(ScaleList, &QComboBox::activated, this, [this](int index) {
        ToolbarBusy = true;
        if (index == ScaleList->count() - 1)
            fitWidth();
        else
            ILDocImg1->setScalePercent(ScaleList->itemText(index).chopped(1).toInt());
        ToolbarBusy = false;
    });

    ILDocImg1 = new DocumentImageView(this);
    ILDocImg1->setObjectName(QStringLiteral("ILDocImg1"));
    ILDocImg1->setBackgroundRole(QPalette::Base);
    ILDocImg1->setStyleSheet(QStringLiteral("background: white"));
    ILDocImg1->installEventFilter(this);
    setCentralWidget(ILDocImg1);
}

void TImgViewForm::fitWidth() {
    const int width = ILDocImg1->image().width();
    if (width > 0) ILDocImg1->setScalePercent(std::max(1, ILDocImg1->viewport()->width() * 100 / width));
}

bool TImgViewForm::LoadViewImage(const QString& fileName) {
    DuplicatewithNewID1->setEnabled(static_cast<bool>(OnDuplicate));
    ScaleList->setCurrentIndex(ScaleList->count() - 1);
    int depth = 24;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("tif"), Qt::CaseInsensitive) == 0 && m_codec) {
        const Result<ImageFileInfo> info = m_codec->fileInfo(fileName, 0);
        if (info) depth = std::max(1, info.value().bitsPerPixel);
    }
    if (!ILDocImg1->loadFile(fileName, depth, 0)) return false;
    ILDocImg1Info(fileName);
    if (ILDocImg1->image().width() > 0) {
        fitWidth();
        ScaleList->setCurrentIndex(ScaleList->count() - 1);
    }
    return true;
}

void TImgViewForm::ILDocImg1Info(const QString& fileName) {
    m_info = TilxInfo();
    m_info.Width = static_cast<std::uint32_t>(ILDocImg1->image().width());
    m_info.Height = static_cast<std::uint32_t>(ILDocImg1->image().height());
    m_info.TiffPages = static_cast<std::uint16_t>(ILDocImg1->pageCount());
    m_info.TiffThisPage = static_cast<std::uint16_t>(ILDocImg1->currentPage());
    m_info.ByFile = 1;
    m_info.Filename = QFileInfo(fileName).absoluteFilePath();
    if (m_codec) {
        const Result<ImageFileInfo> info = m_codec->fileInfo(fileName, ILDocImg1->currentPage());
        if (info) {
            const ImageFileInfo& i = info.value();
            m_info.Width = static_cast<std::uint32_t>(i.width);
            m_info.Height = static_cast<std::uint32_t>(i.height);
            m_info.BPP = static_cast<std::uint16_t>(i.bitsPerPixel);
            m_info.Size = static_cast<std::uint32_t>(i.sizeInBytes);
            m_info.TiffPages = static_cast<std::uint16_t>(i.pageCount);
            m_info.Compression = i.compressionName;
            m_info.XResolution = static_cast<std::uint32_t>(std::max(0, i.xResolution));
            m_info.YResolution = static_cast<std::uint32_t>(std::max(0, i.yResolution));
        }
    }
    m_info.CompressionCode = CompressionCodeOf(m_info.Compression);
}

bool TImgViewForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ILDocImg1 && event->type() == QEvent::Resize) ILDocImg1Resize();
    return QMainWindow::eventFilter(watched, event);
}

void TImgViewForm::ILDocImg1Resize() {
    // A resize during a toolbar action keeps the scale the action chose.
    if (!ToolbarBusy && ILDocImg1->image().width() > 0) fitWidth();
}

void TImgViewForm::toolbarAction(int button) {
    ToolbarBusy = true;
    DocumentImageView* view = ILDocImg1;
    switch (button) {
    case Tool::ResetZoom:
        view->setScalePercent(100);
        break;
    case Tool::Rotate90:
    case Tool::Rotate180:
        view->turnPicture(button == Tool::Rotate90 ? 90 : 180);
        break;
    default:
        ApplyViewerButton(*IlDocImageToolbar1, *view, button);
        break;
    }
    m_info.TiffThisPage = static_cast<std::uint16_t>(view->currentPage());
    ToolbarBusy = false;
}

void TImgViewForm::DuplicatewithNewID1Click() {
    if (!OnDuplicate) return;
    // The resolutions were read with the image.
    const std::optional<QString> answer = m_station.prompter().inputBox(
        QStringLiteral("Duplicate an Image"), QStringLiteral("Please Enter a new Reference Number"), QString());
    if (!answer || answer->isEmpty()) return;
    OnDuplicate(*answer, m_info, static_cast<quint16>(ILDocImg1->currentPage()));
}

} // namespace kestrova
