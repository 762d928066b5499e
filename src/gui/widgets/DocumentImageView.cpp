#include "gui/widgets/DocumentImageView.h"

#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QTransform>

namespace kestrova {

namespace {

DocumentImageView::PageLoader& loaderSlot() {
    static DocumentImageView::PageLoader loader;
    return loader;
}

QImage ReadPage(const QString& file, int page, int depth, int& pageCount) {
    QImageReader reader(file);
    pageCount = std::max(1, reader.imageCount());
    QImage img;
    if (loaderSlot()) img = loaderSlot()(file, page, depth);
    if (!img.isNull()) return img;
    if (page > 0 && !reader.jumpToImage(page)) return {};
    return reader.read();
}

} // namespace

DocumentImageView::DocumentImageView(QWidget* parent) : QScrollArea(parent), m_label(new QLabel) {
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setBackgroundRole(QPalette::Base);
    setWidget(m_label);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
}

void DocumentImageView::setPageLoader(PageLoader loader) {
    loaderSlot() = std::move(loader);
}

bool DocumentImageView::loadFile(const QString& file, int depth, int page) {
    int count = 0;
    const QImage img = ReadPage(file, page, depth, count);
    if (img.isNull()) return false;
    m_image = img;
    m_file = file;
    m_depth = depth;
    m_page = page;
    m_pageCount = count;
    render();
    return true;
}

bool DocumentImageView::showPage(int page) {
    if (m_file.isEmpty() || page < 0 || page >= m_pageCount || page == m_page) return false;
    return loadFile(m_file, m_depth, page);
}

void DocumentImageView::setImage(const QImage& image) {
    m_magnified = false;
    m_image = image;
    m_file.clear();
    m_page = 0;
    m_pageCount = image.isNull() ? 0 : 1;
    render();
}

void DocumentImageView::turnPicture(int degrees) {
    if (m_image.isNull()) return;
    m_image = m_image.transformed(QTransform().rotate(degrees));
    render();
}

void DocumentImageView::setScalePercent(int percent) {
    m_fit = Fit::None;
    m_scale = percent < 1 ? 100 : percent;
    render();
}

int DocumentImageView::widthFitPercent() const {
    return m_image.width() > 0 ? viewport()->width() * 100 / m_image.width() : 0;
}

int DocumentImageView::heightFitPercent() const {
    return m_image.height() > 0 ? viewport()->height() * 100 / m_image.height() : 0;
}

int DocumentImageView::fitPercent(Fit mode) const {
    switch (mode) {
    case Fit::Width:
        return widthFitPercent();
    case Fit::Height:
        return heightFitPercent();
    case Fit::Page:
        return std::min(widthFitPercent(), heightFitPercent());
    case Fit::None:
        break;
    }
    return m_scale;
}

void DocumentImageView::fit(Fit mode) {
    const int percent = fitPercent(mode);
    setScalePercent(percent > 0 ? percent : m_scale);
    m_fit = mode;
}

void DocumentImageView::setMagnified(bool on) {
    if (on == m_magnified) return;
    m_magnified = on;
    if (on) {
        m_unmagnifiedScale = m_scale;
        m_unmagnifiedFit = m_fit;
        setScalePercent(m_scale * 2);
    } else if (m_unmagnifiedFit != Fit::None) {
        fit(m_unmagnifiedFit);
    } else {
        setScalePercent(m_unmagnifiedScale);
    }
}

void DocumentImageView::setScrollBarsVisible(bool visible) {
    const auto policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

void DocumentImageView::render() {
    if (m_image.isNull()) {
        m_label->clear();
        m_label->resize(0, 0);
        return;
    }
    const QSize size = (m_image.size() * m_scale / 100).expandedTo(QSize(1, 1));
    // A 1-bit or palette page is scaled in full colour so that the smoothing averages into grey:
    // thin lines of a page shown smaller than its pixels stay visible instead of dropping out.
    const bool indexed = m_image.format() == QImage::Format_Mono || m_image.format() == QImage::Format_MonoLSB ||
                         m_image.format() == QImage::Format_Indexed8;
    const QImage source = indexed ? m_image.convertToFormat(QImage::Format_RGB32) : m_image;
    m_label->setPixmap(QPixmap::fromImage(source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    m_label->resize(size);
}

QImage DocumentImageView::shownImage() const {
    return m_label->pixmap().toImage();
}

void DocumentImageView::mousePressEvent(QMouseEvent* e) {
    emit mousePressed(e->button());
    QScrollArea::mousePressEvent(e);
}

void DocumentImageView::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseReleased(e->button());
    QScrollArea::mouseReleaseEvent(e);
}

void DocumentImageView::resizeEvent(QResizeEvent* e) {
    QScrollArea::resizeEvent(e);
    if (m_fit != Fit::None) fit(m_fit);
}

} // namespace kestrova
